// vyrctl device ... against an in-process simulator, run as a script would run it.
#include "link/link.h"
#include "settings/model.h"
#include "settings/settings_file.h"
#include "vyrctl_device.h"

namespace vyr::test {
namespace {

using VyrctlDevice = VyrctlDeviceTest;

TEST_F(VyrctlDevice, InfoPrintsTheSevenLines) {
    sim.WriteFile("/chroma/serialnumber", "VYR-0042\n");
    const Result run = Vyrctl(Device() + "info");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 7);
    EXPECT_TRUE(run.out.starts_with("Firmware version: \t"));
    EXPECT_NE(run.out.find("\nSerial number: \tVYR-0042\n"), std::string::npos);
    EXPECT_EQ(run.err, "");
}

// A value the device did not answer is printed as "undefined" or zeros, which are not the
// device's: the run fails and names what went unanswered. The values after it are read.
TEST_F(VyrctlDevice, InfoWithAnUnansweredValueFailsNamingIt) {
    sim.SetFaults({.silentName = "/tmp/caps_voltage"});
    Result run = Vyrctl(Device() + "info");
    EXPECT_EQ(run.status, 8);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 7) << "what was read is printed";
    EXPECT_NE(run.out.find("\nSerial number: \tVYR-"), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "vyrctl: " + sim.PortPath() + ": no answer for /tmp/caps_voltage\n");

    sim.SetFaults({.silentName = "/chroma/hw_version"});
    run = Vyrctl(Device() + "info");
    EXPECT_EQ(run.status, 8);
    EXPECT_NE(run.out.find("Hardware revision: \tundefined\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nSerial number: \tVYR-"), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "vyrctl: " + sim.PortPath() + ": no answer for /chroma/hw_version\n");
}

TEST_F(VyrctlDevice, LoadWritesAFileThatChecksCleanAndSendRestoresIt) {
    sim.WriteFile("/chroma/settings/4/preset_name", "Field");
    const std::string file = File("backup.Vyr");
    Result run = Vyrctl(Device() + "load " + file);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Vyrctl("file check " + file).out, "");
    EXPECT_NE(Vyrctl("file dump " + file).out.find("\n4:preset_name=Field\n"), std::string::npos);

    sim.WriteFile("/chroma/settings/4/preset_name", "Changed");
    sim.WriteFile("/chroma/settings/current_preset", "6");
    run = Vyrctl(Device() + "send " + file + " --preset 4");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(sim.ReadFile("/chroma/settings/4/preset_name"), "Field");
    EXPECT_EQ(sim.ReadFile("/chroma/settings/current_preset").value_or("").substr(0, 1), "6");

    run = Vyrctl(Device() + "send " + file + " --active 2");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(sim.ReadFile("/chroma/settings/current_preset").value_or("").substr(0, 1), "2");
}

TEST_F(VyrctlDevice, LoginAndLevelRefusals) {
    std::ofstream(File("wrong.pw")) << "guess\n";
    Result run = Vyrctl("device --port " + sim.PortPath() + " --password-file " + File("wrong.pw") +
                        " info");
    EXPECT_EQ(run.status, 7);
    EXPECT_EQ(run.err.find("guess"), std::string::npos);
    EXPECT_EQ(run.err, "vyrctl: " + sim.PortPath() + ": login refused\n");

    // No answer at all is not called a refusal.
    sim.SetFaults({.silentName = "/chroma/users/superadmin"});
    run = Vyrctl(Device() + "info");
    sim.SetFaults({});
    EXPECT_EQ(run.status, 7);
    EXPECT_EQ(run.err,
              "vyrctl: " + sim.PortPath() + ": login refused or no answer from the device\n");

    // An administrator may load and send, but not the DEFAULT preset.
    const std::string admin =
        "device --port " + sim.PortPath() + " --user admin --password-file " + File("admin.pw");
    ASSERT_EQ(Vyrctl(admin + " load " + File("a.Vyr")).status, 0);
    EXPECT_EQ(Vyrctl(admin + " send " + File("a.Vyr") + " --preset 0").status, 7);

    // The password from the environment; never echoed, not even with --verbose.
    run = Vyrctl("device --verbose --port " + sim.PortPath() + " --user distributor info",
                 "VYR_PASSWORD=vyr-distributor");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find("vyr-distributor"), std::string::npos);
    EXPECT_EQ(run.err.find("vyr-distributor"), std::string::npos);

    // No password source and no terminal: a usage error, nothing sent.
    run = Vyrctl("device --port " + sim.PortPath() + " info");
    EXPECT_EQ(run.status, 1);
}

TEST_F(VyrctlDevice, TimeIsPrintedAsItIsSet) {
    Result run = Vyrctl(Device() + "time --set 2024-03-07T09:05:42");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto newline = run.out.find('\n');
    ASSERT_NE(newline, std::string::npos);
    EXPECT_TRUE(run.out.substr(newline + 1).starts_with("2024-03-07T09:05:4")) << run.out;
    // What it prints, it accepts.
    run = Vyrctl(Device() + "time");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string printed = run.out.substr(0, run.out.find('\n'));
    EXPECT_EQ(Vyrctl(Device() + "time --set " + printed).status, 0);

    run = Vyrctl(Device() + "time --set 2024-13-07T09:05:42");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.starts_with("vyrctl: --set needs 'now' or YYYY-MM-DDThh:mm:ss\n"))
        << run.err;
}

TEST_F(VyrctlDevice, FailuresKeepAnEarlierFileAndSayWhy) {
    const std::string file = File("kept.Vyr");
    std::ofstream(file) << "earlier content\n";
    sim.SetFaults({.hangupAfter = 50});
    Result run = Vyrctl(Device() + "load " + file);
    EXPECT_EQ(run.status, 8);
    EXPECT_EQ(Slurp(file), "earlier content\n");
    // One line, not a report of hundreds of missing values.
    EXPECT_EQ(run.err, "vyrctl: " + sim.PortPath() + ": the device stopped answering; " + file +
                           " not written\n");

    run = Vyrctl("device --port /dev/no-such-port --password-file " + File("super.pw") + " info");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vyrctl: cannot open /dev/no-such-port: No such file or directory\n");
    EXPECT_EQ(Vyrctl(Device() + "send " + File("absent.Vyr")).status, 4);
    run = Vyrctl(Device() + "dance");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.starts_with("vyrctl: unknown device command 'dance'\n")) << run.err;
    run = Vyrctl(Device() + "send " + File("a.Vyr") + " --preset 10");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.starts_with("vyrctl: --preset needs a number 0..9\n")) << run.err;
}

TEST_F(VyrctlDevice, APortInUseIsRefused) {
    serial_link::Link holder;
    holder.SetDiagnosticSink([](std::string_view) {});
    ASSERT_TRUE(holder.Open(sim.PortPath()));
    const Result run = Vyrctl(Device() + "info");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vyrctl: cannot open " + sim.PortPath() + ": port is in use\n");
    EXPECT_EQ(sim.RequestsReceived(), 0);
}

// The simulator's requests that start with `start`.
std::vector<std::string> Requests(const vyrsim::Simulator& sim, std::string_view start) {
    std::vector<std::string> lines;
    for (const std::string& line : sim.Log()) {
        if (line.starts_with(start))
            lines.push_back(line);
    }
    return lines;
}

// Saves the settings file `from` with `key` of `preset` set to `value` as `to`.
void SaveEdited(const std::string& from, const std::string& to, std::string_view key, int preset,
                std::string value) {
    SettingsModel model;
    ASSERT_EQ(LoadSettingsStore(model.store, from), SettingsFileStatus::Ok);
    model.store.SetSetting(model.catalogue.Find(key), preset, value);
    ASSERT_EQ(SaveSettingsStore(model.store, to), SettingsFileStatus::Ok);
}

TEST_F(VyrctlDevice, SendWithABaseWritesOnlyWhatChanged) {
    const std::string old = File("old.Vyr");
    ASSERT_EQ(Vyrctl(Device() + "load " + old).status, 0);
    const std::string edited = File("edited.Vyr");
    SaveEdited(old, edited, "rec_mic_level", 4, "30");
    EXPECT_EQ(Vyrctl("file diff " + old + " " + edited).out, "4:rec_mic_level: 25 -> 30\n");

    sim.ClearLog();
    Result run = Vyrctl(Device() + "send " + edited + " --base " + old + " --active 3");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Requests(sim, "in  0 "),
              std::vector<std::string>{"in  0 /chroma/settings/4/rec_mic_level text \"30\""});
    EXPECT_EQ(Requests(sim, "in  17 "),
              std::vector<std::string>{
                  "in  17 SETPRESET text \"/chroma/scripts/set_preset 3\""});
    EXPECT_EQ(sim.ReadFile("/chroma/settings/4/rec_mic_level"), "30");

    // An administrator's changes leave out the DEFAULT preset.
    const std::string admin = "device --port " + sim.PortPath() +
                              " --user admin --password-file " + File("admin.pw") + " ";
    const std::string both = File("both.Vyr");
    SaveEdited(edited, both, "preset_name", 0, "Zero");
    SaveEdited(both, both, "preset_name", 8, "Eight");
    sim.ClearLog();
    run = Vyrctl(admin + "send " + both + " --base " + edited);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Requests(sim, "in  0 "),
              std::vector<std::string>{"in  0 /chroma/settings/8/preset_name text \"Eight\""});

    // The base is a settings file like any other.
    run = Vyrctl(Device() + "send " + edited + " --base " + File("absent.Vyr"));
    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.err.find("cannot open " + File("absent.Vyr")), std::string::npos);
    run = Vyrctl(Device() + "send " + edited + " --base");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.starts_with("vyrctl: --base needs a settings FILE\n")) << run.err;
}

TEST_F(VyrctlDevice, VerifyNamesAValueThatReadsBackDifferent) {
    const std::string old = File("old.Vyr");
    ASSERT_EQ(Vyrctl(Device() + "load " + old).status, 0);
    const std::string edited = File("edited.Vyr");
    SaveEdited(old, edited, "preset_name", 7, "Seven");

    sim.ClearLog();
    Result run = Vyrctl(Device() + "send " + edited + " --base " + old + " --verify");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Requests(sim, "in  1 /chroma/settings/7/").size(), 1u);

    // The device keeps something else than it confirmed.
    const std::string path = "/chroma/settings/7/preset_name";
    sim.SetRequestObserver([&](const serial_link::CommandFrame& request) {
        if (request.command == 1 && request.Name() == path)
            sim.WriteFile(path, "Other\\");
    });
    // Without --verify nothing is read back, so nothing is noticed.
    run = Vyrctl(Device() + "send " + edited + " --base " + old);
    EXPECT_EQ(run.status, 0) << run.err;
    sim.ClearLog();
    run = Vyrctl(Device() + "send " + edited + " --base " + old + " --verify");
    sim.SetRequestObserver(nullptr);
    EXPECT_EQ(run.status, 8);
    EXPECT_EQ(run.err, "vyrctl: " + sim.PortPath() +
                           ": preset_name of PRESET 7 was sent as 'Seven' but reads back as "
                           "'Other\\\\'\n");
    EXPECT_TRUE(Requests(sim, "in  17 ").empty());  // not switched to a preset it holds wrongly
}

// A device that drops a reply now and then still gives a complete backup; one that never
// answers a value gives none.
TEST_F(VyrctlDevice, LoadWritesOnlyWhenEveryValueWasAnswered) {
    sim.WriteFile("/chroma/settings/5/preset_name", "Fifth");
    sim.SetFaults({.dropEvery = 250});
    const std::string file = File("backup.Vyr");
    Result run = Vyrctl(Device() + "load " + file);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(Vyrctl("file dump " + file).out.find("\n5:preset_name=Fifth\n"), std::string::npos);

    // rec_mic_level of preset 4 gets no answer, neither the first time nor when asked again.
    sim.SetFaults({});
    const std::string target = "/chroma/settings/4/rec_mic_level";
    int asks = 0;
    sim.SetRequestObserver([&](const serial_link::CommandFrame& request) {
        // The request before turns the device silent; the second ask turns it back.
        if (request.Name() == "/chroma/settings/4/rec_monitoring_while_record")
            sim.SetFaults({.silent = true});
        if (request.Name() == target && ++asks == 2)
            sim.SetFaults({});
    });
    std::ofstream(file) << "earlier content\n";
    run = Vyrctl(Device() + "load " + file);
    sim.SetRequestObserver(nullptr);
    EXPECT_EQ(run.status, 8);
    EXPECT_EQ(Slurp(file), "earlier content\n");
    EXPECT_NE(run.err.find(": no answer for 1 values; " + file + " not written:\n"
                           "  rec_mic_level, PRESET 4\n"),
              std::string::npos)
        << run.err;
}

// A device that says it holds no such value file (an empty settings tree after a reset): the
// defaults are written, but a script can tell, and a good backup is not replaced unasked.
TEST_F(VyrctlDevice, LoadOfADeviceThatLacksValuesIsExitTenAndKeepsAnExistingFile) {
    for (int preset = 0; preset < kPresetCount; ++preset)
        sim.RemoveFile("/chroma/settings/" + std::to_string(preset) + "/rec_mic_level");
    const std::string file = File("backup.Vyr");
    Result run = Vyrctl(Device() + "load " + file);
    EXPECT_EQ(run.status, 10) << run.err;
    EXPECT_NE(run.err.find("complete, but the device lacks 10 values; " + file +
                           " holds their defaults:\n  rec_mic_level, DEFAULT\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(Vyrctl("file check " + file).status, 0);

    std::ofstream(file) << "earlier content\n";
    run = Vyrctl(Device() + "load " + file);
    EXPECT_EQ(run.status, 10);
    EXPECT_EQ(Slurp(file), "earlier content\n");
    EXPECT_NE(run.err.find(file + " kept as it was (--force replaces it)"), std::string::npos)
        << run.err;

    run = Vyrctl(Device() + "load " + file + " --force");
    EXPECT_EQ(run.status, 10);
    EXPECT_EQ(Vyrctl("file check " + file).status, 0);

    run = Vyrctl("--json " + Device() + "load " + File("json.Vyr"));
    EXPECT_EQ(run.status, 10);
    EXPECT_NE(run.out.find("\"event\":\"result\",\"status\":10,"), std::string::npos)
        << run.out;

    for (const char* args : {"load", "load --force", "load a b", "load a --forced"})
        EXPECT_EQ(Vyrctl(Device() + args).status, 1) << args;
}

}  // namespace
}  // namespace vyr::test

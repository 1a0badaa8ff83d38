// vyrctl device on several ports at once, against three in-process simulators.
#include <sys/stat.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "sim/simulator.h"
#include "vyrctl_runner.h"

namespace vyr::test {
namespace {

using Clock = std::chrono::steady_clock;

// The link's time-out for a device that answers nothing at all: ten read windows of 644 ms.
constexpr double kSilentSeconds = 10 * 0.644;

class VyrctlFleet : public VyrctlTest {
  protected:
    std::array<vyrsim::Simulator, 3> sims;

    void SetUp() override {
        VyrctlTest::SetUp();
        for (vyrsim::Simulator& sim : sims) {
            std::string error;
            ASSERT_TRUE(sim.Start(&error)) << error;
        }
        std::ofstream(dir / "super.pw") << "vyr-superadmin\n";
    }
    const std::string& Port(std::size_t i) const { return sims[i].PortPath(); }
    std::string PortName(std::size_t i) const {
        return std::filesystem::path(Port(i)).filename().string();
    }
    // "device [--json] --port <each simulator> --password-file <superadmin's> "
    std::string Fleet(bool json = false) const {
        std::string command = json ? "device --json" : "device";
        for (const vyrsim::Simulator& sim : sims)
            command += " --port " + sim.PortPath();
        return command + " --password-file " + File("super.pw") + " ";
    }
    double Seconds(const std::string& args, Result& run) const {
        const auto start = Clock::now();
        run = Vyrctl(args);
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    // Every line of `json` parsed by Python's json module: one line per result ("result
    // PORT STATUS DATA-LINES") and per progress event ("progress PORT DONE TOTAL"); a line
    // that is not such an object makes the script fail.
    std::string Parsed(const std::string& json) const {
        std::ofstream(File("json")) << json;
        const std::string script =
            "import json,sys\n"
            "for line in open(sys.argv[1], encoding='utf-8'):\n"
            "    o = json.loads(line)\n"
            "    if o['event'] == 'result':\n"
            "        assert isinstance(o['message'], str) and isinstance(o['status'], int)\n"
            "        print('result', o['port'], o['status'], len(o['data']))\n"
            "    else:\n"
            "        assert o['event'] == 'progress'\n"
            "        assert isinstance(o['done'], int) and isinstance(o['total'], int)\n"
            "        print('progress', o['port'], o['done'], o['total'])\n";
        std::ofstream(File("check.py")) << script;
        const std::string command =
            "python3 " + File("check.py") + " " + File("json") + " >" + File("parsed") + " 2>&1";
        const int status = std::system(command.c_str());
        const std::string parsed = Slurp(File("parsed"));
        EXPECT_EQ(status, 0) << parsed << "\nfrom:\n" << json;
        return parsed;
    }
};

TEST_F(VyrctlFleet, ASilentDeviceNeitherStopsNorSlowsTheOthers) {
    // A few milliseconds per answer, so that a load takes long enough to measure.
    sims[0].SetFaults({.latencyMs = 4});
    sims[2].SetFaults({.latencyMs = 4});
    Result run;
    const double alone = Seconds("device --port " + Port(0) + " --password-file " +
                                     File("super.pw") + " load " + File("alone.Vyr"),
                                 run);
    ASSERT_EQ(run.status, 0) << run.err;
    sims[1].SetFaults({.silent = true});

    const double fleet = Seconds(Fleet() + "load " + File("{port}.Vyr"), run);
    EXPECT_EQ(run.status, 3) << run.err;
    // Run one after the other they would take twice the load plus the time-out.
    EXPECT_LT(fleet, alone * 1.5 + kSilentSeconds) << "alone " << alone;
    for (std::size_t i : {0u, 2u}) {
        const std::string file = File(PortName(i) + ".Vyr");
        EXPECT_EQ(Vyrctl("file check " + file).status, 0) << file;
        EXPECT_EQ(Vyrctl("file dump " + file).out, Vyrctl("file dump " + File("alone.Vyr")).out);
    }
    EXPECT_FALSE(std::filesystem::exists(File(PortName(1) + ".Vyr")));
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.ends_with(Port(0) + ": done\n" + Port(1) + ": device does not answer\n" +
                                  Port(2) + ": done\n"))
        << run.err;
    // Every message names its port first.
    EXPECT_NE(run.err.find(Port(1) + ": vyrctl: " + Port(1) + ": the device does not answer\n"),
              std::string::npos)
        << run.err;
}

TEST_F(VyrctlFleet, EveryLineIsPrefixedWithItsPortAndComesWhole) {
    for (std::size_t i = 0; i < sims.size(); ++i)
        sims[i].WriteFile("/chroma/serialnumber", "VYR-" + std::to_string(i) + "\n");
    const Result run = Vyrctl(Fleet() + "info");
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    std::array<int, 3> counts{};
    for (std::string line; std::getline(lines, line);) {
        bool known = false;
        for (std::size_t i = 0; i < sims.size(); ++i) {
            if (line.starts_with(Port(i) + ": ")) {
                known = true;
                ++counts[i];
                if (line.starts_with(Port(i) + ": Serial number: ")) {
                    EXPECT_EQ(line, Port(i) + ": Serial number: \tVYR-" + std::to_string(i));
                }
            }
        }
        EXPECT_TRUE(known) << line;
    }
    EXPECT_EQ(counts, (std::array<int, 3>{7, 7, 7})) << run.out;
}

TEST_F(VyrctlFleet, LoadNamesEachFileBySerialNumberOrPort) {
    sims[0].WriteFile("/chroma/serialnumber", "VYR-0001\n");
    sims[1].WriteFile("/chroma/serialnumber",
                      "../up/\x01"
                      "x\n");
    sims[2].WriteFile("/chroma/serialnumber", "VYR-0003\n");
    Result run = Vyrctl(Fleet() + "load " + File("{serial}-{port}.Vyr"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(std::filesystem::exists(File("VYR-0001-" + PortName(0) + ".Vyr")));
    // A serial number is made safe before it names a file.
    EXPECT_TRUE(std::filesystem::exists(File("_._up__x-" + PortName(1) + ".Vyr"))) << run.err;
    EXPECT_TRUE(std::filesystem::exists(File("VYR-0003-" + PortName(2) + ".Vyr")));
    EXPECT_FALSE(std::filesystem::exists(dir.parent_path() / "up"));

    // Two devices with one serial number: the second is refused, the first file is whole.
    sims[2].WriteFile("/chroma/serialnumber", "VYR-0001\n");
    sims[0].WriteFile("/chroma/settings/3/preset_name", "First");
    sims[2].WriteFile("/chroma/settings/3/preset_name", "Second");
    sims[1].WriteFile("/chroma/serialnumber", " \n");
    run = Vyrctl(Fleet() + "load " + File("{serial}.Vyr"));
    EXPECT_EQ(run.status, 4) << run.err;
    const std::string dump = Vyrctl("file dump " + File("VYR-0001.Vyr")).out;
    const bool first = dump.find("\n3:preset_name=First\n") != std::string::npos;
    const bool second = dump.find("\n3:preset_name=Second\n") != std::string::npos;
    EXPECT_TRUE(first != second) << dump;
    EXPECT_NE(run.err.find("VYR-0001.Vyr is the file of "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(Port(1) + ": vyrctl: " + Port(1) +
                           ": the serial number is empty or holds no letter or digit"),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(run.err.ends_with(Port(1) + ": file cannot be opened or written\n" + Port(2) +
                                  ": " + (first ? "file cannot be opened or written" : "done") +
                                  "\n"))
        << run.err;
}

TEST_F(VyrctlFleet, UsageErrorsComeOnceBeforeAnyDeviceIsTouched) {
    Result run = Vyrctl(Fleet() + "load " + File("one.Vyr"));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(
        run.err.starts_with("vyrctl: with several ports, FILE must hold {port} or "
                            "{serial}: '" +
                            File("one.Vyr") + "'\n"))
        << run.err;
    run = Vyrctl(Fleet() + "firmware --start --backup " + File("one.Vyr"));
    EXPECT_EQ(run.status, 1);
    run = Vyrctl(Fleet() + "load a.Vyr --port " + Port(0));
    EXPECT_EQ(run.status, 1);
    run = Vyrctl("device --port " + Port(0) + " --port " + Port(0) + " --password-file " +
                 File("super.pw") + " info");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.starts_with("vyrctl: port " + Port(0) + " is given twice\n")) << run.err;
    // Another name of the same port (as /dev/serial/by-id gives) is the same port.
    std::filesystem::create_symlink(Port(0), File("by-id"));
    run = Vyrctl("device --port " + Port(0) + " --port " + File("by-id") + " --password-file " +
                 File("super.pw") + " info");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(
        run.err.starts_with("vyrctl: port " + File("by-id") + " is " + Port(0) + " given again\n"))
        << run.err;
    // A command's own arguments are checked once, before any password is asked for.
    run = Vyrctl(Fleet() + "time --set soon");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "vyrctl: --set needs 'now' or YYYY-MM-DDThh:mm:ss\n"
              "run 'vyrctl --help' for the usage\n");
    run = Vyrctl("device --port " + Port(0) + " info extra");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.starts_with("vyrctl: info takes no arguments\n")) << run.err;
    // Nothing reached a device.
    for (const vyrsim::Simulator& sim : sims)
        EXPECT_EQ(sim.RequestsReceived(), 0);
    EXPECT_FALSE(std::filesystem::exists(File("one.Vyr")));
}

TEST_F(VyrctlFleet, BothPasswordsAreReadOnceForEveryDevice) {
    // Named pipes give their text once: a second read would wait for a writer that never
    // comes (each writer gives up after a minute, so nothing is left behind).
    for (const auto& [pipe, text] :
         {std::pair{"login.pipe", "vyr-superadmin"}, std::pair{"new.pipe", "fresh-secret"}}) {
        ASSERT_EQ(::mkfifo(File(pipe).c_str(), 0600), 0);
        const std::string writer = "timeout 60 sh -c \"printf '" + std::string(text) + "\\n' >" +
                                   File(pipe) + "\" >/dev/null 2>&1 &";
        ASSERT_EQ(std::system(writer.c_str()), 0);
    }
    std::string command = "device";
    for (const vyrsim::Simulator& sim : sims)
        command += " --port " + sim.PortPath();
    Result run = Vyrctl(command + " --password-file " + File("login.pipe") +
                        " users set alice --new-password-file " + File("new.pipe"));
    ASSERT_EQ(run.status, 0) << run.err;
    std::ofstream(File("alice.pw")) << "fresh-secret\n";
    for (std::size_t i = 0; i < sims.size(); ++i) {
        run = Vyrctl("device --port " + Port(i) + " --user alice --password-file " +
                     File("alice.pw") + " time");
        EXPECT_EQ(run.status, 0) << Port(i) << run.err;
    }
}

TEST_F(VyrctlFleet, JsonForOnePortAndForAFleet) {
    // Quotes and a backslash escaped; a byte that is not UTF-8 (Latin-1 from the device)
    // converted, so that the line stays valid JSON.
    sims[0].WriteFile("/chroma/serialnumber", "VYR-\"q\"\\\xff\n");
    Result run = Vyrctl("device --json --port " + Port(0) + " --password-file " + File("super.pw") +
                        " info");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Parsed(run.out), "result " + Port(0) + " 0 7\n");
    EXPECT_NE(run.out.find(R"(,"Serial number: \tVYR-\"q\"\\)"
                           "\xC3\xBF\","),
              std::string::npos)
        << run.out;

    // Before the command as well.
    sims[1].SetFaults({.latencyMs = 2});
    const double seconds = Seconds("--json " + Fleet() + "load " + File("{port}.Vyr"), run);
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string parsed = Parsed(run.out);
    for (std::size_t i = 0; i < sims.size(); ++i) {
        std::size_t results = 0;
        for (auto at = parsed.find("result " + Port(i) + " "); at != std::string::npos;
             at = parsed.find("result " + Port(i) + " ", at + 1))
            ++results;
        EXPECT_EQ(results, 1u) << parsed;
        EXPECT_NE(parsed.find("result " + Port(i) + " 0 0\n"), std::string::npos) << parsed;
    }
    // The slower device reports its progress, at most once a second.
    std::size_t events = 0;
    for (auto at = parsed.find("progress " + Port(1) + " "); at != std::string::npos;
         at = parsed.find("progress " + Port(1) + " ", at + 1))
        ++events;
    EXPECT_GE(events, 1u) << parsed;
    EXPECT_LE(static_cast<double>(events), seconds + 1) << parsed;
    EXPECT_EQ(run.out.find(Port(0) + ": "), std::string::npos) << "no prefixes in JSON";
}

TEST_F(VyrctlFleet, JsonRefusalsCarryTheirStatusAndMessage) {
    std::ofstream(File("wrong.pw")) << "guess\n";
    sims[2].SetFaults({.silent = true});
    std::string command;
    for (const vyrsim::Simulator& sim : sims)
        command += " --port " + sim.PortPath();
    const Result run =
        Vyrctl("device --json" + command + " --password-file " + File("wrong.pw") + " time");
    EXPECT_EQ(run.status, 7) << run.err;
    const std::string parsed = Parsed(run.out);
    EXPECT_NE(parsed.find("result " + Port(0) + " 7 0\n"), std::string::npos) << parsed;
    EXPECT_NE(parsed.find("result " + Port(2) + " 3 0\n"), std::string::npos) << parsed;
    // The silent device ends last: the others never waited for it.
    EXPECT_GT(run.out.find("\"port\":\"" + Port(2) + "\""),
              run.out.find("\"port\":\"" + Port(1) + "\""));
    EXPECT_NE(run.out.find("\"message\":\"vyrctl: " + Port(2) + ": the device does not answer\""),
              std::string::npos)
        << run.out;
}

}  // namespace
}  // namespace vyr::test

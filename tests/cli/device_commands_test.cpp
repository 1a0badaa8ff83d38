// vyrctl device ... against an in-process simulator, run as a script would run it.
#include "sim/simulator.h"
#include "vyrctl_runner.h"

namespace vyr::test {
namespace {

class VyrctlDevice : public VyrctlTest {
  protected:
    vyrsim::Simulator sim;

    void SetUp() override {
        VyrctlTest::SetUp();
        std::string error;
        ASSERT_TRUE(sim.Start(&error)) << error;
        std::ofstream(dir / "admin.pw") << "vyr-admin\n";
        std::ofstream(dir / "super.pw") << "vyr-superadmin\n";
    }
    std::string Device(const std::string& options = "") const {
        return "device --port " + sim.PortPath() + " --password-file " + File("super.pw") + " " +
               options;
    }
};

TEST_F(VyrctlDevice, InfoPrintsTheSevenLines) {
    sim.WriteFile("/chroma/serialnumber", "VYR-0042\n");
    const Result run = Vyrctl(Device() + "info");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 7);
    EXPECT_TRUE(run.out.starts_with("Firmware version: \t"));
    EXPECT_NE(run.out.find("\nSerial number: \tVYR-0042\n"), std::string::npos);
    EXPECT_EQ(run.err, "");
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

TEST_F(VyrctlDevice, TimeIsPrintedAndSet) {
    Result run = Vyrctl(Device() + "time --set 2024-03-07T09:05:42");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto newline = run.out.find('\n');
    ASSERT_NE(newline, std::string::npos);
    EXPECT_TRUE(run.out.substr(newline + 1).starts_with("2024/03/07-09:05:4")) << run.out;
    EXPECT_EQ(Vyrctl(Device() + "time --set 2024-13-07T09:05:42").status, 1);
}

TEST_F(VyrctlDevice, FailuresKeepAnEarlierFile) {
    const std::string file = File("kept.Vyr");
    std::ofstream(file) << "earlier content\n";
    sim.SetFaults({.hangupAfter = 50});
    Result run = Vyrctl(Device() + "load " + file);
    EXPECT_EQ(run.status, 8);
    EXPECT_EQ(Slurp(file), "earlier content\n");

    EXPECT_EQ(
        Vyrctl("device --port /dev/no-such-port --password-file " + File("super.pw") + " info")
            .status,
        2);
    EXPECT_EQ(Vyrctl(Device() + "send " + File("absent.Vyr")).status, 4);
    EXPECT_EQ(Vyrctl(Device() + "dance").status, 1);
}

}  // namespace
}  // namespace vyr::test

// vyrctl device ... mic | serial | notes | results against an in-process simulator.
#include "vyrctl_device.h"

namespace vyr::test {
namespace {

class VyrctlService : public VyrctlDeviceTest {
  protected:
    void SetUp() override {
        VyrctlDeviceTest::SetUp();
        std::ofstream(dir / "service.pw") << "vyr-service\n";
        std::ofstream(dir / "controller.pw") << "vyr-controller\n";
    }
    std::string As(const std::string& user, const std::string& options) const {
        return "device --port " + sim.PortPath() + " --user " + user + " --password-file " +
               File(user + ".pw") + " " + options;
    }
    std::string Service(const std::string& options) const { return As("service", options); }
};

TEST_F(VyrctlService, MicPrintsChecksAndWritesTheType) {
    Result run = Vyrctl(As("controller", "mic D"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "mic_sensitivity=-30\nmic_filter1_freq=200\nmic_filter2_freq=3000\n"
              "mic_filter3_freq=10000\nmic_filter1_gain=-1.0\nmic_filter2_gain=-1.5\n"
              "mic_filter3_gain=2.0\nmic_filter1_q=0.7\nmic_filter2_q=2.0\nmic_filter3_q=0.8\n"
              "mic_filter1_enable=0\nmic_filter2_enable=1\nmic_filter3_enable=1\n");

    run = Vyrctl(Service("mic d mic_filter1_freq=440 mic_filter2_q=1,5 mic_filter1_enable=1"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\nmic_filter1_freq=440\n"), std::string::npos);
    EXPECT_NE(run.out.find("\nmic_filter2_q=1.5\n"), std::string::npos);
    EXPECT_EQ(sim.ReadFile("/chroma/mics/d/mic_filter1_enable"), "1\n");
    EXPECT_EQ(sim.ReadFile("/chroma/mics/d/mic_filter3_gain"), "2.0\n");  // the whole type

    // One bad value: named, nothing sent to the device at all.
    const int before = sim.RequestsReceived();
    run = Vyrctl(Service("mic d mic_filter1_freq=300 mic_filter1_q=0.1"));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.starts_with("vyrctl: mic_filter1_q=0.1 is out of range: 0.2..3\n"))
        << run.err;
    EXPECT_EQ(Vyrctl(Service("mic d mic_filter9_q=1")).status, 1);
    EXPECT_EQ(Vyrctl(Service("mic t")).status, 1);
    EXPECT_EQ(Vyrctl(Service("mic d mic_sensitivity=nan")).status, 1);
    EXPECT_EQ(sim.RequestsReceived(), before);

    // A value on the device out of range: checked like the rest, nothing written.
    sim.WriteFile("/chroma/mics/d/mic_filter2_freq", "25000\n");
    run = Vyrctl(Service("mic d mic_filter1_freq=300"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("mic_filter2_freq"), std::string::npos);
    EXPECT_EQ(sim.ReadFile("/chroma/mics/d/mic_filter1_freq"), "440\n");
}

TEST_F(VyrctlService, LevelsAsTheServiceMenu) {
    // The Service menu needs level 2; serial number, notes and results level 1.
    EXPECT_EQ(Vyrctl(Device("mic a")).status, 7);  // superadministrator
    EXPECT_EQ(Vyrctl(As("controller", "serial")).status, 7);
    EXPECT_EQ(Vyrctl(As("controller", "notes")).status, 7);
    EXPECT_EQ(Vyrctl(As("controller", "results")).status, 7);
    EXPECT_EQ(Vyrctl(As("controller", "mic a")).status, 0);
    EXPECT_EQ(Vyrctl(As("service", "results")).status, 0);
}

TEST_F(VyrctlService, SerialNumber) {
    Result run = Vyrctl(Service("serial --set 'VYR-77  '"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "VYR-77\n");
    EXPECT_EQ(sim.ReadFile("/chroma/serialnumber"), "VYR-77\n");
    EXPECT_EQ(Vyrctl(Service("serial")).out, "VYR-77\n");

    run = Vyrctl(Service("serial --set ''"));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.starts_with("vyrctl: the serial number is empty\n")) << run.err;
    EXPECT_EQ(Vyrctl(Service("serial --set " + std::string(179, '9'))).status, 1);

    sim.SetFaults({.refuseWrites = true});
    run = Vyrctl(Service("serial --set VYR-78"));
    EXPECT_EQ(run.status, 8);
    EXPECT_NE(run.err.find("the serial number was not stored"), std::string::npos) << run.err;
    EXPECT_EQ(sim.ReadFile("/chroma/serialnumber"), "VYR-77\n");
}

TEST_F(VyrctlService, NotesAndResults) {
    Result run = Vyrctl(Service("notes --add 'Kapsel getauscht, geprüft'"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 4);
    const std::string last = run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1);
    ASSERT_EQ(last.size(), 18 + std::string("Kapsel getauscht, geprüft\n").size()) << last;
    EXPECT_EQ(last.substr(4, 1) + last.substr(7, 1) + last.substr(10, 1) + last.substr(16, 2),
              "//-| ");
    EXPECT_TRUE(last.ends_with("| Kapsel getauscht, geprüft\n"));
    EXPECT_TRUE(sim.ReadFile("/chroma/service_notes")->ends_with(last));

    EXPECT_EQ(Vyrctl(Service("notes --add ''")).status, 1);
    sim.SetFaults({.refuseWrites = true});
    EXPECT_EQ(Vyrctl(Service("notes --add more")).status, 8);
    sim.SetFaults({});

    sim.WriteFile("/chroma/test_results", "Result: PASS\nsecond line\n");
    run = Vyrctl(Service("results"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Result: PASS\nsecond line\n");
    EXPECT_EQ(Vyrctl(Service("results extra")).status, 1);
}

}  // namespace
}  // namespace vyr::test

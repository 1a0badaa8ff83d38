// vyrctl against a device on a real 9600-baud line: every request takes 462.5 ms to reach the
// device and every reply as long to come back. Slow by nature (about 20 s).
#include "vyrctl_device.h"

namespace vyr::test {
namespace {

class VyrctlAtNineThousandSixHundredBaud : public VyrctlDeviceTest {
  protected:
    void SetUp() override {
        VyrctlDeviceTest::SetUp();
        sim.SetFaults({.baud = 9600});
    }
};

TEST_F(VyrctlAtNineThousandSixHundredBaud, InfoAndTimeSucceed) {
    sim.WriteFile("/chroma/serialnumber", "VYR-9600\n");
    Result run = Vyrctl(Device() + "info");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\nSerial number: \tVYR-9600\n"), std::string::npos);
    run = Vyrctl(Device() + "time");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.size(), std::string("YYYY-MM-DDThh:mm:ss\n").size()) << run.out;
}

}  // namespace
}  // namespace vyr::test

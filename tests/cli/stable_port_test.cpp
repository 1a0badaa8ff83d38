// vyrctl device --port takes a port's stable name (a link under /dev/serial/by-id) as well
// as its device path.
#include <filesystem>

#include "vyrctl_device.h"

namespace vyr::test {
namespace {

using VyrctlStablePort = VyrctlDeviceTest;

TEST_F(VyrctlStablePort, AStableNameReachesTheDeviceBehindIt) {
    sim.WriteFile("/chroma/serialnumber", "VYR-0042\n");
    const std::filesystem::path byId = dir / "by-id";
    std::filesystem::create_directories(byId);
    const std::filesystem::path stable = byId / "usb-Vyr_Microphone_0123-if00";
    std::filesystem::create_symlink(sim.PortPath(), stable);
    const Result run = Vyrctl("device --port " + stable.string() + " --password-file " +
                              File("super.pw") + " info");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\nSerial number: \tVYR-0042\n"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace vyr::test

// vyrctl's device commands against an in-process simulator, with password files for the
// administrator and the superadministrator.
#pragma once

#include "sim/simulator.h"
#include "vyrctl_runner.h"

namespace vyr::test {

class VyrctlDeviceTest : public VyrctlTest {
  protected:
    vyrsim::Simulator sim;

    void SetUp() override {
        VyrctlTest::SetUp();
        std::string error;
        ASSERT_TRUE(sim.Start(&error)) << error;
        std::ofstream(dir / "admin.pw") << "vyr-admin\n";
        std::ofstream(dir / "super.pw") << "vyr-superadmin\n";
    }
    // "device --port <the simulator> --password-file <superadmin's> " + options
    std::string Device(const std::string& options = "") const {
        return "device --port " + sim.PortPath() + " --password-file " + File("super.pw") + " " +
               options;
    }
};

}  // namespace vyr::test

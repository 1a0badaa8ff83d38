// vyrctl device ... users and firmware against an in-process simulator, run as a script would.
#include <chrono>
#include <thread>

#include "vyrctl_device.h"

namespace vyr::test {
namespace {

class VyrctlAdmin : public VyrctlDeviceTest {
  protected:
    std::string Admin() const {
        return "device --port " + sim.PortPath() + " --user admin --password-file " +
               File("admin.pw") + " ";
    }
    // " --new-password-file F" with F a new file holding `password`.
    std::string NewPassword(const std::string& password) {
        newFile = File("new" + std::to_string(++files) + ".pw");
        std::ofstream(newFile) << password << "\n";
        return " --new-password-file " + newFile;
    }
    int files = 0;
    std::string newFile;

    // The device answers no start request, so vyrctl may end before the device has taken it
    // in: wait for it (generously) before looking.
    bool UpdateStarted() const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!sim.ReadFile("/tmp/update_started") && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return sim.ReadFile("/tmp/update_started").has_value();
    }
    std::string UserFile(const std::string& name) const {
        return sim.ReadFile("/chroma/users/" + name).value_or("<none>");
    }
};

TEST_F(VyrctlAdmin, UsersAreListedSetAndRemoved) {
    Result run = Vyrctl(Device() + "users");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "admin\nsuperadmin\n");

    run = Vyrctl(Device() + "users set bob" + NewPassword("bob-secret"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(UserFile("bob"), "password=bob-secret\nlevel=4\n");
    EXPECT_EQ(run.out + run.err, "");
    // The new account logs in.
    EXPECT_EQ(Vyrctl("device --port " + sim.PortPath() + " --user bob --password-file " +
                     newFile + " info")
                  .status,
              0);

    run = Vyrctl(Device() + "users set bob --superadmin", "VYR_NEW_PASSWORD=from-env");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(UserFile("bob"), "password=from-env\nlevel=3\n");
    EXPECT_EQ(Vyrctl(Device() + "users").out, "admin\nbob\nsuperadmin\n");

    ASSERT_EQ(Vyrctl(Device() + "users set superadmin" + NewPassword("vyr-superadmin")).status, 0);
    EXPECT_EQ(UserFile("superadmin"), "password=vyr-superadmin\nlevel=3\n");

    run = Vyrctl(Device() + "users rm bob");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(UserFile("bob"), "<none>");
    // Gone already: the device refuses.
    run = Vyrctl(Device() + "users rm bob");
    EXPECT_EQ(run.status, 8);
    EXPECT_EQ(run.err, "vyrctl: " + sim.PortPath() + ": deleting user bob: the device refused it\n");
}

// Checked before connecting: nothing reaches the device.
TEST_F(VyrctlAdmin, BadNamesAndPasswordsAreUsageErrors) {
    struct Case {
        std::string args;
        std::string message;
    };
    const Case kCases[] = {
        {"users rm 'a b'", "the user name may hold only"},
        {"users rm 'x;reboot'", "the user name may hold only"},
        {"users rm '*'", "the user name may hold only"},
        {"users rm '$HOME'", "the user name may hold only"},
        {"users rm superadmin", "Deleting the user \"superadmin\" is not allowed!"},
        {"users rm service", "the accounts service, distributor and controller"},
        {"users set controller" + NewPassword("x"), "the accounts service, distributor"},
        {"users set bob" + NewPassword(""), "the password is empty"},
        {"users set bob" + NewPassword(std::string(180, 'p')), "the password is too long"},
        {"users set bob", "no new password: use --new-password-file FILE or the variable "
                          "VYR_NEW_PASSWORD"},
        {"users set", "users set needs a NAME"},
        {"users rm", "users rm needs one NAME"},
        {"users set bob --level 2", "unknown option '--level' of users set"},
        {"users add bob", "unknown users command 'add'"},
    };
    for (const Case& c : kCases) {
        const Result run = Vyrctl(Device() + c.args);
        EXPECT_EQ(run.status, 1) << c.args;
        EXPECT_TRUE(run.err.starts_with("vyrctl: " + c.message)) << c.args << ": " << run.err;
    }
    EXPECT_EQ(sim.RequestsReceived(), 0);
    EXPECT_NE(UserFile("superadmin"), "<none>");
}

TEST_F(VyrctlAdmin, AnAdministratorMayNotAdministrate) {
    for (const char* command : {"users", "users rm superadmin2", "firmware"}) {
        const Result run = Vyrctl(Admin() + command);
        EXPECT_EQ(run.status, 7) << command;
        EXPECT_EQ(run.err, "vyrctl: user admin (level 4) may not use this command\n") << command;
    }
    EXPECT_EQ(Vyrctl(Admin() + "users set bob" + NewPassword("pw")).status, 7);
    EXPECT_EQ(UserFile("bob"), "<none>");
}

TEST_F(VyrctlAdmin, ARefusedOrUnansweredChangeExitsWithEight) {
    sim.SetFaults({.refuseName = "/chroma/users/bob"});
    Result run = Vyrctl(Device() + "users set bob" + NewPassword("pw"));
    EXPECT_EQ(run.status, 8);
    EXPECT_EQ(run.err, "vyrctl: " + sim.PortPath() + ": setting user bob: the device refused it\n");

    // A listing that is not answered prints nothing, not an empty list.
    sim.WriteFile("/tmp/userlist", "ghost\n");
    sim.SetFaults({.silentName = "SYSTEMCALL"});
    run = Vyrctl(Device() + "users");
    EXPECT_EQ(run.status, 8);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "vyrctl: " + sim.PortPath() + ": listing the users: the device did not answer\n");
}

TEST_F(VyrctlAdmin, FirmwareIsPresentOrAbsent) {
    Result run = Vyrctl(Device() + "firmware");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "present\n");

    sim.RemoveFile("/mnt/vyr/firmware.cup");
    run = Vyrctl(Device() + "firmware");
    EXPECT_EQ(run.status, 9) << run.err;
    EXPECT_EQ(run.out, "absent\n");

    run = Vyrctl(Device() + "firmware --start --no-backup");
    EXPECT_EQ(run.status, 9);
    EXPECT_FALSE(sim.ReadFile("/tmp/update_started").has_value());

    // An earlier result naming the file does not count when this check is not answered.
    sim.WriteFile("/tmp/update_check", "/mnt/vyr/firmware.cup\n");
    sim.SetFaults({.silentName = "SYSTEMCALL_UPDATECHECK"});
    run = Vyrctl(Device() + "firmware");
    EXPECT_EQ(run.status, 8);
    EXPECT_EQ(run.out, "");
}

TEST_F(VyrctlAdmin, FirmwareStartNeedsAChoiceOfBackup) {
    for (const char* args : {"firmware --start", "firmware --start --backup a --no-backup",
                             "firmware --no-backup", "firmware --start --backup"}) {
        EXPECT_EQ(Vyrctl(Device() + args).status, 1) << args;
    }
    EXPECT_EQ(sim.RequestsReceived(), 0);

    const Result run = Vyrctl(Device() + "firmware --start --no-backup");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(UpdateStarted());
}

TEST_F(VyrctlAdmin, FirmwareStartsOnlyAfterACompleteBackup) {
    sim.WriteFile("/chroma/settings/2/preset_name", "Before_update");
    const std::string file = File("before.Vyr");
    Result run = Vyrctl(Device() + "firmware --start --backup " + file);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(UpdateStarted());
    EXPECT_NE(Vyrctl("file dump " + file).out.find("\n2:preset_name=Before_update\n"),
              std::string::npos);

    sim.RemoveFile("/tmp/update_started");
    std::ofstream(file) << "earlier content\n";
    sim.SetFaults({.silentName = "/chroma/settings/7/rec_mic_level"});
    run = Vyrctl(Device() + "firmware --start --backup " + file);
    EXPECT_EQ(run.status, 8);
    EXPECT_FALSE(sim.ReadFile("/tmp/update_started").has_value());
    EXPECT_EQ(Slurp(file), "earlier content\n");
    EXPECT_NE(run.err.find("  rec_mic_level, PRESET 7\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("no complete backup; update not started"), std::string::npos);

    // A device that lacks a value: its backup holds a default, so no update starts on it.
    sim.SetFaults({});
    sim.RemoveFile("/chroma/settings/7/rec_mic_level");
    std::filesystem::remove(file);
    run = Vyrctl(Device() + "firmware --start --backup " + file);
    EXPECT_EQ(run.status, 10) << run.err;
    EXPECT_FALSE(sim.ReadFile("/tmp/update_started").has_value());
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_NE(run.err.find("lacks 1 values; " + file + " holds their defaults:\n"
                           "  rec_mic_level, PRESET 7\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("no complete backup; update not started"), std::string::npos);
}

}  // namespace
}  // namespace vyr::test

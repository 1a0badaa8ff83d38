// User accounts, the firmware update and the settings backup against the simulator: the exact
// frames of each operation, and what a refusing or silent device makes of them.
#include <filesystem>
#include <fstream>
#include <thread>

#include "device/firmware.h"
#include "device/settings_backup.h"
#include "device/users.h"
#include "settings/model.h"
#include "settings/settings_file.h"
#include "settings/text.h"
#include "sim_fixture.h"

namespace vyr::test {
namespace {

class Accounts : public SimLink {
  protected:
    void SetUp() override {
        SimLink::SetUp();
        sim.ClearLog();
    }
    std::vector<std::string> Requests() const { return Frames("in "); }
    std::string UserFile(const std::string& name) const {
        return sim.ReadFile("/chroma/users/" + name).value_or("<none>");
    }
};

TEST_F(Accounts, ListShowsTheDeviceOrderWithoutTheServiceAccounts) {
    sim.WriteFile("/chroma/users/Zoe", "password=z\nlevel=4\n");
    sim.WriteFile("/chroma/users/J\xF6rg", "password=j\nlevel=4\n");
    const UserList list = ListUsers(device);
    ASSERT_EQ(list.status, AccountStatus::Done);
    EXPECT_EQ(list.names, (std::vector<std::wstring>{L"J\u00F6rg", L"Zoe", L"admin", L"superadmin"}));
    EXPECT_EQ(Requests(), (std::vector<std::string>{
                              "in  17 SYSTEMCALL text \"ls -1 /chroma/users/ > /tmp/userlist\"",
                              "in  19 /tmp/userlist text \"\""}));
}

TEST_F(Accounts, ListedLinesAreTrimmedAndReservedOnesHidden) {
    EXPECT_EQ(ListedUserName("bob \r"), L"bob");
    EXPECT_EQ(ListedUserName("b\xE4r"), L"b\u00E4r");
    EXPECT_EQ(ListedUserName("a\x01" "b"), L"a_b");  // outside the repertoire
    for (const char* hidden : {"service", "distributor", "controller ", "", "  \t"})
        EXPECT_EQ(ListedUserName(hidden), std::nullopt) << hidden;
    EXPECT_EQ(ListedUserName("Service"), L"Service");  // exact comparison
}

// A listing that was not confirmed, or whose file broke off or was refused, is no list: an
// earlier /tmp/userlist on the device must not be shown as the accounts.
TEST_F(Accounts, AFailedListingIsAFailureNotAnEmptyList) {
    sim.WriteFile("/tmp/userlist", "ghost\n");
    SetFaults({.silentName = "SYSTEMCALL"});
    UserList list = ListUsers(device);
    EXPECT_EQ(list.status, AccountStatus::NoAnswer);
    EXPECT_TRUE(list.names.empty());
    EXPECT_EQ(CountRequests("in  19"), 0u);

    SetFaults({.silentName = "/tmp/userlist"});
    list = ListUsers(device);
    EXPECT_EQ(list.status, AccountStatus::NoAnswer);
    EXPECT_TRUE(list.names.empty());

    SetFaults({.refuseName = "/tmp/userlist"});
    list = ListUsers(device);
    EXPECT_EQ(list.status, AccountStatus::DeviceRefused);
    EXPECT_TRUE(list.names.empty());
}

TEST_F(Accounts, CreateThenChangeSendsPasswordThenLevel) {
    AccountResult result = SetUserAccount(device, L"bob", L"first", false);
    ASSERT_EQ(result.status, AccountStatus::Done);
    EXPECT_EQ(result.level, UserLevel::Administrator());
    EXPECT_EQ(UserFile("bob"), "password=first\nlevel=4\n");

    result = SetUserAccount(device, L"bob", L"second", true);
    ASSERT_EQ(result.status, AccountStatus::Done);
    EXPECT_EQ(UserFile("bob"), "password=second\nlevel=3\n");
    EXPECT_EQ(Requests(), (std::vector<std::string>{"in  11 /chroma/users/bob text \"***\"",
                                                    "in  15 /chroma/users/bob int 4",
                                                    "in  11 /chroma/users/bob text \"***\"",
                                                    "in  15 /chroma/users/bob int 3"}));
    // The password goes nowhere but to the device.
    for (const std::string& line : sim.Log())
        EXPECT_EQ(line.find("second"), std::string::npos) << line;
    EXPECT_EQ(diagnostics.find("second"), std::string::npos);
    EXPECT_EQ(Login(device, L"bob", L"second").level, UserLevel::Superadministrator());

    // Device text: an umlaut is one Latin-1 byte.
    ASSERT_EQ(SetUserAccount(device, L"J\u00F6rg", L"pw", false).status, AccountStatus::Done);
    EXPECT_EQ(Requests().back(), "in  15 /chroma/users/J\\xf6rg int 4");
}

TEST_F(Accounts, SuperadminIsAlwaysLevelThreeAndNeverDeleted) {
    const AccountResult result = SetUserAccount(device, L"superadmin", L"new-secret", false);
    ASSERT_EQ(result.status, AccountStatus::Done);
    EXPECT_EQ(result.level, UserLevel::Superadministrator());
    EXPECT_EQ(Requests().back(), "in  15 /chroma/users/superadmin int 3");

    sim.ClearLog();
    const AccountResult removal = DeleteUserAccount(device, L"superadmin");
    EXPECT_EQ(removal.status, AccountStatus::Invalid);
    EXPECT_EQ(removal.problem, AccountProblem::SuperadminKept);
    EXPECT_TRUE(sim.Log().empty());
    EXPECT_NE(UserFile("superadmin"), "<none>");
}

TEST_F(Accounts, DeleteRunsTheRmLineAndChecksTheAnswer) {
    ASSERT_EQ(SetUserAccount(device, L"bob", L"pw", false).status, AccountStatus::Done);
    sim.ClearLog();
    EXPECT_EQ(DeleteUserAccount(device, L"bob").status, AccountStatus::Done);
    EXPECT_EQ(UserFile("bob"), "<none>");
    EXPECT_EQ(Requests(),
              (std::vector<std::string>{"in  17 CALLUSERDELETE text \"rm /chroma/users/bob\""}));
    // The account is gone: the device refuses to remove it again.
    EXPECT_EQ(DeleteUserAccount(device, L"bob").status, AccountStatus::DeviceRefused);
    SetFaults({.silentName = "CALLUSERDELETE"});
    EXPECT_EQ(DeleteUserAccount(device, L"admin").status, AccountStatus::NoAnswer);
}

// Names that a shell would read as more than one word, a pattern or a variable, and the
// device's own accounts, never reach the device.
TEST_F(Accounts, UnsafeOrReservedNamesAreRefusedWithNothingSent) {
    const std::pair<std::wstring, AccountProblem> kNames[] = {
        {L"a b", AccountProblem::NotStrict},     {L"a;reboot", AccountProblem::NotStrict},
        {L"*", AccountProblem::NotStrict},       {L"$HOME", AccountProblem::NotStrict},
        {L"../settings", AccountProblem::NotStrict}, {L"bob\n", AccountProblem::NotStrict},
        {L"b\u00E9b", AccountProblem::NotStrict},  // é is not among the umlauts
        {L"", AccountProblem::EmptyName},         {L"service", AccountProblem::Reserved},
        {L"distributor", AccountProblem::Reserved}, {L"controller", AccountProblem::Reserved},
        {std::wstring(MaxUserNameBytes() + 1, L'x'), AccountProblem::NameTooLong},
    };
    for (const auto& [name, problem] : kNames) {
        const AccountResult removal = DeleteUserAccount(device, name);
        EXPECT_EQ(removal.status, AccountStatus::Invalid) << WideToUtf8(name);
        EXPECT_EQ(removal.problem, problem) << WideToUtf8(name);
        EXPECT_EQ(SetUserAccount(device, name, L"pw", false).problem, problem) << WideToUtf8(name);
    }
    EXPECT_EQ(SetUserAccount(device, L"bob", L"", false).problem, AccountProblem::EmptyPassword);
    EXPECT_EQ(SetUserAccount(device, L"bob", std::wstring(MaxPasswordBytes() + 1, L'p'), false)
                  .problem,
              AccountProblem::PasswordTooLong);
    EXPECT_TRUE(sim.Log().empty());
    EXPECT_EQ(sim.RequestsReceived(), 0);

    // The longest name fits both the account frames and the rm line.
    const std::wstring longest(MaxUserNameBytes(), L'L');
    ASSERT_EQ(SetUserAccount(device, longest, std::wstring(MaxPasswordBytes(), L'p'), false).status,
              AccountStatus::Done);
    EXPECT_EQ(DeleteUserAccount(device, longest).status, AccountStatus::Done);
}

TEST_F(Accounts, ARefusedOrUnansweredChangeIsAFailure) {
    SetFaults({.refuseName = "/chroma/users/bob"});
    EXPECT_EQ(SetUserAccount(device, L"bob", L"pw", false).status, AccountStatus::DeviceRefused);
    // The level is not sent for a password the device refused.
    EXPECT_EQ(Requests(), (std::vector<std::string>{"in  11 /chroma/users/bob text \"***\""}));

    SetFaults({.silentName = "/chroma/users/bob"});
    EXPECT_EQ(SetUserAccount(device, L"bob", L"pw", false).status, AccountStatus::NoAnswer);

    // The password is taken, the level refused.
    SetFaults({});
    sim.SetRequestObserver([this](const serial_link::CommandFrame& request) {
        if (request.command == serial_link::kSetPassword)
            sim.SetFaults({.refuseName = "/chroma/users/admin"});
    });
    EXPECT_EQ(SetUserAccount(device, L"admin", L"pw", true).status, AccountStatus::DeviceRefused);
    sim.SetRequestObserver(nullptr);
    EXPECT_EQ(UserFile("admin"), "password=pw\nlevel=4\n");
}

TEST_F(Accounts, NormalisedNamesAreStrict) {
    EXPECT_EQ(NormaliseUserName(L"new user  \t"), L"new_user");
    EXPECT_EQ(NormaliseUserName(L"J\u00F6rg;rm *"), L"J\u00F6rg_rm__");
    EXPECT_EQ(CheckAccountName(NormaliseUserName(L"a$b c")), AccountProblem::None);
}

class Firmware : public Accounts {};

TEST_F(Firmware, CheckListsThePathThenReadsTheResult) {
    EXPECT_EQ(CheckFirmwareFile(device), FirmwareFile::Present);
    EXPECT_EQ(Requests(),
              (std::vector<std::string>{
                  "in  17 SYSTEMCALL_UPDATECHECK text \"ls /mnt/vyr/firmware.cup > /tmp/update_check\"",
                  "in  1 /tmp/update_check text \"\""}));
    sim.RemoveFile(std::string(kFirmwarePath));
    EXPECT_EQ(CheckFirmwareFile(device), FirmwareFile::Absent);
    // ls printing its error text instead.
    sim.WriteFile("/tmp/update_check", "ls: /mnt/vyr/firmware.cup: No such file or directory\n");
    SetFaults({.refuseName = "/tmp/update_check"});
    EXPECT_EQ(CheckFirmwareFile(device), FirmwareFile::Absent);
}

// The result file of an earlier check still names the firmware; without the device's answer to
// this check's listing it must not count.
TEST_F(Firmware, AStaleResultIsNeverPresent) {
    sim.RemoveFile(std::string(kFirmwarePath));
    sim.WriteFile("/tmp/update_check", "/mnt/vyr/firmware.cup\n");
    SetFaults({.silentName = "SYSTEMCALL_UPDATECHECK"});
    EXPECT_EQ(CheckFirmwareFile(device), FirmwareFile::NoAnswer);
    EXPECT_EQ(CountRequests("in  1 "), 0u);

    SetFaults({.refuseName = "SYSTEMCALL_UPDATECHECK"});
    EXPECT_EQ(CheckFirmwareFile(device), FirmwareFile::Absent);
    EXPECT_EQ(CountRequests("in  1 "), 0u);

    SetFaults({.silentName = "/tmp/update_check"});
    EXPECT_EQ(CheckFirmwareFile(device), FirmwareFile::NoAnswer);
}

TEST_F(Firmware, StartSendsTheScriptAndWaitsForNothing) {
    EXPECT_TRUE(StartFirmwareUpdate(device));
    // Nothing answers: wait until the device has the request.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (sim.RequestsReceived() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(Requests(), (std::vector<std::string>{
                              "in  17 /tmp/update_check text \"/chroma/scripts/update_firmware\""}));
    EXPECT_TRUE(sim.ReadFile("/tmp/update_started").has_value());
    EXPECT_TRUE(Frames("out").empty());

    sim.HangUp();
    EXPECT_FALSE(StartFirmwareUpdate(device));
}

class Backup : public Accounts {
  protected:
    std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("vyr_backup_" + std::to_string(::getpid()) + ".Vyr");
    void TearDown() override { std::filesystem::remove(file); }
    void Earlier() { std::ofstream(file) << "earlier\n"; }
    std::string Content() const {
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_F(Backup, ACompleteLoadIsWritten) {
    sim.WriteFile(SettingPath(6, "preset_name"), "Stage");
    Earlier();
    const BackupResult backup = BackupSettings(device, file.string(), NoProgress());
    ASSERT_EQ(backup.status, BackupStatus::Saved);
    SettingsModel model;
    ASSERT_EQ(LoadSettingsStore(model.store, file.string()), SettingsFileStatus::Ok);
    EXPECT_EQ(model.store.Text(model.catalogue.Find("preset_name"), 6), "Stage");
}

TEST_F(Backup, AnUnansweredValueIsNoBackup) {
    Earlier();
    SetFaults({.silentName = SettingPath(4, "rec_mic_level")});
    const BackupResult backup = BackupSettings(device, file.string(), NoProgress());
    EXPECT_EQ(backup.status, BackupStatus::Incomplete);
    EXPECT_EQ(backup.unanswered, (std::vector<std::string>{"rec_mic_level, PRESET 4"}));
    EXPECT_EQ(Content(), "earlier\n");

    SetFaults({.hangupAfter = 30});
    EXPECT_EQ(BackupSettings(device, file.string(), NoProgress()).status, BackupStatus::Failed);
    EXPECT_EQ(Content(), "earlier\n");
}

TEST_F(Backup, AnUnwritableFileIsReported) {
    const BackupResult backup =
        BackupSettings(device, "/nonexistent-folder/backup.Vyr", NoProgress());
    EXPECT_EQ(backup.status, BackupStatus::FileFailed);
    EXPECT_NE(backup.fileStatus, SettingsFileStatus::Ok);
    EXPECT_FALSE(backup.fileReason.empty());
}

}  // namespace
}  // namespace vyr::test

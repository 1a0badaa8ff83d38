// The firmware update dialog against the simulator: the check for the firmware file and what
// an unanswered check means, the backup and what an incomplete one means, the question before
// an update without a backup, the start and the disconnect that follows it, a start that
// does not reach the device, and the dialog's closing with the connection.
#include <filesystem>
#include <fstream>

#include <wx/button.h>
#include <wx/progdlg.h>
#include <wx/textctrl.h>

#include "app/menus.h"
#include "app/transfers.h"
#include "device/connection.h"
#include "device_window.h"
#include "dialogs/firmware_dialog.h"
#include "gui_events.h"
#include "gui_support.h"
#include "modal_hook.h"
#include "settings/model.h"
#include "settings/settings_file.h"
#include "ui/accessible.h"

namespace vyr::test {
namespace {

using namespace std::chrono_literals;

const wxString kSaveMessage = "Choose a name for settings file";
const wxString kNoBackupTitle = "Firmware Update";
const wxString kNoBackupText =
    "The settings have not been saved from the device since this dialog was opened.\nThe "
    "update destroys all settings on the device.\n\nUpdate without a backup?";
const wxString kConfirmTitle = "Confirm firmware update";
const wxString kConfirmText =
    "The firmware update will now be performed.\nTherefore the administration software will "
    "disconnect.\nThe device will be automatically shut down after updating.\nDO NOT TURN THE "
    "DEVICE OFF DURING THE UPDATE PROCESS!\nDO NOT UNPLUG THE USB CABLE UNTIL THE DEVICE IS SHUT "
    "DOWN!\n\nAre you sure to continue?";
const wxString kNoFileTitle = "No firmware file found.";
const wxString kNoFileText =
    "No firmware file ( \"firmware.cup\" ) was found.\nMake sure you placed a copy of that file "
    "in the \"Vyr\" directory \nof the device in mass storage mode before you start the update "
    "process.";
const wxString kWarning =
    "Warning!\nYou are about to replace the existing firmware on the Vyr device.\n\nThis will "
    "destroy all settings on the device. Therefore it is strongly recommended to save your "
    "settings before proceeding with the update.\n\nAlso make sure you placed a copy of the "
    "file \"firmware.cup\" in the \"Vyr\" directory of the device in mass storage mode.";
const std::string kListing =
    "in  17 SYSTEMCALL_UPDATECHECK text \"ls /mnt/vyr/firmware.cup > /tmp/update_check\"";
const std::string kResultRead = "in  1 /tmp/update_check text \"\"";
const std::string kStart = "in  17 /tmp/update_check text \"/chroma/scripts/update_firmware\"";

// A backup file of its own for each test.
class BackupFile {
  public:
    BackupFile()
        : path_(std::filesystem::temp_directory_path() /
                ("vyr_fw_backup_" + std::to_string(::getpid()) + ".Vyr")) {
        std::filesystem::remove(path_);
    }
    ~BackupFile() { std::filesystem::remove(path_); }
    std::string Path() const { return path_.string(); }
    bool Exists() const { return std::filesystem::exists(path_); }

  private:
    std::filesystem::path path_;
};

class FirmwareDialogTest : public DeviceWindowTest {
  protected:
    ActiveEventLoop loop_;
    BackupFile backup_;

    void SetUp() override {
        DeviceWindowTest::SetUp();
        ConnectAndLogIn(L"superadmin", L"vyr-superadmin");
        ASSERT_TRUE(PumpUntil(
            [&] { return Frame().CurrentUserLevel() == UserLevel::Superadministrator(); }));
        // A silent device costs milliseconds, not seconds.
        Frame().Connection().Session().Worker().Run(
            [](DeviceConnection& connection, Progress&) {
                connection.link.SetTimeoutsForTesting({120ms, 10ms, 500ms, 0});
            },
            [] {});
        ASSERT_TRUE(PumpUntil([&] { return !Frame().Connection().Session().Busy(); }));
    }

    FirmwareUpdateDlg& Dialog() { return Frame().FirmwareDialog(); }
    void Open() {
        Command(&Frame(), menu::kUpdateFirmware);
        ASSERT_TRUE(Dialog().IsShown());
        // Mapped before a click hides it again: the toolkit takes a late map for a show.
        Settle();
        sim.ClearLog();
    }
    void AwaitJobs() {
        ASSERT_TRUE(PumpUntil([&] { return !Dialog().Busy(); }, 30s));
    }
    // The firmware requests in the simulator's log, in order.
    std::vector<std::string> FirmwareRequests() const {
        std::vector<std::string> requests;
        for (const std::string& line : sim.Log())
            if (line.find("update_check") != std::string::npos && line.starts_with("in "))
                requests.push_back(line);
        return requests;
    }
    // "Save settings from device", the file chosen, until the backup has ended.
    // The window's own load and save: its progress dialog, "Busy" on its button.
    wxProgressDialog* TransferProgress() { return Frame().Transfers().ProgressDialog(); }
    void SaveBackup() {
        ClickButton(Dialog().SaveButton());
        EXPECT_EQ(Dialog().SaveButton()->GetLabel(), "Getting settings from device");
        EXPECT_FALSE(Dialog().UpdateButton()->IsEnabled());
        EXPECT_FALSE(Dialog().CancelButton()->IsEnabled());
        EXPECT_NE(TransferProgress(), nullptr);
        EXPECT_EQ(Label(), "Busy");
        AwaitJobs();
        EXPECT_EQ(TransferProgress(), nullptr);
        EXPECT_EQ(Label(), "Disconnect");
        EXPECT_EQ(Dialog().SaveButton()->GetLabel(), "Save settings from device");
        EXPECT_TRUE(Dialog().SaveButton()->IsEnabled());
        EXPECT_TRUE(Dialog().UpdateButton()->IsEnabled());
    }
};

TEST_F(FirmwareDialogTest, LooksAsDescribedAndOpensWithCancelFocused) {
    Open();
    EXPECT_EQ(Dialog().GetTitle(), "Firmware Update");
    EXPECT_FALSE(Dialog().HasFlag(wxCLOSE_BOX));
    EXPECT_TRUE(Dialog().HasFlag(wxSTAY_ON_TOP));
    EXPECT_EQ(Dialog().WarningField()->GetValue(), kWarning);
    EXPECT_FALSE(Dialog().WarningField()->IsEditable());
    EXPECT_EQ(Dialog().SaveButton()->GetLabel(), "Save settings from device");
    EXPECT_EQ(Dialog().UpdateButton()->GetLabel(), "Update");
    EXPECT_EQ(Dialog().CancelButton()->GetLabel(), "Cancel");
    EXPECT_EQ(Dialog().FindFocus(), Dialog().CancelButton());
    EXPECT_EQ(AccessibleName(Dialog().WarningField()), "Warning");
    // Every control inside the dialog, no two overlapping, each button wide enough for the
    // longest label it shows.
    const wxRect client(wxPoint(0, 0), Dialog().GetClientSize());
    EXPECT_GE(client.width, 520);
    EXPECT_GE(client.height, 280);
    const std::vector<wxWindow*> controls = {Dialog().WarningField(), Dialog().SaveButton(),
                                             Dialog().UpdateButton(), Dialog().CancelButton()};
    for (wxWindow* control : controls) {
        EXPECT_TRUE(client.Contains(control->GetRect())) << Where(control);
        for (wxWindow* other : controls) {
            if (other != control) {
                EXPECT_FALSE(control->GetRect().Intersects(other->GetRect())) << Where(control);
            }
        }
    }
    wxButton* save = Dialog().SaveButton();
    for (const char* label : {"Getting settings from device", "Saving settings to PC",
                              "Save settings from device"}) {
        save->SetLabel(label);
        EXPECT_LE(save->GetBestSize().x, save->GetSize().x) << label;
    }
    ClickButton(Dialog().CancelButton());
    EXPECT_FALSE(Dialog().IsShown());
    EXPECT_TRUE(FirmwareRequests().empty());
}

TEST_F(FirmwareDialogTest, TheCheckListsThenReadsAndAnsweredAbsenceSaysNoFile) {
    Open();
    // Present; No in the confirmation: nothing is started and the connection stays.
    wxTEST_DIALOG(
        {
            ClickButton(Dialog().UpdateButton());
            EXPECT_FALSE(Dialog().IsShown());
            AwaitJobs();
        },
        ExpectMessage(kNoBackupTitle, kNoBackupText, wxID_YES),
        ExpectMessage(kConfirmTitle, kConfirmText, wxID_NO));
    EXPECT_EQ(FirmwareRequests(), (std::vector<std::string>{kListing, kResultRead}));
    EXPECT_TRUE(Frame().Connected());
    EXPECT_EQ(Label(), "Disconnect");
    EXPECT_FALSE(Dialog().IsShown());

    // Absent: the box, nothing more.
    sim.RemoveFile("/mnt/vyr/firmware.cup");
    Open();
    wxTEST_DIALOG(
        {
            ClickButton(Dialog().UpdateButton());
            AwaitJobs();
        },
        ExpectMessage(kNoBackupTitle, kNoBackupText, wxID_YES),
        ExpectMessage(kNoFileTitle, kNoFileText));
    EXPECT_EQ(FirmwareRequests(), (std::vector<std::string>{kListing, kResultRead}));
    EXPECT_TRUE(Frame().Connected());
}

// A listing the device does not answer leaves nothing known; an earlier check's result file
// naming the firmware must not count.
TEST_F(FirmwareDialogTest, AnUnansweredCheckIsACommunicationErrorNotAMissingFile) {
    sim.RemoveFile("/mnt/vyr/firmware.cup");
    sim.WriteFile("/tmp/update_check", "/mnt/vyr/firmware.cup\n");
    sim.SetFaults({.silentName = "SYSTEMCALL_UPDATECHECK"});
    Open();
    wxString text;
    wxTEST_DIALOG(
        {
            ClickButton(Dialog().UpdateButton());
            AwaitJobs();
        },
        ExpectMessage(kNoBackupTitle, kNoBackupText, wxID_YES),
        CaptureMessage("Communication error", &text));
    EXPECT_TRUE(text.Contains("did not answer")) << text;
    EXPECT_EQ(Requests(kResultRead), 0);
    EXPECT_EQ(Requests(kStart), 0);

    // The result file unanswered: the same.
    sim.SetFaults({.silentName = "/tmp/update_check"});
    Open();
    wxTEST_DIALOG(
        {
            ClickButton(Dialog().UpdateButton());
            AwaitJobs();
        },
        ExpectMessage(kNoBackupTitle, kNoBackupText, wxID_YES),
        CaptureMessage("Communication error", &text));
    EXPECT_EQ(Requests(kStart), 0);
    EXPECT_TRUE(Frame().Connected());
}

TEST_F(FirmwareDialogTest, ACompleteBackupThenUpdateStartsTheScriptAndDisconnects) {
    sim.WriteFile(SettingPath(6, "preset_name"), "Stage");
    Open();
    wxTEST_DIALOG(SaveBackup(), ChooseFile(kSaveMessage, backup_.Path()));
    EXPECT_TRUE(Dialog().BackupDone());
    SettingsModel model;
    ASSERT_EQ(LoadSettingsStore(model.store, backup_.Path()), SettingsFileStatus::Ok);
    EXPECT_EQ(model.store.Text(model.catalogue.Find("preset_name"), 6), "Stage");
    // Every value, and the active preset.
    EXPECT_EQ(Requests("in  1 /chroma/settings/"), kParameterCount * kPresetCount + 1);

    // After a backup there is no question; Yes starts the script once and disconnects.
    sim.ClearLog();
    wxTEST_DIALOG(
        {
            ClickButton(Dialog().UpdateButton());
            EXPECT_TRUE(PumpUntil([&] { return !Frame().Connected(); }));
        },
        ExpectMessage(kConfirmTitle, kConfirmText, wxID_YES));
    EXPECT_EQ(FirmwareRequests(), (std::vector<std::string>{kListing, kResultRead, kStart}));
    EXPECT_EQ(Label(), "Connect");
    EXPECT_EQ(Frame().CurrentUserLevel(), UserLevel::Nobody());
    EXPECT_FALSE(Dialog().IsShown());
    EXPECT_TRUE(sim.ReadFile("/tmp/update_started").has_value());
}

TEST_F(FirmwareDialogTest, AnIncompleteBackupIsNoBackupAndUpdateStillAsks) {
    sim.SetFaults({.silentName = SettingPath(4, "rec_mic_level")});
    Open();
    wxString text;
    wxString log;
    wxWindow* reportParent = nullptr;
    // The load's report and its message, over the dialog that stays on top; no file is asked
    // for.
    wxTEST_DIALOG(SaveBackup(), CaptureGuard(&log, &reportParent),
                  CaptureMessage("Load settings from device", &text));
    EXPECT_EQ(reportParent, &Dialog());
    EXPECT_TRUE(log.Contains("\"rec_mic_level\" preset: #4 -no answer-")) << log;
    EXPECT_TRUE(text.StartsWith("1 value got no answer")) << text;
    EXPECT_FALSE(backup_.Exists());
    EXPECT_FALSE(Dialog().BackupDone());

    // Update asks; No sends nothing and keeps the dialog.
    sim.ClearLog();
    wxTEST_DIALOG(ClickButton(Dialog().UpdateButton()),
                  ExpectMessage(kNoBackupTitle, kNoBackupText, wxID_NO));
    PumpFor(200ms);
    EXPECT_TRUE(FirmwareRequests().empty());
    EXPECT_TRUE(Dialog().IsShown());
    EXPECT_TRUE(Frame().Connected());
}

// A device that says it lacks values gives a backup of defaults for them: the report shows
// them, and Update asks before it starts, No the default.
TEST_F(FirmwareDialogTest, ABackupTheDeviceLacksValuesForAsksBeforeTheUpdate) {
    sim.RemoveFile(SettingPath(3, "rec_mic_level"));
    Open();
    wxString log;
    // The load first, with its report, then the file.
    wxTEST_DIALOG(SaveBackup(), CaptureGuard(&log), ChooseFile(kSaveMessage, backup_.Path()));
    EXPECT_TRUE(log.Contains("\"rec_mic_level\" preset: #3 -missing-")) << log;
    EXPECT_TRUE(backup_.Exists());
    EXPECT_TRUE(Dialog().BackupDone());

    sim.ClearLog();
    wxString question;
    class CaptureNo : public wxExpectModalBase<wxMessageDialog, CaptureNo> {
      public:
        explicit CaptureNo(wxString* text) : text_(text) {}

      protected:
        int OnInvoked(wxMessageDialog* dialog) const override {
            *text_ = dialog->GetMessage();
            EXPECT_TRUE(dialog->GetMessageDialogStyle() & wxNO_DEFAULT);
            return wxID_NO;
        }

      private:
        wxString* text_;
    };
    wxTEST_DIALOG(ClickButton(Dialog().UpdateButton()), CaptureNo(&question));
    EXPECT_TRUE(question.Contains("lacks 1 value")) << question;
    EXPECT_TRUE(question.Contains("rec_mic_level, PRESET 3")) << question;
    PumpFor(200ms);
    EXPECT_TRUE(FirmwareRequests().empty());
    EXPECT_TRUE(sim.ReadFile("/tmp/update_started") == std::nullopt);
    EXPECT_TRUE(Frame().Connected());
}

TEST_F(FirmwareDialogTest, ACancelledBackupWritesNothing) {
    sim.SetFaults({.latencyMs = 5});
    Open();
    {
        // Cancelled: no file is asked for.
        GTestModalHook noDialogs(__FILE__, __LINE__, __func__);
        ClickButton(Dialog().SaveButton());
        ASSERT_TRUE(PumpUntil([&] {
            return TransferProgress() && TransferProgress()->GetMessage().Contains(" of ");
        }));
        wxWindow* cancel = TransferProgress()->FindWindow(wxID_CANCEL);
        ASSERT_NE(cancel, nullptr);
        wxCommandEvent event(wxEVT_BUTTON, wxID_CANCEL);
        event.SetEventObject(cancel);
        cancel->ProcessWindowEvent(event);
        AwaitJobs();
    }
    EXPECT_LT(Requests("in  1 /chroma/settings/"), kParameterCount * kPresetCount);
    EXPECT_FALSE(backup_.Exists());
    EXPECT_FALSE(Dialog().BackupDone());
    EXPECT_EQ(Dialog().SaveButton()->GetLabel(), "Save settings from device");
}

TEST_F(FirmwareDialogTest, ClosedOnDisconnectEvenInTheMiddleOfABackupAndByEveryLogin) {
    sim.SetFaults({.latencyMs = 5});
    Open();
    {
        GTestModalHook noDialogs(__FILE__, __LINE__, __func__);
        ClickButton(Dialog().SaveButton());
        ASSERT_TRUE(PumpUntil([&] { return Requests("in  1 /chroma/settings/") > 5; }));
        Press(false);
        ASSERT_TRUE(PumpUntil([&] { return TransferProgress() == nullptr; }));
    }
    EXPECT_FALSE(Dialog().IsShown());
    EXPECT_FALSE(Dialog().Busy());
    EXPECT_EQ(Dialog().SaveButton()->GetLabel(), "Save settings from device");
    EXPECT_FALSE(backup_.Exists());

    sim.SetFaults({});
    ConnectAndLogIn(L"superadmin", L"vyr-superadmin");
    ASSERT_TRUE(PumpUntil(
        [&] { return Frame().CurrentUserLevel() == UserLevel::Superadministrator(); }));
    Open();
    Login().Show();
    SendLogin(L"superadmin", L"vyr-superadmin");
    ASSERT_TRUE(PumpUntil([&] { return !Login().IsShown(); }));
    EXPECT_FALSE(Dialog().IsShown());
}

// The window's side replaced by a fake: a connection of its own to the simulator, jobs run at
// once, and a record of what the dialog asked of the window.
class FakeWindow : public DeviceAccess, public WindowServices {
  public:
    DeviceConnection connection;
    UserLevel level = UserLevel::Superadministrator();
    int disconnects = 0;

    bool MayRunJob() const override { return true; }
    bool RunJob(Work work, ProgressHandler) override {
        GuiStep step = work(connection, NoProgress());
        wxTheApp->CallAfter([step] {
            if (step)
                step();
        });
        return true;
    }
    void CancelJobs() override {}
    UserLevel CurrentLevel() const override { return level; }
    void RunLogin(std::wstring, std::wstring, std::function<void(LoginResult)>) override {}
    void RefreshEnabling() override {}
    void Disconnect() override { ++disconnects; }
    void BackUpSettings(wxWindow*, std::function<void()>,
                        std::function<void(const SettingsBackup&)> done) override {
        ++backups;
        done({});
    }
    int backups = 0;
};

class FirmwareStartTest : public testing::Test {
  protected:
    vyrsim::Simulator sim;
    FakeWindow window;
    FirmwareUpdateDlg* dialog = nullptr;

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim.Start(&error)) << error;
        ASSERT_EQ(Connect(window.connection, sim.PortPath()).status, ConnectStatus::Connected);
        dialog = new FirmwareUpdateDlg(nullptr, window, window);
        dialog->Show();
        Settle();
    }
    void TearDown() override { dialog->Destroy(); }
};

// The request did not leave the computer: that is said, and the connection is not ended as
// if the device were updating.
TEST_F(FirmwareStartTest, AStartThatFailsIsReportedAndDoesNotDisconnect) {
    class HangUpThenYes : public wxExpectModalBase<wxMessageDialog, HangUpThenYes> {
      public:
        explicit HangUpThenYes(vyrsim::Simulator& sim) : sim_(sim) {}

      protected:
        int OnInvoked(wxMessageDialog* box) const override {
            EXPECT_EQ(box->GetTitle(), kConfirmTitle);
            sim_.HangUp();
            return wxID_YES;
        }

      private:
        vyrsim::Simulator& sim_;
    };
    wxString text;
    wxTEST_DIALOG(
        {
            ClickButton(dialog->UpdateButton());
            ASSERT_TRUE(PumpUntil([&] { return !dialog->Busy(); }));
        },
        ExpectMessage(kNoBackupTitle, kNoBackupText, wxID_YES), HangUpThenYes(sim),
        CaptureMessage("Communication error", &text));
    EXPECT_TRUE(text.Contains("could not be started")) << text;
    EXPECT_EQ(window.disconnects, 0);
}

// Each command asks for the level again: one that no longer allows the update closes the
// dialog and reaches nothing.
TEST_F(FirmwareStartTest, EveryCommandChecksTheUserLevelAgain) {
    window.level = UserLevel::Administrator();
    sim.ClearLog();
    // No question, no file chooser: any dialog opened is a failure.
    GTestModalHook noDialogs(__FILE__, __LINE__, __func__);
    ClickButton(dialog->UpdateButton());
    EXPECT_FALSE(dialog->IsShown());
    dialog->Show();
    Settle();
    ClickButton(dialog->SaveButton());
    EXPECT_FALSE(dialog->IsShown());
    PumpFor(100ms);
    EXPECT_TRUE(sim.Log().empty());
    EXPECT_EQ(window.disconnects, 0);
    EXPECT_EQ(window.backups, 0);
}

}  // namespace
}  // namespace vyr::test

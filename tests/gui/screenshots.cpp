// Not a test: with VYR_SCREENSHOT_DIR set, writes a picture of the main window as it starts,
// then one per page in offline mode as service staff see it, every control usable and the
// service-only rows shown, and one of the progress dialog during a load from a device at
// 9600 baud, of the device information dialog, of the Clock page showing the device time,
// of the metadata dialog, of the comparison with a settings file, of the three service
// dialogs, of the microphone settings, of the user administration dialog and of the firmware
// update (scripts/screenshots runs it).
// Skipped otherwise.
#include <cstdlib>
#include <string>

#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/progdlg.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/clock_page.h"
#include "app/compare_command.h"
#include "app/menus.h"
#include "app/transfers.h"
#include "capture.h"
#include "device_window.h"
#include "dialogs/compare_dialog.h"
#include "dialogs/dev_info_dialog.h"
#include "dialogs/firmware_dialog.h"
#include "dialogs/metadata_dialog.h"
#include "dialogs/service_records_dialogs.h"
#include "dialogs/microphone_dialog.h"
#include "dialogs/users_dialog.h"
#include "frame_fixture.h"
#include "gui_events.h"
#include "gui_support.h"
#include "modal_hook.h"

namespace vyr::test {
namespace {

using Screenshots = FrameTest;

TEST_F(Screenshots, EveryPage) {
    const char* folder = ScreenshotFolder();
    if (folder == nullptr)
        GTEST_SKIP() << "VYR_SCREENSHOT_DIR not set";
    auto* notebook = dynamic_cast<wxNotebook*>(Frame().Control("notebook"));
    ASSERT_NE(notebook, nullptr);
    Frame().Raise();
    CaptureWindow(Frame(), folder, "start.png");
    Command(&Frame(), menu::kOfflineMode);
    Frame().ApplySession(Frame().Connected(), UserLevel::Controller(), Frame().Hardware());
    for (size_t page = 0; page < notebook->GetPageCount(); ++page) {
        notebook->SetSelection(page);
        CaptureWindow(Frame(), folder, "page" + std::to_string(page + 1) + ".png");
    }
    notebook->SetSelection(0);
    Command(&Frame(), menu::kOfflineMode);
    Frame().ApplySession(Frame().Connected(), UserLevel::Nobody(), Frame().Hardware());
}

class ProgressScreenshot : public DeviceWindowTest {
  protected:
    ActiveEventLoop loop_;
};

TEST_F(ProgressScreenshot, LoadFromDevice) {
    const char* folder = ScreenshotFolder();
    if (folder == nullptr)
        GTEST_SKIP() << "VYR_SCREENSHOT_DIR not set";
    ConnectAndLogIn(L"superadmin", L"vyr-superadmin");
    ASSERT_TRUE(PumpUntil(
        [&] { return world->frame->CurrentUserLevel() == UserLevel::Superadministrator(); }));
    sim.SetFaults({.baud = 9600});
    Command(&Frame(), menu::kLoadFromDevice);
    TransferController& transfers = Frame().Transfers();
    ASSERT_NE(transfers.ProgressDialog(), nullptr);
    // A few values in, so that the count, the value and the times show.
    ASSERT_TRUE(PumpUntil([&] {
        return std::atoi(transfers.ProgressDialog()->GetMessage().utf8_str()) >= 4;
    }));
    wxProgressDialog& dialog = *transfers.ProgressDialog();
    CaptureWindow(dialog, folder, "progress.png");
    const auto expectNothingCut = [&dialog] {
        const wxRect client(wxPoint(0, 0), dialog.GetClientSize());
        for (wxWindow* child : dialog.GetChildren()) {
            EXPECT_TRUE(client.Contains(child->GetRect())) << Where(child);
            if (auto* text = dynamic_cast<wxStaticText*>(child)) {
                EXPECT_GE(text->GetSize().x, text->GetBestSize().x) << Where(child);
                EXPECT_GE(text->GetSize().y, text->GetBestSize().y) << Where(child);
            }
        }
    };
    expectNothingCut();
    // The longest key of the catalogue still fits.
    dialog.Update(5, "859 of 860\nplay_playback_start_position, PRESET 9");
    Settle();
    expectNothingCut();
    CaptureWindow(dialog, folder, "progress_longest.png");
    Frame().Connection().Session().Worker().Cancel();
    ASSERT_TRUE(PumpUntil([&] { return !transfers.Running(); }));
}

using ConnectedScreenshots = DeviceWindowTest;

// The device information dialog filled from the simulator, and the Clock page showing the
// device's time.
TEST_F(ConnectedScreenshots, DeviceInformationAndClock) {
    const char* folder = ScreenshotFolder();
    if (folder == nullptr)
        GTEST_SKIP() << "VYR_SCREENSHOT_DIR not set";
    ConnectAndLogIn(L"superadmin", L"vyr-superadmin");
    ASSERT_TRUE(PumpUntil([&] { return !Login().IsShown(); }));
    auto* notebook = dynamic_cast<wxNotebook*>(Frame().Control("notebook"));
    ASSERT_NE(notebook, nullptr);
    notebook->SetSelection(notebook->FindPage(Frame().Control("page_clock")));
    auto* time = Frame().ControlAs<wxStaticText>("DeviceTimeString");
    ASSERT_TRUE(PumpUntil([&] { return time->GetLabel().StartsWith("Device time: "); }));
    Frame().Clock().Tick();
    CaptureWindow(Frame(), folder, "clock_connected.png");

    Command(&Frame(), menu::kDeviceInformation);
    DevInfoDialog& dialog = Frame().DeviceInformationDialog();
    ASSERT_TRUE(PumpUntil(
        [&] { return !dialog.ValueControl(DeviceInformation::Capsule)->GetLabel().empty(); }));
    CaptureWindow(dialog, folder, "device_information.png");
    ClickButton(dialog.OkButton());
}

// The firmware update dialog as it opens, and its Save button while the backup loads.
TEST_F(ConnectedScreenshots, FirmwareUpdate) {
    const char* folder = ScreenshotFolder();
    if (folder == nullptr)
        GTEST_SKIP() << "VYR_SCREENSHOT_DIR not set";
    ConnectAndLogIn(L"superadmin", L"vyr-superadmin");
    ASSERT_TRUE(PumpUntil([&] { return !Login().IsShown(); }));
    Command(&Frame(), menu::kUpdateFirmware);
    FirmwareUpdateDlg& dialog = Frame().FirmwareDialog();
    ASSERT_TRUE(dialog.IsShown());
    CaptureWindow(dialog, folder, "firmware_update.png");
    dialog.SaveButton()->SetLabel("Getting settings from device");
    CaptureWindow(dialog, folder, "firmware_update_saving.png");
    dialog.SaveButton()->SetLabel("Save settings from device");
    ClickButton(dialog.CancelButton());
}

// The metadata dialog on the default texts and a serial number as the device gives one.
TEST_F(Screenshots, MetaData) {
    const char* folder = ScreenshotFolder();
    if (folder == nullptr)
        GTEST_SKIP() << "VYR_SCREENSHOT_DIR not set";
    BwfMetadata record = ReadBwfMetadata(Frame().Store(), Frame().EditedPreset());
    record.serialNumber = "VYR-2417";
    MetaDataDlg dialog(&Frame(), record);
    dialog.Show();
    CaptureWindow(dialog, folder, "metadata.png");
    dialog.Hide();
}

// The comparison with a settings file: a long path, a repair note, values of every kind and
// texts as long as a value can be.
TEST_F(Screenshots, CompareWithSettingsFile) {
    const char* folder = ScreenshotFolder();
    if (folder == nullptr)
        GTEST_SKIP() << "VYR_SCREENSHOT_DIR not set";
    SettingStore& window = Frame().Store();
    GuardLog guard;
    SettingStore file(window.Catalogue(), guard);
    file.AssignValues(window);
    const std::string longest(kMaxValueLength, 'W');
    const std::pair<const char*, std::string> changes[] = {
        {"mic_label", "Studio_B"},
        {"preset_name", longest},
        {"play_headset_level", "-68"},
        {"rec_file_format", "MP2"},
        {"rec_bitrate", "192"},
        {"roi_up_th", "32767"},
        {"rec_meta_description0", "Interview recorded on location, second take, " + longest},
    };
    for (const auto& [key, value] : changes)
        file.StoreSetting(window.Catalogue().Find(key), 3, value);
    CompareDlg dialog(&Frame(),
                      "/home/reporter/Documents/Vyr settings/field recordings/December "
                      "2026/studio and location presets for the whole team.Vyr",
                      "The file needed 2 repairs while it was read: its values are compared as "
                      "repaired.",
                      DifferenceRows(file, window));
    // The longest text chosen: its values in full below the list.
    dialog.List()->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    dialog.Show();
    CaptureWindow(dialog, folder, "compare.png");
    dialog.Hide();
}

// The user administration dialog with the factory accounts, a selected entry and a
// refused password repeat.
TEST_F(ConnectedScreenshots, EditUsers) {
    const char* folder = ScreenshotFolder();
    if (folder == nullptr)
        GTEST_SKIP() << "VYR_SCREENSHOT_DIR not set";
    sim.WriteFile("/chroma/users/J\xF6rg", "password=j\nlevel=4\n");
    ConnectAndLogIn(L"superadmin", L"vyr-superadmin");
    ASSERT_TRUE(PumpUntil([&] { return !Login().IsShown(); }));
    Command(&Frame(), menu::kEditUsers);
    CreateUserDlg& dialog = Frame().UsersDialog();
    ASSERT_TRUE(PumpUntil([&] { return !dialog.Busy(); }));
    dialog.UserListBox()->SetSelection(1);
    dialog.NameField()->ChangeValue(dialog.UserListBox()->GetString(1));
    dialog.PasswordField()->ChangeValue("secret");
    dialog.RepeatField()->ChangeValue("secrat");
    ClickButton(dialog.CreateButton());
    CaptureWindow(dialog, folder, "edit_users.png");
    // Busy, as while an exchange runs.
    sim.SetFaults({.latencyMs = 500});
    dialog.RefreshList();
    CaptureWindow(dialog, folder, "edit_users_busy.png");
    ClickButton(dialog.CloseButton());
}

// The serial-number, service-notes and test-results dialogs filled from the simulator, as
// service staff see them.
TEST_F(ConnectedScreenshots, ServiceDialogs) {
    const char* folder = ScreenshotFolder();
    if (folder == nullptr)
        GTEST_SKIP() << "VYR_SCREENSHOT_DIR not set";
    ConnectAndLogIn(L"service", L"vyr-service");
    ASSERT_TRUE(PumpUntil([&] { return !Login().IsShown(); }));
    const struct {
        int command;
        RecordDialog& dialog;
        const char* file;
    } shots[] = {
        {menu::kSerialNumber, Frame().SerialNumberDialog(), "serial_number.png"},
        {menu::kServiceNotes, Frame().ServiceNotesDialog(), "service_notes.png"},
        {menu::kTestResults, Frame().TestResultsDialog(), "test_results.png"},
    };
    for (const auto& shot : shots) {
        Command(&Frame(), shot.command);
        ASSERT_TRUE(PumpUntil([&] { return !shot.dialog.Busy(); }));
        CaptureWindow(shot.dialog, folder, shot.file);
        shot.dialog.Hide();
    }
}

// The microphone settings of type M: one entry replaced and marked; then the longest
// status text, after a write the device refused at its last value.
TEST_F(ConnectedScreenshots, MicrophoneSettings) {
    const char* folder = ScreenshotFolder();
    if (folder == nullptr)
        GTEST_SKIP() << "VYR_SCREENSHOT_DIR not set";
    Connect();
    Command(&Frame(), menu::MicrophoneTypeId(12));
    using namespace std::chrono_literals;
    MicSettings& dialog = Frame().MicrophoneDialog();
    ASSERT_TRUE(PumpUntil([&] { return dialog.CurrentState() == MicSettings::State::Ready; }));
    auto* frequency = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(MicSettings::ID_F1_FREQ));
    frequency->ChangeValue("25000");
    wxCommandEvent enter(wxEVT_TEXT_ENTER, MicSettings::ID_F1_FREQ);
    Send(frequency, enter);
    CaptureWindow(dialog, folder, "microphone_settings.png");

    frequency->ChangeValue("250");
    sim.SetRequestObserver([&](const serial_link::CommandFrame& request) {
        if (request.Name() == "/chroma/mics/m/mic_filter3_enable")
            sim.SetFaults({.refuseWrites = true});
    });
    wxTEST_DIALOG(
        {
            ClickButton(dialog.ConfirmButton());
            EXPECT_TRUE(PumpUntil(
                [&] { return dialog.CurrentState() != MicSettings::State::Writing; }, 60s));
        },
        wxExpectModal<wxMessageDialog>(wxID_OK));
    sim.SetRequestObserver(nullptr);
    CaptureWindow(dialog, folder, "microphone_settings_partial.png");
    ClickButton(dialog.CancelButton());
}

}  // namespace
}  // namespace vyr::test

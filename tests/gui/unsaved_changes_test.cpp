// The title's unsaved-change marker and the question before a load or a close would lose
// changes: what sets and clears the marker, and what Yes and No do.
#include <filesystem>
#include <string>

#include <wx/app.h>
#include <wx/progdlg.h>
#include <wx/spinctrl.h>

#include "app/menus.h"
#include "app/transfers.h"
#include "dialogs/metadata_dialog.h"
#include "device_window.h"
#include "gui_events.h"
#include "modal_hook.h"

namespace vyr::test {
namespace {

const wxString kTitle = "Vyr Administration Software v2.2.6";
const wxString kMarked = "*" + kTitle;
const wxString kLoadMessage = "Choose a settings file to load";
const wxString kSaveMessage = "Choose a name for settings file";

wxSpinCtrl* MicLevel(AdminSWFrm& frame) {
    return frame.ControlAs<wxSpinCtrl>("spin_rec_mic_level");
}

// The edited preset's microphone level, changed as the person would.
void SetMicLevel(AdminSWFrm& frame, int level) {
    SpinTo(MicLevel(frame), level);
}

class UnsavedChangesTest : public testing::Test {
  protected:
    void SetUp() override {
        world_ = std::make_unique<FrameWorld>();
        Command(world_->frame, menu::kOfflineMode);
        folder_ = world_->configRoot.Path();
    }
    void TearDown() override { world_.reset(); }

    AdminSWFrm& Frame() { return *world_->frame; }
    std::string Path(const std::string& name) { return folder_ + "/" + name; }
    bool Closing() { return wxTheApp->IsScheduledForDestruction(&Frame()); }

    void Save(const std::string& path) {
        wxTEST_DIALOG(Command(&Frame(), menu::kSaveToComputer),
                      ChooseFile(kSaveMessage, wxString::FromUTF8(path)));
    }

    std::unique_ptr<FrameWorld> world_;
    std::string folder_;
};

TEST_F(UnsavedChangesTest, MarkerFollowsTheValuesNotTheEdits) {
    EXPECT_EQ(Frame().GetTitle(), kTitle);
    EXPECT_FALSE(Frame().Unsaved().Changed());
    const int level = MicLevel(Frame())->GetValue();

    SetMicLevel(Frame(), level + 5);
    EXPECT_EQ(Frame().GetTitle(), kMarked);
    EXPECT_TRUE(Frame().Unsaved().Changed());
    // Undone by hand: no change any more.
    SetMicLevel(Frame(), level);
    EXPECT_EQ(Frame().GetTitle(), kTitle);

    // The preset switch of the menu is an edit too.
    Command(&Frame(), menu::kPresetsSwitch);
    EXPECT_EQ(Frame().GetTitle(), kMarked);
}

// Answers the metadata dialog with a changed country code and Ok.
class ChangeCountryCode : public wxExpectModalBase<MetaDataDlg, ChangeCountryCode> {
  protected:
    int OnInvoked(MetaDataDlg* dialog) const override {
        dialog->Field(MetaDataDlg::ID_CC_EDIT)->ChangeValue("XY");
        ClickButton(dialog->OkButton());
        return dialog->GetReturnCode();
    }
};

TEST_F(UnsavedChangesTest, MetadataEditsAreMarked) {
    wxWindow* button = Frame().Control("MetaDataBtn");
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    wxTEST_DIALOG(button->ProcessWindowEvent(event), ChangeCountryCode());
    EXPECT_EQ(Frame().GetTitle(), kMarked);
}

TEST_F(UnsavedChangesTest, SavingClearsTheMarkerAndAFailedSaveKeepsIt) {
    SetMicLevel(Frame(), 40);
    std::filesystem::create_directory(Path("folder.Vyr"));
    wxTEST_DIALOG(Command(&Frame(), menu::kSaveToComputer),
                  ChooseFile(kSaveMessage, wxString::FromUTF8(Path("folder.Vyr"))),
                  ExpectMessage("File error", "Could not save settings file"));
    EXPECT_EQ(Frame().GetTitle(), kMarked);
    wxTEST_DIALOG(Command(&Frame(), menu::kSaveToComputer),
                  ChooseFile(kSaveMessage, wxString::FromUTF8(Path("x.Vyr")), wxID_CANCEL));
    EXPECT_EQ(Frame().GetTitle(), kMarked);

    Save(Path("saved.Vyr"));
    EXPECT_EQ(Frame().GetTitle(), kTitle);
    // The saved values are the ones compared with from now on.
    SetMicLevel(Frame(), 25);
    EXPECT_EQ(Frame().GetTitle(), kMarked);
    SetMicLevel(Frame(), 40);
    EXPECT_EQ(Frame().GetTitle(), kTitle);
}

TEST_F(UnsavedChangesTest, LoadFromComputerAsksFirstOnlyWhenSomethingChanged) {
    const int level = MicLevel(Frame())->GetValue();
    SetMicLevel(Frame(), level + 7);
    Save(Path("file.Vyr"));
    SetMicLevel(Frame(), level + 9);

    // No: no file dialog, nothing loaded.
    wxTEST_DIALOG(Command(&Frame(), menu::kLoadFromComputer),
                  ExpectDiscard("Load settings from computer", wxID_NO));
    EXPECT_EQ(MicLevel(Frame())->GetValue(), level + 9);
    EXPECT_EQ(Frame().GetTitle(), kMarked);

    // Yes, then the chooser cancelled or a file that cannot be read: still marked.
    wxTEST_DIALOG(Command(&Frame(), menu::kLoadFromComputer),
                  ExpectDiscard("Load settings from computer", wxID_YES),
                  ChooseFile(kLoadMessage, wxString::FromUTF8(Path("file.Vyr")), wxID_CANCEL));
    EXPECT_EQ(Frame().GetTitle(), kMarked);
    wxTEST_DIALOG(Command(&Frame(), menu::kLoadFromComputer),
                  ExpectDiscard("Load settings from computer", wxID_YES),
                  ChooseFile(kLoadMessage, wxString::FromUTF8(Path("gone.Vyr"))),
                  ExpectMessage("Vyr file guard", "Could not open settings file for reading."));
    EXPECT_EQ(Frame().GetTitle(), kMarked);
    EXPECT_EQ(MicLevel(Frame())->GetValue(), level + 9);

    wxTEST_DIALOG(Command(&Frame(), menu::kLoadFromComputer),
                  ExpectDiscard("Load settings from computer", wxID_YES),
                  ChooseFile(kLoadMessage, wxString::FromUTF8(Path("file.Vyr"))));
    EXPECT_EQ(MicLevel(Frame())->GetValue(), level + 7);
    EXPECT_EQ(Frame().GetTitle(), kTitle);

    // Nothing changed: straight to the chooser.
    wxTEST_DIALOG(Command(&Frame(), menu::kLoadFromComputer),
                  ChooseFile(kLoadMessage, wxString::FromUTF8(Path("file.Vyr"))));
    EXPECT_EQ(Frame().GetTitle(), kTitle);
}

TEST_F(UnsavedChangesTest, CloseAsksAboutChangesAndNoKeepsTheWindow) {
    SetMicLevel(Frame(), 3);
    wxTEST_DIALOG(EXPECT_FALSE(Frame().Close()), ExpectDiscard("Unsaved changes", wxID_NO));
    EXPECT_FALSE(Closing());
    EXPECT_EQ(Frame().GetTitle(), kMarked);

    wxTEST_DIALOG(EXPECT_TRUE(Frame().Close()), ExpectDiscard("Unsaved changes", wxID_YES));
    EXPECT_TRUE(Closing());
}

// The window is not deleted before the fixture's teardown: no events are pumped after the
// close.
TEST_F(UnsavedChangesTest, CloseWithoutChangesDoesNotAsk) {
    GTestModalHook noDialogs(__FILE__, __LINE__, "");
    EXPECT_TRUE(Frame().Close());
    EXPECT_TRUE(Closing());
}

TEST_F(UnsavedChangesTest, ForcedCloseDoesNotAsk) {
    SetMicLevel(Frame(), 3);
    GTestModalHook noDialogs(__FILE__, __LINE__, "");
    EXPECT_TRUE(Frame().Close(true));
    EXPECT_TRUE(Closing());
}

// Against the simulator, logged in with every right.
class UnsavedDeviceTest : public DeviceWindowTest {
  protected:
    ActiveEventLoop loop_;

    void SetUp() override {
        DeviceWindowTest::SetUp();
        ConnectAndLogIn(L"superadmin", L"vyr-superadmin");
        ASSERT_TRUE(PumpUntil(
            [&] { return Frame().CurrentUserLevel() == UserLevel::Superadministrator(); }));
    }
    bool Running() { return Frame().Transfers().Running(); }
    // Waits until the running transfer has finished.
    void AwaitEnd() { ASSERT_TRUE(PumpUntil([&] { return !Running(); })); }
};

TEST_F(UnsavedDeviceTest, LoadFromDeviceAsksAndACompleteLoadClearsTheMarker) {
    sim.WriteFile("/chroma/settings/1/rec_mic_level", "44");
    SetMicLevel(Frame(), 30);
    const int requests = Requests("in ");

    wxTEST_DIALOG(Command(&Frame(), menu::kLoadFromDevice),
                  ExpectDiscard("Load settings from device", wxID_NO));
    EXPECT_FALSE(Running());
    EXPECT_EQ(Requests("in "), requests);
    wxTEST_DIALOG(Command(&Frame(), menu::kReadSinglePreset),
                  ExpectDiscard("Read single preset from device", wxID_NO));
    EXPECT_FALSE(Running());
    EXPECT_EQ(MicLevel(Frame())->GetValue(), 30);
    EXPECT_EQ(Frame().GetTitle(), kMarked);

    wxTEST_DIALOG(
        {
            Command(&Frame(), menu::kLoadFromDevice);
            EXPECT_TRUE(Running());
            AwaitEnd();
        },
        ExpectDiscard("Load settings from device", wxID_YES));
    EXPECT_EQ(MicLevel(Frame())->GetValue(), 44);
    EXPECT_EQ(Frame().GetTitle(), kTitle);

    // Nothing changed: the load starts at once.
    GTestModalHook noDialogs(__FILE__, __LINE__, "");
    Command(&Frame(), menu::kLoadFromDevice);
    EXPECT_TRUE(Running());
    AwaitEnd();
    EXPECT_EQ(Frame().GetTitle(), kTitle);
}

TEST_F(UnsavedDeviceTest, ACancelledOrFailedLoadKeepsTheMarker) {
    SetMicLevel(Frame(), 30);
    sim.SetFaults({.latencyMs = 20});
    wxTEST_DIALOG(
        {
            Command(&Frame(), menu::kLoadFromDevice);
            ASSERT_TRUE(PumpUntil([&] {
                wxProgressDialog* progress = Frame().Transfers().ProgressDialog();
                return progress && progress->GetMessage().Contains(" of ");
            }));
            wxWindow* cancel = Frame().Transfers().ProgressDialog()->FindWindow(wxID_CANCEL);
            ASSERT_NE(cancel, nullptr);
            wxCommandEvent event(wxEVT_BUTTON, wxID_CANCEL);
            event.SetEventObject(cancel);
            cancel->ProcessWindowEvent(event);
            AwaitEnd();
        },
        ExpectDiscard("Load settings from device", wxID_YES));
    sim.SetFaults({});
    EXPECT_EQ(MicLevel(Frame())->GetValue(), 30);
    EXPECT_EQ(Frame().GetTitle(), kMarked);

    sim.SetFaults({.hangupAfter = 100});
    wxTEST_DIALOG(
        {
            Command(&Frame(), menu::kLoadFromDevice);
            AwaitEnd();
            ASSERT_TRUE(PumpUntil([&] { return !Frame().Connected(); }));
        },
        ExpectDiscard("Load settings from device", wxID_YES),
        ExpectMessage(kTransferError.title.data(), kTransferError.text.data()),
        ExpectMessage("Communication error", "Connection to device lost"));
    EXPECT_EQ(MicLevel(Frame())->GetValue(), 30);
    EXPECT_EQ(Frame().GetTitle(), kMarked);
}

// A send counts what it sent as saved: everything, or the edited preset and the values every
// preset shares.
TEST_F(UnsavedDeviceTest, SentValuesCountAsSaved) {
    const int micLevel = Frame().Store().Catalogue().Find("rec_mic_level");
    const std::string other(Frame().Store().Text(micLevel, 3));
    SetMicLevel(Frame(), 31);
    Frame().Store().StoreSetting(param::mic_label, 1, "Stage_left");  // global
    Frame().Store().StoreSetting(micLevel, 3, "12");
    Frame().Unsaved().Refresh();
    {
        GTestModalHook noDialogs(__FILE__, __LINE__, "");
        Command(&Frame(), menu::kSendSinglePreset);
        AwaitEnd();
    }
    EXPECT_EQ(sim.ReadFile("/chroma/settings/1/rec_mic_level"), "31");
    EXPECT_EQ(Frame().GetTitle(), kMarked);  // preset 3 was not sent
    Frame().Store().StoreSetting(micLevel, 3, other);
    Frame().Unsaved().Refresh();
    EXPECT_EQ(Frame().GetTitle(), kTitle);

    Frame().Store().StoreSetting(micLevel, 3, "12");
    Frame().Unsaved().Refresh();
    wxTEST_DIALOG(
        {
            Command(&Frame(), menu::kSendToDevice);
            AwaitEnd();
        },
        ExpectMessage("Confirm action",
                      "This overwrites all settings on the device.\nAre you sure?", wxID_YES));
    EXPECT_EQ(sim.ReadFile("/chroma/settings/3/rec_mic_level"), "12");
    EXPECT_EQ(Frame().GetTitle(), kTitle);
}

TEST_F(UnsavedDeviceTest, ReadSinglePresetAsksAndCountsOnlyThatPresetAsSaved) {
    const int micLevel = Frame().Store().Catalogue().Find("rec_mic_level");
    const std::string other(Frame().Store().Text(micLevel, 3));
    sim.WriteFile("/chroma/settings/1/rec_mic_level", "44");
    SetMicLevel(Frame(), 30);
    Frame().Store().StoreSetting(micLevel, 3, "12");
    Frame().Unsaved().Refresh();

    wxTEST_DIALOG(
        {
            Command(&Frame(), menu::kReadSinglePreset);
            AwaitEnd();
        },
        ExpectDiscard("Read single preset from device", wxID_YES));
    EXPECT_EQ(MicLevel(Frame())->GetValue(), 44);
    EXPECT_EQ(Frame().GetTitle(), kMarked);  // preset 3 still differs
    Frame().Store().StoreSetting(micLevel, 3, other);
    Frame().Unsaved().Refresh();
    EXPECT_EQ(Frame().GetTitle(), kTitle);
}

}  // namespace
}  // namespace vyr::test

// "Send changes to device" against the simulator: the window's mirror of the device's values
// (known after a load, gone with the connection), what a send of changes puts on the wire,
// a send that fails part-way, and "Verify sent values" catching a device that keeps
// something else.
#include <string>

#include <wx/menu.h>
#include <wx/spinctrl.h>

#include "app/menus.h"
#include "app/transfers.h"
#include "app/unsaved_changes.h"
#include "device/device_mirror.h"
#include "device_window.h"
#include "gui_events.h"
#include "modal_hook.h"

namespace vyr::test {
namespace {

const wxString kConfirmTitle = "Confirm action";
const wxString kConfirmText = "This overwrites all settings on the device.\nAre you sure?";
const wxString kOneChange = "This sends 1 value that differs from what the device holds.\n"
                            "Are you sure?";
const wxString kNoChange = "The device already holds these settings; only the active preset "
                           "is set.\nAre you sure?";

std::string ValuePath(int preset, std::string_view key) {
    return "/chroma/settings/" + std::to_string(preset) + "/" + std::string(key);
}

class SendChangesTest : public DeviceWindowTest {
  protected:
    ActiveEventLoop loop_;
    int micLevel = 0;
    int lineLevel = 0;
    int presetName = 0;

    void SetUp() override {
        DeviceWindowTest::SetUp();
        const SettingCatalogue& catalogue = Frame().Store().Catalogue();
        micLevel = catalogue.Find("rec_mic_level");
        lineLevel = catalogue.Find("rec_line_level");
        presetName = catalogue.Find("preset_name");
        LogIn();
    }

    void LogIn() {
        ConnectAndLogIn(L"superadmin", L"vyr-superadmin");
        ASSERT_TRUE(PumpUntil(
            [&] { return Frame().CurrentUserLevel() == UserLevel::Superadministrator(); }));
    }

    bool SendChangesEnabled() {
        return Frame().GetMenuBar()->IsEnabled(menu::kSendChangesToDevice);
    }
    bool Running() { return Frame().Transfers().Running(); }

    // "Load settings from device", with nothing in the window to lose.
    void LoadAll() {
        GTestModalHook noDialogs(__FILE__, __LINE__, "");
        Command(&Frame(), menu::kLoadFromDevice);
        ASSERT_TRUE(PumpUntil([&] { return !Running(); }));
    }

    // "Send changes to device", confirmed, to its end; `then` answers what follows.
    void RunSendChanges() {
        Command(&Frame(), menu::kSendChangesToDevice);
        EXPECT_TRUE(Running());
        EXPECT_FALSE(SendChangesEnabled());
        ASSERT_TRUE(PumpUntil([&] { return !Running(); }));
    }
    // `question` is the confirmation expected, answered Yes.
    void SendChanges(const wxString& question) {
        wxTEST_DIALOG(RunSendChanges(), ExpectMessage(kConfirmTitle, question, wxID_YES));
    }
    template <typename Expectation>
    void SendChanges(const wxString& question, const Expectation& then) {
        wxTEST_DIALOG(RunSendChanges(), ExpectMessage(kConfirmTitle, question, wxID_YES), then);
    }

    void Edit(int parameter, int value) {
        auto* spin = dynamic_cast<wxSpinCtrl*>(Frame().BoundControl(parameter));
        ASSERT_NE(spin, nullptr);
        SpinTo(spin, value);
        ASSERT_EQ(Frame().Store().Text(parameter, Frame().EditedPreset()), std::to_string(value));
    }

    // The value writes and preset switches the device received since the log was cleared.
    int Writes() const { return Requests("in  0 "); }
    int Switches() const { return Requests("in  17 SETPRESET "); }
    bool Wrote(int preset, std::string_view key, const std::string& text) const {
        return Requests("in  0 " + ValuePath(preset, key) + " text \"" + text + "\"") == 1;
    }
    std::optional<std::string> Mirrored(int parameter, int preset) {
        const HeldValues* held = Frame().Mirror().Held();
        return held ? (*held)[preset][parameter] : std::nullopt;
    }
};

TEST_F(SendChangesTest, TheMirrorIsKnownAfterALoadAndGoesWithTheConnection) {
    // Logged in, nothing loaded yet: what the device holds is not known.
    EXPECT_FALSE(Frame().Mirror().Known());
    EXPECT_FALSE(SendChangesEnabled());
    EXPECT_TRUE(Frame().GetMenuBar()->IsEnabled(menu::kSendToDevice));
    // The mirror holds the files as the device does: a line end is no part of a value, a
    // file that is not there is not known.
    sim.WriteFile(ValuePath(3, "rec_mic_level"), "30\n");
    sim.RemoveFile(ValuePath(4, "rec_mic_level"));
    wxTEST_DIALOG(
        {
            Command(&Frame(), menu::kLoadFromDevice);
            ASSERT_TRUE(PumpUntil([&] { return !Running(); }));
        },
        wxExpectAny(wxID_OK).Optional());  // the report of the missing value
    EXPECT_TRUE(Frame().Mirror().Known());
    EXPECT_TRUE(SendChangesEnabled());
    EXPECT_EQ(Mirrored(micLevel, 3), "30");
    EXPECT_EQ(Mirrored(micLevel, 4), std::nullopt);
    EXPECT_EQ(Mirrored(micLevel, 5), "25");
    sim.WriteFile(ValuePath(4, "rec_mic_level"), "25");

    // Disconnect, then a new connection: unknown until loaded again.
    Press(false);
    ASSERT_TRUE(PumpUntil([&] { return !Frame().Connected(); }));
    EXPECT_FALSE(Frame().Mirror().Known());
    EXPECT_FALSE(SendChangesEnabled());
    LogIn();
    EXPECT_FALSE(Frame().Mirror().Known());
    EXPECT_FALSE(SendChangesEnabled());
    LoadAll();
    EXPECT_TRUE(SendChangesEnabled());

    // The device is lost.
    wxTEST_DIALOG(
        {
            sim.HangUp();
            ASSERT_TRUE(PumpUntil([&] { return !Frame().Connected(); }));
        },
        ExpectMessage("Communication error", "Connection to device lost"));
    EXPECT_FALSE(Frame().Mirror().Known());
    EXPECT_FALSE(SendChangesEnabled());
}

TEST_F(SendChangesTest, SendsOnlyTheEditedValueThenSwitchesThePreset) {
    LoadAll();
    const int preset = Frame().EditedPreset();
    Edit(micLevel, 40);
    EXPECT_TRUE(Frame().Unsaved().Changed());

    sim.ClearLog();
    SendChanges(kOneChange);
    EXPECT_EQ(Writes(), 1);
    EXPECT_TRUE(Wrote(preset, "rec_mic_level", "40"));
    EXPECT_EQ(Switches(), 1);
    EXPECT_EQ(sim.ReadFile(ValuePath(preset, "rec_mic_level")), "40");
    EXPECT_FALSE(Frame().Unsaved().Changed());
    EXPECT_TRUE(SendChangesEnabled());

    // Nothing differs any more: only the preset switch.
    sim.ClearLog();
    SendChanges(kNoChange);
    EXPECT_EQ(Writes(), 0);
    EXPECT_EQ(Switches(), 1);
}

TEST_F(SendChangesTest, AFullSendMakesTheMirrorKnownAndAPresetLoadUpdatesIt) {
    Frame().Store().StoreSetting(micLevel, 2, "33");
    wxTEST_DIALOG(
        {
            Command(&Frame(), menu::kSendToDevice);
            ASSERT_TRUE(PumpUntil([&] { return !Running(); }));
        },
        ExpectMessage(kConfirmTitle, kConfirmText, wxID_YES));
    EXPECT_TRUE(SendChangesEnabled());
    EXPECT_EQ(Mirrored(micLevel, 2), "33");
    // A value the user may not write went as a permission message: still not known.
    EXPECT_EQ(Mirrored(Frame().Store().Catalogue().Find("he_th"), 2), std::nullopt);

    // Someone else changes the device; reading the preset shows it to the mirror.
    sim.WriteFile(ValuePath(Frame().EditedPreset(), "rec_line_level"), "7");
    {
        GTestModalHook noDialogs(__FILE__, __LINE__, "");
        Command(&Frame(), menu::kReadSinglePreset);
        ASSERT_TRUE(PumpUntil([&] { return !Running(); }));
    }
    EXPECT_EQ(Mirrored(lineLevel, Frame().EditedPreset()), "7");
}

TEST_F(SendChangesTest, AFailedSendLeavesTheMirrorAsTheDeviceIs) {
    LoadAll();
    const int preset = Frame().EditedPreset();
    SettingStore& store = Frame().Store();
    // Three changes in catalogue order; the device refuses the second.
    ASSERT_LT(presetName, micLevel);
    ASSERT_LT(micLevel, lineLevel);
    store.StoreSetting(presetName, preset, "Hall");
    store.StoreSetting(micLevel, preset, "41");
    store.StoreSetting(lineLevel, preset, "5");
    // The service-only value goes as a permission message and stays as it was.
    const int hardEnd = store.Catalogue().Find("he_th");
    const std::string hardEndBefore(store.Text(hardEnd, preset));
    store.StoreSetting(hardEnd, preset, "100");
    sim.SetFaults({.refuseName = ValuePath(preset, "rec_mic_level")});

    sim.ClearLog();
    SendChanges("This sends 4 values that differ from what the device holds.\nAre you sure?",
                ExpectMessage("Communication error",
                              "An error occured while transfering settings to the device."));
    EXPECT_TRUE(Wrote(preset, "preset_name", "Hall"));
    EXPECT_EQ(Writes(), 2);  // preset_name, and rec_mic_level refused
    EXPECT_EQ(Switches(), 0);
    EXPECT_EQ(Mirrored(presetName, preset), "Hall");
    EXPECT_EQ(Mirrored(micLevel, preset), std::nullopt);  // refused: not known what it holds
    EXPECT_EQ(Mirrored(lineLevel, preset), "0");          // never sent
    EXPECT_TRUE(Frame().Unsaved().Changed());

    // The next send of changes sends what the device still lacks, and only that.
    sim.SetFaults({});
    sim.ClearLog();
    SendChanges("This sends 3 values that differ from what the device holds.\nAre you sure?");
    EXPECT_EQ(Writes(), 2);
    EXPECT_TRUE(Wrote(preset, "rec_mic_level", "41"));
    EXPECT_TRUE(Wrote(preset, "rec_line_level", "5"));
    EXPECT_EQ(Requests("in  6 " + ValuePath(preset, "he_th")), 1);
    EXPECT_EQ(Switches(), 1);
    EXPECT_EQ(sim.ReadFile(ValuePath(preset, "he_th")), hardEndBefore);
    EXPECT_EQ(Mirrored(hardEnd, preset), hardEndBefore);
    EXPECT_FALSE(Frame().Unsaved().Changed());
}

TEST_F(SendChangesTest, VerifyNamesAValueTheDeviceKeepsDifferentlyAndIsRemembered) {
    EXPECT_FALSE(Frame().GetMenuBar()->IsChecked(menu::kVerifySends));
    Command(&Frame(), menu::kVerifySends);
    EXPECT_TRUE(Frame().Transfers().Verify());
    LoadAll();
    const int preset = Frame().EditedPreset();
    Edit(micLevel, 40);
    // The device confirms the write but keeps 39.
    const std::string path = ValuePath(preset, "rec_mic_level");
    sim.SetRequestObserver([&](const serial_link::CommandFrame& request) {
        if (request.command == 1 && request.Name() == path)
            sim.WriteFile(path, "39\r\n");
    });
    wxString text;
    SendChanges(kOneChange, CaptureMessage("Communication error", &text));
    sim.SetRequestObserver(nullptr);
    const wxString named = "PRESET " + std::to_string(preset) +
                           ", \"Manual microphone level adjustment (dB)\": sent \"40\", read "
                           "back \"39\".";
    EXPECT_TRUE(text.StartsWith("An error occured while transfering settings to the device."))
        << text;
    EXPECT_TRUE(text.EndsWith(named)) << text;
    EXPECT_EQ(Switches(), 0);
    EXPECT_EQ(Mirrored(micLevel, preset), "39");

    // Sent again, read back right: done.
    sim.ClearLog();
    SendChanges(kOneChange);
    EXPECT_EQ(Writes(), 1);
    EXPECT_EQ(Requests("in  1 " + path), 1);  // read back
    EXPECT_EQ(Switches(), 1);
    EXPECT_EQ(Mirrored(micLevel, preset), "40");
}

TEST(VerifySetting, OutlivesTheWindow) {
    ConfigRoot root;
    {
        FrameWorld world(StartOptions{.configDir = root.Path()});
        EXPECT_FALSE(world.frame->Transfers().Verify());
        Command(world.frame, menu::kVerifySends);
        EXPECT_TRUE(world.frame->GetMenuBar()->IsChecked(menu::kVerifySends));
    }
    {
        FrameWorld world(StartOptions{.configDir = root.Path()});
        EXPECT_TRUE(world.frame->GetMenuBar()->IsChecked(menu::kVerifySends));
        EXPECT_TRUE(world.frame->Transfers().Verify());
        Command(world.frame, menu::kVerifySends);
    }
    FrameWorld world(StartOptions{.configDir = root.Path()});
    EXPECT_FALSE(world.frame->Transfers().Verify());
}

}  // namespace
}  // namespace vyr::test

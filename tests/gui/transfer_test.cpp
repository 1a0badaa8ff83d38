// The settings-transfer commands of the window against the simulator: what a load takes from
// the device, what a send leaves on it, the progress dialog and its Cancel, the busy state of
// the window while a transfer runs, and a device that hangs up in the middle.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <wx/menu.h>
#include <wx/progdlg.h>
#include <wx/spinctrl.h>

#include "app/menus.h"
#include "app/transfers.h"
#include "device/transfer.h"
#include "app/preset_bar.h"
#include "device_window.h"
#include "dialogs/protocol_guard_dlg.h"
#include "gui_events.h"
#include "modal_hook.h"

namespace vyr::test {
namespace {

// What a load that fails or is cancelled must leave exactly as it was.
struct WindowState {
    std::array<std::array<std::string, kPresetCount>, kParameterCount> values;
    int edited = 0;
    int active = 0;

    bool operator==(const WindowState&) const = default;
};

class TransferTest : public DeviceWindowTest {
  protected:
    ActiveEventLoop loop_;

    void SetUp() override {
        DeviceWindowTest::SetUp();
        ConnectAndLogIn(L"superadmin", L"vyr-superadmin");
        ASSERT_TRUE(PumpUntil(
            [&] { return Frame().CurrentUserLevel() == UserLevel::Superadministrator(); }));
    }

    TransferController& Transfers() { return Frame().Transfers(); }
    bool Running() { return Transfers().Running(); }
    wxProgressDialog* Progress() { return Transfers().ProgressDialog(); }
    bool ItemEnabled(int id) { return Frame().GetMenuBar()->IsEnabled(id); }
    bool MenuEnabled(const char* title) {
        wxMenuBar* bar = Frame().GetMenuBar();
        return bar->IsEnabledTop(bar->FindMenu(title));
    }

    WindowState State() {
        WindowState state;
        for (int p = 0; p < kParameterCount; ++p)
            for (int preset = 0; preset < kPresetCount; ++preset)
                state.values[p][preset] = std::string(Frame().Store().Text(p, preset));
        state.edited = Frame().EditedPreset();
        state.active = Frame().Presets().ActiveSelection();
        return state;
    }

    // Presets enabled in the window, `preset` edited and `active` chosen as the device's.
    void EditPreset(int preset, int active) {
        Command(&Frame(), menu::kPresetsSwitch);
        ASSERT_TRUE(Frame().Presets().PresetsEnabled());
        Frame().EditPreset(preset);
        Frame().Presets().SelectActive(active);
        ASSERT_EQ(Frame().EditedPreset(), preset);
        ASSERT_EQ(Frame().Presets().ActiveSelection(), active);
    }

    // Waits for the first progress report of the running transfer.
    void AwaitProgress() {
        ASSERT_TRUE(PumpUntil([&] {
            return Progress() && Progress()->GetMessage().Contains(" of ");
        }));
    }

    // The count the progress dialog shows ("412 of 860": 412).
    int ProgressDone() {
        return Progress() ? std::atoi(Progress()->GetMessage().utf8_str()) : -1;
    }

    void PressCancel() {
        wxWindow* cancel = Progress()->FindWindow(wxID_CANCEL);
        ASSERT_NE(cancel, nullptr);
        wxCommandEvent event(wxEVT_BUTTON, wxID_CANCEL);
        event.SetEventObject(cancel);
        cancel->ProcessWindowEvent(event);
    }

    // The window is busy: "Busy" on the disabled connect button, no device command usable.
    void ExpectBusy() {
        EXPECT_TRUE(Running());
        EXPECT_EQ(Label(), "Busy");
        EXPECT_FALSE(Button()->IsEnabled());
        for (int id : {menu::kLoadFromDevice, menu::kSendToDevice, menu::kSendSinglePreset,
                       menu::kReadSinglePreset})
            EXPECT_FALSE(ItemEnabled(id)) << id;
        EXPECT_FALSE(MenuEnabled("Device"));
        EXPECT_FALSE(MenuEnabled("Administration"));
        EXPECT_NE(Progress(), nullptr);
    }
    void ExpectIdle() {
        EXPECT_FALSE(Running());
        EXPECT_EQ(Label(), "Disconnect");
        EXPECT_TRUE(Button()->IsEnabled());
        EXPECT_TRUE(Button()->GetValue());
        for (int id : {menu::kLoadFromDevice, menu::kSendToDevice, menu::kSendSinglePreset,
                       menu::kReadSinglePreset})
            EXPECT_TRUE(ItemEnabled(id)) << id;
        EXPECT_TRUE(MenuEnabled("Device"));
        EXPECT_TRUE(MenuEnabled("Administration"));
        EXPECT_EQ(Progress(), nullptr);
    }
};

TEST_F(TransferTest, LoadAllTakesTheDevicesValuesReportsRepairsAndSelectsItsActivePreset) {
    const int micLevel = Frame().Store().Catalogue().Find("rec_mic_level");
    for (int preset = 0; preset < kPresetCount; ++preset)
        sim.WriteFile("/chroma/settings/" + std::to_string(preset) + "/presets_enabled", "1");
    sim.WriteFile("/chroma/settings/3/rec_mic_level", "42");
    sim.WriteFile("/chroma/settings/5/rec_line_level", "99");  // out of range: repaired
    sim.RemoveFile("/chroma/settings/4/rec_mic_level");      // missing: default
    sim.WriteFile("/chroma/settings/current_preset", "3");
    Frame().Store().StoreSetting(micLevel, 4, "11");

    wxString log;
    wxTEST_DIALOG(
        {
            Command(&Frame(), menu::kLoadFromDevice);
            ExpectBusy();
            EXPECT_EQ(Progress()->GetTitle(), "Loading settings from device");
            ASSERT_TRUE(PumpUntil([&] { return !Running(); }));
        },
        ExpectDiscard("Load settings from device"), CaptureGuard(&log));
    ExpectIdle();
    EXPECT_TRUE(log.Contains("rec_mic_level")) << log;
    EXPECT_TRUE(log.Contains("rec_line_level")) << log;
    EXPECT_TRUE(log.Contains("99")) << log;

    EXPECT_EQ(Frame().Store().Text(micLevel, 3), "42");
    EXPECT_EQ(Frame().Store().Text(micLevel, 4), "25");
    EXPECT_EQ(Frame().Store().Text(param::presets_enabled, 0), "1");
    EXPECT_EQ(Frame().EditedPreset(), 3);
    EXPECT_EQ(Frame().Presets().ActiveSelection(), 3);
    EXPECT_TRUE(Frame().Presets().Button(3)->GetValue());
    EXPECT_FALSE(Frame().Presets().Button(1)->GetValue());
    // The pages show the edited preset's loaded values.
    auto* spin = dynamic_cast<wxSpinCtrl*>(Frame().BoundControl(micLevel));
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->GetValue(), 42);
}

// A value that got no answer shows its default, but not as the device's: the report says
// "no answer", the window counts it as unsaved, the mirror does not know it, and a message
// says that the window differs from the device.
TEST_F(TransferTest, AValueWithoutAnswerIsNotPassedOffAsTheDevices) {
    const int micLevel = Frame().Store().Catalogue().Find("rec_mic_level");
    sim.WriteFile("/chroma/settings/1/rec_mic_level", "33");
    sim.SetFaults({.silentName = "/chroma/settings/1/rec_mic_level"});
    wxString log, text;
    wxTEST_DIALOG(
        {
            Command(&Frame(), menu::kLoadFromDevice);
            ASSERT_TRUE(PumpUntil([&] { return !Running(); }, std::chrono::seconds(60)));
        },
        CaptureGuard(&log), CaptureMessage("Load settings from device", &text));
    sim.SetFaults({});
    EXPECT_TRUE(log.Contains("\"rec_mic_level\" preset: #1 -no answer- new value: \"25\"")) << log;
    EXPECT_FALSE(log.Contains("-missing-")) << log;
    EXPECT_TRUE(text.StartsWith("1 value got no answer from the device.")) << text;
    EXPECT_EQ(Frame().Store().Text(micLevel, 1), "25");
    EXPECT_TRUE(Frame().Unsaved().Changed());
    EXPECT_TRUE(Frame().GetTitle().Contains("*"));
    ASSERT_TRUE(Frame().Mirror().Known());
    EXPECT_FALSE((*Frame().Mirror().Held())[1][micLevel].has_value());
    EXPECT_TRUE((*Frame().Mirror().Held())[2][micLevel].has_value());
}

TEST_F(TransferTest, ALoadFromADeviceThatHangsUpFailsAtOnceAndChangesNothing) {
    EditPreset(2, 4);
    const int micLevel = Frame().Store().Catalogue().Find("rec_mic_level");
    Frame().Store().StoreSetting(micLevel, 2, "7");
    for (int preset = 0; preset < kPresetCount; ++preset)
        sim.WriteFile("/chroma/settings/" + std::to_string(preset) + "/rec_mic_level", "50");
    const WindowState before = State();
    sim.SetFaults({.hangupAfter = 300});

    const auto started = SteadyClock::now();
    wxTEST_DIALOG(
        {
            Command(&Frame(), menu::kLoadFromDevice);
            ExpectBusy();
            ASSERT_TRUE(PumpUntil([&] { return !Running(); }));
            EXPECT_LT(SteadyClock::now() - started, std::chrono::seconds(5));
            EXPECT_EQ(Progress(), nullptr);
            EXPECT_EQ(State(), before);
            // The keep-alive then finds the device gone.
            ASSERT_TRUE(PumpUntil([&] { return !Frame().Connected(); }));
        },
        ExpectDiscard("Load settings from device"),
        // One box at a time: the keep-alive waits while the load's failure is read, so
        // that its loss message comes after it, not on top of it.
        ExpectMessageWhile(kTransferError.title.data(), kTransferError.text.data(),
                           [&] {
                               PumpFor(std::chrono::milliseconds(2500));
                               EXPECT_TRUE(Frame().Connected());
                           }),
        ExpectMessage("Communication error", "Connection to device lost"));
    EXPECT_EQ(State(), before);
    EXPECT_EQ(Label(), "Connect");
    EXPECT_TRUE(Button()->IsEnabled());
}

TEST_F(TransferTest, ACancelledLoadStopsSoonAndChangesNothing) {
    EditPreset(2, 4);
    sim.WriteFile("/chroma/settings/2/rec_mic_level", "50");
    sim.WriteFile("/chroma/settings/current_preset", "6");
    const WindowState before = State();
    sim.SetFaults({.latencyMs = 20});  // 860 values: 17 s and more

    wxTEST_DIALOG(Command(&Frame(), menu::kLoadFromDevice),
                  ExpectDiscard("Load settings from device"));
    GTestModalHook noDialogs(__FILE__, __LINE__, "");
    AwaitProgress();
    EXPECT_TRUE(Progress()->IsShown());
    PressCancel();
    // Well before the load could have finished.
    ASSERT_TRUE(PumpUntil([&] { return !Running(); }));
    sim.SetFaults({});
    ExpectIdle();
    EXPECT_EQ(State(), before);
}

TEST_F(TransferTest, ReadSinglePresetLoadsTheEditedPresetAndSelectsTheActiveOne) {
    EditPreset(2, 1);
    const int micLevel = Frame().Store().Catalogue().Find("rec_mic_level");
    sim.WriteFile("/chroma/settings/2/presets_enabled", "1");
    sim.WriteFile("/chroma/settings/2/rec_mic_level", "33");
    sim.WriteFile("/chroma/settings/5/rec_mic_level", "44");
    sim.WriteFile("/chroma/settings/current_preset", "5");

    wxTEST_DIALOG(Command(&Frame(), menu::kReadSinglePreset),
                  ExpectDiscard("Read single preset from device"));
    GTestModalHook noDialogs(__FILE__, __LINE__, "");
    ExpectBusy();
    ASSERT_TRUE(PumpUntil([&] { return !Running(); }));
    ExpectIdle();
    EXPECT_EQ(Frame().Store().Text(micLevel, 2), "33");
    EXPECT_EQ(Frame().Store().Text(micLevel, 5), "25");  // not loaded
    EXPECT_EQ(Frame().EditedPreset(), 2);
    EXPECT_EQ(Frame().Presets().ActiveSelection(), 5);
    EXPECT_EQ(dynamic_cast<wxSpinCtrl*>(Frame().BoundControl(micLevel))->GetValue(), 33);
}

TEST_F(TransferTest, SendSinglePresetWritesTheEditedPresetAndSwitchesTheDevice) {
    EditPreset(2, 2);
    const int micLevel = Frame().Store().Catalogue().Find("rec_mic_level");
    Frame().Store().StoreSetting(micLevel, 2, "37");
    Frame().Store().StoreSetting(micLevel, 3, "38");
    Frame().Store().StoreSetting(param::mic_label, 2, "Stage_left");

    GTestModalHook noDialogs(__FILE__, __LINE__, "");
    Command(&Frame(), menu::kSendSinglePreset);
    ExpectBusy();
    EXPECT_EQ(Progress()->GetTitle(), "Sending settings to device");
    ASSERT_TRUE(PumpUntil([&] { return !Running(); }));
    ExpectIdle();
    EXPECT_EQ(sim.ReadFile("/chroma/settings/2/rec_mic_level"), "37");
    EXPECT_EQ(sim.ReadFile("/chroma/settings/3/rec_mic_level"), "25");
    for (int preset = 0; preset < kPresetCount; ++preset)
        EXPECT_EQ(sim.ReadFile("/chroma/settings/" + std::to_string(preset) + "/mic_label"),
                  "Stage_left")
            << preset;
    EXPECT_EQ(sim.ReadFile("/chroma/settings/current_preset"), "2");
}

TEST_F(TransferTest, SendAllAsksFirstAndACancelledSendSaysHowFarItGot) {
    wxTEST_DIALOG(Command(&Frame(), menu::kSendToDevice),
                  ExpectMessage("Confirm action",
                                "This overwrites all settings on the device.\nAre you sure?",
                                wxID_NO));
    EXPECT_FALSE(Running());

    const int micLevel = Frame().Store().Catalogue().Find("rec_mic_level");
    Frame().Store().StoreSetting(micLevel, 0, "12");
    sim.SetFaults({.latencyMs = 20});
    wxString text;
    wxTEST_DIALOG(
        {
            Command(&Frame(), menu::kSendToDevice);
            ExpectBusy();
            AwaitProgress();
            // Past rec_mic_level of the DEFAULT preset, the first preset sent.
            ASSERT_TRUE(PumpUntil([&] { return ProgressDone() > micLevel + 1; }));
            PressCancel();
            ASSERT_TRUE(PumpUntil([&] { return !Running(); }));
        },
        ExpectMessage("Confirm action",
                      "This overwrites all settings on the device.\nAre you sure?", wxID_YES),
        CaptureMessage("Send settings to device", &text));
    sim.SetFaults({});
    ExpectIdle();
    int sent = 0;
    ASSERT_EQ(std::sscanf(text.utf8_str(), "Sending was cancelled after %d of 860 values.", &sent),
              1)
        << text;
    EXPECT_GT(sent, 0);
    EXPECT_LT(sent, 860);
    EXPECT_TRUE(text.EndsWith("The device now holds a mix of old and new settings.")) << text;
    EXPECT_EQ(sim.ReadFile("/chroma/settings/0/rec_mic_level"), "12");
}

}  // namespace
}  // namespace vyr::test

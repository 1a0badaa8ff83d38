// Settings transfer, login, clock and device information against the simulator.
#include "settings/text.h"
#include "settings/transfer.h"
#include "settings/device_info.h"
#include "settings/device_session.h"
#include "sim_fixture.h"

namespace vyr::test {
namespace {

using serial_link::LinkHold;

// Records what a transfer shows; answers questions with Yes.
class RecordingUi : public OperationUi {
  public:
    std::vector<std::string> messages;
    std::vector<std::wstring> guards;
    std::function<void(int, int)> onProgress;
    int busy = 0, busyMax = 0;
    int active = 1, edited = 1;
    bool confirm = true;

    void BeginBusy() override { busyMax = std::max(busyMax, ++busy); }
    void EndBusy() override { --busy; }
    void Progress(int done, int total) override {
        if (onProgress)
            onProgress(done, total);
    }
    void ShowMessage(const StatusMessage& message) override {
        messages.push_back(std::string(message.title) + ": " + std::string(message.text));
    }
    bool Confirm(std::string_view, std::string_view) override { return confirm; }
    void ShowGuard(const GuardLog& guard) override { guards.push_back(guard.Log()); }
    int ActivePreset() const override { return active; }
    void SetActivePreset(int preset) override { active = preset; }
    int EditedPreset() const override { return edited; }
    void SelectEditedPreset(int preset) override { edited = preset; }
};

class Transfer : public SimLink {
  protected:
    SettingCatalogue catalogue;
    GuardLog guard;
    SettingStore store{catalogue, guard};
    RecordingUi ui;
    SettingsTransfer transfer{link, store, ui};

    std::string DevicePath(std::string_view key, int preset) {
        return "/chroma/settings/" + std::to_string(preset) + "/" + std::string(key);
    }
    std::string Device(std::string_view key, int preset) {
        return sim.ReadFile(DevicePath(key, preset)).value_or("<none>");
    }
    std::string Stored(std::string_view key, int preset) {
        return std::string(store.Text(catalogue.Find(key), preset));
    }
};

TEST_F(Transfer, LoadSendLoadKeepsTheDeviceValues) {
    sim.WriteFile(DevicePath("preset_name", 3), "Interview");
    sim.WriteFile(DevicePath("rec_mic_level", 7), "42\n");
    sim.WriteFile(DevicePath("mic_label", 9), "Booth_\xE4");
    sim.WriteFile("/chroma/settings/current_preset", "3\n");
    link.SetUserLevel(3);
    transfer.LoadAllFromDevice();
    EXPECT_TRUE(ui.guards.empty());
    EXPECT_EQ(Stored("preset_name", 3), "Interview");
    EXPECT_EQ(Stored("rec_mic_level", 7), "42");
    EXPECT_EQ(Stored("mic_label", 0), "Booth_\xE4");  // a global value comes from preset 9
    EXPECT_EQ(ui.active, 3);
    EXPECT_EQ(ui.edited, 3);
    EXPECT_EQ(ui.busy, 0);

    ui.active = 3;
    ASSERT_TRUE(transfer.SendAllToDevice());
    EXPECT_TRUE(ui.messages.empty());
    for (int preset = 0; preset < kPresetCount; ++preset) {
        for (int p = 0; p < kParameterCount; ++p) {
            EXPECT_EQ(Device(catalogue[p].key, preset), std::string(store.Text(p, preset)))
                << catalogue[p].key;
        }
    }
    EXPECT_EQ(CountRequests("in  17 SETPRESET text \"/chroma/scripts/set_preset 3\""), 1u);

    SettingCatalogue catalogue2;
    GuardLog guard2;
    SettingStore again(catalogue2, guard2);
    SettingsTransfer transfer2(link, again, ui);
    transfer2.LoadAllFromDevice();
    for (int preset = 0; preset < kPresetCount; ++preset) {
        for (int p = 0; p < kParameterCount; ++p)
            EXPECT_EQ(again.Text(p, preset), store.Text(p, preset));
    }
}

TEST_F(Transfer, MissingAndInvalidValuesAreReportedInOrder) {
    sim.RemoveFile(DevicePath("rec_mic_level", 2));
    sim.WriteFile(DevicePath("rec_line_level", 2), "99");
    ui.edited = 2;
    transfer.LoadEditedPresetFromDevice();
    ASSERT_EQ(ui.guards.size(), 1u);
    EXPECT_EQ(
        WideToUtf8(ui.guards[0]),
        "    parameter: \"rec_mic_level\" preset: #2 -missing- new value: \"25\"\n"
        "    parameter: \"rec_line_level\" preset: #2 invalid_value: \"99\" new value: \"0\"\n");
    EXPECT_NE(guard.Explanation().find(L" while loading from device.\n"), std::wstring::npos);
    EXPECT_EQ(Stored("rec_mic_level", 2), "25");
    EXPECT_EQ(ui.edited, 2);  // a single-preset load keeps the edited preset
}

TEST_F(Transfer, AdministratorsSkipDefaultAndTheHardEndSettings) {
    link.SetUserLevel(4);
    ASSERT_TRUE(transfer.SendAllToDevice());
    EXPECT_EQ(CountRequests("in  0 /chroma/settings/0/"), 0u);
    EXPECT_EQ(CountRequests("in  6 /chroma/settings/0/"), 0u);
    for (int preset = 1; preset < kPresetCount; ++preset) {
        EXPECT_EQ(CountRequests("in  6 " + DevicePath("he_th", preset) +
                                " text \"permission denied writing setting he_th\\n\""),
                  1u);
        EXPECT_EQ(CountRequests("in  0 " + DevicePath("he_th", preset)), 0u);
        EXPECT_EQ(CountRequests("in  0 " + DevicePath("roi_up_th", preset)), 1u);
    }
    std::size_t allowed = 0;
    for (int p = 0; p < kParameterCount; ++p)
        allowed += catalogue[p].accessLevel >= 4 ? 1 : 0;
    EXPECT_EQ(allowed, 86u - 12);  // ten hard-end and autoleveling values, two identity values
    EXPECT_EQ(CountRequests("in  0 "), 9 * allowed);
}

TEST_F(Transfer, ASinglePresetWritesGlobalsIntoEveryPreset) {
    link.SetUserLevel(3);
    store.StoreSetting(catalogue.Find("mic_label"), 2, "Studio");
    store.StoreSetting(catalogue.Find("preset_name"), 2, "Two");
    ui.edited = 2;
    ui.active = 5;
    ASSERT_TRUE(transfer.SendEditedPresetToDevice(true));
    for (int preset = 0; preset < kPresetCount; ++preset)
        EXPECT_EQ(Device("mic_label", preset), "Studio");
    EXPECT_EQ(Device("preset_name", 2), "Two");
    EXPECT_EQ(Device("preset_name", 3), "Factory_settings");
    std::size_t writes = 0;
    for (int p = 0; p < kParameterCount; ++p) {
        if (catalogue[p].accessLevel >= 3)
            writes += catalogue[p].global ? 10 : 1;
    }
    EXPECT_EQ(CountRequests("in  0 "), writes);
    EXPECT_EQ(CountRequests("in  17 SETPRESET text \"/chroma/scripts/set_preset 5\""), 1u);

    link.SetUserLevel(4);
    ui.edited = 0;
    sim.ClearLog();
    EXPECT_FALSE(transfer.SendEditedPresetToDevice(true));
    EXPECT_EQ(CountRequests("in  0 "), 0u);
    EXPECT_EQ(CountRequests("in  17 SETPRESET"), 1u);  // nothing to send, the switch still happens
}

TEST_F(Transfer, ADeviceFallingSilentStopsTheSend) {
    link.SetUserLevel(3);
    // Preset 0 to 5 are 6 x 86 writes; go silent a few values into preset 6.
    ui.onProgress = [&](int done, int) {
        if (done == 6 * 86 + 10)
            SetFaults({.silent = true});
    };
    EXPECT_FALSE(transfer.SendAllToDevice());
    EXPECT_EQ(
        ui.messages,
        (std::vector<std::string>{
            "Communication error: An error occured while transfering settings to the device."}));
    EXPECT_EQ(CountRequests("in  0 /chroma/settings/6/"), 11u);
    EXPECT_EQ(CountRequests("in  0 /chroma/settings/7/"), 0u);
    EXPECT_EQ(CountRequests("in  17"), 0u);
    EXPECT_EQ(ui.busy, 0);
}

TEST_F(Transfer, DecliningTheQuestionSendsNothing) {
    ui.confirm = false;
    EXPECT_FALSE(transfer.SendAllToDevice());
    EXPECT_EQ(sim.RequestsReceived(), 0);
}

TEST_F(Transfer, AVanishingDeviceEndsTheLoadQuickly) {
    SetFaults({.hangupAfter = 100});
    link.SetTimeoutsForTesting(serial_link::Timeouts{});  // the real ones
    const double seconds = SecondsFor([&] { transfer.LoadAllFromDevice(); });
    EXPECT_LT(seconds, 3.0);
    ASSERT_EQ(ui.guards.size(), 1u);
    const std::string log = WideToUtf8(ui.guards[0]);
    EXPECT_NEAR(static_cast<double>(std::count(log.begin(), log.end(), '\n')), 860 - 100, 2);
    EXPECT_EQ(ui.active, 1);
}

TEST_F(Transfer, ActivePreset) {
    const std::pair<const char*, int> cases[] = {{"3\n", 3}, {"x", 1},  {"0", 0},
                                                 {"12", 1},  {"-1", 1}, {"", 1}};
    for (const auto& [text, expected] : cases) {
        sim.WriteFile("/chroma/settings/current_preset", text);
        EXPECT_EQ(transfer.ReadActivePreset(), expected) << text;
    }
}

class Session : public SimLink {};

TEST_F(Session, LoginHoldsNamesToTheDeviceRepertoire) {
    EXPECT_EQ(Login(link, L"admin", L"vyr-admin").level, 4);
    EXPECT_EQ(link.UserLevel(), 4);
    sim.ClearLog();
    EXPECT_EQ(Login(link, L"caf\u00e9 user.x-1", L"pw\u00e9").status, LoginStatus::Refused);
    EXPECT_EQ(Frames("in ").at(0), "in  12 /chroma/users/caf_ user.x-1 text \"***\"");
    EXPECT_EQ(link.UserLevel(), 4);
    const int before = sim.RequestsReceived();
    EXPECT_EQ(Login(link, std::wstring(242, L'u'), L"pw").status, LoginStatus::TooLong);
    EXPECT_EQ(Login(link, L"admin", std::wstring(180, L'p')).status, LoginStatus::TooLong);
    EXPECT_EQ(sim.RequestsReceived(), before);
}

TEST_F(Session, HardwareClass) {
    const std::pair<const char*, int> cases[] = {{"1\n", 4}, {"1x", 4}, {"0", 2},
                                                 {"2", 2},   {"11", 2}, {"", 2}};
    for (const auto& [text, expected] : cases) {
        sim.WriteFile("/tmp/hw_type", text);
        EXPECT_EQ(ReadHardwareClass(link), expected) << text;
    }
    sim.RemoveFile("/tmp/hw_type");
    EXPECT_EQ(ReadHardwareClass(link), 2);
}

TEST_F(Session, ClockLineAndClockCheck) {
    EXPECT_EQ(SetTimeCommandLine({2024, 3, 7, 9, 5, 42}),
              "date -s 2024.03.07-09:05:42; /chroma/scripts/sync_with_rtc");
    EXPECT_EQ(SetTimeCommandLine({2023, 12, 31, 23, 59, 0}),
              "date -s 2023.12.31-23:59:00; /chroma/scripts/sync_with_rtc");

    SetDeviceClock(link, false, {2024, 3, 7, 9, 5, 42});
    EXPECT_EQ(sim.RequestsReceived(), 0);  // not connected: nothing sent
    SetDeviceClock(link, true, {2024, 3, 7, 9, 5, 42});
    EXPECT_EQ(Frames("in ").at(0),
              "in  17 SETTIME text \"date -s 2024.03.07-09:05:42; /chroma/scripts/sync_with_rtc\"");
    const auto time = ReadDeviceTime(link);
    ASSERT_TRUE(time);
    EXPECT_TRUE(time->starts_with("2024/03/07-09:05:4")) << *time;

    const std::pair<const char*, bool> cases[] = {
        {"1\n", true}, {"0", false}, {"", false}, {"1 x", false}};
    for (const auto& [text, expected] : cases) {
        sim.WriteFile("/chroma/settings/current/rtc_autosync", text);
        sim.ClearLog();
        EXPECT_EQ(ClockCheck(link, true), expected) << text;
        EXPECT_EQ(CountRequests("in  17 SETTIME"), expected ? 1u : 0u) << text;
    }
}

TEST_F(Session, DeviceInformation) {
    EXPECT_EQ(DeviceInformation::PowerLine(87, 2607, 1000), " 87% :: 0x0a2f :: 0x03e8");
    EXPECT_TRUE(DeviceInformation::PowerLine(100, 70000, 1).starts_with("100% :: 0x11170 :: "));
    EXPECT_EQ(DeviceInformation::CapsuleLine("b", 0x10, 0x20), "  B  :: 0x0010 :: 0x0020");

    DeviceInformation info;
    EXPECT_EQ(info.Value(DeviceInformation::Firmware), "...");
    sim.RemoveFile("/chroma/fw_version");
    sim.WriteFile("/chroma/firmware_version", "2.0\n");
    sim.WriteFile("/chroma/serialnumber", "VYR-4711");
    sim.WriteFile("/chroma/mics/current_mic", "b\n");
    sim.WriteFile("/tmp/hw_type", "1");
    sim.WriteFile("/tmp/power_accu", "87");
    sim.WriteFile("/tmp/accu_voltage", "2607");
    sim.WriteFile("/tmp/accu_cal", "1000");
    sim.WriteFile("/tmp/power_batt", "none");
    info.Tick(link);
    EXPECT_EQ(info.Value(DeviceInformation::Firmware), "2.0 - undefined");
    EXPECT_EQ(info.Value(DeviceInformation::Type), "Vyr Recorder");
    EXPECT_EQ(info.Value(DeviceInformation::Internal), " 87% :: 0x0a2f :: 0x03e8");
    EXPECT_TRUE(info.Value(DeviceInformation::Battery).starts_with("  0% :: 0x"));
    EXPECT_TRUE(info.Value(DeviceInformation::Capsule).starts_with("  B  :: 0x"));
    const std::string text = info.ClipboardText();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6);
    EXPECT_NE(text.find("\nSerial number: \tVYR-4711\nHardware type: \tVyr Recorder\n"),
              std::string::npos);
    EXPECT_NE(text.back(), '\n');

    // Identity is read once per reset; the measurements every tick.
    sim.ClearLog();
    info.Tick(link);
    EXPECT_EQ(CountRequests("in  1 /chroma/serialnumber"), 0u);
    EXPECT_EQ(CountRequests("in  1 /tmp/accu_voltage"), 1u);
    info.Reset();
    EXPECT_EQ(info.Value(DeviceInformation::Serial), "");
}

}  // namespace
}  // namespace vyr::test

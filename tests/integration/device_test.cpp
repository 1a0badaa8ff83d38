// Device operations against the simulator: settings transfer, login, hardware class, clock,
// device information.
#include "device/clock.h"
#include "device/device_info.h"
#include "device/transfer.h"
#include "settings/text.h"
#include "sim_fixture.h"

namespace vyr::test {
namespace {

using serial_link::LinkHold;

// Records the progress reports; cancels when told to.
class RecordingProgress : public Progress {
  public:
    std::function<void(int)> onReport;
    int reports = 0;
    int lastDone = -1, lastTotal = -1;
    bool cancel = false;

    void Report(int done, int total, std::string_view, int) override {
        ++reports;
        lastDone = done;
        lastTotal = total;
        if (onReport)
            onReport(done);
    }
    bool CancelRequested() override { return cancel; }
};

class Transfer : public SimLink {
  protected:
    SettingsModel model;
    SettingStore& store = model.store;
    SettingCatalogue& catalogue = model.catalogue;
    RecordingProgress progress;

    std::string DevicePath(std::string_view key, int preset) { return SettingPath(preset, key); }
    std::string Device(std::string_view key, int preset) {
        return sim.ReadFile(DevicePath(key, preset)).value_or("<none>");
    }
    std::string Stored(const SettingStore& from, std::string_view key, int preset) {
        return std::string(from.Text(catalogue.Find(key), preset));
    }
    // Every value of `a` equals the one of `b`.
    static bool SameValues(const SettingStore& a, const SettingStore& b) {
        for (int preset = 0; preset < kPresetCount; ++preset) {
            for (int p = 0; p < kParameterCount; ++p) {
                if (a.Text(p, preset) != b.Text(p, preset))
                    return false;
            }
        }
        return true;
    }
    void LogIn(UserLevel level) { device.level = level; }
};

TEST_F(Transfer, LoadSendLoadKeepsTheDeviceValues) {
    sim.WriteFile(DevicePath("preset_name", 3), "Interview");
    sim.WriteFile(DevicePath("rec_mic_level", 7), "42\n");
    sim.WriteFile(DevicePath("mic_label", 9), "Booth_\xE4");
    sim.WriteFile("/chroma/settings/current_preset", "3\n");
    LogIn(UserLevel::Superadministrator());
    const LoadResult load = LoadFromDevice(device, store, {}, progress);
    ASSERT_EQ(load.status, TransferStatus::Done);
    EXPECT_TRUE(load.loaded->guard.Empty());
    EXPECT_TRUE(load.unanswered.empty());
    const SettingStore& loaded = load.loaded->store;
    EXPECT_EQ(Stored(loaded, "preset_name", 3), "Interview");
    EXPECT_EQ(Stored(loaded, "rec_mic_level", 7), "42");
    EXPECT_EQ(Stored(loaded, "mic_label", 0), "Booth_\xE4");  // a global value comes from preset 9
    EXPECT_EQ(load.activePreset, 3);
    EXPECT_EQ(progress.lastDone, 860);
    // The caller's store is the caller's to change.
    EXPECT_EQ(Stored(store, "preset_name", 3), "Factory_settings");

    store.AssignValues(loaded);
    const SendResult sent = SendAllToDevice(device, store, 3, progress);
    ASSERT_EQ(sent.status, TransferStatus::Done);
    EXPECT_EQ(sent.confirmed, 860);
    EXPECT_TRUE(sent.presetSelected);
    for (int preset = 0; preset < kPresetCount; ++preset) {
        for (int p = 0; p < kParameterCount; ++p) {
            EXPECT_EQ(Device(catalogue[p].key, preset), std::string(store.Text(p, preset)))
                << catalogue[p].key;
        }
    }
    EXPECT_EQ(CountRequests("in  17 SETPRESET text \"/chroma/scripts/set_preset 3\""), 1u);

    const LoadResult again = LoadFromDevice(device, SettingsModel().store, {}, progress);
    ASSERT_EQ(again.status, TransferStatus::Done);
    EXPECT_TRUE(SameValues(again.loaded->store, store));
}

TEST_F(Transfer, MissingAndInvalidValuesAreReportedInOrder) {
    sim.RemoveFile(DevicePath("rec_mic_level", 2));
    sim.WriteFile(DevicePath("rec_line_level", 2), "99");
    store.StoreSetting(catalogue.Find("preset_name"), 5, "Kept");
    const LoadResult load = LoadFromDevice(device, store, 2, progress);
    ASSERT_EQ(load.status, TransferStatus::Done);
    EXPECT_EQ(
        WideToUtf8(load.loaded->guard.Log()),
        "    parameter: \"rec_mic_level\" preset: #2 -missing- new value: \"25\"\n"
        "    parameter: \"rec_line_level\" preset: #2 invalid_value: \"99\" new value: \"0\"\n");
    EXPECT_NE(load.loaded->guard.Explanation().find(L" while loading from device.\n"),
              std::wstring::npos);
    EXPECT_EQ(Stored(load.loaded->store, "rec_mic_level", 2), "25");
    // A value the device says it does not have is its answer, not a silence.
    EXPECT_TRUE(load.unanswered.empty());
    // A single-preset load keeps the other presets.
    EXPECT_EQ(Stored(load.loaded->store, "preset_name", 5), "Kept");
    EXPECT_EQ(CountRequests("in  1 /chroma/settings/2/"), 86u);
}

TEST_F(Transfer, ADroppedReplyIsAskedForAgain) {
    sim.WriteFile(DevicePath("preset_name", 1), "Dropped_once");
    // Drop the request that reads preset 1's preset_name (and every request that many later).
    const int index = catalogue.Find("preset_name");
    SetFaults({.dropEvery = kParameterCount + index + 1});
    const LoadResult load = LoadFromDevice(device, store, {}, progress);
    ASSERT_EQ(load.status, TransferStatus::Done);
    EXPECT_TRUE(load.loaded->guard.Empty()) << WideToUtf8(load.loaded->guard.Log());
    EXPECT_TRUE(load.unanswered.empty());
    EXPECT_EQ(Stored(load.loaded->store, "preset_name", 1), "Dropped_once");
    EXPECT_EQ(CountRequests("in  1 " + DevicePath("preset_name", 1) + " "), 2u);
}

TEST_F(Transfer, AValueNeverAnsweredIsNamedApartFromOneTheDeviceLacks) {
    // Silence exactly the two asks for preset 4's rec_mic_level: the request before it turns
    // the device silent, the second ask turns it back.
    const std::string target = DevicePath("rec_mic_level", 4);
    const std::string before =
        DevicePath(catalogue[catalogue.Find("rec_mic_level") - 1].key, 4);
    int asks = 0;
    sim.SetRequestObserver([&](const serial_link::CommandFrame& request) {
        if (request.Name() == before)
            sim.SetFaults({.silent = true});
        if (request.Name() == target && ++asks == 2)
            sim.SetFaults({});
    });
    const LoadResult load = LoadFromDevice(device, store, 4, progress);
    sim.SetRequestObserver(nullptr);
    ASSERT_EQ(load.status, TransferStatus::Done);
    EXPECT_EQ(ValueNames(store.Catalogue(), load.unanswered),
              (std::vector<std::string>{"rec_mic_level, PRESET 4"}));
    EXPECT_TRUE(load.absent.empty());
    // Not "-missing-": the device never said that it lacks the value.
    EXPECT_EQ(WideToUtf8(load.loaded->guard.Log()),
              "    parameter: \"rec_mic_level\" preset: #4 -no answer- new value: \"25\"\n");
    EXPECT_FALSE((*load.held)[4][store.Catalogue().Find("rec_mic_level")].has_value());

    // A value file the device says it does not have is its answer: missing, not unanswered.
    sim.RemoveFile(target);
    const LoadResult lacking = LoadFromDevice(device, store, 4, progress);
    EXPECT_TRUE(lacking.unanswered.empty());
    EXPECT_EQ(ValueNames(store.Catalogue(), lacking.absent),
              (std::vector<std::string>{"rec_mic_level, PRESET 4"}));
    EXPECT_EQ(WideToUtf8(lacking.loaded->guard.Log()),
              "    parameter: \"rec_mic_level\" preset: #4 -missing- new value: \"25\"\n");
}

TEST_F(Transfer, ThreeSilentValuesInARowFailTheLoadAndChangeNothing) {
    store.StoreSetting(catalogue.Find("preset_name"), 3, "Mine");
    progress.onReport = [&](int done) {
        if (done == 200)
            SetFaults({.silent = true});
    };
    const LoadResult load = LoadFromDevice(device, store, {}, progress);
    EXPECT_EQ(load.status, TransferStatus::Failed);
    EXPECT_EQ(load.loaded, nullptr);
    // Three values, each asked twice, then nothing more.
    EXPECT_EQ(CountRequests("in  1 /chroma/settings/"), 200u + 6u);
    EXPECT_EQ(Stored(store, "preset_name", 3), "Mine");
}

TEST_F(Transfer, AHangUpEndsTheLoadAtOnce) {
    SetFaults({.hangupAfter = 100});
    link.SetTimeoutsForTesting(serial_link::Timeouts{});  // the real ones
    const LoadResult load = LoadFromDevice(device, store, {}, progress);
    EXPECT_EQ(load.status, TransferStatus::Failed);
    EXPECT_EQ(load.loaded, nullptr);
    EXPECT_EQ(sim.RequestsReceived(), 100);
    EXPECT_LT(progress.lastDone, 100);
}

TEST_F(Transfer, CancelStopsAfterTheExchangeInFlight) {
    progress.onReport = [&](int done) { progress.cancel = done == 150; };
    const LoadResult load = LoadFromDevice(device, store, {}, progress);
    EXPECT_EQ(load.status, TransferStatus::Cancelled);
    EXPECT_EQ(load.loaded, nullptr);
    EXPECT_EQ(sim.RequestsReceived(), 151);
}

TEST_F(Transfer, AdministratorsSkipDefaultAndTheHardEndSettings) {
    LogIn(UserLevel::Administrator());
    ASSERT_EQ(SendAllToDevice(device, store, 1, progress).status, TransferStatus::Done);
    EXPECT_EQ(CountRequests("in  0 /chroma/settings/0/"), 0u);
    EXPECT_EQ(CountRequests("in  6 /chroma/settings/0/"), 0u);
    for (int preset = 1; preset < kPresetCount; ++preset) {
        EXPECT_EQ(CountRequests("in  6 " + DevicePath("he_th", preset) +
                                " text \"permission denied writing setting he_th\\n\""),
                  1u);
        EXPECT_EQ(CountRequests("in  0 " + DevicePath("he_th", preset) + " "), 0u);
        EXPECT_EQ(CountRequests("in  0 " + DevicePath("roi_up_th", preset) + " "), 1u);
    }
    std::size_t allowed = 0;
    for (int p = 0; p < kParameterCount; ++p)
        allowed += catalogue[p].accessLevel >= 4 ? 1 : 0;
    EXPECT_EQ(allowed, 86u - 12);  // ten hard-end and autoleveling values, two identity values
    EXPECT_EQ(CountRequests("in  0 "), 9 * allowed);
}

TEST_F(Transfer, ASinglePresetWritesGlobalsIntoEveryPreset) {
    LogIn(UserLevel::Superadministrator());
    store.StoreSetting(catalogue.Find("mic_label"), 2, "Studio");
    store.StoreSetting(catalogue.Find("preset_name"), 2, "Two");
    const SendResult sent = SendPresetToDevice(device, store, 2, 5, progress);
    ASSERT_EQ(sent.status, TransferStatus::Done);
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

    LogIn(UserLevel::Administrator());
    sim.ClearLog();
    const SendResult none = SendPresetToDevice(device, store, 0, 5, progress);
    EXPECT_EQ(none.status, TransferStatus::Done);
    EXPECT_EQ(none.total, 0);
    EXPECT_EQ(CountRequests("in  0 "), 0u);
    EXPECT_EQ(CountRequests("in  17 SETPRESET"), 1u);  // nothing to send, the switch still happens
}

TEST_F(Transfer, ADeviceFallingSilentStopsTheSend) {
    LogIn(UserLevel::Superadministrator());
    // Preset 0 to 5 are 6 x 86 writes; go silent a few values into preset 6.
    progress.onReport = [&](int done) {
        if (done == 6 * 86 + 10)
            SetFaults({.silent = true});
    };
    const SendResult sent = SendAllToDevice(device, store, 1, progress);
    EXPECT_EQ(sent.status, TransferStatus::Failed);
    EXPECT_EQ(sent.confirmed, 6 * 86 + 10);
    EXPECT_EQ(sent.total, 860);
    EXPECT_FALSE(sent.presetSelected);
    EXPECT_EQ(CountRequests("in  0 /chroma/settings/6/"), 11u);
    EXPECT_EQ(CountRequests("in  0 /chroma/settings/7/"), 0u);
    EXPECT_EQ(CountRequests("in  17"), 0u);
}

// A send against a base the device holds writes only what differs, under the same level rules
// as a full send, in the same order.
TEST_F(Transfer, AChangesSendWritesOnlyTheDifferences) {
    SettingsModel base;  // the device holds the factory values
    store.StoreSetting(catalogue.Find("preset_name"), 0, "Zero");
    store.StoreSetting(catalogue.Find("preset_name"), 3, "Three");
    // Global, in every preset; a superadministrator's to write, not an administrator's.
    store.StoreSetting(catalogue.Find("mic_label"), 2, "Booth");
    store.StoreSetting(catalogue.Find("rec_mic_level"), 5, "30");
    store.StoreSetting(catalogue.Find("he_th"), 4, "-9");  // only for service levels 0..2
    const auto requests = [&] {
        std::vector<std::string> names;
        for (const std::string& line : Frames("in ")) {
            if (line.starts_with("in  0 ") || line.starts_with("in  6 ") ||
                line.starts_with("in  17 "))
                names.push_back(line.substr(0, line.find(" text ")));
        }
        return names;
    };
    const auto path = [&](const char* command, std::string_view key, int preset) {
        return std::string("in  ") + command + " " + DevicePath(key, preset);
    };
    const std::string select = "in  17 SETPRESET";

    LogIn(UserLevel::Administrator());
    SendResult sent = SendToDevice(device, store, {.base = &base.store}, 4, progress);
    ASSERT_EQ(sent.status, TransferStatus::Done);
    EXPECT_EQ(sent.confirmed, 12);
    EXPECT_EQ(sent.total, 12);
    EXPECT_TRUE(sent.presetSelected);
    std::vector<std::string> expected = {path("6", "mic_label", 1)};
    for (int preset = 2; preset < kPresetCount; ++preset) {
        expected.push_back(path("6", "mic_label", preset));
        if (preset == 3)
            expected.push_back(path("0", "preset_name", 3));
        if (preset == 4)
            expected.push_back(path("6", "he_th", 4));
        if (preset == 5)
            expected.push_back(path("0", "rec_mic_level", 5));
    }
    expected.push_back(select);
    EXPECT_EQ(requests(), expected);
    EXPECT_EQ(Device("preset_name", 3), "Three");
    EXPECT_NE(Device("mic_label", 1), "Booth");
    EXPECT_NE(Device("he_th", 4), "-9");

    // A superadministrator writes the DEFAULT preset and the global value too.
    LogIn(UserLevel::Superadministrator());
    sim.ClearLog();
    sent = SendToDevice(device, store, {.base = &base.store}, 4, progress);
    ASSERT_EQ(sent.status, TransferStatus::Done);
    EXPECT_EQ(sent.total, 14);
    EXPECT_EQ(CountRequests(path("0", "preset_name", 0) + " "), 1u);
    EXPECT_EQ(CountRequests("in  0 "), 13u);
    EXPECT_EQ(Device("mic_label", 0), "Booth");
    EXPECT_EQ(CountRequests(path("6", "he_th", 4) + " "), 1u);

    // One preset: its own changes, and a changed global value into every preset.
    sim.ClearLog();
    sent = SendToDevice(device, store, {.preset = 3, .base = &base.store}, 4, progress);
    ASSERT_EQ(sent.status, TransferStatus::Done);
    EXPECT_EQ(sent.total, 11);
    EXPECT_EQ(CountRequests("in  0 "), 11u);
    EXPECT_EQ(CountRequests(path("0", "preset_name", 3) + " "), 1u);

    // Nothing differs: nothing is written, and the device is still switched.
    sim.ClearLog();
    sent = SendToDevice(device, store, {.base = &store}, 4, progress);
    EXPECT_EQ(sent.status, TransferStatus::Done);
    EXPECT_EQ(sent.total, 0);
    EXPECT_EQ(requests(), std::vector<std::string>{select});
}

TEST_F(Transfer, AVerifiedSendNamesAValueTheDeviceHoldsDifferently) {
    LogIn(UserLevel::Administrator());
    SettingsModel base;
    store.StoreSetting(catalogue.Find("rec_mic_level"), 5, "30");
    store.StoreSetting(catalogue.Find("preset_name"), 6, "Six");
    store.StoreSetting(catalogue.Find("he_th"), 6, "-9");  // a permission message: not read back
    // A line end after the value is no difference: a load drops it too.
    sim.SetRequestObserver([&](const serial_link::CommandFrame& request) {
        if (request.command == 1 && request.Name() == DevicePath("rec_mic_level", 5))
            sim.WriteFile(DevicePath("rec_mic_level", 5), "30\r\n");
    });
    SendResult sent =
        SendToDevice(device, store, {.base = &base.store, .verify = true}, 2, progress);
    sim.SetRequestObserver(nullptr);
    ASSERT_EQ(sent.status, TransferStatus::Done);
    EXPECT_FALSE(sent.mismatch);
    EXPECT_TRUE(sent.presetSelected);
    EXPECT_EQ(CountRequests("in  1 /chroma/settings/"), 2u);
    EXPECT_EQ(CountRequests("in  1 " + DevicePath("rec_mic_level", 5) + " "), 1u);
    EXPECT_EQ(CountRequests("in  1 " + DevicePath("he_th", 6) + " "), 0u);

    // The device keeps something else than it confirmed.
    sim.ClearLog();
    sim.SetRequestObserver([&](const serial_link::CommandFrame& request) {
        if (request.command == 1 && request.Name() == DevicePath("rec_mic_level", 5))
            sim.WriteFile(DevicePath("rec_mic_level", 5), "31");
    });
    sent = SendToDevice(device, store, {.verify = true}, 2, progress);
    sim.SetRequestObserver(nullptr);
    EXPECT_EQ(sent.status, TransferStatus::Failed);
    EXPECT_EQ(sent.confirmed, sent.total);
    ASSERT_TRUE(sent.mismatch);
    EXPECT_EQ(sent.mismatch->key, "rec_mic_level");
    EXPECT_EQ(sent.mismatch->preset, 5);
    EXPECT_EQ(sent.mismatch->sent, "30");
    EXPECT_EQ(sent.mismatch->readBack, "31");
    EXPECT_FALSE(sent.presetSelected);
    EXPECT_EQ(CountRequests("in  17"), 0u);

    // A value that is gone when read back is named too.
    sim.SetRequestObserver([&](const serial_link::CommandFrame& request) {
        if (request.command == 1 && request.Name() == DevicePath("preset_name", 6))
            sim.RemoveFile(DevicePath("preset_name", 6));
    });
    sent = SendToDevice(device, store, {.base = &base.store, .verify = true}, 2, progress);
    sim.SetRequestObserver(nullptr);
    ASSERT_TRUE(sent.mismatch);
    EXPECT_EQ(sent.mismatch->key, "preset_name");
    EXPECT_EQ(sent.mismatch->readBack, std::nullopt);
}

TEST_F(Transfer, ActivePreset) {
    const std::pair<const char*, int> cases[] = {{"3\n", 3}, {"x", 1},  {"0", 0},  {"12", 1},
                                                 {"-1", 1},  {"", 1},   {"+-0", 1}};
    for (const auto& [text, expected] : cases) {
        sim.WriteFile("/chroma/settings/current_preset", text);
        EXPECT_EQ(ReadActivePreset(device), expected) << text;
    }
}

class Session : public SimLink {};

TEST_F(Session, LoginHoldsNamesToTheDeviceRepertoire) {
    const LoginResult admin = Login(device, L"admin", L"vyr-admin");
    EXPECT_EQ(admin.status, LoginStatus::Accepted);
    EXPECT_EQ(device.level, UserLevel::Administrator());
    std::vector<std::string> sent;
    sim.SetRequestObserver([&](const serial_link::CommandFrame& request) {
        sent.push_back(std::string(request.Name()) + " " + std::string(request.PayloadText()));
    });
    EXPECT_EQ(Login(device, L"caf\u00e9 user.x-1", L"pw\u00e9").status, LoginStatus::Refused);
    sim.SetRequestObserver(nullptr);
    EXPECT_EQ(sent, (std::vector<std::string>{"/chroma/users/caf_ user.x-1 pw_"}));
    EXPECT_EQ(device.level, UserLevel::Administrator());
    const int before = sim.RequestsReceived();
    EXPECT_EQ(Login(device, std::wstring(242, L'u'), L"pw").status, LoginStatus::TooLong);
    EXPECT_EQ(Login(device, L"admin", std::wstring(180, L'p')).status, LoginStatus::TooLong);
    EXPECT_EQ(sim.RequestsReceived(), before);
}

TEST_F(Session, ConnectOpensSynchronisesAndSaysWhyNot) {
    link.Close();
    const ConnectResult connected = Connect(device, sim.PortPath());
    EXPECT_EQ(connected.status, ConnectStatus::Connected);
    EXPECT_EQ(device.level, UserLevel::NotLoggedIn());
    Disconnect(device);
    EXPECT_EQ(device.level, UserLevel::Nobody());

    const ConnectResult missing = Connect(device, "/dev/no-such-port");
    EXPECT_EQ(missing.status, ConnectStatus::PortFailed);
    EXPECT_EQ(OpenFailureText("/dev/no-such-port", missing.openError),
              "cannot open /dev/no-such-port: No such file or directory");
    // The group is named only where joining it would open the port.
    const serial_link::OpenError denied{serial_link::PortError::PermissionDenied,
                                        "Permission denied"};
    EXPECT_EQ(OpenFailureText("/dev/no-such-port", denied),
              "cannot open /dev/no-such-port: Permission denied");
    if (const std::string group = serial_link::GroupThatMayOpen(sim.PortPath()); !group.empty()) {
        EXPECT_EQ(OpenFailureText(sim.PortPath(), denied),
                  "cannot open " + sim.PortPath() + ": Permission denied. Add your user to the "
                  "group '" + group + "'.");
    }

    SetFaults({.silent = true});
    EXPECT_EQ(Connect(device, sim.PortPath()).status, ConnectStatus::NoAnswer);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(device.level, UserLevel::Nobody());
}

TEST_F(Session, HardwareClass) {
    const std::pair<const char*, HardwareClass> cases[] = {
        {"1\n", HardwareClass::Recorder}, {"1x", HardwareClass::Recorder},
        {"0", HardwareClass::Standard},   {"2", HardwareClass::Standard},
        {"11", HardwareClass::Standard},  {"", HardwareClass::Standard}};
    for (const auto& [text, expected] : cases) {
        sim.WriteFile("/tmp/hw_type", text);
        EXPECT_EQ(ReadHardwareClass(device), expected) << text;
    }
    sim.RemoveFile("/tmp/hw_type");
    EXPECT_EQ(ReadHardwareClass(device), HardwareClass::Standard);
}

TEST_F(Session, ClockLineAndClockCheck) {
    EXPECT_EQ(SetTimeCommandLine({2024, 3, 7, 9, 5, 42}),
              "date -s 2024.03.07-09:05:42; /chroma/scripts/sync_with_rtc");
    EXPECT_EQ(SetTimeCommandLine({2023, 12, 31, 23, 59, 0}),
              "date -s 2023.12.31-23:59:00; /chroma/scripts/sync_with_rtc");

    EXPECT_TRUE(SetDeviceClock(device, {2024, 3, 7, 9, 5, 42}));
    EXPECT_EQ(Frames("in ").at(0),
              "in  17 SETTIME text \"date -s 2024.03.07-09:05:42; /chroma/scripts/sync_with_rtc\"");
    const auto time = ReadDeviceTime(device);
    ASSERT_TRUE(time);
    EXPECT_TRUE(time->starts_with("2024/03/07-09:05:4")) << *time;

    const std::pair<const char*, bool> cases[] = {
        {"1\n", true}, {"0", false}, {"", false}, {"1 x", false}};
    for (const auto& [text, expected] : cases) {
        sim.WriteFile("/chroma/settings/current/rtc_autosync", text);
        sim.ClearLog();
        EXPECT_EQ(ClockCheck(device), expected) << text;
        EXPECT_EQ(CountRequests("in  17 SETTIME"), expected ? 1u : 0u) << text;
    }
}

// A time file left from an earlier read is not today's time: without an answer to the date
// command, it is not read.
TEST_F(Session, AnUnansweredDateCommandGivesNoTime) {
    sim.WriteFile("/tmp/datestring", "2001/01/01-00:00:00\n");
    // Silent for the date command only: whatever follows it would be answered.
    SetFaults({.silent = true});
    sim.SetRequestObserver([&](const serial_link::CommandFrame& request) {
        if (request.command == serial_link::kRunCommand)
            sim.SetFaults({});
    });
    EXPECT_EQ(ReadDeviceTime(device), std::nullopt);
    sim.SetRequestObserver(nullptr);
    EXPECT_EQ(CountRequests("in  1 /tmp/datestring"), 0u);
}

TEST(ClockTexts, ParseAndFormat) {
    EXPECT_EQ(ParseDeviceTime("2024/03/07-09:05:42"), (DateTime{2024, 3, 7, 9, 5, 42}));
    EXPECT_EQ(ParseIsoTime("2024-02-29T23:59:59"), (DateTime{2024, 2, 29, 23, 59, 59}));
    EXPECT_EQ(FormatIsoTime({2024, 3, 7, 9, 5, 42}), "2024-03-07T09:05:42");
    for (const char* bad : {"2023-02-29T00:00:00", "2024-13-01T00:00:00", "2024-01-01T24:00:00",
                            "2024-01-01 00:00:00", "2024-01-01T00:00:0", "2024-01-+1T00:00:00",
                            "2024/01/01-00:00:00", ""}) {
        EXPECT_EQ(ParseIsoTime(bad), std::nullopt) << bad;
    }
    EXPECT_EQ(ParseDeviceTime("2024-03-07T09:05:42"), std::nullopt);
}

TEST_F(Session, DeviceInformation) {
    EXPECT_EQ(DeviceInformation::PowerLine(87, 2607, 1000), " 87% :: 0x0a2f :: 0x03e8");
    EXPECT_TRUE(DeviceInformation::PowerLine(100, 70000, 1).starts_with("100% :: 0x11170 :: "));
    EXPECT_EQ(DeviceInformation::CapsuleLine("b", 0x10, 0x20), "  B  :: 0x0010 :: 0x0020");

    DeviceInformation info;
    EXPECT_EQ(info.Value(DeviceInformation::Firmware), "...");
    sim.RemoveFile("/chroma/fw_version");
    sim.WriteFile("/chroma/firmware_version", "2.0\n");
    // A line end or an escape inside a device text would break the seven lines (and reach a
    // terminal as a control sequence).
    sim.WriteFile("/chroma/hw_version", "B\nC\x1b[2J\n");
    sim.WriteFile("/chroma/serialnumber", "VYR-4711");
    sim.WriteFile("/chroma/mics/current_mic", "b\n");
    sim.WriteFile("/tmp/hw_type", "1");
    sim.WriteFile("/tmp/power_accu", "87");
    sim.WriteFile("/tmp/accu_voltage", "2607");
    sim.WriteFile("/tmp/accu_cal", "99999999999");
    sim.WriteFile("/tmp/power_batt", "none");
    info.Tick(device);
    EXPECT_EQ(info.Value(DeviceInformation::Firmware), "2.0 - undefined");
    EXPECT_EQ(info.Value(DeviceInformation::Hardware), "B_C_[2J");
    EXPECT_EQ(info.Value(DeviceInformation::Type), "Vyr Recorder");
    // A calibration beyond 32 bits saturates instead of wrapping.
    EXPECT_EQ(info.Value(DeviceInformation::Internal), " 87% :: 0x0a2f :: 0xffffffff");
    EXPECT_TRUE(info.Value(DeviceInformation::Battery).starts_with("  0% :: 0x"));
    EXPECT_TRUE(info.Value(DeviceInformation::Capsule).starts_with("  B  :: 0x"));
    const std::string text = info.ClipboardText();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6);
    EXPECT_NE(text.find("\nSerial number: \tVYR-4711\nHardware type: \tVyr Recorder\n"),
              std::string::npos);
    EXPECT_NE(text.back(), '\n');

    // Identity is read once per reset; the measurements every tick.
    sim.ClearLog();
    info.Tick(device);
    EXPECT_EQ(CountRequests("in  1 /chroma/serialnumber"), 0u);
    EXPECT_EQ(CountRequests("in  1 /tmp/accu_voltage"), 1u);
    info.Reset();
    EXPECT_EQ(info.Value(DeviceInformation::Serial), "");
}

// Each value is read on its own: one the device leaves unanswered shows "undefined" (or its
// calibration 0) while the others are read, and is asked for again on the next tick until
// the device has answered it once.
TEST_F(Session, DeviceInformationAsksForAnUnansweredValueAgain) {
    DeviceInformation info;
    sim.WriteFile("/chroma/hw_version", "C2\n");
    sim.WriteFile("/chroma/serialnumber", "VYR-0815\n");
    sim.WriteFile("/tmp/hw_type", "1");
    SetFaults({.silentName = "/chroma/hw_version"});
    EXPECT_FALSE(info.Tick(device));
    EXPECT_EQ(info.Unanswered(), (std::vector<std::string>{"/chroma/hw_version"}));
    EXPECT_EQ(info.Value(DeviceInformation::Hardware), "undefined");
    EXPECT_EQ(info.Value(DeviceInformation::Serial), "VYR-0815");
    EXPECT_EQ(info.Value(DeviceInformation::Type), "Vyr Recorder");
    EXPECT_NE(info.Value(DeviceInformation::Firmware).find(" - "), std::string::npos);
    EXPECT_EQ(info.Value(DeviceInformation::Firmware).find("undefined"), std::string::npos);

    SetFaults({});
    sim.ClearLog();
    EXPECT_TRUE(info.Tick(device));
    EXPECT_EQ(info.Value(DeviceInformation::Hardware), "C2");
    EXPECT_EQ(CountRequests("in  1 /chroma/hw_version"), 1u);
    EXPECT_EQ(CountRequests("in  1 /chroma/serialnumber"), 0u);
    sim.ClearLog();
    EXPECT_TRUE(info.Tick(device));
    EXPECT_EQ(CountRequests("in  1 /chroma/hw_version"), 0u);

    // A calibration value as well: 0 until the device has answered it.
    sim.WriteFile("/tmp/caps_cal", "4660");
    info.Reset();
    SetFaults({.silentName = "/tmp/caps_cal"});
    EXPECT_FALSE(info.Tick(device));
    EXPECT_EQ(info.Unanswered(), (std::vector<std::string>{"/tmp/caps_cal"}));
    EXPECT_TRUE(info.Value(DeviceInformation::Capsule).ends_with(":: 0x0000"));
    SetFaults({});
    EXPECT_TRUE(info.Tick(device));
    EXPECT_TRUE(info.Value(DeviceInformation::Capsule).ends_with(":: 0x1234"));
}

TEST_F(Session, DeviceInformationStopsWhenTheDeviceIsGone) {
    DeviceInformation info;
    // A file the device lacks is an answer: the tick goes on to the capsule.
    sim.RemoveFile("/tmp/power_batt");
    EXPECT_TRUE(info.Tick(device));
    EXPECT_TRUE(info.Unanswered().empty());
    EXPECT_EQ(CountRequests("in  1 /chroma/mics/current_mic"), 1u);

    // A device fallen silent is asked three times, then not for the rest.
    info.Reset();
    SetFaults({.silent = true});
    sim.ClearLog();
    double seconds = SecondsFor([&] { EXPECT_FALSE(info.Tick(device)); });
    EXPECT_EQ(Frames("in ").size(), 3u);
    EXPECT_LT(seconds, 5 * serial_link::kAttempts * ShortReadSeconds());
    EXPECT_EQ(info.Unanswered().size(), 14u);
    SetFaults({});
    EXPECT_TRUE(info.Tick(device));

    // A device that is gone is not asked for the rest: far less than one read's time-out.
    info.Reset();
    sim.HangUp();
    seconds = SecondsFor([&] { EXPECT_FALSE(info.Tick(device)); });
    EXPECT_LT(seconds, serial_link::kAttempts * ShortReadSeconds());
    EXPECT_EQ(info.Unanswered().size(), 14u);
    EXPECT_EQ(info.Value(DeviceInformation::Firmware), "undefined - undefined");
    EXPECT_EQ(info.Value(DeviceInformation::Type), "Vyr");
    EXPECT_TRUE(info.Value(DeviceInformation::Internal).starts_with("  0% :: 0x0000 :: "));
    EXPECT_TRUE(info.Value(DeviceInformation::Capsule).starts_with("  ?  :: 0x0000 :: "));
}

}  // namespace
}  // namespace vyr::test

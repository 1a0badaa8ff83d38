// The main window: a fixed-size frame whose controls all come from the layout tables.
//
// The frame builds the controls and routes their events to small parts, one per concern:
// PresetBar (which preset is edited), SettingBinder (values between store and controls),
// ValueFields (value texts beside the adjusters), Enabling (what may be used when),
// PortChoice (the serial ports), SessionController (the connection), TransferController (the
// settings transfers), UnsavedChanges (the title's marker and the question before changes are
// lost), ClockPage (the Clock page) and the device dialogs. The menu bar and its commands are
// in main_frame_menus.cpp, the settings-file commands in main_frame_files.cpp.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <wx/frame.h>

#include "app/control_set.h"
#include "app/enabling.h"
#include "app/services.h"
#include "app/session_controller.h"
#include "app/setting_binder.h"
#include "app/transfers.h"
#include "device/device_mirror.h"
#include "device/user_level.h"
#include "layout_tables.h"
#include "settings/store.h"

class wxCommandEvent;

namespace vyr {

class ClockPage;
class CreateUserDlg;
class DevInfoDialog;
class FirmwareUpdateDlg;
class LocalConfig;
class MicSettings;
class PortChoice;
class PresetBar;
class SerialNoDlg;
class ServiceNotesDlg;
class SessionController;
class TestresultsDlg;
class ValueFields;
class TransferController;
class UnsavedChanges;

class AdminSWFrm : public wxFrame,
                   private SettingBinder::Reactions,
                   private TransferView,
                   private SessionView {
  public:
    // Builds the window hidden, in the start state: defaults in every preset, preset 1
    // edited, nobody logged in, offline mode off.
    AdminSWFrm(AppServices& services, const StartOptions& options = {});
    ~AdminSWFrm() override;

    // The window built for a descriptor key (the control's name; spin controls by their
    // "spin_" key), or nullptr.
    wxWindow* Control(std::string_view key) const { return controls_.Control(key); }
    template <typename T>
    T* ControlAs(std::string_view key) const {
        return controls_.As<T>(key);
    }
    // The control bound to a catalogue parameter, or nullptr.
    wxWindow* BoundControl(int parameter) const { return controls_.Bound(parameter); }

    SettingStore& Store() { return services_.store; }

    // The parts.
    PresetBar& Presets() { return *presets_; }
    ValueFields& Fields() { return *fields_; }
    PortChoice& Ports() { return *ports_; }
    SessionController& Connection() { return *session_; }
    TransferController& Transfers() { return *transfers_; }
    // The title's unsaved-change marker and the question before changes are lost.
    UnsavedChanges& Unsaved() { return *unsaved_; }
    // What the connected device holds, as far as this connection has seen.
    DeviceMirror& Mirror() { return mirror_; }

    // Session state read by the enabling rules.
    bool Connected() const override { return connected_; }
    bool Offline() const { return offline_; }
    HardwareClass Hardware() const { return hardware_; }
    UserLevel CurrentUserLevel() const override { return userLevel_; }
    int EditedPreset() const;
    // What the connection session changed: the connected flag, level and hardware class.
    // Refreshes the enabling.
    void ApplySession(bool connected, UserLevel level, HardwareClass hardware) override;
    // A transfer is on its way: the connect button shows "Busy" and nothing that starts an
    // exchange may be used.
    bool Busy() const;
    ClockPage& Clock() { return *clock_; }
    DevInfoDialog& DeviceInformationDialog() { return *deviceInfo_; }
    CreateUserDlg& UsersDialog() { return *users_; }
    SerialNoDlg& SerialNumberDialog() { return *serialNumber_; }
    ServiceNotesDlg& ServiceNotesDialog() { return *serviceNotes_; }
    TestresultsDlg& TestResultsDialog() { return *testResults_; }
    MicSettings& MicrophoneDialog() { return *micSettings_; }
    FirmwareUpdateDlg& FirmwareDialog() { return *firmware_; }

    // Recomputes which menus, items and controls may be used.
    void RefreshEnabling(bool busyShown = false) override;

    // Makes `preset` the edited one and shows its values.
    void EditPreset(int preset) override;
    // Shows every value of the edited preset (preset 1 first becomes the edited one when the
    // store has presets off while a higher one is edited).
    void ShowEditedPreset() override;

    // The id of a menu item, by its texts ("File", "Offline mode").
    int MenuItemId(std::string_view menu, std::string_view item) const;

  private:
    // The settings-file commands of the File menu. The save asks for the file over
    // `chooserParent` (the window when none); true when the settings were saved.
    bool SaveSettingsFile(wxWindow* chooserParent = nullptr) override;
    void LoadSettingsFile();
    // Loads `path` as "Load settings from computer" does once the file is chosen.
    void LoadSettingsFile(const std::string& path);

    void BuildControls();
    void BuildMenuBar();
    void FixFrameSize();
    void BuildConnectionParts();
    void RouteEvents();
    void RouteMenuCommands();
    WindowSituation Situation() const;

    // SessionView
    void BackUpSettings(wxWindow* over, std::function<void()> saving,
                        std::function<void(const SettingsBackup&)> done) override;

    // SettingBinder::Reactions
    void PresetsSwitched(bool enabled) override;
    void ParameterEnablingChanged(int parameter) override;
    void FormatChanged() override;

    // Event handlers.
    void OnControlChanged(wxWindow* control);
    void OnClose(wxCloseEvent& event);

    void PresetsSwitch();
    void SetVerifySends(bool on);
    void ShowHelp();
    void ShowAbout();

    AppServices& services_;
    StartOptions options_;
    // Expires when this object is destroyed, before the toolkit's window is: handlers that
    // the toolkit may still call during its teardown check it.
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
    DeviceMirror mirror_;  // outlives the parts that update or drop it
    std::unique_ptr<LocalConfig> config_;
    ControlSet controls_;
    std::unique_ptr<PresetBar> presets_;
    std::unique_ptr<ValueFields> fields_;
    std::unique_ptr<SettingBinder> binder_;
    std::unique_ptr<Enabling> enabling_;
    std::unique_ptr<UnsavedChanges> unsaved_;
    std::unique_ptr<PortChoice> ports_;
    std::unique_ptr<SessionController> session_;
    std::unique_ptr<TransferController> transfers_;  // after session_: goes first
    std::unique_ptr<ClockPage> clock_;
    DevInfoDialog* deviceInfo_ = nullptr;  // a child window
    CreateUserDlg* users_ = nullptr;       // a child window
    // The service dialogs over the device's history; child windows.
    SerialNoDlg* serialNumber_ = nullptr;
    ServiceNotesDlg* serviceNotes_ = nullptr;
    TestresultsDlg* testResults_ = nullptr;
    MicSettings* micSettings_ = nullptr;   // a child window
    FirmwareUpdateDlg* firmware_ = nullptr;  // a child window

    bool connected_ = false;
    bool offline_ = false;
    UserLevel userLevel_ = UserLevel::Nobody();
    HardwareClass hardware_ = HardwareClass::NotConnected;
};

}  // namespace vyr

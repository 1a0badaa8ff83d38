// The main window: a fixed-size frame whose controls all come from the layout tables.
//
// The class is implemented by concern: main_frame.cpp (construction, event routing),
// menus.cpp (menu bar, menu commands), enabling.cpp (what may be used when),
// presets.cpp (preset bar), setting_controls.cpp (values between store and controls),
// value_fields.cpp (value texts beside the adjusters), settings_files.cpp (*.Vyr dialogs).
#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include <wx/frame.h>
#include <wx/timer.h>

#include "app/services.h"
#include "app/value_display.h"
#include "device/user_level.h"
#include "layout_tables.h"
#include "settings/catalogue.h"
#include "settings/store.h"

class wxChoice;
class wxCommandEvent;
class wxScrollEvent;
class wxToggleButton;

namespace vyr {

class LocalConfig;
class SessionController;
class TransferController;

class AdminSWFrm : public wxFrame {
  public:
    // Builds the window hidden, in the start state: defaults in every preset, preset 1
    // edited, nobody logged in, offline mode off.
    AdminSWFrm(AppServices& services, const StartOptions& options = {});
    ~AdminSWFrm() override;

    // The window built for a descriptor key (the control's name; spin controls by their
    // "spin_" key), or nullptr.
    wxWindow* Control(std::string_view key) const;
    template <typename T>
    T* ControlAs(std::string_view key) const {
        return dynamic_cast<T*>(Control(key));
    }

    // The control bound to a catalogue parameter, or nullptr.
    wxWindow* BoundControl(int parameter) const { return bound_[parameter]; }

    // Preset number and button, preset 0 first.
    const std::array<std::pair<int, wxToggleButton*>, kPresetCount>& PresetButtons() const {
        return presetButtons_;
    }

    SettingStore& Store() { return services_.store; }

    // Session state read by the enabling rules.
    bool Connected() const { return connected_; }
    bool Offline() const { return offline_; }
    HardwareClass Hardware() const { return hardware_; }
    UserLevel CurrentUserLevel() const { return userLevel_; }
    // The session and tests set the current user level and the hardware class; the caller
    // refreshes the enabling.
    void SetUserLevel(UserLevel level) { userLevel_ = level; }
    void SetHardware(HardwareClass hardware) { hardware_ = hardware; }
    // What the connection session changed: the connected flag, level and hardware class.
    // Refreshes the enabling.
    void ApplySession(bool connected, UserLevel level, HardwareClass hardware);
    SessionController& Connection() { return *session_; }
    TransferController& Transfers() { return *transfers_; }
    int EditedPreset() const { return editedPreset_; }
    bool PresetsEnabled() const { return presetsEnabled_; }
    unsigned WorkingSampleRate() const { return workingSampleRate_; }

    // Recomputes which menus, items and controls may be used.
    void RefreshEnabling();

    // The preset bar.
    void SelectPreset(wxToggleButton* button);
    void UpdatePresetButtons();
    void RebuildActivePresetList(bool presetsEnabled);
    int ActivePresetSelection() const;
    void SelectActivePreset(int preset);

    // Values between store and controls.
    void ShowSetting(int parameter, int preset);
    void ReadControl(wxWindow* control);
    // Shows all values of the edited preset and redraws every value field. False when a
    // nested preset selection took over (it has shown everything itself).
    bool ShowEditedPreset();

    // Value fields beside the adjusters.
    void WriteDisplay(std::string_view adjuster);
    void RedrawAlvPage();
    void RedrawLevelDisplays();
    void ApplyLookAheadRange(int rate);

    // The settings-file commands of the File menu.
    void SaveSettingsFile();
    void LoadSettingsFile();

    // Port list: serial ports present, command-line ports first; the selection by path.
    void RefreshPortList();
    std::string SelectedPortPath() const;
    // Remembers the port of a successful connection in the local configuration.
    void RememberPort();

    // The path of a menu item, by its texts ("File", "Offline mode").
    int MenuItemId(std::string_view menu, std::string_view item) const;

  private:
    void BuildControls();
    void BindParameter(const layout::Control& descriptor, wxWindow* window);
    void BuildMenuBar();
    void RouteEvents();

    // Event handlers.
    void OnControlChanged(wxWindow* control);
    void OnSliderScrolled(wxScrollEvent& event);
    void OnPresetButton(wxCommandEvent& event);
    void OnConnectButton(wxCommandEvent& event);
    void OnMenuCommand(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnClockTimer(wxTimerEvent& event);

    void PresetsSwitch();
    void ShowHelp();
    void ShowAbout();

    // Enabling of one parameter's control (and the visibility of its row) for the edited
    // preset and current level.
    void UpdateParameterEnabled(int parameter);
    bool ParameterAllowed(int parameter) const;
    bool MetaDataAllowed() const;
    // A text field shows the stored text (typed characters the device cannot hold replaced)
    // once its edit ends.
    void EndTextEdit(wxWindow* field);
    void EditReactions(int parameter, int preset, bool userEdit);
    void OfferFormatChoices(bool userEdit);
    void ApplyClockLock();
    display::Context DisplayContext() const;

    AppServices& services_;
    StartOptions options_;
    // Expires when this object is destroyed, before the toolkit's window is: handlers that
    // the toolkit may still call during its teardown check it.
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
    std::unique_ptr<LocalConfig> config_;
    std::unique_ptr<SessionController> session_;
    std::unique_ptr<TransferController> transfers_;  // after session_: goes first
    std::map<std::string, wxWindow*, std::less<>> controls_;
    std::array<wxWindow*, kParameterCount> bound_{};
    std::unordered_map<const wxWindow*, int> parameterOf_;
    std::array<std::pair<int, wxToggleButton*>, kPresetCount> presetButtons_{};
    std::vector<std::string> ports_;  // paths behind the entries of the port choice

    wxTimer clockTimer_;

    bool connected_ = false;
    bool offline_ = false;
    UserLevel userLevel_ = UserLevel::Nobody();
    HardwareClass hardware_ = HardwareClass::NotConnected;
    int editedPreset_ = 1;
    bool presetsEnabled_ = false;
    unsigned workingSampleRate_ = display::kInitialSampleRate;
    // Counts passes over the edited preset, so that a pass interrupted by a nested one stops.
    unsigned selectGeneration_ = 0;
};

}  // namespace vyr

#include "main_frame.h"

#include <algorithm>

#include <wx/accel.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/icon.h>
#include <wx/menu.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include "clock_page.h"
#include "dialogs/dev_info_dialog.h"
#include "dialogs/firmware_dialog.h"
#include "dialogs/microphone_dialog.h"
#include "dialogs/service_records_dialogs.h"
#include "dialogs/users_dialog.h"
#include "layout_tables.h"
#include "local_config.h"
#include "menus.h"
#include "metadata_command.h"
#include "port_choice.h"
#include "preset_bar.h"
#include "resources/vyr_icon.xpm"
#include "session_controller.h"
#include "transfers.h"
#include "ui/fit_texts.h"
#include "ui/fonts.h"
#include "ui/gtk_style.h"
#include "ui/wx_text.h"
#include "unsaved_changes.h"
#include "value_fields.h"
#include "window_builder.h"

namespace vyr {
namespace {

constexpr int kFrameId = 1;

wxString Title() {
    return wxString::Format(Wx(layout::kTitleFormat), Wx(layout::kVersion));
}

// The check boxes whose click, after storing the value, recomputes the enabling.
constexpr std::string_view kEnablingSwitches[] = {"roi_enable_checkbox", "li_enable_checkbox",
                                                  "var_on_after_boot"};

// The nine scroll events a slider reports while it moves.
const wxEventTypeTag<wxScrollEvent>* const kScrollEvents[] = {
    &wxEVT_SCROLL_TOP,        &wxEVT_SCROLL_BOTTOM,       &wxEVT_SCROLL_LINEUP,
    &wxEVT_SCROLL_LINEDOWN,   &wxEVT_SCROLL_PAGEUP,       &wxEVT_SCROLL_PAGEDOWN,
    &wxEVT_SCROLL_THUMBTRACK, &wxEVT_SCROLL_THUMBRELEASE, &wxEVT_SCROLL_CHANGED,
};

}  // namespace

AdminSWFrm::AdminSWFrm(AppServices& services, const StartOptions& options)
    : wxFrame(nullptr, kFrameId, Title(), wxPoint(8, 8),
              wxSize(layout::kFrameWidth, layout::kFrameHeight),
              wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX, "frame"),
      services_(services),
      options_(options) {
    config_ = std::make_unique<LocalConfig>(options_.configDir);
    // No window of the program handles idle or update-UI events: the toolkit then sends them
    // only to windows that ask for them, instead of walking every control of every window
    // after each event it handles.
    wxIdleEvent::SetMode(wxIDLE_PROCESS_SPECIFIED);
    wxUpdateUIEvent::SetMode(wxUPDATE_UI_PROCESS_SPECIFIED);

    UseCompactStyle(this);
    SetFont(fonts::Ui());
    BuildControls();
    presets_ = std::make_unique<PresetBar>(controls_);
    fields_ = std::make_unique<ValueFields>(controls_);
    binder_ = std::make_unique<SettingBinder>(controls_, Store(), *presets_, *fields_,
                                              static_cast<Reactions&>(*this));
    enabling_ = std::make_unique<Enabling>(controls_, Store());
    unsaved_ = std::make_unique<UnsavedChanges>(*this, Store(), Title());
    ports_ =
        std::make_unique<PortChoice>(ControlAs<wxChoice>("PortChoice"), options_.ports, *config_);
    BuildMenuBar();
    FixFrameSize();
    Centre(wxBOTH);
    RouteEvents();
    RouteMenuCommands();
    ports_->Refresh();
    BuildConnectionParts();

    wxAcceleratorEntry help(wxACCEL_NORMAL, WXK_F1, menu::kHelp);
    SetAcceleratorTable(wxAcceleratorTable(1, &help));

    // Start state (not connected, no hardware, from the members' initial values):
    // defaults everywhere, preset 1 edited.
    Store().ResetAllToDefaults();
    EditPreset(1);
    presets_->SelectActive(1);
    unsaved_->MarkSaved();
    // A file named on the command line loads once the window is on the screen, so that its
    // report or refusal shows over the window.
    if (!options_.settingsFile.empty())
        CallAfter([this] { LoadSettingsFile(options_.settingsFile); });
}

// Fixed size: the absolute layout does not follow a larger or smaller frame. The status bar
// says why a connection could not be made; the frame grows by its height so that the layout
// keeps its room.
void AdminSWFrm::FixFrameSize() {
    wxStatusBar* status = CreateStatusBar();
    SetTitle(Title());
    SetIcon(wxIcon(vyr_icon_xpm));
    const wxSize size(layout::kFrameWidth, layout::kFrameHeight + status->GetSize().y);
    SetSize(size);
    SetSizeHints(size, size);
    // The menu bar takes its height from the client area: the root panel fills what is left,
    // and the main panel keeps inside it.
    const wxSize client = GetClientSize();
    Control("root_panel")->SetSize(client);
    wxWindow* mainPanel = Control("main_panel");
    const wxRect main = mainPanel->GetRect();
    mainPanel->SetSize(main.width, std::min(main.height, client.y - main.y));
#ifndef __WXGTK__
    // The designed places stand here (GTK's are adjusted in the layout tables); a text shown
    // in a wider face than designed takes the free room beside it.
    FitTextsToRoom(this);
#endif
}

// The connection, the transfers, the Clock page and the device dialogs, which the
// connection resets when it starts and closes when it ends.
void AdminSWFrm::BuildConnectionParts() {
    session_ = std::make_unique<SessionController>(
        SessionParts{*this, *this, *ports_, mirror_, ControlAs<wxStaticText>("DeviceTimeString")});
    transfers_ = std::make_unique<TransferController>(TransferParts{*this, *this, Store(), mirror_,
                                                                    *unsaved_, *presets_, *session_,
                                                                    session_->Session().Worker()});
    SetVerifySends(config_->VerifySends());
    // The port list is rescanned on the clock page's tick while not connected.
    clock_ = std::make_unique<ClockPage>(controls_, session_->Session(), [this] {
        if (!connected_)
            ports_->Refresh();
    });
    deviceInfo_ = new DevInfoDialog(this, *session_);
    users_ = new CreateUserDlg(this, *session_);
    serialNumber_ = new SerialNoDlg(this, *session_);
    serviceNotes_ = new ServiceNotesDlg(this, *session_);
    testResults_ = new TestresultsDlg(this, *session_);
    micSettings_ = new MicSettings(this, *session_);
    firmware_ = new FirmwareUpdateDlg(this, *session_, *session_);
    DeviceView* const views[] = {deviceInfo_,  users_,       serialNumber_, serviceNotes_,
                                 testResults_, micSettings_, firmware_};
    for (DeviceView* view : views)
        session_->AddDeviceView(*view);
}

AdminSWFrm::~AdminSWFrm() = default;

void AdminSWFrm::BuildControls() {
    layout::WindowBuilder builder(this);
    const SettingCatalogue& catalogue = Store().Catalogue();
    for (const layout::Table& table : layout::Tables()) {
        for (const layout::Control& descriptor : table.controls) {
            wxWindow* window = builder.Build(descriptor);
            if (!window)
                continue;
            controls_.Add(descriptor.key, window);
            if (descriptor.parameter.empty())
                continue;
            const int parameter = catalogue.Find(descriptor.parameter);
            wxCHECK_RET(SettingCatalogue::IsValidParameter(parameter),
                        "layout table: unknown parameter");
            controls_.Bind(parameter, window, ControlKindOf(descriptor.kind));
        }
    }
}

// Every bound control stores its value on its change event and then runs what its row of the
// routing asks for; the preset buttons, the connect button, the sliders' scroll events, the
// menus, the timers and the close request have handlers of their own.
void AdminSWFrm::RouteEvents() {
    for (int parameter = 0; parameter < kParameterCount; ++parameter) {
        wxWindow* control = controls_.Bound(parameter);
        if (!control)
            continue;
        const auto changed = [this, control](wxEvent& event) {
            event.Skip();
            OnControlChanged(control);
        };
        switch (controls_.KindOf(parameter)) {
            case ControlKind::SpinCtrl:
                control->Bind(wxEVT_SPINCTRL, changed);
                break;
            case ControlKind::SpinButton:
                control->Bind(wxEVT_SPIN, changed);
                break;
            case ControlKind::Slider:
                control->Bind(wxEVT_SLIDER, changed);
                for (const wxEventTypeTag<wxScrollEvent>* type : kScrollEvents)
                    control->Bind(*type, &ValueFields::OnSliderScrolled, fields_.get());
                break;
            case ControlKind::CheckBox:
                control->Bind(wxEVT_CHECKBOX, changed);
                break;
            case ControlKind::Choice:
                control->Bind(wxEVT_CHOICE, changed);
                break;
            case ControlKind::TextCtrl:
                control->Bind(wxEVT_TEXT, changed);
                // When the edit ends, the field shows what was stored. The focus also leaves
                // while the toolkit tears the window down, after this object is gone.
                control->Bind(
                    wxEVT_KILL_FOCUS,
                    [this, control, alive = std::weak_ptr<int>(lifetime_)](wxFocusEvent& event) {
                        event.Skip();
                        if (!alive.expired() && !IsBeingDeleted())
                            binder_->EndTextEdit(control);
                    });
                control->Bind(wxEVT_TEXT_ENTER, [this, control](wxCommandEvent& event) {
                    event.Skip();
                    binder_->EndTextEdit(control);
                });
                break;
            case ControlKind::None:
                break;
        }
    }
    for (int preset = 0; preset < kPresetCount; ++preset) {
        presets_->Button(preset)->Bind(wxEVT_TOGGLEBUTTON,
                                       [this, preset](wxCommandEvent&) { EditPreset(preset); });
    }
    Control("ConnectButton")->Bind(wxEVT_TOGGLEBUTTON, [this](wxCommandEvent& event) {
        session_->OnButton(event.IsChecked());
    });
    Control("MetaDataBtn")->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        OpenMetadataEditor(*this);
    });
    Bind(wxEVT_CLOSE_WINDOW, &AdminSWFrm::OnClose, this);
}

void AdminSWFrm::OnControlChanged(wxWindow* control) {
    binder_->ReadControl(control);
    // A spin button's value field follows the stored value.
    if (dynamic_cast<wxSpinButton*>(control))
        fields_->Write(control->GetName().utf8_string());
    for (std::string_view key : kEnablingSwitches) {
        if (Control(key) == control)
            RefreshEnabling();
    }
    unsaved_->Refresh();
}

int AdminSWFrm::EditedPreset() const {
    return presets_->Edited();
}

void AdminSWFrm::EditPreset(int preset) {
    presets_->Edit(preset);
    ShowEditedPreset();
    RefreshEnabling();
}

void AdminSWFrm::ShowEditedPreset() {
    // Presets may be off in the store while a higher preset is edited (a load from a file or
    // the device): preset 1 becomes the edited one before anything is shown.
    PresetsSwitched(Store().Text(param::presets_enabled, presets_->Edited()) == "1");
    binder_->ShowEditedPreset();
    // Showing a value may repair its partners in the store.
    unsaved_->Refresh();
}

void AdminSWFrm::PresetsSwitched(bool enabled) {
    GetMenuBar()->Check(menu::kPresetsSwitch, enabled);
    if (presets_->SetPresetsEnabled(enabled)) {
        binder_->ShowEditedPreset();
        RefreshEnabling();
    }
}

void AdminSWFrm::ParameterEnablingChanged(int parameter) {
    enabling_->ApplyToParameter(parameter, Situation());
}

void AdminSWFrm::FormatChanged() {
    Control("MetaDataBtn")->Enable(enabling_->MetaDataAllowed(Situation()));
}

WindowSituation AdminSWFrm::Situation() const {
    return {connected_,
            offline_,
            Busy(),
            userLevel_,
            hardware_,
            presets_->Edited(),
            session_ ? session_->ButtonLabel() : std::string("Connect"),
            session_ && session_->ButtonPressed(),
            mirror_.Known(),
            session_ && session_->Connecting()};
}

void AdminSWFrm::RefreshEnabling(bool busyShown) {
    offline_ = GetMenuBar()->IsChecked(menu::kOfflineMode);
    enabling_->Apply(Situation(), *GetMenuBar());
    if (busyShown)
        Control("ConnectButton")->Update();
}

void AdminSWFrm::ApplySession(bool connected, UserLevel level, HardwareClass hardware) {
    connected_ = connected;
    userLevel_ = level;
    hardware_ = hardware;
    RefreshEnabling();
}

void AdminSWFrm::BackUpSettings(wxWindow* over, std::function<void()> saving,
                                std::function<void(const SettingsBackup&)> done) {
    transfers_->BackUp(over, std::move(saving), std::move(done));
}

bool AdminSWFrm::Busy() const {
    return transfers_ && transfers_->Running();
}

// Only a close the person may refuse asks about unsaved changes; a forced one just closes.
void AdminSWFrm::OnClose(wxCloseEvent& event) {
    if (event.CanVeto() && !unsaved_->MayDiscard("Unsaved changes")) {
        event.Veto();
        return;
    }
    clock_->Stop();
    transfers_->Shutdown();
    session_->Shutdown();
    Destroy();
}

}  // namespace vyr

#include "auth_dialog.h"

#include <algorithm>
#include <string>

#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "dialogs/window_services.h"
#include "settings/status_message.h"
#include "settings/text.h"
#include "ui/dialog_size.h"
#include "ui/accessible.h"
#include "ui/dialog_button.h"
#include "ui/fonts.h"
#include "ui/gtk_style.h"
#include "ui/message_box.h"

namespace vyr {
namespace {

constexpr char kTitle[] = "User Authentication";
const wxSize kDialogSize(280, 180);
constexpr char kInitialUser[] = "username";
constexpr char kInitialPassword[] = "password";
constexpr char kErrorTitle[] = "Authentication error";
constexpr char kWrongLogin[] = "Wrong username or password!";
constexpr char kUserTooLong[] = "The user name is too long.";
constexpr char kPasswordTooLong[] = "The password is too long.";
const wxColour kInvalidColour(255, 200, 200);

enum class Kind { Panel, Label, Field, PasswordField, Button };
constexpr int kAuto = -1;  // sized by its text
constexpr int kDialog = -1;

struct Descriptor {
    Kind kind;
    int id;
    const char* name;
    int parent;  // index of the parent in the table, or kDialog
    int x, y, width, height;
    const char* text;
};

// In window order, which is also the tab order. Positions are relative to the parent.
constexpr int kInner = 1;
constexpr int kFieldLeft = 80;  // both text fields; their captions end before it
constexpr int kCaptionGap = 2;
constexpr int kButtons = 6;
constexpr Descriptor kControls[] = {
    {Kind::Panel, wxID_ANY, "panel", kDialog, 0, 0, 280, 180, ""},
    {Kind::Panel, wxID_ANY, "panel", 0, 10, 10, 240, 140, ""},
    {Kind::Label, AuthDialog::ID_USERNAME_LABEL, "WxStaticText1", kInner, 18, 18, kAuto, kAuto,
     "Username:"},
    {Kind::Label, AuthDialog::ID_PASSWORD_LABEL, "WxStaticText2", kInner, 20, 49, kAuto, kAuto,
     "Password:"},
    {Kind::Field, AuthDialog::ID_USERNAME, "username", kInner, kFieldLeft, 13, 150, 22, kInitialUser},
    {Kind::PasswordField, AuthDialog::ID_PASSWORD, "password", kInner, kFieldLeft, 45, 150, 22,
     kInitialPassword},
    {Kind::Panel, wxID_ANY, "panel", kInner, 0, 87, 240, 35, ""},
    {Kind::Button, AuthDialog::ID_AUTH_BTN, "auth_btn", kButtons, 39, 0, 75, 25, "OK"},
    {Kind::Button, AuthDialog::ID_CANCEL_BTN, "cancel_btn", kButtons, 139, 0, 75, 25, "Cancel"},
};

wxWindow* CreateControl(const Descriptor& d, wxWindow* parent) {
    const wxPoint pos(d.x, d.y);
    const wxSize size(d.width, d.height);
    switch (d.kind) {
        case Kind::Panel:
            return new wxPanel(parent, d.id, pos, size, wxTAB_TRAVERSAL, d.name);
        case Kind::Label: {
            auto* label = new wxStaticText(parent, d.id, d.text, pos, size, 0, d.name);
            // Measured in its own font: the toolkit would use its default font until shown.
            // Two pixels more for the toolkit's rounding.
            wxMemoryDC dc;
            dc.SetFont(fonts::Ui());
            const wxSize text = dc.GetTextExtent(d.text) + wxSize(2, 0);
            // Where the face in use is wider than the layout allows for, the caption moves
            // left so that it ends just before its field.
            const int x = std::max(0, std::min(d.x, kFieldLeft - kCaptionGap - text.x));
            label->SetSize(x, d.y, text.x, text.y);
            return label;
        }
        case Kind::Field:
        case Kind::PasswordField:
            return new wxTextCtrl(parent, d.id, d.text, pos, size,
                                  d.kind == Kind::PasswordField ? wxTE_PASSWORD : 0,
                                  wxDefaultValidator, d.name);
        case Kind::Button: {
            // GTK buttons may need a little more height than given; their panel has room.
            return MakeDialogButton(parent, d.id, d.text, pos, size, d.name);
        }
    }
    return nullptr;
}

}  // namespace

AuthDialog::AuthDialog(wxWindow* parent, WindowServices& window)
    : wxDialog(parent, ID_DIALOG, kTitle, wxDefaultPosition, kDialogSize,
               wxCAPTION | wxSTAY_ON_TOP | wxDIALOG_NO_PARENT),
      window_(window) {
    UseCompactStyle(this);
    SetFont(fonts::Ui());
    CreateControls();

    // Fixed size. Where the window manager's frame leaves less room than the inner panel
    // needs, the dialog grows instead of cutting it off.
    const Descriptor& inner = kControls[kInner];
    FixDialogSize(*this, *GetChildren().front(), kDialogSize,
                  wxSize(inner.x + inner.width + inner.x, inner.y + inner.height + inner.y));

    Bind(wxEVT_BUTTON, &AuthDialog::OnLogin, this, ID_AUTH_BTN);
    Bind(wxEVT_BUTTON, &AuthDialog::OnCancel, this, ID_CANCEL_BTN);
    Bind(wxEVT_CLOSE_WINDOW, &AuthDialog::OnClose, this);
}

void AuthDialog::CreateControls() {
    wxWindow* built[std::size(kControls)] = {};
    for (size_t i = 0; i < std::size(kControls); ++i) {
        const Descriptor& d = kControls[i];
        wxWindow* parent = d.parent == kDialog ? static_cast<wxWindow*>(this) : built[d.parent];
        built[i] = CreateControl(d, parent);
        built[i]->SetFont(fonts::Ui());
    }
    user_ = static_cast<wxTextCtrl*>(FindWindow(ID_USERNAME));
    password_ = static_cast<wxTextCtrl*>(FindWindow(ID_PASSWORD));
    ok_ = static_cast<wxButton*>(FindWindow(ID_AUTH_BTN));
    cancel_ = static_cast<wxButton*>(FindWindow(ID_CANCEL_BTN));
    // The captions are separate labels: the fields carry them as their accessible names.
    for (auto [field, label] :
         {std::pair{user_, ID_USERNAME_LABEL}, std::pair{password_, ID_PASSWORD_LABEL}}) {
        wxWindow* caption = FindWindow(label);
        SetAccessibleName(field, caption->GetLabel(), caption);
    }
}

bool AuthDialog::Show(bool show) {
    if (!show) {
        Abandon();
    } else if (!IsShown()) {
        // A password is typed from now on: no core dump may hold it.
        KeepOutOfCoreDumps();
        // Every connection starts from the same state, whatever was typed before.
        ResetTexts();
        ClearMarks();
    }
    CentreOnParent(wxBOTH);
    const bool changed = wxDialog::Show(show);
    if (show)
        PrepareInput();
    return changed;
}

void AuthDialog::OnLogin(wxCommandEvent&) {
    if (running_)
        return;
    ClearMarks();
    const std::string user =
        NarrowSettingText(user_->GetValue().ToStdWstring(), NarrowMode::Replace);
    const Secret password = TakeSecret(
        NarrowSettingText(password_->GetValue().ToStdWstring(), NarrowMode::Replace));
    if (user.size() > kMaxUserNameBytes) {
        RefuseTooLong(user_, kUserTooLong);
        return;
    }
    if (password.View().size() > kMaxPasswordBytes) {
        RefuseTooLong(password_, kPasswordTooLong);
        return;
    }
    running_ = true;
    ok_->Disable();
    const unsigned attempt = ++*attempt_;
    const std::weak_ptr<unsigned> current = attempt_;
    window_.RunLogin(WidenSettingText(user), WidenSettingText(password.View()),
                     [this, current, attempt](LoginResult result) {
                         const auto awaited = current.lock();
                         if (awaited && *awaited == attempt)
                             OnLoginDone(result);
                     });
}

void AuthDialog::OnLoginDone(const LoginResult& result) {
    running_ = false;
    ok_->Enable();
    if (result.status == LoginStatus::Accepted) {
        window_.SetUserLevel(result.level);
        ResetTexts();
        Hide();
        window_.CheckClock();
        window_.RefreshEnabling();
        return;
    }
    // A wrong password and a silent device look the same here.
    ShowStatusMessage(this, {kErrorTitle, kWrongLogin, MessageIcon::Warning});
    ResetTexts();
    PrepareInput();
}

void AuthDialog::RefuseTooLong(wxTextCtrl* field, const char* text) {
    field->SetBackgroundColour(kInvalidColour);
    field->Refresh();
    ShowStatusMessage(this, {kErrorTitle, text, MessageIcon::Warning});
    field->SetFocus();
    field->SelectAll();
}

void AuthDialog::OnCancel(wxCommandEvent&) {
    // First, so that a login the disconnect ends reports nothing.
    Abandon();
    ResetTexts();
    ClearMarks();
    window_.Disconnect();
    Hide();
}

void AuthDialog::OnClose(wxCloseEvent& event) {
    Hide();
    if (!event.CanVeto())
        Destroy();
}

void AuthDialog::ResetTexts() {
    user_->ChangeValue(kInitialUser);
    password_->ChangeValue(kInitialPassword);
}

void AuthDialog::ClearMarks() {
    for (wxTextCtrl* field : {user_, password_}) {
        if (field->GetBackgroundColour() == kInvalidColour) {
            field->SetBackgroundColour(wxNullColour);
            field->Refresh();
        }
    }
}

void AuthDialog::PrepareInput() {
    ok_->SetDefault();
    user_->SetFocus();
    user_->SelectAll();
}

void AuthDialog::Abandon() {
    ++*attempt_;
    running_ = false;
    ok_->Enable();
}

}  // namespace vyr

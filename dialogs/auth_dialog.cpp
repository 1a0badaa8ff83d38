#include "auth_dialog.h"

#include <string>

#include <wx/button.h>
#include <wx/textctrl.h>

#include "dialogs/window_services.h"
#include "settings/status_message.h"
#include "settings/text.h"
#include "ui/invalid_mark.h"
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

using ctl::Kind;

// In window order, which is also the tab order. Positions are relative to the parent.
constexpr int kInnerMargin = 10;
constexpr int kInnerWidth = 240;
constexpr int kInnerHeight = 140;
constexpr int kFieldLeft = 80;  // both text fields; their captions end before it
constexpr int kCaptionGap = 2;
// clang-format off
constexpr ctl::Row kControls[] = {
    {.kind = Kind::Panel, .name = "panel", .key = "inner", .x = kInnerMargin, .y = kInnerMargin,
     .width = kInnerWidth, .height = kInnerHeight},
    {.kind = Kind::Label, .id = AuthDialog::ID_USERNAME_LABEL, .name = "WxStaticText1",
     .parent = "inner", .x = 18, .y = 18, .text = "Username:"},
    {.kind = Kind::Label, .id = AuthDialog::ID_PASSWORD_LABEL, .name = "WxStaticText2",
     .parent = "inner", .x = 20, .y = 49, .text = "Password:"},
    {.kind = Kind::TextField, .id = AuthDialog::ID_USERNAME, .name = "username", .parent = "inner",
     .x = kFieldLeft, .y = 13, .width = 150, .height = 22, .text = kInitialUser,
     .caption = AuthDialog::ID_USERNAME_LABEL},
    {.kind = Kind::TextField, .id = AuthDialog::ID_PASSWORD, .name = "password", .parent = "inner",
     .x = kFieldLeft, .y = 45, .width = 150, .height = 22, .text = kInitialPassword,
     .flags = ctl::kPassword, .caption = AuthDialog::ID_PASSWORD_LABEL},
    {.kind = Kind::Panel, .name = "panel", .key = "buttons", .parent = "inner", .y = 87,
     .width = 240, .height = 35},
    // GTK buttons may need a little more height than given; their panel has room.
    {.kind = Kind::DialogButton, .id = AuthDialog::ID_AUTH_BTN, .name = "auth_btn",
     .parent = "buttons", .x = 39, .width = 75, .height = 25, .text = "OK"},
    {.kind = Kind::DialogButton, .id = AuthDialog::ID_CANCEL_BTN, .name = "cancel_btn",
     .parent = "buttons", .x = 139, .width = 75, .height = 25, .text = "Cancel"},
};
// clang-format on

}  // namespace

AuthDialog::AuthDialog(wxWindow* parent, WindowServices& window)
    : TableDialog(parent, ID_DIALOG, kTitle, kDialogSize,
                  wxCAPTION | wxSTAY_ON_TOP | wxDIALOG_NO_PARENT),
      window_(window) {
    CreateControls();
    // Where the window manager's frame leaves less room than the inner panel needs, the
    // dialog grows instead of cutting it off.
    FixSize(kDialogSize, wxSize(kInnerWidth + 2 * kInnerMargin, kInnerHeight + 2 * kInnerMargin));

    Bind(wxEVT_BUTTON, &AuthDialog::OnLogin, this, ID_AUTH_BTN);
    Bind(wxEVT_BUTTON, &AuthDialog::OnCancel, this, ID_CANCEL_BTN);
    Bind(wxEVT_CLOSE_WINDOW, &AuthDialog::OnClose, this);
}

void AuthDialog::CreateControls() {
    Build(kControls);
    // Where the face in use is wider than the layout allows for, a caption moves left so that
    // it ends just before its field.
    for (const int caption : {ID_USERNAME_LABEL, ID_PASSWORD_LABEL})
        ctl::KeepCaptionBefore(FindWindow(caption), kFieldLeft - kCaptionGap, 0);
    user_ = static_cast<wxTextCtrl*>(FindWindow(ID_USERNAME));
    password_ = static_cast<wxTextCtrl*>(FindWindow(ID_PASSWORD));
    ok_ = static_cast<wxButton*>(FindWindow(ID_AUTH_BTN));
    cancel_ = static_cast<wxButton*>(FindWindow(ID_CANCEL_BTN));
}

bool AuthDialog::Show(bool show) {
    if (!show) {
        login_.DropAll();
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
    if (Busy())
        return;
    ClearMarks();
    const std::string user =
        NarrowSettingText(user_->GetValue().ToStdWstring(), NarrowMode::Replace);
    const Secret password =
        TakeSecret(NarrowSettingText(password_->GetValue().ToStdWstring(), NarrowMode::Replace));
    if (user.size() > kMaxUserNameBytes) {
        RefuseTooLong(user_, kUserTooLong);
        return;
    }
    if (password.View().size() > kMaxPasswordBytes) {
        RefuseTooLong(password_, kPasswordTooLong);
        return;
    }
    window_.RunLogin(
        WidenSettingText(user), WidenSettingText(password.View()),
        login_.Await<LoginResult>([this](const LoginResult& result) { OnLoginDone(result); }));
}

void AuthDialog::OnLoginDone(const LoginResult& result) {
    if (result.status == LoginStatus::Accepted) {
        ResetTexts();
        Hide();
        window_.RefreshEnabling();
        return;
    }
    // A wrong password and a silent device look the same here.
    ShowStatusMessage(this, {kErrorTitle, kWrongLogin, MessageIcon::Warning});
    ResetTexts();
    PrepareInput();
}

void AuthDialog::RefuseTooLong(wxTextCtrl* field, const char* text) {
    MarkInvalid(field);
    ShowStatusMessage(this, {kErrorTitle, text, MessageIcon::Warning});
    field->SetFocus();
    field->SelectAll();
}

void AuthDialog::OnCancel(wxCommandEvent&) {
    // First, so that a login the disconnect ends reports nothing.
    login_.DropAll();
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
    for (wxTextCtrl* field : {user_, password_})
        ClearInvalidMark(field);
}

void AuthDialog::PrepareInput() {
    ok_->SetDefault();
    user_->SetFocus();
    user_->SelectAll();
}

void AuthDialog::ShowBusy(bool busy) {
    ok_->Enable(!busy);
}

}  // namespace vyr

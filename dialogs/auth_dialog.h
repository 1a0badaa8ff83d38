// The login dialog: user name and password, sent to the device, which alone decides. Created
// once by the main window, shown after every connection, hidden after the login or Cancel.
#pragma once

#include <cstddef>

#include "device/connection.h"
#include "dialogs/device_dialog.h"

class wxButton;
class wxTextCtrl;

namespace vyr {

class WindowServices;

// What fits the login frame once converted to the device's repertoire: the name field holds
// "/chroma/users/", the user name and a NUL in 256 bytes; the payload the password and a NUL
// in 180 bytes.
inline constexpr std::size_t kMaxUserNameBytes = 241;
inline constexpr std::size_t kMaxPasswordBytes = 179;

class AuthDialog : public TableDialog {
  public:
    enum Ids {
        ID_DIALOG = 1,
        ID_USERNAME = 1002,
        ID_PASSWORD = 1003,
        ID_AUTH_BTN = 1004,
        ID_CANCEL_BTN = 1005,
        ID_USERNAME_LABEL = 1006,
        ID_PASSWORD_LABEL = 1007,
    };

    // `parent` is the main window, which also implements `window`; both outlive the dialog.
    // Created hidden.
    AuthDialog(wxWindow* parent, WindowServices& window);

    // Centres the dialog over the main window. Showing also makes OK the default button and
    // selects the user name. Hiding abandons a login still running: its result is ignored.
    bool Show(bool show = true) override;

    wxTextCtrl* UserField() const { return user_; }
    wxTextCtrl* PasswordField() const { return password_; }
    wxButton* OkButton() const { return ok_; }
    wxButton* CancelButton() const { return cancel_; }
    // True from a click on OK until its result is in.
    bool Busy() const { return login_.Busy(); }

  private:
    void CreateControls();
    void OnLogin(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnLoginDone(const LoginResult& result);
    // Refuses a text that does not fit the frame: message, field marked, nothing sent.
    void RefuseTooLong(wxTextCtrl* field, const char* text);
    void ResetTexts();
    void ClearMarks();
    void PrepareInput();
    void ShowBusy(bool busy);

    WindowServices& window_;
    wxTextCtrl* user_ = nullptr;
    wxTextCtrl* password_ = nullptr;
    wxButton* ok_ = nullptr;
    wxButton* cancel_ = nullptr;
    // The login whose result is awaited; OK waits for it. Hiding or Cancel drops it.
    AwaitedResults login_{[this](bool busy) { ShowBusy(busy); }};
};

}  // namespace vyr

// The user administration dialog: lists the device's accounts, creates an account or changes
// its password and level, and deletes one. Created once by the main window, hidden; shown
// from the menu, which then lets it read the list.
//
// Every exchange runs as a job on the connection's worker. The list changes only after the
// device's answer; when the device refuses or does not answer, a message says so and the list
// is read again, so that it shows what the device holds.
#pragma once

#include <string>

#include "dialogs/device_dialog.h"

class wxButton;
class wxChoice;
class wxListBox;
class wxStaticText;
class wxTextCtrl;

namespace vyr {

struct UserList;
struct AccountResult;

class CreateUserDlg : public DeviceDialog {
  public:
    enum Ids {
        ID_DIALOG = 1,
        ID_CLOSE_BUTTON = 1005,
        ID_USER_LIST = 1006,
        ID_LIST_LABEL = 1007,
        ID_USER_NAME = 1008,
        ID_PWD = 1009,
        ID_REPEAT_PWD = 1010,
        ID_CREATE_BUTTON = 1011,
        ID_USER_LEVEL = 1012,
        ID_NAME_LABEL = 1013,
        ID_LEVEL_LABEL = 1014,
        ID_PWD_LABEL = 1015,
        ID_REPEAT_LABEL = 1016,
        ID_DELETE_BUTTON = 1017,
        ID_STATUS = 1018,
    };
    // Entries of the level choice.
    enum Level { kAdministrator = 0, kSuperadministrator = 1 };

    // `parent` is the main window; `device` outlives the dialog. Created hidden.
    CreateUserDlg(wxWindow* parent, DeviceAccess& device);
    ~CreateUserDlg() override;

    // Reads the list of accounts from the device (a job on the worker).
    void RefreshList();

    // The click handlers' work, also for tests.
    void CreateOrChange();
    void DeleteSelected();

    // DeviceView: a new connection also forgets the previous device's accounts.
    void ConnectionStarted() override;

    wxListBox* UserListBox() const { return list_; }
    wxTextCtrl* NameField() const { return name_; }
    wxTextCtrl* PasswordField() const { return password_; }
    wxTextCtrl* RepeatField() const { return repeat_; }
    wxChoice* LevelChoice() const { return level_; }
    wxButton* CreateButton() const { return create_; }
    wxButton* DeleteButton() const { return delete_; }
    wxButton* CloseButton() const { return close_; }
    wxStaticText* StatusText() const { return status_; }
    // A field marked as holding invalid input.
    static bool Marked(const wxWindow* field);

  private:
    void CreateControls();
    void OnSelect(wxCommandEvent& event);
    // Runs an exchange, `activity` showing on the status line meanwhile; says so when not
    // connected.
    template <typename Work, typename Done>
    void Run(const wxString& activity, Work work, Done done);
    // The action buttons wait for the device's answer; Close and the list stay usable.
    void ShowBusy(bool busy) override;
    void ShowList(const UserList& list);
    void Created(const std::wstring& name, const AccountResult& result);
    void Deleted(const std::wstring& name, const AccountResult& result);
    void ClearMarks();

    wxListBox* list_ = nullptr;
    wxTextCtrl* name_ = nullptr;
    wxTextCtrl* password_ = nullptr;
    wxTextCtrl* repeat_ = nullptr;
    wxChoice* level_ = nullptr;
    wxButton* create_ = nullptr;
    wxButton* delete_ = nullptr;
    wxButton* close_ = nullptr;
    wxStaticText* status_ = nullptr;
    wxString activity_;    // what the status line shows while an exchange runs
    bool listed_ = false;  // the list shows the device's latest listing
};

}  // namespace vyr

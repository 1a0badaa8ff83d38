#include "users_dialog.h"

#include <string>
#include <string_view>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "device/users.h"
#include "settings/text.h"
#include "ui/invalid_mark.h"
#include "ui/message_box.h"
#include "ui/wx_text.h"

namespace vyr {
namespace {

constexpr char kTitle[] = "Edit users";
const wxSize kDialogSize(412, 225);
constexpr int kMaxChars = 20;

constexpr char kDeletionFailed[] = "Deletion failed";
constexpr char kConfirmTitle[] = "Confirm action";
constexpr char kConfirmText[] = "This deletes the selected user.\nAre you sure?";
constexpr char kStoringFailed[] = "Storing failed";
constexpr char kNotAllowed[] = "Editing the users needs a superadministrator's rights.";
constexpr char kReading[] = "Reading the user list ...";
constexpr char kStoring[] = "Storing the user ...";
constexpr char kDeleting[] = "Deleting the user ...";
constexpr char kNotConnected[] = "Not connected to a device.";

using ctl::Kind;

// In window order, which is also the tab order. Positions are relative to the parent. The
// rows are spaced for the toolkit's field heights; a caption ends just before its field.
constexpr int kFieldLeft = 240;
constexpr int kFieldWidth = 145;
constexpr int kCaptionGap = 4;
constexpr int kListRight = 128;
constexpr std::string_view kLevels[] = {"Administrator", "Superadministrator"};
// clang-format off
constexpr ctl::Row kControls[] = {
    {.kind = Kind::Panel, .name = "WxPanel1", .key = "inner", .x = 10, .y = 10, .width = 392,
     .height = 200},
    {.kind = Kind::Label, .id = CreateUserDlg::ID_LIST_LABEL, .name = "WxStaticText1",
     .parent = "inner", .x = 8, .y = 3, .text = "Existing users:"},
    {.kind = Kind::List, .id = CreateUserDlg::ID_USER_LIST, .name = "UserList", .parent = "inner",
     .x = 7, .y = 22, .width = 121, .height = 110, .caption = CreateUserDlg::ID_LIST_LABEL},
    {.kind = Kind::Label, .id = CreateUserDlg::ID_NAME_LABEL, .name = "WxStaticText2",
     .parent = "inner", .x = 169, .y = 25, .text = "Username:"},
    {.kind = Kind::TextField, .id = CreateUserDlg::ID_USER_NAME, .name = "UserName",
     .parent = "inner", .x = kFieldLeft, .y = 20, .width = kFieldWidth, .height = 24,
     .limit = kMaxChars, .caption = CreateUserDlg::ID_NAME_LABEL},
    {.kind = Kind::Label, .id = CreateUserDlg::ID_LEVEL_LABEL, .name = "WxStaticText3",
     .parent = "inner", .x = 170, .y = 54, .text = "User level:"},
    {.kind = Kind::Choice, .id = CreateUserDlg::ID_USER_LEVEL, .name = "UserLevel",
     .parent = "inner", .x = kFieldLeft, .y = 48, .width = kFieldWidth, .height = 26,
     .caption = CreateUserDlg::ID_LEVEL_LABEL, .choices = kLevels,
     .selection = CreateUserDlg::kAdministrator},
    {.kind = Kind::Label, .id = CreateUserDlg::ID_PWD_LABEL, .name = "WxStaticText4",
     .parent = "inner", .x = 171, .y = 83, .text = "Password:"},
    {.kind = Kind::TextField, .id = CreateUserDlg::ID_PWD, .name = "Pwd", .parent = "inner",
     .x = kFieldLeft, .y = 78, .width = kFieldWidth, .height = 24, .flags = ctl::kPassword,
     .limit = kMaxChars, .caption = CreateUserDlg::ID_PWD_LABEL},
    {.kind = Kind::Label, .id = CreateUserDlg::ID_REPEAT_LABEL, .name = "WxStaticText5",
     .parent = "inner", .x = 133, .y = 113, .text = "Repeat password:"},
    {.kind = Kind::TextField, .id = CreateUserDlg::ID_REPEAT_PWD, .name = "RepeatPwd",
     .parent = "inner", .x = kFieldLeft, .y = 108, .width = kFieldWidth, .height = 24,
     .flags = ctl::kPassword, .limit = kMaxChars, .caption = CreateUserDlg::ID_REPEAT_LABEL},
    {.kind = Kind::Label, .id = CreateUserDlg::ID_STATUS, .name = "StatusText", .parent = "inner",
     .x = 8, .y = 140, .width = 378, .flags = ctl::kNoAutoResize | ctl::kEllipsizeEnd},
    {.kind = Kind::Panel, .name = "WxPanel2", .key = "buttons", .parent = "inner", .y = 165,
     .width = 392, .height = 35},
    {.kind = Kind::DialogButton, .id = CreateUserDlg::ID_DELETE_BUTTON, .name = "DeleteButton",
     .parent = "buttons", .x = 7, .width = 121, .height = 27, .text = "Delete"},
    {.kind = Kind::DialogButton, .id = CreateUserDlg::ID_CLOSE_BUTTON, .name = "CloseButton",
     .parent = "buttons", .x = 140, .width = 89, .height = 27, .text = "Close"},
    {.kind = Kind::DialogButton, .id = CreateUserDlg::ID_CREATE_BUTTON, .name = "CreateButton",
     .parent = "buttons", .x = kFieldLeft, .width = kFieldWidth, .height = 27,
     .text = "Create / change"},
};
// clang-format on
// Where the face is wider than the layout allows for, a field's caption moves left so that it
// ends before its field, but not into the list.
constexpr int kFieldCaptions[] = {CreateUserDlg::ID_NAME_LABEL, CreateUserDlg::ID_LEVEL_LABEL,
                                  CreateUserDlg::ID_PWD_LABEL, CreateUserDlg::ID_REPEAT_LABEL};

// Why an exchange the device did not confirm failed.
std::string FailureReason(AccountStatus status) {
    return status == AccountStatus::DeviceRefused ? "the device refused it"
                                                  : "the device did not answer";
}

// "The user "NAME" WHAT: WHY."
std::string AboutUser(const std::wstring& name, std::string_view what, std::string_view why) {
    return "The user \"" + WideToUtf8(name) + "\" " + std::string(what) + ": " + std::string(why) +
           ".";
}

}  // namespace

CreateUserDlg::CreateUserDlg(wxWindow* parent, DeviceAccess& device)
    : DeviceDialog(parent, device, kTitle, kDialogSize) {
    CreateControls();
    FixSize(kDialogSize);

    // Escape and a close request do what Close does.
    SetEscapeId(ID_CLOSE_BUTTON);
    Bind(wxEVT_LISTBOX, &CreateUserDlg::OnSelect, this, ID_USER_LIST);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { CreateOrChange(); }, ID_CREATE_BUTTON);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { DeleteSelected(); }, ID_DELETE_BUTTON);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Hide(); }, ID_CLOSE_BUTTON);
}

CreateUserDlg::~CreateUserDlg() = default;

void CreateUserDlg::CreateControls() {
    Build(kControls);
    for (const int caption : kFieldCaptions)
        ctl::KeepCaptionBefore(FindWindow(caption), kFieldLeft - kCaptionGap, kListRight + 2);
    list_ = static_cast<wxListBox*>(FindWindow(ID_USER_LIST));
    name_ = static_cast<wxTextCtrl*>(FindWindow(ID_USER_NAME));
    password_ = static_cast<wxTextCtrl*>(FindWindow(ID_PWD));
    repeat_ = static_cast<wxTextCtrl*>(FindWindow(ID_REPEAT_PWD));
    level_ = static_cast<wxChoice*>(FindWindow(ID_USER_LEVEL));
    create_ = static_cast<wxButton*>(FindWindow(ID_CREATE_BUTTON));
    delete_ = static_cast<wxButton*>(FindWindow(ID_DELETE_BUTTON));
    close_ = static_cast<wxButton*>(FindWindow(ID_CLOSE_BUTTON));
    status_ = static_cast<wxStaticText*>(FindWindow(ID_STATUS));
}

void CreateUserDlg::ConnectionStarted() {
    DropResults();
    list_->Clear();
    listed_ = false;
    status_->SetLabel("");
}

bool CreateUserDlg::Marked(const wxWindow* field) {
    return IsMarkedInvalid(field);
}

void CreateUserDlg::ClearMarks() {
    for (wxTextCtrl* field : {name_, password_, repeat_})
        ClearInvalidMark(field);
}

void CreateUserDlg::ShowBusy(bool busy) {
    create_->Enable(!busy);
    delete_->Enable(!busy);
    if (busy || status_->GetLabel() == activity_)
        status_->SetLabel(busy ? activity_ : wxString());
    if (!busy)
        activity_.clear();
}

template <typename Work, typename Done>
void CreateUserDlg::Run(const wxString& activity, Work work, Done done) {
    activity_ = activity;
    if (!Exchange(std::move(work), std::move(done)))
        status_->SetLabel(kNotConnected);
}

void CreateUserDlg::RefreshList() {
    Run(kReading, ListUsers, [this](const UserList& list) { ShowList(list); });
}

void CreateUserDlg::ShowList(const UserList& list) {
    list_->Clear();
    listed_ = list.status == AccountStatus::Done;
    if (!listed_) {
        // An empty list would claim that the device holds no accounts.
        status_->SetLabel(
            Wx("The user list could not be read: " + FailureReason(list.status) + "."));
        return;
    }
    for (const std::wstring& name : list.names)
        list_->Append(wxString(name));
    status_->SetLabel("");
}

void CreateUserDlg::OnSelect(wxCommandEvent&) {
    const int selected = list_->GetSelection();
    if (selected == wxNOT_FOUND)
        return;
    name_->ChangeValue(list_->GetString(selected));
    password_->ChangeValue("");
    repeat_->ChangeValue("");
}

void CreateUserDlg::CreateOrChange() {
    if (Busy() || !Permitted(&UserLevel::MayAdministrate, kNotAllowed))
        return;
    ClearMarks();
    const std::wstring name = NormaliseUserName(name_->GetValue().ToStdWstring());
    name_->ChangeValue(name);
    if (CheckAccountName(name) != AccountProblem::None) {
        MarkInvalid(name_);
        return;
    }
    const std::wstring password = password_->GetValue().ToStdWstring();
    if (CheckPassword(password) != AccountProblem::None ||
        password != repeat_->GetValue().ToStdWstring()) {
        MarkInvalid(password_);
        MarkInvalid(repeat_);
        return;
    }
    const bool superadministrator = level_->GetSelection() == kSuperadministrator;
    // The password stays in no field once it is on its way.
    password_->ChangeValue("");
    repeat_->ChangeValue("");
    Run(
        kStoring,
        [name, password, superadministrator](DeviceConnection& connection) {
            return SetUserAccount(connection, name, password, superadministrator);
        },
        [this, name](const AccountResult& result) { Created(name, result); });
}

void CreateUserDlg::Created(const std::wstring& name, const AccountResult& result) {
    if (result.status != AccountStatus::Done) {
        ShowStatusMessage(
            this, {kStoringFailed, AboutUser(name, "was not stored", FailureReason(result.status)),
                   MessageIcon::Warning});
        RefreshList();
        return;
    }
    if (name_->GetValue() == name)
        name_->ChangeValue("");
    if (!listed_)
        RefreshList();
    else if (list_->FindString(name, true) == wxNOT_FOUND)
        list_->Append(wxString(name));
}

void CreateUserDlg::DeleteSelected() {
    const int selected = list_->GetSelection();
    if (Busy() || selected == wxNOT_FOUND || !Permitted(&UserLevel::MayAdministrate, kNotAllowed))
        return;
    const std::wstring name = list_->GetString(selected).ToStdWstring();
    // Only a name of plain characters reaches the device's shell line.
    if (const AccountProblem problem = CheckDeletableName(name); problem != AccountProblem::None) {
        const std::string text =
            problem == AccountProblem::SuperadminKept
                ? std::string(AccountProblemText(problem))
                : AboutUser(name, "cannot be deleted here", AccountProblemText(problem));
        ShowStatusMessage(this, {kDeletionFailed, text, MessageIcon::Warning});
        return;
    }
    if (wxMessageBox(kConfirmText, kConfirmTitle, wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION,
                     this) != wxYES)
        return;
    Run(
        kDeleting,
        [name](DeviceConnection& connection) { return DeleteUserAccount(connection, name); },
        [this, name](const AccountResult& result) { Deleted(name, result); });
}

void CreateUserDlg::Deleted(const std::wstring& name, const AccountResult& result) {
    if (result.status != AccountStatus::Done) {
        ShowStatusMessage(this, {kDeletionFailed,
                                 AboutUser(name, "was not deleted", FailureReason(result.status)),
                                 MessageIcon::Warning});
        RefreshList();
        return;
    }
    if (!listed_)
        RefreshList();
    else if (const int entry = list_->FindString(name, true); entry != wxNOT_FOUND)
        list_->Delete(static_cast<unsigned>(entry));
}

}  // namespace vyr

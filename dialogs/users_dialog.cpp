#include "users_dialog.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dcmemory.h>
#include <wx/listbox.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "device/users.h"
#include "settings/text.h"
#include "ui/dialog_size.h"
#include "ui/accessible.h"
#include "ui/dialog_button.h"
#include "ui/fonts.h"
#include "ui/gtk_style.h"
#include "ui/message_box.h"
#include "ui/wx_text.h"

namespace vyr {
namespace {

constexpr char kTitle[] = "Edit users";
const wxSize kDialogSize(412, 225);
const wxColour kInvalidColour(255, 200, 200);
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

enum class Kind { Panel, Label, List, Field, PasswordField, Choice, Button, Status };
constexpr int kDialog = -1;
constexpr int kNone = 0;
constexpr int kAuto = -1;  // sized by its text

struct Descriptor {
    Kind kind;
    int id;
    const char* name;
    int parent;  // index of the parent in the table, or kDialog
    int x, y, width, height;
    const char* text;
    int captionId;  // the label naming the control, or kNone
};

// In window order, which is also the tab order. Positions are relative to the parent. The
// rows are spaced for the toolkit's field heights; a caption ends just before its field.
constexpr int kInner = 1;
constexpr int kButtons = 13;
constexpr int kFieldLeft = 240;
constexpr int kFieldWidth = 145;
constexpr int kCaptionGap = 4;
constexpr int kListRight = 128;
constexpr Descriptor kControls[] = {
    {Kind::Panel, wxID_ANY, "panel", kDialog, 0, 0, 412, 225, "", kNone},
    {Kind::Panel, wxID_ANY, "WxPanel1", 0, 10, 10, 392, 200, "", kNone},
    {Kind::Label, CreateUserDlg::ID_LIST_LABEL, "WxStaticText1", kInner, 8, 3, kAuto, kAuto,
     "Existing users:", kNone},
    {Kind::List, CreateUserDlg::ID_USER_LIST, "UserList", kInner, 7, 22, 121, 110, "",
     CreateUserDlg::ID_LIST_LABEL},
    {Kind::Label, CreateUserDlg::ID_NAME_LABEL, "WxStaticText2", kInner, 169, 25, kAuto, kAuto,
     "Username:", kNone},
    {Kind::Field, CreateUserDlg::ID_USER_NAME, "UserName", kInner, kFieldLeft, 20, kFieldWidth, 24, "",
     CreateUserDlg::ID_NAME_LABEL},
    {Kind::Label, CreateUserDlg::ID_LEVEL_LABEL, "WxStaticText3", kInner, 170, 54, kAuto, kAuto,
     "User level:", kNone},
    {Kind::Choice, CreateUserDlg::ID_USER_LEVEL, "UserLevel", kInner, kFieldLeft, 48, kFieldWidth, 26, "",
     CreateUserDlg::ID_LEVEL_LABEL},
    {Kind::Label, CreateUserDlg::ID_PWD_LABEL, "WxStaticText4", kInner, 171, 83, kAuto, kAuto,
     "Password:", kNone},
    {Kind::PasswordField, CreateUserDlg::ID_PWD, "Pwd", kInner, kFieldLeft, 78, kFieldWidth, 24, "",
     CreateUserDlg::ID_PWD_LABEL},
    {Kind::Label, CreateUserDlg::ID_REPEAT_LABEL, "WxStaticText5", kInner, 133, 113, kAuto, kAuto,
     "Repeat password:", kNone},
    {Kind::PasswordField, CreateUserDlg::ID_REPEAT_PWD, "RepeatPwd", kInner, kFieldLeft, 108,
     kFieldWidth, 24, "", CreateUserDlg::ID_REPEAT_LABEL},
    {Kind::Status, CreateUserDlg::ID_STATUS, "StatusText", kInner, 8, 140, 378, kAuto, "", kNone},
    {Kind::Panel, wxID_ANY, "WxPanel2", kInner, 0, 165, 392, 35, "", kNone},
    {Kind::Button, CreateUserDlg::ID_DELETE_BUTTON, "DeleteButton", kButtons, 7, 0, 121, 27,
     "Delete", kNone},
    {Kind::Button, CreateUserDlg::ID_CLOSE_BUTTON, "CloseButton", kButtons, 140, 0, 89, 27,
     "Close", kNone},
    {Kind::Button, CreateUserDlg::ID_CREATE_BUTTON, "CreateButton", kButtons, kFieldLeft, 0, kFieldWidth, 27,
     "Create / change", kNone},
};

// A text's size in the dialog's font; two pixels more for the toolkit's rounding.
wxSize TextSize(const wxString& text) {
    wxMemoryDC dc;
    dc.SetFont(fonts::Ui());
    return dc.GetTextExtent(text) + wxSize(2, 0);
}

wxWindow* CreateControl(const Descriptor& d, wxWindow* parent) {
    const wxPoint pos(d.x, d.y);
    const wxSize size(d.width, d.height);
    switch (d.kind) {
        case Kind::Panel:
            return new wxPanel(parent, d.id, pos, size, wxTAB_TRAVERSAL, d.name);
        case Kind::Label: {
            // Measured in its own font: the toolkit would use its default font until shown.
            // Where the face is wider than the layout allows for, a field's caption moves left
            // so that it ends before its field, but not into the list.
            const wxSize text = TextSize(d.text);
            const int x = d.x < kListRight ? d.x
                                           : std::max(kListRight + 2,
                                                      std::min(d.x, kFieldLeft - kCaptionGap - text.x));
            return new wxStaticText(parent, d.id, d.text, wxPoint(x, d.y), text, 0, d.name);
        }
        case Kind::Status:
            return new wxStaticText(parent, d.id, "", pos, wxSize(d.width, TextSize("Ag").y),
                                    wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END, d.name);
        case Kind::List:
            return new wxListBox(parent, d.id, pos, size, 0, nullptr, wxLB_SINGLE,
                                 wxDefaultValidator, d.name);
        case Kind::Field:
        case Kind::PasswordField: {
            auto* field = new wxTextCtrl(parent, d.id, "", pos, size,
                                         d.kind == Kind::PasswordField ? wxTE_PASSWORD : 0,
                                         wxDefaultValidator, d.name);
            field->SetMaxLength(kMaxChars);
            return field;
        }
        case Kind::Choice: {
            const wxString entries[] = {"Administrator", "Superadministrator"};
            auto* choice = new wxChoice(parent, d.id, pos, size, 2, entries, 0,
                                        wxDefaultValidator, d.name);
            choice->SetSelection(CreateUserDlg::kAdministrator);
            return choice;
        }
        case Kind::Button: {
            return MakeDialogButton(parent, d.id, d.text, pos, size, d.name);
        }
    }
    return nullptr;
}

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
    : wxDialog(parent, ID_DIALOG, kTitle, wxDefaultPosition, kDialogSize,
               wxCAPTION | wxSTAY_ON_TOP | wxDIALOG_NO_PARENT),
      device_(device) {
    UseCompactStyle(this);
    SetFont(fonts::Ui());
    CreateControls();

    // Fixed size. Where the window manager's frame leaves less room than the controls need,
    // the dialog grows instead of cutting them off.
    FixDialogSize(*this, *GetChildren().front(), kDialogSize);

    // Escape and a close request do what Close does.
    SetEscapeId(ID_CLOSE_BUTTON);
    Bind(wxEVT_LISTBOX, &CreateUserDlg::OnSelect, this, ID_USER_LIST);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { CreateOrChange(); }, ID_CREATE_BUTTON);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { DeleteSelected(); }, ID_DELETE_BUTTON);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Hide(); }, ID_CLOSE_BUTTON);
}

CreateUserDlg::~CreateUserDlg() = default;

void CreateUserDlg::CreateControls() {
    wxWindow* built[std::size(kControls)] = {};
    for (std::size_t i = 0; i < std::size(kControls); ++i) {
        const Descriptor& d = kControls[i];
        wxWindow* parent = d.parent == kDialog ? static_cast<wxWindow*>(this) : built[d.parent];
        built[i] = CreateControl(d, parent);
        built[i]->SetFont(fonts::Ui());
        // Controls whose caption is a label of their own carry it as their accessible name.
        if (d.captionId != kNone) {
            wxWindow* caption = FindWindow(d.captionId);
            SetAccessibleName(built[i], caption->GetLabel(), caption);
        }
    }
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

bool CreateUserDlg::Show(bool show) {
    if (show && !IsShown()) {
        CentreOnParent(wxBOTH);
    } else if (!show) {
        // The next showing reads the list again.
        Forget();
    }
    return wxDialog::Show(show);
}

void CreateUserDlg::ConnectionStarted() {
    Forget();
    list_->Clear();
    listed_ = false;
    status_->SetLabel("");
}

void CreateUserDlg::Forget() {
    ++*generation_;
    pending_ = 0;
    SetBusy(false);
}

bool CreateUserDlg::Marked(const wxWindow* field) {
    return field->GetBackgroundColour() == kInvalidColour;
}

void CreateUserDlg::Mark(wxTextCtrl* field) {
    field->SetBackgroundColour(kInvalidColour);
    field->Refresh();
}

void CreateUserDlg::ClearMarks() {
    for (wxTextCtrl* field : {name_, password_, repeat_}) {
        if (Marked(field)) {
            field->SetBackgroundColour(wxNullColour);
            field->Refresh();
        }
    }
}

bool CreateUserDlg::MayAdministrate() {
    if (device_.CurrentLevel().MayAdministrate())
        return true;
    ShowStatusMessage(this, {kTitle, kNotAllowed, MessageIcon::Warning});
    return false;
}

// The action buttons wait for the device's answer; Close and the list stay usable.
void CreateUserDlg::SetBusy(bool busy, const wxString& activity) {
    create_->Enable(!busy);
    delete_->Enable(!busy);
    if (busy || status_->GetLabel() == activity_)
        status_->SetLabel(busy ? activity : wxString());
    activity_ = busy ? activity : wxString();
}

void CreateUserDlg::Run(const wxString& activity, Work work) {
    const std::weak_ptr<unsigned> current = generation_;
    const unsigned generation = *generation_;
    ++pending_;
    SetBusy(true, activity);
    const bool queued = device_.RunJob(
        [this, current, generation, work = std::move(work)](
            DeviceConnection& connection, Progress&) -> DeviceAccess::GuiStep {
            auto answered = work(connection);
            return [this, current, generation, answered = std::move(answered)] {
                const auto latest = current.lock();
                if (!latest || *latest != generation)
                    return;
                if (--pending_ == 0)
                    SetBusy(false);
                answered();
            };
        });
    if (!queued) {
        --pending_;
        SetBusy(false);
        status_->SetLabel(kNotConnected);
    }
}

void CreateUserDlg::RefreshList() {
    Run(kReading, [this](DeviceConnection& connection) -> std::function<void()> {
        return [this, list = ListUsers(connection)] { ShowList(list); };
    });
}

void CreateUserDlg::ShowList(const UserList& list) {
    list_->Clear();
    listed_ = list.status == AccountStatus::Done;
    if (!listed_) {
        // An empty list would claim that the device holds no accounts.
        status_->SetLabel(Wx("The user list could not be read: " + FailureReason(list.status) + "."));
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
    if (Busy() || !MayAdministrate())
        return;
    ClearMarks();
    const std::wstring name = NormaliseUserName(name_->GetValue().ToStdWstring());
    name_->ChangeValue(name);
    if (CheckAccountName(name) != AccountProblem::None) {
        Mark(name_);
        return;
    }
    const std::wstring password = password_->GetValue().ToStdWstring();
    if (CheckPassword(password) != AccountProblem::None ||
        password != repeat_->GetValue().ToStdWstring()) {
        Mark(password_);
        Mark(repeat_);
        return;
    }
    const bool superadministrator = level_->GetSelection() == kSuperadministrator;
    // The password stays in no field once it is on its way.
    password_->ChangeValue("");
    repeat_->ChangeValue("");
    Run(kStoring, [this, name, password, superadministrator](
                      DeviceConnection& connection) -> std::function<void()> {
        return [this, name, result = SetUserAccount(connection, name, password, superadministrator)] {
            Created(name, result);
        };
    });
}

void CreateUserDlg::Created(const std::wstring& name, const AccountResult& result) {
    if (result.status != AccountStatus::Done) {
        ShowStatusMessage(this, {kStoringFailed,
                                 AboutUser(name, "was not stored", FailureReason(result.status)),
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
    if (Busy() || selected == wxNOT_FOUND || !MayAdministrate())
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
    Run(kDeleting, [this, name](DeviceConnection& connection) -> std::function<void()> {
        return [this, name, result = DeleteUserAccount(connection, name)] { Deleted(name, result); };
    });
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

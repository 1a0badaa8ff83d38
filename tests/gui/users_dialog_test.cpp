// The user administration dialog against the simulator: the listing and its exact frames,
// creating, changing and deleting an account with the list following the device's answers,
// the accounts that are never deleted, refused input, a refusing device, a failed listing,
// the level checked at each click, and its closing whenever the connection ends or a user
// logs in.
#include <algorithm>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/menus.h"
#include "device_window.h"
#include "dialogs/users_dialog.h"
#include "gui_events.h"
#include "gui_support.h"
#include "modal_hook.h"
#include "ui/accessible.h"

namespace vyr::test {
namespace {

using namespace std::chrono_literals;

constexpr char kListLine[] = "in  17 SYSTEMCALL text \"ls -1 /chroma/users/ > /tmp/userlist\"";
constexpr char kReadList[] = "in  19 /tmp/userlist text \"\"";
constexpr char kConfirm[] = "This deletes the selected user.\nAre you sure?";

class UsersDialogTest : public DeviceWindowTest {
  protected:
    CreateUserDlg& Dialog() { return Frame().UsersDialog(); }

    void LogInAsSuperadmin() {
        ConnectAndLogIn(L"superadmin", L"vyr-superadmin");
        ASSERT_TRUE(PumpUntil([&] {
            return !Login().IsShown() &&
                   Frame().CurrentUserLevel() == UserLevel::Superadministrator();
        }));
    }
    // Opens the dialog from the menu and waits for the listing.
    void Open() {
        sim.ClearLog();
        Command(&Frame(), menu::kEditUsers);
        ASSERT_TRUE(Dialog().IsShown());
        WaitForAnswer();
    }
    void WaitForAnswer() { ASSERT_TRUE(PumpUntil([&] { return !Dialog().Busy(); })); }

    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const wxString& name : Dialog().UserListBox()->GetStrings())
            names.push_back(name.utf8_string());
        return names;
    }
    // The requests about accounts, in order; the keep-alive's are left out.
    std::vector<std::string> AccountRequests() const {
        std::vector<std::string> requests;
        for (const std::string& line : sim.Log()) {
            if (line.starts_with("in ") && (line.find("userlist") != std::string::npos ||
                                            line.find("/chroma/users/") != std::string::npos ||
                                            line.find("CALLUSERDELETE") != std::string::npos))
                requests.push_back(line);
        }
        return requests;
    }
    std::string LastAccountRequest() const {
        const auto requests = AccountRequests();
        return requests.empty() ? std::string() : requests.back();
    }
    void Select(const wxString& name) {
        wxListBox* list = Dialog().UserListBox();
        const int entry = list->FindString(name, true);
        ASSERT_NE(entry, wxNOT_FOUND) << name;
        list->SetSelection(entry);
        wxCommandEvent event(wxEVT_LISTBOX, list->GetId());
        event.SetInt(entry);
        Send(list, event);
    }
    void Fill(const wxString& name, const wxString& password, const wxString& repeat) {
        Dialog().NameField()->ChangeValue(name);
        Dialog().PasswordField()->ChangeValue(password);
        Dialog().RepeatField()->ChangeValue(repeat);
    }
    std::string UserFile(const std::string& name) const {
        return sim.ReadFile("/chroma/users/" + name).value_or("<none>");
    }
    bool Listed(const std::string& name) {
        const auto names = Names();
        return std::find(names.begin(), names.end(), name) != names.end();
    }
};

TEST_F(UsersDialogTest, ListsTheAccountsWithoutTheReservedOnesAndFitsItsTexts) {
    sim.WriteFile("/chroma/users/Zoe", "password=z\nlevel=4\n");
    sim.WriteFile("/chroma/users/J\xF6rg", "password=j\nlevel=4\n");
    LogInAsSuperadmin();
    sim.SetFaults({.latencyMs = 100});
    sim.ClearLog();
    Command(&Frame(), menu::kEditUsers);
    // The listing runs on the worker: the window answers meanwhile, the dialog says what it
    // does and its action buttons wait.
    ASSERT_TRUE(Dialog().IsShown());
    EXPECT_TRUE(Dialog().Busy());
    EXPECT_FALSE(Dialog().CreateButton()->IsEnabled());
    EXPECT_FALSE(Dialog().DeleteButton()->IsEnabled());
    EXPECT_TRUE(Dialog().CloseButton()->IsEnabled());
    EXPECT_EQ(Dialog().StatusText()->GetLabel(), "Reading the user list ...");
    WaitForAnswer();
    EXPECT_TRUE(Dialog().CreateButton()->IsEnabled());
    EXPECT_TRUE(Dialog().DeleteButton()->IsEnabled());
    EXPECT_EQ(Dialog().StatusText()->GetLabel(), "");
    EXPECT_EQ(Names(), (std::vector<std::string>{"J\u00F6rg", "Zoe", "admin", "superadmin"}));
    EXPECT_EQ(AccountRequests(), (std::vector<std::string>{kListLine, kReadList}));

    EXPECT_EQ(Dialog().GetTitle(), "Edit users");
    EXPECT_FALSE(Dialog().HasFlag(wxCLOSE_BOX));
    EXPECT_EQ(Dialog().LevelChoice()->GetStringSelection(), "Administrator");
    // Screen readers name each control by its caption.
    const std::pair<wxWindow*, const char*> kNamed[] = {
        {Dialog().UserListBox(), "Existing users:"}, {Dialog().NameField(), "Username:"},
        {Dialog().LevelChoice(), "User level:"},     {Dialog().PasswordField(), "Password:"},
        {Dialog().RepeatField(), "Repeat password:"}};
    for (const auto& [control, name] : kNamed)
        EXPECT_EQ(AccessibleName(control), name) << Where(control);
    // Texts fit their controls, controls the dialog, and no two siblings overlap.
    Settle();
    const wxRect client(wxPoint(0, 0), Dialog().GetClientSize());
    std::vector<wxWindow*> all;
    std::vector<wxWindow*> pending{&Dialog()};
    while (!pending.empty()) {
        wxWindow* parent = pending.back();
        pending.pop_back();
        const auto& children = parent->GetChildren();
        for (wxWindow* child : children) {
            all.push_back(child);
            pending.push_back(child);
            const wxRect parentArea(wxPoint(0, 0), parent->GetClientSize());
            EXPECT_TRUE(parentArea.Contains(child->GetRect())) << Where(child);
            if (auto* text = dynamic_cast<wxStaticText*>(child)) {
                EXPECT_LE(text->GetTextExtent(text->GetLabel()).x, text->GetSize().x) << Where(child);
            }
            if (dynamic_cast<wxButton*>(child) || dynamic_cast<wxChoice*>(child) ||
                dynamic_cast<wxTextCtrl*>(child)) {
                EXPECT_GE(child->GetSize().x, child->GetBestSize().x) << Where(child);
                EXPECT_GE(child->GetSize().y, child->GetBestSize().y) << Where(child);
            }
            for (wxWindow* other : children) {
                if (other != child) {
                    EXPECT_FALSE(child->GetRect().Intersects(other->GetRect()))
                        << Where(child) << " / " << Where(other);
                }
            }
        }
    }
    EXPECT_GE(all.size(), 15u);

    // A close request does what Close does.
    Dialog().Close();
    EXPECT_FALSE(Dialog().IsShown());
}

TEST_F(UsersDialogTest, CreateChangeAndDeleteFollowTheDevicesAnswers) {
    LogInAsSuperadmin();
    Open();
    sim.SetFaults({.latencyMs = 100});
    sim.ClearLog();
    // A blank inside the name becomes "_", blanks at its end go.
    Fill("new user  ", "pw-1", "pw-1");
    ClickButton(Dialog().CreateButton());
    EXPECT_EQ(Dialog().NameField()->GetValue(), "new_user");
    EXPECT_EQ(Dialog().PasswordField()->GetValue(), "");
    EXPECT_EQ(Dialog().RepeatField()->GetValue(), "");
    EXPECT_TRUE(Dialog().Busy());
    EXPECT_FALSE(Dialog().CreateButton()->IsEnabled());
    EXPECT_EQ(Dialog().StatusText()->GetLabel(), "Storing the user ...");
    // Listed only once the device has answered.
    EXPECT_FALSE(Listed("new_user"));
    WaitForAnswer();
    ASSERT_TRUE(Listed("new_user"));
    EXPECT_EQ(Dialog().NameField()->GetValue(), "");
    EXPECT_EQ(UserFile("new_user"), "password=pw-1\nlevel=4\n");
    EXPECT_EQ(AccountRequests(), (std::vector<std::string>{"in  11 /chroma/users/new_user text \"***\"",
                                                           "in  15 /chroma/users/new_user int 4"}));

    // Selecting fills the name and empties the passwords; the level choice stays.
    Dialog().PasswordField()->ChangeValue("x");
    Select("new_user");
    EXPECT_EQ(Dialog().NameField()->GetValue(), "new_user");
    EXPECT_EQ(Dialog().PasswordField()->GetValue(), "");
    ASSERT_TRUE(Choose(Dialog().LevelChoice(), "Superadministrator"));
    Dialog().PasswordField()->ChangeValue("pw-2");
    Dialog().RepeatField()->ChangeValue("pw-2");
    sim.ClearLog();
    ClickButton(Dialog().CreateButton());
    WaitForAnswer();
    EXPECT_EQ(UserFile("new_user"), "password=pw-2\nlevel=3\n");
    const auto names = Names();
    EXPECT_EQ(std::count(names.begin(), names.end(), "new_user"), 1);
    EXPECT_EQ(LastAccountRequest(), "in  15 /chroma/users/new_user int 3");

    // Deleting asks first; No sends nothing.
    Select("new_user");
    sim.ClearLog();
    wxTEST_DIALOG(Dialog().DeleteSelected(), ExpectMessage("Confirm action", kConfirm, wxID_NO));
    EXPECT_FALSE(Dialog().Busy());
    EXPECT_TRUE(AccountRequests().empty());
    wxTEST_DIALOG(Dialog().DeleteSelected(), ExpectMessage("Confirm action", kConfirm, wxID_YES));
    EXPECT_TRUE(Dialog().Busy());
    EXPECT_TRUE(Listed("new_user"));
    WaitForAnswer();
    EXPECT_FALSE(Listed("new_user"));
    EXPECT_EQ(UserFile("new_user"), "<none>");
    EXPECT_EQ(AccountRequests(),
              (std::vector<std::string>{"in  17 CALLUSERDELETE text \"rm /chroma/users/new_user\""}));
}

TEST_F(UsersDialogTest, SuperadminStaysLevelThreeAndIsNeverDeleted) {
    LogInAsSuperadmin();
    Open();
    ASSERT_EQ(Dialog().LevelChoice()->GetSelection(), CreateUserDlg::kAdministrator);
    Select("superadmin");
    Fill("superadmin", "new-secret", "new-secret");
    sim.ClearLog();
    ClickButton(Dialog().CreateButton());
    WaitForAnswer();
    EXPECT_EQ(LastAccountRequest(), "in  15 /chroma/users/superadmin int 3");
    const auto names = Names();
    EXPECT_EQ(std::count(names.begin(), names.end(), "superadmin"), 1);

    Select("superadmin");
    sim.ClearLog();
    wxTEST_DIALOG(Dialog().DeleteSelected(),
                  ExpectMessage("Deletion failed", "Deleting the user \"superadmin\" is not allowed!"));
    EXPECT_FALSE(Dialog().Busy());
    EXPECT_TRUE(AccountRequests().empty());
    EXPECT_TRUE(Listed("superadmin"));
    EXPECT_NE(UserFile("superadmin"), "<none>");
}

// A name the device's listing holds but the device's shell would read as more than a name
// is never put into an rm line.
TEST_F(UsersDialogTest, ANameWithShellCharactersIsNotDeleted) {
    sim.WriteFile("/chroma/users/x;reboot", "password=x\nlevel=4\n");
    sim.WriteFile("/chroma/users/two words", "password=x\nlevel=4\n");
    LogInAsSuperadmin();
    Open();
    for (const char* name : {"x;reboot", "two words"}) {
        Select(name);
        sim.ClearLog();
        wxTEST_DIALOG(Dialog().DeleteSelected(),
                      ExpectMessage("Deletion failed",
                                    "The user \"" + wxString(name) +
                                        "\" cannot be deleted here: the user name may hold only "
                                        "letters a-z and A-Z, the umlauts, digits and '_'."));
        EXPECT_FALSE(Dialog().Busy()) << name;
        EXPECT_TRUE(AccountRequests().empty()) << name;
        EXPECT_TRUE(Listed(name)) << name;
    }
}

TEST_F(UsersDialogTest, InvalidInputColoursItsFieldsAndSendsNothing) {
    LogInAsSuperadmin();
    Open();
    sim.ClearLog();
    const auto create = [&](const wxString& name, const wxString& password, const wxString& repeat) {
        Fill(name, password, repeat);
        ClickButton(Dialog().CreateButton());
        EXPECT_FALSE(Dialog().Busy()) << name;
    };
    for (const char* name : {"", "   ", "service  ", "distributor", "controller"}) {
        create(name, "pw", "pw");
        EXPECT_TRUE(CreateUserDlg::Marked(Dialog().NameField())) << name;
        EXPECT_FALSE(CreateUserDlg::Marked(Dialog().PasswordField())) << name;
    }
    create("bob", "pw", "pW");
    EXPECT_FALSE(CreateUserDlg::Marked(Dialog().NameField()));
    EXPECT_TRUE(CreateUserDlg::Marked(Dialog().PasswordField()));
    EXPECT_TRUE(CreateUserDlg::Marked(Dialog().RepeatField()));
    create("bob", "", "");
    EXPECT_TRUE(CreateUserDlg::Marked(Dialog().PasswordField()));
    EXPECT_TRUE(CreateUserDlg::Marked(Dialog().RepeatField()));
    // The refused texts stay for another try.
    create("bob", "pw", "other");
    EXPECT_EQ(Dialog().PasswordField()->GetValue(), "pw");
    EXPECT_TRUE(AccountRequests().empty());
    EXPECT_FALSE(Listed("bob"));

    // The marks go with the next accepted try.
    Fill("bob", "pw", "pw");
    ClickButton(Dialog().CreateButton());
    for (wxTextCtrl* field : {Dialog().NameField(), Dialog().PasswordField(), Dialog().RepeatField()})
        EXPECT_FALSE(CreateUserDlg::Marked(field)) << Where(field);
    WaitForAnswer();
    EXPECT_TRUE(Listed("bob"));
}

TEST_F(UsersDialogTest, ARefusedChangeOrDeletionIsReportedAndTheListReadAgain) {
    LogInAsSuperadmin();
    Open();
    sim.SetFaults({.refuseName = "/chroma/users/bob"});
    Fill("bob", "pw", "pw");
    sim.ClearLog();
    wxTEST_DIALOG(
        {
            ClickButton(Dialog().CreateButton());
            EXPECT_TRUE(PumpUntil([&] { return !Dialog().Busy(); }));
        },
        ExpectMessage("Storing failed", "The user \"bob\" was not stored: the device refused it."));
    WaitForAnswer();
    EXPECT_FALSE(Listed("bob"));
    EXPECT_EQ(AccountRequests(),
              (std::vector<std::string>{"in  11 /chroma/users/bob text \"***\"", kListLine, kReadList}));
    EXPECT_EQ(Names(), (std::vector<std::string>{"admin", "superadmin"}));

    // The device says no to the deletion: the account stays listed, as the device holds it.
    sim.SetFaults({.refuseName = "CALLUSERDELETE"});
    Select("admin");
    sim.ClearLog();
    wxTEST_DIALOG(
        {
            Dialog().DeleteSelected();
            EXPECT_TRUE(PumpUntil([&] { return !Dialog().Busy(); }));
        },
        ExpectMessage("Confirm action", kConfirm, wxID_YES),
        ExpectMessage("Deletion failed", "The user \"admin\" was not deleted: the device refused it."));
    WaitForAnswer();
    EXPECT_EQ(AccountRequests(),
              (std::vector<std::string>{"in  17 CALLUSERDELETE text \"rm /chroma/users/admin\"",
                                        kListLine, kReadList}));
    EXPECT_EQ(Names(), (std::vector<std::string>{"admin", "superadmin"}));
}

TEST_F(UsersDialogTest, AFailedListingSaysSoAndTheNextSuccessListsAgain) {
    LogInAsSuperadmin();
    sim.WriteFile("/tmp/userlist", "ghost\n");
    sim.SetFaults({.refuseName = "/tmp/userlist"});
    Open();
    EXPECT_TRUE(Names().empty());
    EXPECT_EQ(Dialog().StatusText()->GetLabel(),
              "The user list could not be read: the device refused it.");
    EXPECT_LE(Dialog().StatusText()->GetTextExtent(Dialog().StatusText()->GetLabel()).x,
              Dialog().StatusText()->GetSize().x);

    // An account stored meanwhile brings the whole list, not a list of one.
    sim.SetFaults({});
    Fill("bob", "pw", "pw");
    ClickButton(Dialog().CreateButton());
    WaitForAnswer();
    EXPECT_EQ(Names(), (std::vector<std::string>{"admin", "bob", "superadmin"}));
    EXPECT_EQ(Dialog().StatusText()->GetLabel(), "");
}

// The menu is disabled below the superadministrator's level; the dialog still asks at every
// click, here while connected and not logged in.
TEST_F(UsersDialogTest, EachActionChecksTheUserLevelAgain) {
    Connect();
    Open();
    Select("admin");
    Fill("bob", "pw", "pw");
    sim.ClearLog();
    wxTEST_DIALOG(ClickButton(Dialog().CreateButton()),
                  ExpectMessage("Edit users", "Editing the users needs a superadministrator's rights."));
    wxTEST_DIALOG(Dialog().DeleteSelected(),
                  ExpectMessage("Edit users", "Editing the users needs a superadministrator's rights."));
    PumpFor(200ms);
    EXPECT_TRUE(AccountRequests().empty());
    EXPECT_EQ(UserFile("bob"), "<none>");
}

TEST_F(UsersDialogTest, ClosedOnDisconnectAndByEveryLoginAndLateAnswersAreDropped) {
    LogInAsSuperadmin();
    Open();
    ASSERT_FALSE(Names().empty());
    Press(false);
    EXPECT_FALSE(Dialog().IsShown());

    // A new connection forgets the previous device's accounts; a login closes the dialog.
    Connect();
    EXPECT_TRUE(Names().empty());
    Command(&Frame(), menu::kEditUsers);
    ASSERT_TRUE(Dialog().IsShown());
    SendLogin(L"superadmin", L"vyr-superadmin");
    ASSERT_TRUE(PumpUntil([&] { return !Login().IsShown(); }));
    EXPECT_FALSE(Dialog().IsShown());

    // A listing still in flight when the dialog closes shows nothing afterwards.
    Dialog().UserListBox()->Clear();
    sim.SetFaults({.latencyMs = 200});
    Command(&Frame(), menu::kEditUsers);
    EXPECT_TRUE(Dialog().Busy());
    ClickButton(Dialog().CloseButton());
    EXPECT_FALSE(Dialog().Busy());
    PumpFor(1500ms);
    EXPECT_TRUE(Names().empty());
    EXPECT_TRUE(Dialog().CreateButton()->IsEnabled());
}

}  // namespace
}  // namespace vyr::test

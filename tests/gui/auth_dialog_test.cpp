// The login dialog against a fake main window: its controls, what OK and Cancel ask of the
// window, the messages, the texts refused before anything is sent, and results that arrive
// after the dialog has moved on.
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/dynlib.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "device/connection.h"
#include "dialogs/auth_dialog.h"
#include "dialogs/window_services.h"
#include "ui/fonts.h"
#include "capture.h"
#include "gui_events.h"
#include "gui_support.h"
#include "modal_hook.h"

namespace vyr::test {
namespace {

const wxColour kInvalid(255, 200, 200);

// Records what the dialog asks of the window; a login waits until the test answers it.
class FakeWindow : public WindowServices {
  public:
    void RunLogin(std::wstring sentUser, std::wstring sentPassword,
                  std::function<void(LoginResult)> done) override {
        calls.push_back("RunLogin");
        user = std::move(sentUser);
        password = std::move(sentPassword);
        pending = std::move(done);
    }
    void RefreshEnabling() override { calls.push_back("RefreshEnabling"); }
    void Disconnect() override {
        calls.push_back("Disconnect");
        if (onDisconnect)
            onDisconnect();
    }
    void BackUpSettings(wxWindow*, std::function<void()>,
                        std::function<void(const SettingsBackup&)> done) override {
        calls.push_back("BackUpSettings");
        done({});
    }

    // Hands the waiting login its result.
    void Answer(LoginResult result) {
        ASSERT_TRUE(pending) << "no login is waiting";
        std::exchange(pending, nullptr)(result);
    }

    std::vector<std::string> calls;
    std::wstring user;
    std::wstring password;
    std::function<void(LoginResult)> pending;
    std::function<void()> onDisconnect;
};

const LoginResult kAdministrator{LoginStatus::Accepted, UserLevel::Administrator()};
const LoginResult kRefused{LoginStatus::Refused, UserLevel::NotLoggedIn()};

// Expects the warning box of a refused login or text, and answers OK.
class ExpectWarning : public wxExpectModalBase<wxMessageDialog, ExpectWarning> {
  public:
    explicit ExpectWarning(wxString text) : text_(std::move(text)) {}

  protected:
    int OnInvoked(wxMessageDialog* dialog) const override {
        EXPECT_EQ(dialog->GetTitle(), "Authentication error");
        EXPECT_EQ(dialog->GetMessage(), text_);
        const long style = dialog->GetMessageDialogStyle();
        EXPECT_NE(style & wxICON_WARNING, 0);
        EXPECT_NE(style & wxOK, 0);
        EXPECT_EQ(style & (wxYES_NO | wxCANCEL), 0);
        return wxID_OK;
    }

  private:
    wxString text_;
};

// Runs `code` under the test hook with no dialog expected: any dialog is a failure.
void ExpectNoDialog(const std::function<void()>& code) {
    GTestModalHook hook(__FILE__, __LINE__, "ExpectNoDialog");
    code();
    hook.CheckUnmetExpectations();
}

class AuthDialogTest : public testing::Test {
  protected:
    void SetUp() override {
        parent_ = new wxFrame(nullptr, wxID_ANY, "main", wxPoint(100, 80), wxSize(900, 700));
        parent_->Show();
        dialog_ = new AuthDialog(parent_, window_);
        Settle();
    }
    void TearDown() override {
        if (dialog_)
            dialog_->Destroy();
        parent_->Destroy();
        Settle();
    }

    // Shows the dialog as the window does after a connection, with these texts typed.
    void ShowAndType(const wxString& user, const wxString& password) {
        dialog_->Show();
        Settle();
        dialog_->UserField()->SetValue(user);
        dialog_->PasswordField()->SetValue(password);
    }

    void ExpectFreshInput() const {
        EXPECT_EQ(dialog_->UserField()->GetValue(), "username");
        EXPECT_EQ(dialog_->PasswordField()->GetValue(), "password");
        long from = -1;
        long to = -1;
        dialog_->UserField()->GetSelection(&from, &to);
        EXPECT_EQ(from, 0);
        EXPECT_EQ(to, 8);
        EXPECT_EQ(dialog_->GetDefaultItem(), dialog_->OkButton());
        EXPECT_TRUE(dialog_->OkButton()->IsEnabled());
    }

    wxFrame* parent_ = nullptr;
    FakeWindow window_;
    AuthDialog* dialog_ = nullptr;
};

TEST_F(AuthDialogTest, WindowTreeTextsAndFonts) {
    AuthDialog* dlg = dialog_;
    EXPECT_FALSE(dlg->IsShown());
    EXPECT_EQ(dlg->GetId(), 1);
    EXPECT_EQ(dlg->GetParent(), parent_);
    EXPECT_EQ(dlg->GetTitle(), "User Authentication");
    const long style = dlg->GetWindowStyleFlag();
    EXPECT_NE(style & wxCAPTION, 0);
    EXPECT_NE(style & wxSTAY_ON_TOP, 0);
    EXPECT_NE(style & wxDIALOG_NO_PARENT, 0);
    EXPECT_EQ(style & (wxCLOSE_BOX | wxSYSTEM_MENU | wxRESIZE_BORDER | wxMAXIMIZE_BOX), 0);
    EXPECT_EQ(dlg->GetSize(), wxSize(280, 180));
    EXPECT_EQ(dlg->GetMinSize(), dlg->GetSize());
    EXPECT_EQ(dlg->GetMaxSize(), dlg->GetSize());
    EXPECT_EQ(dlg->GetFont(), fonts::Ui());

    ASSERT_EQ(dlg->GetChildren().size(), 1u);
    auto* outer = dynamic_cast<wxPanel*>(dlg->GetChildren().front());
    ASSERT_NE(outer, nullptr);
    EXPECT_EQ(outer->GetPosition(), wxPoint(0, 0));
    EXPECT_EQ(outer->GetSize(), dlg->GetClientSize());
    ASSERT_EQ(outer->GetChildren().size(), 1u);
    auto* inner = dynamic_cast<wxPanel*>(outer->GetChildren().front());
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->GetRect(), wxRect(10, 10, 240, 140));

    // In window order, which is the tab order: user name, password, OK, Cancel.
    struct Expected {
        int id;
        const char* name;
        const char* text;
        wxPoint position;
        wxSize size;  // wxDefaultSize: sized by its text
    };
    const std::vector<Expected> fields = {
        {1006, "WxStaticText1", "Username:", {18, 18}, wxDefaultSize},
        {1007, "WxStaticText2", "Password:", {20, 49}, wxDefaultSize},
        {1002, "username", "username", {80, 13}, {150, 22}},
        {1003, "password", "password", {80, 45}, {150, 22}},
    };
    ASSERT_EQ(inner->GetChildren().size(), fields.size() + 1);
    size_t i = 0;
    wxMemoryDC dc;
    dc.SetFont(fonts::Ui());
    for (wxWindow* child : inner->GetChildren()) {
        if (i == fields.size())
            break;
        const Expected& e = fields[i++];
        EXPECT_EQ(child->GetId(), e.id);
        EXPECT_EQ(child->GetName(), e.name);
        if (e.size == wxDefaultSize) {
            // A caption keeps its place unless the face in use is too wide for it; then it
            // ends just before its field.
            const wxRect r = child->GetRect();
            EXPECT_EQ(r.y, e.position.y) << e.name;
            EXPECT_TRUE(r.x == e.position.x || (r.x < e.position.x && r.GetRight() + 1 == 78))
                << Where(child);
        } else {
            EXPECT_EQ(child->GetPosition(), e.position) << e.name;
        }
        EXPECT_EQ(child->GetFont(), fonts::Ui()) << e.name;
        if (auto* label = dynamic_cast<wxStaticText*>(child)) {
            EXPECT_EQ(label->GetLabel(), e.text);
            const wxSize text = dc.GetTextExtent(e.text);
            EXPECT_GE(label->GetSize().x, text.x) << e.name;
            EXPECT_GE(label->GetSize().y, text.y) << e.name;
        } else {
            auto* field = dynamic_cast<wxTextCtrl*>(child);
            ASSERT_NE(field, nullptr) << e.name;
            EXPECT_EQ(field->GetValue(), e.text);
            EXPECT_EQ(field->GetSize(), e.size) << e.name;
            EXPECT_FALSE(field->IsMultiLine());
            EXPECT_TRUE(field->IsEditable());
        }
    }
    EXPECT_EQ(dlg->PasswordField()->GetWindowStyleFlag() & wxTE_PASSWORD, wxTE_PASSWORD);
    EXPECT_EQ(dlg->UserField()->GetWindowStyleFlag() & wxTE_PASSWORD, 0);
    EXPECT_EQ(dynamic_cast<wxTextCtrl*>(dlg->FindWindow(1002)), dlg->UserField());
    EXPECT_EQ(dynamic_cast<wxTextCtrl*>(dlg->FindWindow(1003)), dlg->PasswordField());

    auto* buttons = dynamic_cast<wxPanel*>(inner->GetChildren().back());
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->GetRect(), wxRect(0, 87, 240, 35));
    ASSERT_EQ(buttons->GetChildren().size(), 2u);
    EXPECT_EQ(buttons->GetChildren().front(), dlg->OkButton());
    EXPECT_EQ(buttons->GetChildren().back(), dlg->CancelButton());
    EXPECT_EQ(dynamic_cast<wxButton*>(dlg->FindWindow(1004)), dlg->OkButton());
    EXPECT_EQ(dynamic_cast<wxButton*>(dlg->FindWindow(1005)), dlg->CancelButton());
    const std::vector<std::tuple<wxButton*, const char*, const char*, wxPoint>> expected = {
        {dlg->OkButton(), "auth_btn", "OK", {39, 0}},
        {dlg->CancelButton(), "cancel_btn", "Cancel", {139, 0}}};
    for (const auto& [button, name, text, position] : expected) {
        EXPECT_EQ(button->GetName(), name);
        EXPECT_EQ(button->GetLabel(), text);
        EXPECT_EQ(button->GetFont(), fonts::Ui());
        const wxRect r = button->GetRect();
        EXPECT_EQ(r.GetPosition(), position);
        EXPECT_EQ(r.width, 75);
        // May be taller than 25 for the toolkit's metrics, but stays inside its panel.
        EXPECT_GE(r.height, 25);
    }
    for (wxWindow* panel : {static_cast<wxWindow*>(outer), static_cast<wxWindow*>(inner),
                            static_cast<wxWindow*>(buttons)}) {
        EXPECT_EQ(panel->GetName(), "panel");
        EXPECT_NE(panel->GetWindowStyleFlag() & wxTAB_TRAVERSAL, 0);
        EXPECT_EQ(panel->GetFont(), fonts::Ui());
    }
}

TEST_F(AuthDialogTest, ShownCentredWithTheNameSelectedAndNothingOverlapping) {
    dialog_->Show();
    Settle();
    ASSERT_TRUE(dialog_->IsShown());
    const wxRect own = dialog_->GetScreenRect();
    const wxRect main = parent_->GetScreenRect();
    const wxPoint offset =
        (own.GetPosition() + own.GetSize() / 2) - (main.GetPosition() + main.GetSize() / 2);
    EXPECT_LE(std::abs(offset.x), 1) << Where(dialog_) << " main " << Where(parent_);
    EXPECT_LE(std::abs(offset.y), 1) << Where(dialog_) << " main " << Where(parent_);
    ExpectFreshInput();
    EXPECT_EQ(wxWindow::FindFocus(), dialog_->UserField());

    // Every control inside its parent, no two siblings overlapping, every text whole.
    std::vector<wxWindow*> parents = {dialog_};
    while (!parents.empty()) {
        wxWindow* parent = parents.back();
        parents.pop_back();
        const wxWindowList& children = parent->GetChildren();
        for (auto a = children.begin(); a != children.end(); ++a) {
            EXPECT_TRUE(wxRect(parent->GetClientSize()).Contains((*a)->GetRect()))
                << Where(*a) << " outside " << Where(parent);
            for (auto b = std::next(a); b != children.end(); ++b) {
                EXPECT_FALSE((*a)->GetRect().Intersects((*b)->GetRect()))
                    << Where(*a) << " overlaps " << Where(*b);
            }
            if (dynamic_cast<wxPanel*>(*a) != nullptr) {
                parents.push_back(*a);
                continue;
            }
            (*a)->InvalidateBestSize();
            const wxSize best = (*a)->GetBestSize();
            if (dynamic_cast<wxTextCtrl*>(*a) == nullptr) {  // a field's best width is a default
                EXPECT_LE(best.x, (*a)->GetSize().x) << Where(*a) << " best " << best.x;
            }
            EXPECT_LE(best.y, (*a)->GetSize().y) << Where(*a) << " best " << best.y;
        }
    }
}

// A screen reader announces each field by its caption.
TEST_F(AuthDialogTest, FieldsAreNamedByTheirCaptions) {
#ifdef __WXGTK__
    using GetAccessible = void* (*)(void*);
    using GetName = const char* (*)(void*);
    const wxDllType program = wxDynamicLibrary::GetProgramHandle();
    const auto getAccessible = reinterpret_cast<GetAccessible>(
        wxDynamicLibrary::RawGetSymbol(program, "gtk_widget_get_accessible"));
    const auto getName =
        reinterpret_cast<GetName>(wxDynamicLibrary::RawGetSymbol(program, "atk_object_get_name"));
    ASSERT_TRUE(getAccessible && getName);
    const auto name = [&](wxWindow* w) {
        const char* text = getName(getAccessible(w->GetHandle()));
        return std::string(text ? text : "");
    };
    EXPECT_EQ(name(dialog_->UserField()), "Username:");
    EXPECT_EQ(name(dialog_->PasswordField()), "Password:");
#else
    GTEST_SKIP() << "accessible names are set on GTK only";
#endif
}

// The result comes back later through the event loop, as the window's worker posts it.
TEST_F(AuthDialogTest, AcceptedLoginHidesTheDialogAndRefreshesTheEnabling) {
    // Outside the repertoire: an accented letter other than the umlauts, the euro sign.
    ShowAndType(wxString::FromUTF8("J\xC3\xB6rg \xC3\xA9.-x"),
                wxString::FromUTF8("s3cret \xC3\xBC\xE2\x82\xAC"));
    ClickButton(dialog_->OkButton());
    EXPECT_EQ(window_.calls, std::vector<std::string>{"RunLogin"});
    EXPECT_EQ(window_.user, L"J\u00f6rg _.-x");
    EXPECT_EQ(window_.password, L"s3cret \u00fc_");
    EXPECT_TRUE(dialog_->Busy());
    EXPECT_FALSE(dialog_->OkButton()->IsEnabled());
    EXPECT_TRUE(dialog_->IsShown());

    wxTheApp->CallAfter([this] { window_.Answer(kAdministrator); });
    ExpectNoDialog(Settle);
    EXPECT_EQ(window_.calls, (std::vector<std::string>{"RunLogin", "RefreshEnabling"}));
    EXPECT_FALSE(dialog_->IsShown());
    EXPECT_FALSE(dialog_->Busy());
    EXPECT_EQ(dialog_->UserField()->GetValue(), "username");
    EXPECT_EQ(dialog_->PasswordField()->GetValue(), "password");

    // The next connection starts from the same state.
    dialog_->Show();
    Settle();
    ExpectFreshInput();
}

TEST_F(AuthDialogTest, WrongPasswordTellsAndStartsOver) {
    ShowAndType("admin", "wrong");
    ClickButton(dialog_->OkButton());
    ASSERT_TRUE(window_.pending);
    wxTEST_DIALOG(window_.Answer(kRefused), ExpectWarning("Wrong username or password!"));
    EXPECT_EQ(window_.calls, std::vector<std::string>{"RunLogin"});
    EXPECT_TRUE(dialog_->IsShown());
    EXPECT_FALSE(dialog_->Busy());
    ExpectFreshInput();

    // The next attempt can be made at once.
    dialog_->UserField()->SetValue("admin");
    dialog_->PasswordField()->SetValue("right");
    ClickButton(dialog_->OkButton());
    EXPECT_EQ(window_.calls, (std::vector<std::string>{"RunLogin", "RunLogin"}));
    EXPECT_EQ(window_.password, L"right");
    window_.Answer({LoginStatus::Accepted, UserLevel::Service()});
    EXPECT_EQ(window_.calls.at(2), "RefreshEnabling");
    EXPECT_FALSE(dialog_->IsShown());
}

TEST_F(AuthDialogTest, EmptyTextsAreSentUnchanged) {
    ShowAndType("", "");
    ClickButton(dialog_->OkButton());
    EXPECT_EQ(window_.calls, std::vector<std::string>{"RunLogin"});
    EXPECT_EQ(window_.user, L"");
    EXPECT_EQ(window_.password, L"");
}

TEST_F(AuthDialogTest, OkIsDisabledWhileTheLoginRuns) {
    ShowAndType("admin", "pw");
    ClickButton(dialog_->OkButton());
    EXPECT_FALSE(dialog_->OkButton()->IsEnabled());
    EXPECT_TRUE(dialog_->CancelButton()->IsEnabled());
    // A click that reaches the dialog anyway (Enter in a field) starts nothing.
    ClickButton(dialog_->OkButton());
    EXPECT_EQ(window_.calls, std::vector<std::string>{"RunLogin"});
    // The dialog keeps answering meanwhile.
    Settle();
    dialog_->UserField()->SetValue("other");
    EXPECT_EQ(dialog_->UserField()->GetValue(), "other");
    wxTEST_DIALOG(window_.Answer(kRefused), ExpectWarning("Wrong username or password!"));
    EXPECT_TRUE(dialog_->OkButton()->IsEnabled());
}

TEST_F(AuthDialogTest, OverlongUserNameIsRefusedBeforeAnythingIsSent) {
    const wxString tooLong(wxUniChar('a'), kMaxUserNameBytes + 1);
    ShowAndType(tooLong, "pw");
    wxTEST_DIALOG(ClickButton(dialog_->OkButton()), ExpectWarning("The user name is too long."));
    EXPECT_TRUE(window_.calls.empty());
    EXPECT_FALSE(dialog_->Busy());
    EXPECT_TRUE(dialog_->OkButton()->IsEnabled());
    EXPECT_EQ(dialog_->UserField()->GetValue(), tooLong);  // kept for correcting
    EXPECT_EQ(dialog_->UserField()->GetBackgroundColour(), kInvalid);
    EXPECT_NE(dialog_->PasswordField()->GetBackgroundColour(), kInvalid);

    // The limit counts the bytes sent: each umlaut is one; a character outside the repertoire
    // is one "_". The mark goes with the next attempt.
    const wxString fits = wxString(wxUniChar(0xFC), kMaxUserNameBytes - 1) + wxUniChar(0x20AC);
    dialog_->UserField()->SetValue(fits);
    ClickButton(dialog_->OkButton());
    EXPECT_EQ(window_.calls, std::vector<std::string>{"RunLogin"});
    EXPECT_EQ(window_.user.size(), kMaxUserNameBytes);
    EXPECT_EQ(window_.user.back(), L'_');
    EXPECT_NE(dialog_->UserField()->GetBackgroundColour(), kInvalid);
}

TEST_F(AuthDialogTest, OverlongPasswordIsRefusedBeforeAnythingIsSent) {
    ShowAndType("admin", wxString(wxUniChar('p'), kMaxPasswordBytes + 1));
    wxTEST_DIALOG(ClickButton(dialog_->OkButton()), ExpectWarning("The password is too long."));
    EXPECT_TRUE(window_.calls.empty());
    EXPECT_EQ(dialog_->PasswordField()->GetBackgroundColour(), kInvalid);
    EXPECT_NE(dialog_->UserField()->GetBackgroundColour(), kInvalid);

    dialog_->PasswordField()->SetValue(wxString(wxUniChar('p'), kMaxPasswordBytes));
    ClickButton(dialog_->OkButton());
    EXPECT_EQ(window_.calls, std::vector<std::string>{"RunLogin"});
    EXPECT_EQ(window_.password.size(), kMaxPasswordBytes);
}

// The dialog's limits are the device operation's: what it lets through, Login does not refuse
// as too long, and the next byte it refuses too. (A closed connection answers nothing.)
TEST_F(AuthDialogTest, LimitsAreTheLoginFrames) {
    DeviceConnection closed;
    const std::wstring name(kMaxUserNameBytes, L'a');
    const std::wstring password(kMaxPasswordBytes, L'p');
    EXPECT_NE(Login(closed, name, password).status, LoginStatus::TooLong);
    EXPECT_EQ(Login(closed, name + L'a', password).status, LoginStatus::TooLong);
    EXPECT_EQ(Login(closed, name, password + L'p').status, LoginStatus::TooLong);
}

TEST_F(AuthDialogTest, CancelDisconnects) {
    ShowAndType("admin", "typed");
    ClickButton(dialog_->CancelButton());
    EXPECT_EQ(window_.calls, std::vector<std::string>{"Disconnect"});
    EXPECT_FALSE(dialog_->IsShown());
    EXPECT_EQ(dialog_->UserField()->GetValue(), "username");
    EXPECT_EQ(dialog_->PasswordField()->GetValue(), "password");
}

// Cancel during a login: the disconnect ends the login, whose result then counts for nothing.
TEST_F(AuthDialogTest, CancelWhileTheLoginRunsReportsNothing) {
    ShowAndType("admin", "pw");
    ClickButton(dialog_->OkButton());
    window_.onDisconnect = [this] { window_.Answer(kRefused); };
    ExpectNoDialog([this] { ClickButton(dialog_->CancelButton()); });
    EXPECT_EQ(window_.calls, (std::vector<std::string>{"RunLogin", "Disconnect"}));
    EXPECT_FALSE(dialog_->IsShown());
    EXPECT_FALSE(dialog_->Busy());

    dialog_->Show();
    Settle();
    ExpectFreshInput();
}

// The window hides the dialog when the connection is lost; a login accepted just before must
// not log anyone in afterwards.
TEST_F(AuthDialogTest, ResultAfterTheDialogWasHiddenIsIgnored) {
    ShowAndType("admin", "pw");
    ClickButton(dialog_->OkButton());
    dialog_->Hide();
    ExpectNoDialog([this] { window_.Answer(kAdministrator); });
    EXPECT_EQ(window_.calls, std::vector<std::string>{"RunLogin"});

    // Nor does a stale refusal show its message over the next connection's dialog.
    dialog_->Show();
    Settle();
    dialog_->UserField()->SetValue("admin");
    ClickButton(dialog_->OkButton());
    std::function<void(LoginResult)> stale = std::exchange(window_.pending, nullptr);
    dialog_->Hide();
    dialog_->Show();
    ExpectNoDialog([&] { stale(kRefused); });
    EXPECT_TRUE(dialog_->IsShown());
    EXPECT_TRUE(dialog_->OkButton()->IsEnabled());
}

TEST_F(AuthDialogTest, ResultAfterTheDialogIsGoneDoesNothing) {
    ShowAndType("admin", "pw");
    ClickButton(dialog_->OkButton());
    std::function<void(LoginResult)> done = std::exchange(window_.pending, nullptr);
    dialog_->Destroy();
    dialog_ = nullptr;
    Settle();
    ExpectNoDialog([&] { done(kAdministrator); });
    EXPECT_EQ(window_.calls, std::vector<std::string>{"RunLogin"});
}

// Hidden by the window (connection lost) while something was typed: the next connection
// does not show the old texts.
TEST_F(AuthDialogTest, NextConnectionStartsFresh) {
    ShowAndType("admin", "half a password");
    dialog_->UserField()->SetSelection(2, 3);
    dialog_->Hide();
    dialog_->Show();
    Settle();
    ExpectFreshInput();
    EXPECT_TRUE(window_.calls.empty());
}

TEST_F(AuthDialogTest, CloseRequestHidesOnly) {
    dialog_->Show();
    Settle();
    EXPECT_TRUE(dialog_->Close());
    Settle();
    EXPECT_FALSE(dialog_->IsShown());
    EXPECT_TRUE(window_.calls.empty());
    bool alive = false;
    for (wxWindow* w : wxTopLevelWindows)
        alive = alive || w == dialog_;
    EXPECT_TRUE(alive);
}

// Not a test: with VYR_SCREENSHOT_DIR set, writes a picture of the dialog as the display
// server shows it. Skipped otherwise.
TEST_F(AuthDialogTest, Screenshot) {
    const char* folder = ScreenshotFolder();
    if (folder == nullptr)
        GTEST_SKIP() << "VYR_SCREENSHOT_DIR not set";
    const auto capture = [&](const std::string& file) { CaptureWindow(*dialog_, folder, file); };
    dialog_->Show();
    capture("auth_dialog.png");
    // An over-long user name, refused and marked.
    dialog_->UserField()->SetValue(wxString(wxUniChar('a'), kMaxUserNameBytes + 1));
    wxTEST_DIALOG(ClickButton(dialog_->OkButton()), ExpectWarning("The user name is too long."));
    capture("auth_dialog_too_long.png");
    dialog_->Hide();
}

}  // namespace
}  // namespace vyr::test

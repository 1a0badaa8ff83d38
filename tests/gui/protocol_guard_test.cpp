// The protocol guard report: shown only for a load that changed values, laid out without
// overlaps or cut texts, holding exactly the log of the last load, and closed by OK, Escape
// or the close box.
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include "ui/fonts.h"
#include "dialogs/protocol_guard_dlg.h"
#include "capture.h"
#include "gui_support.h"
#include "modal_hook.h"

#include <gtest/gtest-spi.h>

namespace vyr::test {
namespace {

const wxString kDeviceExplanation =
    "The protocol guard has detected invalid parameter values while loading from device.\n"
    "This may happen from a version update or a setting corruption.\n"
    "The invalid values have been exchanged, please check the listing below for details.";

const wxString kFileExplanation =
    "The protocol guard has detected invalid parameter values while loading from file.\n"
    "This may happen from a version update or a setting corruption.\n"
    "The invalid values have been exchanged, please check the listing below for details.";

// The main window the dialog belongs to, away from the screen's edges so that centring on it
// is not pushed back onto the screen.
class ProtocolGuard : public testing::Test {
  protected:
    void SetUp() override {
        parent_ = new wxFrame(nullptr, wxID_ANY, "main", wxPoint(100, 80), wxSize(900, 700));
        parent_->Show();
        Settle();
    }
    void TearDown() override {
        parent_->Destroy();
        Settle();
    }

    static int GuardDialogsAlive() {
        int alive = 0;
        for (wxWindow* w : wxTopLevelWindows) {
            if (dynamic_cast<ProtocolGuardDlg*>(w) != nullptr)
                ++alive;
        }
        return alive;
    }

    wxFrame* parent_ = nullptr;
};

// Checks the window tree, texts, fonts and layout of the report, then answers OK.
class ExpectGuardReport : public wxExpectModalBase<ProtocolGuardDlg, ExpectGuardReport> {
  public:
    ExpectGuardReport(wxWindow* parent, wxString explanation, wxString log)
        : parent_(parent), explanation_(std::move(explanation)), log_(std::move(log)) {}

  protected:
    wxString GetDefaultDescription() const override { return "the protocol guard report"; }

    int OnInvoked(ProtocolGuardDlg* dlg) const override {
        if (!dlg->Explanation() || !dlg->LogField() || !dlg->OkButton()) {
            ADD_FAILURE() << "the report lacks its controls";
            return wxID_OK;
        }
        CheckTree(dlg);
        CheckTexts(dlg);
        CheckFonts(dlg);
        CheckPlacement(dlg);
        // Real sizes only exist once the toolkit has shown the windows.
        dlg->Show();
        Settle();
        CheckNothingOverlapsOrIsCut(dlg);
        dlg->Hide();
        return wxID_OK;
    }

  private:
    void CheckTree(ProtocolGuardDlg* dlg) const {
        EXPECT_EQ(dlg->GetId(), 1);
        EXPECT_EQ(dlg->GetParent(), parent_);
        EXPECT_EQ(dlg->GetTitle(), "Vyr protocol guard");
        const long style = dlg->GetWindowStyleFlag();
        EXPECT_NE(style & wxCAPTION, 0);
        EXPECT_NE(style & wxCLOSE_BOX, 0);
        EXPECT_EQ(style & wxRESIZE_BORDER, 0);
        EXPECT_EQ(style & wxMAXIMIZE_BOX, 0);

        ASSERT_EQ(dlg->GetChildren().size(), 1u);
        auto* outer = dynamic_cast<wxPanel*>(dlg->GetChildren().front());
        ASSERT_NE(outer, nullptr);
        EXPECT_EQ(outer->GetName(), "panel");
        EXPECT_NE(outer->GetWindowStyleFlag() & wxTAB_TRAVERSAL, 0);
        ASSERT_EQ(outer->GetChildren().size(), 1u);
        auto* inner = dynamic_cast<wxPanel*>(outer->GetChildren().front());
        ASSERT_NE(inner, nullptr);
        EXPECT_EQ(inner->GetName(), "panel");

        // In tab order: explanation, log, OK.
        const std::vector<std::pair<int, const char*>> expected = {
            {1002, "err_action"}, {1001, "err_log"}, {1003, "OK"}};
        ASSERT_EQ(inner->GetChildren().size(), expected.size());
        size_t i = 0;
        for (wxWindow* child : inner->GetChildren()) {
            EXPECT_EQ(child->GetId(), expected[i].first);
            EXPECT_EQ(child->GetName(), expected[i].second);
            ++i;
        }
        EXPECT_EQ(dynamic_cast<wxStaticText*>(dlg->FindWindow(1002)), dlg->Explanation());
        EXPECT_EQ(dynamic_cast<wxTextCtrl*>(dlg->FindWindow(1001)), dlg->LogField());
        EXPECT_EQ(dynamic_cast<wxButton*>(dlg->FindWindow(1003)), dlg->OkButton());
    }

    void CheckTexts(ProtocolGuardDlg* dlg) const {
        EXPECT_EQ(dlg->Explanation()->GetLabelText(), explanation_);
        wxTextCtrl* log = dlg->LogField();
        EXPECT_EQ(log->GetValue(), log_);
        EXPECT_TRUE(log->IsMultiLine());
        EXPECT_FALSE(log->IsEditable());
        EXPECT_NE(log->GetWindowStyleFlag() & wxHSCROLL, 0);
        EXPECT_NE(log->GetWindowStyleFlag() & wxVSCROLL, 0);
        EXPECT_EQ(dlg->OkButton()->GetLabel(), "OK");
    }

    void CheckFonts(ProtocolGuardDlg* dlg) const {
        EXPECT_EQ(dlg->GetFont(), fonts::Ui());
        EXPECT_EQ(dlg->Explanation()->GetFont(), fonts::LargeUi());
        EXPECT_EQ(dlg->LogField()->GetFont(), fonts::Ui());
        EXPECT_EQ(dlg->OkButton()->GetFont(), fonts::Ui());
        wxWindow* inner = dlg->Explanation()->GetParent();
        EXPECT_EQ(inner->GetFont(), fonts::Ui());
        EXPECT_EQ(inner->GetParent()->GetFont(), fonts::Ui());
    }

    void CheckPlacement(ProtocolGuardDlg* dlg) const {
        // Fixed size, centred on the main window.
        EXPECT_EQ(dlg->GetSize(), wxSize(585, 325));
        EXPECT_EQ(dlg->GetMinSize(), dlg->GetSize());
        EXPECT_EQ(dlg->GetMaxSize(), dlg->GetSize());
        const wxRect own = dlg->GetScreenRect();
        const wxRect main = parent_->GetScreenRect();
        const wxPoint offset =
            (own.GetPosition() + own.GetSize() / 2) - (main.GetPosition() + main.GetSize() / 2);
        EXPECT_LE(std::abs(offset.x), 1) << "dialog " << Where(dlg) << " main " << Where(parent_);
        EXPECT_LE(std::abs(offset.y), 1) << "dialog " << Where(dlg) << " main " << Where(parent_);

        wxWindow* inner = dlg->Explanation()->GetParent();
        EXPECT_EQ(inner->GetParent()->GetPosition(), wxPoint(0, 0));
        EXPECT_EQ(inner->GetRect(), wxRect(10, 10, 540, 280));
        EXPECT_EQ(dlg->Explanation()->GetPosition(), wxPoint(17, 12));
        EXPECT_EQ(dlg->LogField()->GetRect(), wxRect(12, 81, 525, 129));
        // The button may be taller than described, for the toolkit's metrics.
        const wxRect ok = dlg->OkButton()->GetRect();
        EXPECT_EQ(ok.GetPosition(), wxPoint(221, 235));
        EXPECT_EQ(ok.width, 90);
        EXPECT_GE(ok.height, 25);
    }

    void CheckNothingOverlapsOrIsCut(ProtocolGuardDlg* dlg) const {
        wxWindow* inner = dlg->Explanation()->GetParent();
        wxWindow* outer = inner->GetParent();
        const auto inside = [](wxWindow* child, wxWindow* parent) {
            EXPECT_TRUE(wxRect(parent->GetClientSize()).Contains(child->GetRect()))
                << Where(child) << " outside " << Where(parent) << " client "
                << parent->GetClientSize().x << "x" << parent->GetClientSize().y;
        };
        inside(outer, dlg);
        inside(inner, outer);
        std::vector<wxWindow*> controls(inner->GetChildren().begin(), inner->GetChildren().end());
        for (size_t i = 0; i < controls.size(); ++i) {
            inside(controls[i], inner);
            for (size_t j = i + 1; j < controls.size(); ++j) {
                EXPECT_FALSE(controls[i]->GetRect().Intersects(controls[j]->GetRect()))
                    << Where(controls[i]) << " overlaps " << Where(controls[j]);
            }
        }
        // The explanation and the button hold their whole text; the text field's best width is
        // a default, so only its height counts.
        for (wxWindow* w : {static_cast<wxWindow*>(dlg->Explanation()),
                            static_cast<wxWindow*>(dlg->OkButton())}) {
            w->InvalidateBestSize();
            const wxSize best = w->GetBestSize();
            EXPECT_LE(best.x, w->GetSize().x) << Where(w) << " best " << best.x;
            EXPECT_LE(best.y, w->GetSize().y) << Where(w) << " best " << best.y;
        }
        // Measured apart from the toolkit too: the explanation's three lines in its font.
        wxMemoryDC dc;
        dc.SetFont(fonts::LargeUi());
        const wxSize text = dc.GetMultiLineTextExtent(explanation_);
        EXPECT_LE(text.x, dlg->Explanation()->GetSize().x);
        EXPECT_LE(text.y, dlg->Explanation()->GetSize().y);
        wxTextCtrl* log = dlg->LogField();
        log->InvalidateBestSize();
        EXPECT_LE(log->GetBestSize().y, log->GetSize().y);
    }

    wxWindow* parent_;
    wxString explanation_;
    wxString log_;
};

TEST_F(ProtocolGuard, ShowsTheExplanationAndTheLog) {
    GuardLog guard;
    guard.BeginGuard(kLoadingFromDevice);
    guard.LogMissing("rec_gain", 2, "12");
    guard.LogInvalid("mic_label", 0, "Caf\xE9 & <b>x</b>", "Mic");
    const wxString log =
        "    parameter: \"rec_gain\" preset: #2 -missing- new value: \"12\"\n"
        "    parameter: \"mic_label\" preset: #0 invalid_value: \"Caf" +
        wxString(wxUniChar(0xE9)) + " & <b>x</b>\" new value: \"Mic\"\n";
    wxTEST_DIALOG(ShowGuard(parent_, guard), ExpectGuardReport(parent_, kDeviceExplanation, log));
    EXPECT_EQ(GuardDialogsAlive(), 0) << "the dialog outlives ShowGuard";
}

// Runs `code` under the test hook with no dialog expected: any dialog is a failure.
void ExpectNoDialog(const std::function<void()>& code) {
    GTestModalHook hook(__FILE__, __LINE__, "ExpectNoDialog");
    code();
    hook.CheckUnmetExpectations();
}

TEST_F(ProtocolGuard, EmptyLogShowsNothing) {
    GuardLog never;
    ExpectNoDialog([&] { ShowGuard(parent_, never); });
    GuardLog clean;
    clean.BeginGuard(kLoadingFromFile);
    ExpectNoDialog([&] { ShowGuard(parent_, clean); });
    GuardLog emptied;
    emptied.BeginGuard(kLoadingFromDevice);
    emptied.LogMissing("rec_gain", 1, "0");
    emptied.EmptyGuardLog();
    ExpectNoDialog([&] { ShowGuard(parent_, emptied); });
    EXPECT_EQ(GuardDialogsAlive(), 0);

    // The check above does catch a dialog: one line in the log brings it up.
    GuardLog one;
    one.BeginGuard(kLoadingFromDevice);
    one.LogMissing("rec_gain", 1, "0");
    EXPECT_NONFATAL_FAILURE(ExpectNoDialog([&] { ShowGuard(parent_, one); }),
                            "was shown unexpectedly");
}

TEST_F(ProtocolGuard, SecondLoadShowsOnlyItsOwnLines) {
    GuardLog guard;
    guard.BeginGuard(kLoadingFromDevice);
    guard.LogMissing("rec_gain", 2, "12");
    wxTEST_DIALOG(ShowGuard(parent_, guard),
                  ExpectGuardReport(parent_, kDeviceExplanation,
                                    "    parameter: \"rec_gain\" preset: #2 -missing- new value: "
                                    "\"12\"\n"));
    guard.BeginGuard(kLoadingFromFile);
    guard.LogInvalid("rec_sample_rate", 5, "44", "48000");
    guard.LogMissing("preset_name", 5, "Preset 5");
    wxTEST_DIALOG(ShowGuard(parent_, guard),
                  ExpectGuardReport(parent_, kFileExplanation,
                                    "    parameter: \"rec_sample_rate\" preset: #5 invalid_value: "
                                    "\"44\" new value: \"48000\"\n"
                                    "    parameter: \"preset_name\" preset: #5 -missing- new "
                                    "value: \"Preset 5\"\n"));
    EXPECT_EQ(GuardDialogsAlive(), 0);
}

TEST_F(ProtocolGuard, NulInAValueHidesNothingAfterIt) {
    GuardLog guard;
    guard.BeginGuard(kLoadingFromDevice);
    guard.LogInvalid("mic_label", 3, std::string_view("a\0b", 3), "Mic");
    guard.LogMissing("rec_gain", 3, "7");
    const wxString log = "    parameter: \"mic_label\" preset: #3 invalid_value: \"a" +
                         wxString(wxUniChar(0x2400)) +
                         "b\" new value: \"Mic\"\n"
                         "    parameter: \"rec_gain\" preset: #3 -missing- new value: \"7\"\n";
    ProtocolGuardDlg dialog(parent_, guard);
    EXPECT_EQ(dialog.LogField()->GetValue(), log);
}

// Runs the dialog's real modal loop and does `action` inside it. A dialog that does not close
// is ended after five seconds with -1, so that the test fails instead of waiting.
int RunModal(ProtocolGuardDlg& dialog, std::function<void()> action) {
    wxTimer act;
    act.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { action(); });
    wxTimer watchdog;
    watchdog.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (dialog.IsModal())
            dialog.EndModal(-1);
    });
    act.StartOnce(100);
    watchdog.StartOnce(5000);
    return dialog.ShowModal();
}

GuardLog OneLineLog() {
    GuardLog guard;
    guard.BeginGuard(kLoadingFromDevice);
    guard.LogMissing("rec_gain", 2, "12");
    return guard;
}

TEST_F(ProtocolGuard, OkEndsTheDialogWithZero) {
    ProtocolGuardDlg dialog(parent_, OneLineLog());
    const int result = RunModal(dialog, [&] {
        EXPECT_TRUE(dialog.IsShown());
        wxCommandEvent click(wxEVT_BUTTON, ProtocolGuardDlg::ID_OK);
        click.SetEventObject(dialog.OkButton());
        dialog.OkButton()->GetEventHandler()->ProcessEvent(click);
    });
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(dialog.IsShown());
}

TEST_F(ProtocolGuard, CloseBoxEndsTheDialog) {
    ProtocolGuardDlg dialog(parent_, OneLineLog());
    EXPECT_EQ(RunModal(dialog, [&] { dialog.Close(); }), 0);
    EXPECT_FALSE(dialog.IsShown());
}

TEST_F(ProtocolGuard, EscapeEndsTheDialog) {
    ProtocolGuardDlg dialog(parent_, OneLineLog());
    EXPECT_EQ(RunModal(dialog,
                       [&] {
                           wxKeyEvent escape(wxEVT_CHAR_HOOK);
                           escape.m_keyCode = WXK_ESCAPE;
                           escape.SetEventObject(dialog.LogField());
                           dialog.LogField()->GetEventHandler()->ProcessEvent(escape);
                       }),
              0);
}

// ShowGuard's own modal loop, ended by OK: the dialog is gone once ShowGuard returns. A dialog
// that OK does not close is ended after five seconds, so that the test fails instead of waiting.
TEST_F(ProtocolGuard, ShowGuardDestroysTheDialog) {
    bool seen = false;
    int ticks = 0;
    wxTimer ok;
    ok.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        ++ticks;
        for (wxWindow* w : wxTopLevelWindows) {
            auto* dialog = dynamic_cast<ProtocolGuardDlg*>(w);
            if (dialog == nullptr || !dialog->IsModal())
                continue;
            if (ticks > 50) {
                ADD_FAILURE() << "OK did not close the dialog";
                dialog->EndModal(-1);
                continue;
            }
            seen = true;
            wxCommandEvent click(wxEVT_BUTTON, ProtocolGuardDlg::ID_OK);
            click.SetEventObject(dialog->OkButton());
            dialog->OkButton()->GetEventHandler()->ProcessEvent(click);
        }
    });
    ok.Start(100);
    ShowGuard(parent_, OneLineLog());
    ok.Stop();
    EXPECT_TRUE(seen);
    EXPECT_EQ(GuardDialogsAlive(), 0);
}

// Not a test: with VYR_SCREENSHOT_DIR set, writes a picture of the report as the display server
// shows it. Skipped otherwise.
TEST_F(ProtocolGuard, Screenshot) {
    const char* folder = ScreenshotFolder();
    if (folder == nullptr)
        GTEST_SKIP() << "VYR_SCREENSHOT_DIR not set";
    GuardLog guard;
    guard.BeginGuard(kLoadingFromDevice);
    guard.LogMissing("rec_gain", 2, "12");
    guard.LogInvalid("mic_label", 0, "Caf\xE9 & <b>x</b>", "Mic");
    ProtocolGuardDlg dialog(parent_, guard);
    dialog.CentreOnParent(wxBOTH);
    dialog.Show();
    CaptureWindow(dialog, folder, "protocol_guard.png");
    dialog.Hide();
}

}  // namespace
}  // namespace vyr::test

// The microphone calibration dialog against the simulator: what a type's read shows, what
// Confirm writes, entries refused, a read or write that fails part way, a comma-decimal
// locale, and its closing whenever the connection ends or a user logs in.
#include <clocale>
#include <string>
#include <vector>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/menus.h"
#include "device_window.h"
#include "dialogs/microphone_dialog.h"
#include "gui_events.h"
#include "gui_support.h"
#include "modal_hook.h"
#include "ui/accessible.h"
#include "ui/gtk_style.h"

namespace vyr::test {
namespace {

using namespace std::chrono_literals;
using State = MicSettings::State;

constexpr int kTypeC = 2;
constexpr int kTypeD = 3;
constexpr int kTypeM = 12;

class MicDialogTest : public DeviceWindowTest {
  protected:
    void TearDown() override {
        sim.SetRequestObserver(nullptr);
        DeviceWindowTest::TearDown();
    }
    MicSettings& Dialog() { return Frame().MicrophoneDialog(); }
    wxTextCtrl* Field(int id) { return dynamic_cast<wxTextCtrl*>(Dialog().FindWindow(id)); }
    wxCheckBox* Box(int id) { return dynamic_cast<wxCheckBox*>(Dialog().FindWindow(id)); }
    wxSpinCtrl* Spin() {
        return dynamic_cast<wxSpinCtrl*>(Dialog().FindWindow(MicSettings::ID_SENSITIVITY));
    }
    // The status line's text, its wrapping undone.
    std::string Status() {
        wxString text = Dialog().StatusLine()->GetLabel();
        text.Replace("\n", " ");
        return text.utf8_string();
    }

    // Connects, with time-outs short enough that a silent device costs little and no line
    // time on the pseudo-terminal.
    void ConnectQuickly() {
        Connect();
        bool set = false;
        Frame().Connection().Session().Worker().Run(
            [](DeviceConnection& connection, Progress&) {
                connection.link.SetTimeoutsForTesting({120ms, 10ms, 500ms, 0});
            },
            [&] { set = true; });
        ASSERT_TRUE(PumpUntil([&] { return set; }));
    }
    // Chooses the type from the menu and waits until its read has ended.
    void Open(int type) {
        Command(&Frame(), menu::MicrophoneTypeId(type));
        ASSERT_TRUE(Dialog().IsShown());
        ASSERT_TRUE(PumpUntil([&] { return Dialog().CurrentState() != State::Reading; }));
    }
    // The microphone frames the device received with this command ("in  1 ", "in  0 ").
    std::vector<std::string> MicRequests(const std::string& command) {
        std::vector<std::string> lines;
        for (const std::string& line : sim.Log()) {
            if (line.starts_with(command + "/chroma/mics/"))
                lines.push_back(line);
        }
        return lines;
    }
    std::vector<std::string> ExpectedReads(char letter) {
        std::vector<std::string> lines;
        for (const MicValueSpec& value : kMicValues)
            lines.push_back("in  1 /chroma/mics/" + std::string(1, letter) + "/" +
                            std::string(value.key) + " text \"\"");
        return lines;
    }
    void Enter(wxTextCtrl* field, const wxString& text) {
        Type(field, text);
        wxCommandEvent event(wxEVT_TEXT_ENTER, field->GetId());
        Send(field, event);
    }
    void Confirm() { ClickButton(Dialog().ConfirmButton()); }
    bool Red(wxTextCtrl* field) { return field->GetBackgroundColour() == wxColour(255, 200, 200); }
};

TEST_F(MicDialogTest, OpeningATypeReadsItsThirteenFilesAndShowsThem) {
    ConnectQuickly();
    Command(&Frame(), menu::MicrophoneTypeId(kTypeM));
    EXPECT_EQ(Dialog().GetTitle(), "Microphone settings for type 'M'");
    EXPECT_EQ(Dialog().CurrentState(), State::Reading);
    EXPECT_FALSE(Dialog().ConfirmButton()->IsEnabled());
    EXPECT_FALSE(Field(MicSettings::ID_F1_FREQ)->IsEnabled());
    EXPECT_TRUE(Dialog().CancelButton()->IsEnabled());
    EXPECT_NE(Status().find("Reading"), std::string::npos);
    ASSERT_TRUE(PumpUntil([&] { return Dialog().CurrentState() == State::Ready; }));

    EXPECT_EQ(MicRequests("in  1 "), ExpectedReads('m'));
    EXPECT_TRUE(MicRequests("in  0 ").empty());
    EXPECT_EQ(Spin()->GetValue(), -44);
    const std::pair<int, const char*> shown[] = {
        {MicSettings::ID_F1_FREQ, "90"},    {MicSettings::ID_F2_FREQ, "700"},
        {MicSettings::ID_F3_FREQ, "10500"}, {MicSettings::ID_F1_LEVEL, "-3.0"},
        {MicSettings::ID_F2_LEVEL, "0.5"},  {MicSettings::ID_F3_LEVEL, "3.5"},
        {MicSettings::ID_F1_Q, "0.5"},      {MicSettings::ID_F2_Q, "0.7"},
        {MicSettings::ID_F3_Q, "1.2"},
    };
    for (const auto& [id, text] : shown)
        EXPECT_EQ(Field(id)->GetValue(), text) << id;
    EXPECT_TRUE(Box(MicSettings::ID_F1_ACTIVE)->GetValue());
    EXPECT_FALSE(Box(MicSettings::ID_F2_ACTIVE)->GetValue());
    EXPECT_TRUE(Box(MicSettings::ID_F3_ACTIVE)->GetValue());
    EXPECT_TRUE(Dialog().ConfirmButton()->IsEnabled());
    EXPECT_EQ(Status(), "");

    // The controls of the value indexes, in the device's order.
    EXPECT_EQ(Dialog().ValueControl(0), Spin());
    EXPECT_EQ(Dialog().ValueControl(1)->GetName(), "mic_f1freq");
    EXPECT_EQ(Dialog().ValueControl(4)->GetName(), "mic_f1lev");
    EXPECT_EQ(Dialog().ValueControl(9)->GetName(), "mic_f3q");
    EXPECT_EQ(Dialog().ValueControl(12)->GetName(), "mic_f3act");

    // Every value is named by its row and column for screen readers.
    EXPECT_EQ(AccessibleName(Spin()), "Mic sensitivity");
    EXPECT_EQ(AccessibleName(Field(MicSettings::ID_F2_LEVEL)), "Parametric Filter 2 Level (dB)");
    EXPECT_EQ(AccessibleName(Box(MicSettings::ID_F3_ACTIVE)), "Parametric Filter 3 active");
    for (wxWindow* control : Dialog().GetChildren().front()->GetChildren()) {
        if (dynamic_cast<wxTextCtrl*>(control) || dynamic_cast<wxSpinCtrl*>(control) ||
            dynamic_cast<wxCheckBox*>(control)) {
            EXPECT_FALSE(AccessibleName(control).empty()) << Where(control);
        }
    }

    // Nothing cut or overlapping, at least the dialog's size, no close box.
    EXPECT_FALSE(Dialog().HasFlag(wxCLOSE_BOX));
    const wxRect client(wxPoint(0, 0), Dialog().GetClientSize());
    EXPECT_GE(client.width, 475);
    EXPECT_GE(client.height, 240);
    const wxWindowList& children = Dialog().GetChildren().front()->GetChildren();
    for (wxWindow* a : children) {
        EXPECT_TRUE(client.Contains(a->GetRect())) << Where(a);
        if (dynamic_cast<wxTextCtrl*>(a)) {
            // The widest value a field shows fits where the field draws its text.
            EXPECT_GE(TextAreaWidth(a), a->GetTextExtent("-16000.0").x) << Where(a);
        } else if (a != Dialog().StatusLine()) {
            EXPECT_GE(a->GetSize().x, a->GetBestSize().x) << Where(a);
            EXPECT_GE(a->GetSize().y, a->GetBestSize().y) << Where(a);
        }
        for (wxWindow* b : children) {
            if (a != b) {
                EXPECT_FALSE(a->GetRect().Intersects(b->GetRect())) << Where(a) << Where(b);
            }
        }
    }

    ClickButton(Dialog().CancelButton());
    EXPECT_FALSE(Dialog().IsShown());
    EXPECT_TRUE(MicRequests("in  0 ").empty());
}

TEST_F(MicDialogTest, DeviceTextsAreInterpretedAndAWordIsReported) {
    sim.WriteFile("/chroma/mics/c/mic_filter1_enable", "1\n");
    sim.WriteFile("/chroma/mics/c/mic_filter3_enable", "2\n");
    sim.WriteFile("/chroma/mics/c/mic_filter2_gain", "abc\n");
    ConnectQuickly();
    wxTEST_DIALOG(Open(kTypeC), ExpectMessage("Communication error",
                                              "Could not interpret: mic_filter2_gain _abc_"));
    EXPECT_EQ(Dialog().CurrentState(), State::Ready);
    EXPECT_TRUE(Box(MicSettings::ID_F1_ACTIVE)->GetValue());
    EXPECT_FALSE(Box(MicSettings::ID_F3_ACTIVE)->GetValue());
    // Never a value of another type: the field shows its initial content, marked.
    EXPECT_EQ(Field(MicSettings::ID_F2_LEVEL)->GetValue(), "0.0");
    EXPECT_TRUE(Red(Field(MicSettings::ID_F2_LEVEL)));
    EXPECT_NE(Status().find("filter 2 level"), std::string::npos) << Status();
    // The other values were applied.
    EXPECT_EQ(Field(MicSettings::ID_F1_LEVEL)->GetValue(), "-3.5");
}

TEST_F(MicDialogTest, ConfirmWritesExactlyTheChosenTypesFiles) {
    ConnectQuickly();
    Open(kTypeC);
    ASSERT_EQ(Dialog().CurrentState(), State::Ready);
    SpinTo(Spin(), -12);
    Enter(Field(MicSettings::ID_F1_Q), "1,5");
    EXPECT_EQ(Field(MicSettings::ID_F1_Q)->GetValue(), "1.5");
    EXPECT_FALSE(Red(Field(MicSettings::ID_F1_Q)));
    Type(Field(MicSettings::ID_F2_FREQ), "250");
    Tick(Box(MicSettings::ID_F2_ACTIVE), true);
    Tick(Box(MicSettings::ID_F3_ACTIVE), false);
    sim.ClearLog();
    Confirm();
    EXPECT_EQ(Dialog().CurrentState(), State::Writing);
    EXPECT_FALSE(Dialog().CancelButton()->IsEnabled());
    // Another type chosen meanwhile does not take the dialog from the write on its way.
    Command(&Frame(), menu::MicrophoneTypeId(kTypeM));
    EXPECT_EQ(Dialog().CurrentState(), State::Writing);
    EXPECT_EQ(Dialog().GetTitle(), "Microphone settings for type 'C'");
    ASSERT_TRUE(PumpUntil([&] { return !Dialog().IsShown(); }));

    const std::vector<std::string> expected = {
        R"(in  0 /chroma/mics/c/mic_sensitivity text "-12\n")",
        R"(in  0 /chroma/mics/c/mic_filter1_freq text "80\n")",
        R"(in  0 /chroma/mics/c/mic_filter2_freq text "250\n")",
        R"(in  0 /chroma/mics/c/mic_filter3_freq text "12000\n")",
        R"(in  0 /chroma/mics/c/mic_filter1_gain text "-3.5\n")",
        R"(in  0 /chroma/mics/c/mic_filter2_gain text "0.5\n")",
        R"(in  0 /chroma/mics/c/mic_filter3_gain text "1.5\n")",
        R"(in  0 /chroma/mics/c/mic_filter1_q text "1.5\n")",
        R"(in  0 /chroma/mics/c/mic_filter2_q text "0.9\n")",
        R"(in  0 /chroma/mics/c/mic_filter3_q text "0.7\n")",
        R"(in  0 /chroma/mics/c/mic_filter1_enable text "1\n")",
        R"(in  0 /chroma/mics/c/mic_filter2_enable text "1\n")",
        R"(in  0 /chroma/mics/c/mic_filter3_enable text "0\n")",
    };
    EXPECT_EQ(MicRequests("in  0 "), expected);
    EXPECT_TRUE(MicRequests("in  1 ").empty());
    EXPECT_EQ(sim.ReadFile("/chroma/mics/c/mic_sensitivity"), "-12\n");
    EXPECT_EQ(sim.ReadFile("/chroma/mics/c/mic_filter1_q"), "1.5\n");
    EXPECT_EQ(sim.ReadFile("/chroma/mics/d/mic_sensitivity"), "-30\n");
}

TEST_F(MicDialogTest, OutOfRangeAndNotANumberAreRefusedByNameAndNothingIsWritten) {
    ConnectQuickly();
    Open(kTypeD);
    Enter(Field(MicSettings::ID_F1_Q), "0.1");
    EXPECT_EQ(Field(MicSettings::ID_F1_Q)->GetValue(), "0.2");
    EXPECT_TRUE(Red(Field(MicSettings::ID_F1_Q)));
    Enter(Field(MicSettings::ID_F1_Q), "3");
    EXPECT_EQ(Field(MicSettings::ID_F1_Q)->GetValue(), "3.0");
    EXPECT_FALSE(Red(Field(MicSettings::ID_F1_Q)));

    Type(Field(MicSettings::ID_F1_FREQ), "25000");
    Type(Field(MicSettings::ID_F2_LEVEL), "nan");
    Type(Field(MicSettings::ID_F3_Q), "inf");
    sim.ClearLog();
    wxTEST_DIALOG(Confirm(), ExpectMessage("Configuration error",
                                           "Some entered values where out of range.\n"
                                           "Please re-check!"));
    EXPECT_TRUE(Dialog().IsShown());
    EXPECT_EQ(Field(MicSettings::ID_F1_FREQ)->GetValue(), "16000");
    EXPECT_EQ(Field(MicSettings::ID_F2_LEVEL)->GetValue(), "0.0");
    EXPECT_EQ(Field(MicSettings::ID_F3_Q)->GetValue(), "0.7");
    for (int id : {MicSettings::ID_F1_FREQ, MicSettings::ID_F2_LEVEL, MicSettings::ID_F3_Q})
        EXPECT_TRUE(Red(Field(id))) << id;
    EXPECT_FALSE(Red(Field(MicSettings::ID_F1_LEVEL)));
    EXPECT_EQ(Status(), "Out of range, replaced and not written: filter 1 frequency, filter 2 "
                        "level and filter 3 Q.");
    PumpFor(200ms);
    EXPECT_TRUE(MicRequests("in  0 ").empty());

    // The replacements are valid: a second Confirm writes them.
    Confirm();
    ASSERT_TRUE(PumpUntil([&] { return !Dialog().IsShown(); }));
    EXPECT_EQ(sim.ReadFile("/chroma/mics/d/mic_filter1_freq"), "16000\n");
    EXPECT_EQ(sim.ReadFile("/chroma/mics/d/mic_filter3_q"), "0.7\n");
    EXPECT_EQ(MicRequests("in  0 ").size(), kMicValueCount);
}

TEST_F(MicDialogTest, AReadFailingMidwayShowsNothingAndConfirmStaysDisabled) {
    ConnectQuickly();
    Open(kTypeM);
    ASSERT_EQ(Field(MicSettings::ID_F1_FREQ)->GetValue(), "90");
    // Silence exactly type d's filter 2 gain: the request before turns the device silent
    // from the next request on, that request turns it back for the ones after it.
    sim.SetRequestObserver([&](const serial_link::CommandFrame& request) {
        if (request.Name() == "/chroma/mics/d/mic_filter1_gain")
            sim.SetFaults({.silent = true});
        if (request.Name() == "/chroma/mics/d/mic_filter2_gain")
            sim.SetFaults({});
    });
    sim.ClearLog();
    wxTEST_DIALOG(Open(kTypeD), ExpectMessage("Communication error",
                                              "An error occured while reading settings from "
                                              "the device.\nPlease retry!"));
    sim.SetRequestObserver(nullptr);
    std::vector<std::string> reads = ExpectedReads('d');
    reads.resize(6);
    EXPECT_EQ(MicRequests("in  1 "), reads);
    EXPECT_EQ(Dialog().GetTitle(), "Microphone settings for type 'D'");
    EXPECT_EQ(Dialog().CurrentState(), State::ReadFailed);
    EXPECT_FALSE(Dialog().ConfirmButton()->IsEnabled());
    EXPECT_FALSE(Field(MicSettings::ID_F1_FREQ)->IsEnabled());
    // Neither type m's values nor the first ones of type d.
    EXPECT_EQ(Field(MicSettings::ID_F1_FREQ)->GetValue(), "");
    EXPECT_EQ(Field(MicSettings::ID_F3_LEVEL)->GetValue(), "");
    EXPECT_EQ(Spin()->GetValue(), 0);
    EXPECT_FALSE(Box(MicSettings::ID_F1_ACTIVE)->GetValue());
    EXPECT_NE(Status().find("could not be read"), std::string::npos) << Status();
    // Confirm does nothing even when clicked.
    Confirm();
    PumpFor(100ms);
    EXPECT_TRUE(MicRequests("in  0 ").empty());

    // Chosen again, the type reads completely.
    Open(kTypeD);
    EXPECT_EQ(Dialog().CurrentState(), State::Ready);
    EXPECT_EQ(Field(MicSettings::ID_F1_FREQ)->GetValue(), "200");
}

TEST_F(MicDialogTest, APartialWriteKeepsTheEntriesAndNamesWhatWasWritten) {
    ConnectQuickly();
    Open(kTypeD);
    SpinTo(Spin(), -12);
    Type(Field(MicSettings::ID_F2_FREQ), "4321");
    Type(Field(MicSettings::ID_F1_LEVEL), "2,5");
    // The device stores the sensitivity and filter 1's frequency, then refuses.
    sim.SetRequestObserver([&](const serial_link::CommandFrame& request) {
        if (request.Name() == "/chroma/mics/d/mic_filter2_freq")
            sim.SetFaults({.refuseWrites = true});
    });
    wxTEST_DIALOG(
        {
            Confirm();
            EXPECT_TRUE(
                PumpUntil([&] { return Dialog().CurrentState() != State::Writing; }));
        },
        ExpectMessage("Communication error",
                      "An error occured while transfering settings to the device."));
    EXPECT_TRUE(Dialog().IsShown());
    EXPECT_EQ(Dialog().CurrentState(), State::Ready);
    EXPECT_EQ(Spin()->GetValue(), -12);
    EXPECT_EQ(Field(MicSettings::ID_F2_FREQ)->GetValue(), "4321");
    EXPECT_EQ(Field(MicSettings::ID_F1_LEVEL)->GetValue(), "2.5");
    EXPECT_EQ(Status(),
              "Only 2 of 13 values were written: sensitivity and filter 1 frequency. The others "
              "keep their old values on the device. Confirm writes all again.");
    EXPECT_EQ(sim.ReadFile("/chroma/mics/d/mic_sensitivity"), "-12\n");
    EXPECT_EQ(sim.ReadFile("/chroma/mics/d/mic_filter2_freq"), "3000\n");

    sim.SetRequestObserver(nullptr);
    sim.SetFaults({});
    Confirm();
    ASSERT_TRUE(PumpUntil([&] { return !Dialog().IsShown(); }));
    EXPECT_EQ(sim.ReadFile("/chroma/mics/d/mic_filter2_freq"), "4321\n");
    EXPECT_EQ(sim.ReadFile("/chroma/mics/d/mic_filter1_gain"), "2.5\n");
}

// Sets the process's number format for the life of the object.
class NumericLocale {
  public:
    explicit NumericLocale(const char* name) {
        old_ = std::setlocale(LC_NUMERIC, nullptr);
        set_ = std::setlocale(LC_NUMERIC, name) != nullptr;
    }
    ~NumericLocale() { std::setlocale(LC_NUMERIC, old_.c_str()); }
    bool Set() const { return set_; }

  private:
    std::string old_;
    bool set_ = false;
};

TEST_F(MicDialogTest, ACommaDecimalLocaleShowsAndWritesPoints) {
    NumericLocale german("de_DE.UTF-8");
    if (!german.Set())
        GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed (locale -a)";
    ASSERT_EQ(std::to_string(0.5).substr(0, 3), "0,5");  // the locale is in force
    ConnectQuickly();
    Open(kTypeC);
    EXPECT_EQ(Field(MicSettings::ID_F1_Q)->GetValue(), "0.5");
    EXPECT_EQ(Field(MicSettings::ID_F1_LEVEL)->GetValue(), "-3.5");
    Enter(Field(MicSettings::ID_F2_Q), "1,25");
    EXPECT_EQ(Field(MicSettings::ID_F2_Q)->GetValue(), "1.2");
    Confirm();
    ASSERT_TRUE(PumpUntil([&] { return !Dialog().IsShown(); }));
    EXPECT_EQ(sim.ReadFile("/chroma/mics/c/mic_filter1_q"), "0.5\n");
    EXPECT_EQ(sim.ReadFile("/chroma/mics/c/mic_filter2_q"), "1.2\n");
    EXPECT_EQ(sim.ReadFile("/chroma/mics/c/mic_filter1_gain"), "-3.5\n");
}

TEST_F(MicDialogTest, CancelDuringAReadDropsItsResult) {
    ConnectQuickly();
    sim.SetFaults({.latencyMs = 40});
    Command(&Frame(), menu::MicrophoneTypeId(kTypeC));
    ASSERT_EQ(Dialog().CurrentState(), State::Reading);
    // The window answers while the read runs.
    PumpFor(100ms);
    EXPECT_EQ(Dialog().CurrentState(), State::Reading);
    ClickButton(Dialog().CancelButton());
    EXPECT_FALSE(Dialog().IsShown());
    // The read stops on the worker after the value in flight; nothing of it shows, and no
    // message box comes.
    ASSERT_TRUE(PumpUntil([&] { return !Frame().Connection().Session().Busy(); }));
    EXPECT_LT(MicRequests("in  1 ").size(), ExpectedReads('c').size());
    PumpFor(100ms);
    EXPECT_FALSE(Dialog().IsShown());
    EXPECT_EQ(Dialog().CurrentState(), State::Closed);
    EXPECT_EQ(Field(MicSettings::ID_F1_FREQ)->GetValue(), "");
}

TEST_F(MicDialogTest, ClosedOnDisconnectAndByEveryLogin) {
    ConnectQuickly();
    Open(kTypeC);
    Press(false);
    EXPECT_FALSE(Dialog().IsShown());
    EXPECT_EQ(Dialog().CurrentState(), State::Closed);

    ConnectQuickly();
    Open(kTypeC);
    SendLogin(L"controller", L"vyr-controller");
    ASSERT_TRUE(PumpUntil([&] { return !Login().IsShown(); }));
    EXPECT_FALSE(Dialog().IsShown());
    // The Service menu's types are there for level 2, and a login at a lower right closes
    // the dialog before anything else could be confirmed.
    ASSERT_TRUE(PumpUntil([&] { return Frame().CurrentUserLevel() == UserLevel::Controller(); }));
    EXPECT_TRUE(Frame().GetMenuBar()->IsEnabled(menu::MicrophoneTypeId(kTypeM)));
    Open(kTypeM);
    EXPECT_EQ(Dialog().CurrentState(), State::Ready);
}

}  // namespace
}  // namespace vyr::test

// The serial-number, service-notes and test-results dialogs against the simulator: what
// they show, the frames a write and an append put on the wire, what is refused before
// anything is sent, what a refusing or silent device is said to have done, and that the
// dialogs close and stay unusable when the user level no longer allows them.
#include <atomic>
#include <functional>

#include <wx/activityindicator.h>
#include <wx/button.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

#include "app/menus.h"
#include "device/service_records.h"
#include "device_window.h"
#include "dialogs/service_records_dialogs.h"
#include "gui_events.h"
#include "gui_support.h"
#include "modal_hook.h"
#include "ui/accessible.h"

namespace vyr::test {
namespace {

using namespace std::chrono_literals;

ExpectMessage ConfirmSerial(int answer) {
    return ExpectMessage("Confirm action",
                         "This overwrites the device's serial number.\nAre you sure?", answer);
}

class ServiceRecordsTest : public DeviceWindowTest {
  protected:
    SerialNoDlg& Serial() { return Frame().SerialNumberDialog(); }
    ServiceNotesDlg& Notes() { return Frame().ServiceNotesDialog(); }
    TestresultsDlg& Results() { return Frame().TestResultsDialog(); }
    wxTextCtrl* DeviceSerial() { return Serial().Text(SerialNoDlg::ID_DEVICE_SERIAL); }
    wxTextCtrl* NewSerial() { return Serial().Text(SerialNoDlg::ID_NEW_SERIAL); }
    wxTextCtrl* NotesWindow() { return Notes().Text(ServiceNotesDlg::ID_NOTES_WINDOW); }
    wxTextCtrl* NewNote() { return Notes().Text(ServiceNotesDlg::ID_NEW_NOTE); }

    void LogInAs(const wchar_t* user, const wchar_t* password, UserLevel level) {
        if (!Frame().Connected())
            Connect();
        else
            Login().Show();
        SendLogin(user, password);
        ASSERT_TRUE(PumpUntil([&] { return !Login().IsShown(); }));
        ASSERT_EQ(Frame().CurrentUserLevel(), level);
    }
    void LogInAsService() { LogInAs(L"service", L"vyr-service", UserLevel::Service()); }

    // The frames naming `path`, in both directions.
    std::vector<std::string> FramesFor(const std::string& path) const {
        std::vector<std::string> frames;
        for (const std::string& line : sim.Log()) {
            if (line.find(" " + path + " ") != std::string::npos)
                frames.push_back(line);
        }
        return frames;
    }
    // Pumps until the dialog's exchange is answered.
    static void AwaitIdle(RecordDialog& dialog) {
        ASSERT_TRUE(PumpUntil([&] { return !dialog.Busy(); }));
    }
    void OpenSerial() {
        Command(&Frame(), menu::kSerialNumber);
        ASSERT_TRUE(Serial().IsShown());
        AwaitIdle(Serial());
    }
    void OpenNotes() {
        Command(&Frame(), menu::kServiceNotes);
        ASSERT_TRUE(Notes().IsShown());
        AwaitIdle(Notes());
    }
    // Types a new serial number and writes it, answering the question with `answer`.
    void WriteSerial(const wxString& number) {
        NewSerial()->ChangeValue(number);
        ClickButton(Serial().Button(SerialNoDlg::ID_WRITE_SN));
    }
    // Every control inside the dialog, no two overlapping, every text and button whole.
    static void ExpectEverythingFits(RecordDialog& dialog, wxSize atLeast) {
        const wxRect client(wxPoint(0, 0), dialog.GetClientSize());
        EXPECT_GE(client.width, atLeast.x);
        EXPECT_GE(client.height, atLeast.y);
        const wxWindowList& children = dialog.GetChildren().front()->GetChildren();
        for (wxWindow* child : children) {
            EXPECT_TRUE(client.Contains(child->GetRect())) << Where(child);
            EXPECT_GE(child->GetSize().x, child->GetBestSize().x) << Where(child);
            EXPECT_GE(child->GetSize().y, child->GetBestSize().y) << Where(child);
            for (wxWindow* other : children) {
                if (other == child || !other->IsShown() || !child->IsShown())
                    continue;
                EXPECT_FALSE(child->GetRect().Intersects(other->GetRect()))
                    << Where(child) << " / " << Where(other);
            }
        }
    }
};

TEST_F(ServiceRecordsTest, SerialNumberIsReadShownAndWrittenWithItsLineFeed) {
    sim.WriteFile("/chroma/serialnumber", "VYR-2417-0093  \n");
    LogInAsService();
    Command(&Frame(), menu::kSerialNumber);
    EXPECT_EQ(Serial().GetTitle(), "Device serial number");
    EXPECT_FALSE(Serial().HasFlag(wxCLOSE_BOX));
    EXPECT_FALSE(Serial().HasFlag(wxSYSTEM_MENU));
    // While the read runs the dialog says so, and the write cannot start.
    EXPECT_TRUE(Serial().Busy());
    EXPECT_TRUE(Serial().Spinner()->IsShown());
    EXPECT_FALSE(Serial().Button(SerialNoDlg::ID_WRITE_SN)->IsEnabled());
    AwaitIdle(Serial());
    EXPECT_FALSE(Serial().Spinner()->IsShown());
    EXPECT_TRUE(Serial().Button(SerialNoDlg::ID_WRITE_SN)->IsEnabled());
    // Trailing blanks and the line feed are not shown.
    EXPECT_EQ(DeviceSerial()->GetValue(), "VYR-2417-0093");
    EXPECT_EQ(NewSerial()->GetValue(), "VYR-2417-0093");
    EXPECT_FALSE(DeviceSerial()->IsEditable());
    EXPECT_TRUE(NewSerial()->IsEditable());
    EXPECT_EQ(AccessibleName(DeviceSerial()), "SN in device:");
    EXPECT_EQ(AccessibleName(NewSerial()), "New SN:");
    EXPECT_TRUE(IsLabelledBy(NewSerial(), Serial().FindWindow(SerialNoDlg::ID_NEW_SERIAL_LABEL)));
    ExpectEverythingFits(Serial(), wxSize(250, 165));

    // No: nothing changes, nothing is sent.
    sim.ClearLog();
    wxTEST_DIALOG(WriteSerial("VYR-9"), ConfirmSerial(wxID_NO));
    PumpFor(100ms);
    EXPECT_TRUE(FramesFor("/chroma/serialnumber").empty());
    EXPECT_EQ(DeviceSerial()->GetValue(), "VYR-2417-0093");
    EXPECT_EQ(NewSerial()->GetValue(), "VYR-9");

    // Yes: written without the trailing blanks, with a line feed, and shown.
    wxTEST_DIALOG(
        {
            WriteSerial("VYR-2417-0100   ");
            EXPECT_TRUE(Serial().Busy());
            EXPECT_FALSE(Serial().Button(SerialNoDlg::ID_WRITE_SN)->IsEnabled());
            AwaitIdle(Serial());
        },
        ConfirmSerial(wxID_YES));
    EXPECT_EQ(FramesFor("/chroma/serialnumber"),
              (std::vector<std::string>{"in  0 /chroma/serialnumber text \"VYR-2417-0100\\n\"",
                                        "out 2 /chroma/serialnumber text \"\""}));
    EXPECT_EQ(sim.ReadFile("/chroma/serialnumber"), "VYR-2417-0100\n");
    EXPECT_EQ(DeviceSerial()->GetValue(), "VYR-2417-0100");

    // Close hides the dialog and empties both fields.
    ClickButton(Serial().Button(SerialNoDlg::ID_CLOSE));
    EXPECT_FALSE(Serial().IsShown());
    EXPECT_EQ(DeviceSerial()->GetValue(), "");
    EXPECT_EQ(NewSerial()->GetValue(), "");

    // Escape is the Close button.
    OpenSerial();
    EXPECT_EQ(NewSerial()->GetValue(), "VYR-2417-0100");
    wxKeyEvent escape(wxEVT_CHAR_HOOK);
    escape.m_keyCode = WXK_ESCAPE;
    escape.SetEventObject(&Serial());
    Serial().ProcessWindowEvent(escape);
    EXPECT_FALSE(Serial().IsShown());
    EXPECT_EQ(NewSerial()->GetValue(), "");
}

TEST_F(ServiceRecordsTest, ARefusedWriteKeepsTheTypedTextAndSaysSo) {
    LogInAsService();
    OpenSerial();
    OpenNotes();
    const wxString notes = NotesWindow()->GetValue();
    sim.SetFaults({.refuseWrites = true});
    wxTEST_DIALOG(
        {
            WriteSerial("VYR-NEW");
            AwaitIdle(Serial());
        },
        ConfirmSerial(wxID_YES),
        ExpectMessage("Device serial number",
                      "The serial number was not stored: the device refused it or did not "
                      "answer."));
    EXPECT_EQ(NewSerial()->GetValue(), "VYR-NEW");
    EXPECT_EQ(DeviceSerial()->GetValue(), "VYR-2417-0093");
    EXPECT_EQ(sim.ReadFile("/chroma/serialnumber"), "VYR-2417-0093\n");

    NewNote()->ChangeValue("Display replaced");
    wxTEST_DIALOG(
        {
            ClickButton(Notes().Button(ServiceNotesDlg::ID_ADD_NOTE));
            AwaitIdle(Notes());
        },
        ExpectMessage("Service notes",
                      "The service note was not stored: the device refused it or did not "
                      "answer."));
    EXPECT_EQ(NewNote()->GetValue(), "Display replaced");
    EXPECT_EQ(NotesWindow()->GetValue(), notes);
}

TEST_F(ServiceRecordsTest, EmptyAndTooLongTextsAreRefusedBeforeAnythingIsSent) {
    LogInAsService();
    OpenSerial();
    OpenNotes();
    sim.ClearLog();
    // An empty number (blanks only) is refused without the question.
    wxTEST_DIALOG(WriteSerial("   "),
                  ExpectMessage("Device serial number", "The serial number is empty."));
    // 89 characters of two bytes each fit the payload; 90 do not, though far fewer than
    // 178 characters.
    const wxString e(wxUniChar(0xE9));
    wxString fits;
    for (int i = 0; i < 89; ++i)
        fits += e;
    wxTEST_DIALOG(WriteSerial(fits + e),
                  ExpectMessage("Device serial number",
                                "The serial number is too long for the device."));
    EXPECT_EQ(NewSerial()->GetValue(), fits + e);
    // An empty note does nothing at all; 81 two-byte characters are too long.
    NewNote()->ChangeValue("");
    ClickButton(Notes().Button(ServiceNotesDlg::ID_ADD_NOTE));
    wxString note;
    for (int i = 0; i < 81; ++i)
        note += e;
    NewNote()->ChangeValue(note);
    wxTEST_DIALOG(ClickButton(Notes().Button(ServiceNotesDlg::ID_ADD_NOTE)),
                  ExpectMessage("Service notes", "The service note is too long for the device."));
    EXPECT_EQ(NewNote()->GetValue(), note);
    PumpFor(100ms);
    EXPECT_TRUE(FramesFor("/chroma/serialnumber").empty());
    EXPECT_TRUE(FramesFor("/chroma/service_notes").empty());

    // The longest that fits is sent, in UTF-8.
    wxTEST_DIALOG(
        {
            WriteSerial(fits);
            AwaitIdle(Serial());
        },
        ConfirmSerial(wxID_YES));
    std::string bytes;
    for (int i = 0; i < 89; ++i)
        bytes += "\xc3\xa9";
    EXPECT_EQ(sim.ReadFile("/chroma/serialnumber"), bytes + "\n");
    EXPECT_EQ(DeviceSerial()->GetValue(), fits);
}

TEST_F(ServiceRecordsTest, NotesAreShownAndANewNoteIsAppendedWithItsDateStamp) {
    LogInAsService();
    Command(&Frame(), menu::kServiceNotes);
    EXPECT_EQ(Notes().GetTitle(), "Service notes");
    EXPECT_FALSE(Notes().Button(ServiceNotesDlg::ID_ADD_NOTE)->IsEnabled());
    AwaitIdle(Notes());
    const wxString factory =
        "2023/11/02-14:31| Checked after transport, all functions OK\n"
        "2024/02/19-09:12| Battery contacts cleaned\n"
        "2024/06/05-16:47| Firmware updated to 2.3\n";
    EXPECT_EQ(NotesWindow()->GetValue(), factory);
    EXPECT_FALSE(NotesWindow()->IsEditable());
    EXPECT_TRUE(NotesWindow()->IsMultiLine());
    EXPECT_EQ(AccessibleName(NewNote()), "New service note");
    ExpectEverythingFits(Notes(), wxSize(560, 325));

    sim.ClearLog();
    NewNote()->ChangeValue(wxString::FromUTF8("Mikrofonkapsel gepr\xc3\xbc" "ft"));
    const DateTime before = LocalNow();
    ClickButton(Notes().Button(ServiceNotesDlg::ID_ADD_NOTE));
    EXPECT_FALSE(Notes().Button(ServiceNotesDlg::ID_ADD_NOTE)->IsEnabled());
    AwaitIdle(Notes());
    const DateTime after = LocalNow();
    const std::vector<std::string> frames = FramesFor("/chroma/service_notes");
    ASSERT_EQ(frames.size(), 2u);
    std::string line;
    for (const DateTime& when : {before, after}) {
        const std::string candidate = ServiceNoteLine(when, "Mikrofonkapsel gepr\xc3\xbc" "ft");
        if (frames[0] == "in  20 /chroma/service_notes text \"" +
                             candidate.substr(0, 18) + "Mikrofonkapsel gepr\\xc3\\xbcft\\n\"")
            line = candidate;
    }
    ASSERT_FALSE(line.empty()) << frames[0];
    EXPECT_EQ(frames[1], "out 2 /chroma/service_notes text \"\"");
    EXPECT_EQ(sim.ReadFile("/chroma/service_notes"), factory.utf8_string() + line);
    EXPECT_EQ(NotesWindow()->GetValue(), factory + wxString::FromUTF8(line));
    EXPECT_EQ(NewNote()->GetValue(), "");

    // Read again on the next opening, the note is there once.
    ClickButton(Notes().Button(ServiceNotesDlg::ID_CLOSE));
    EXPECT_FALSE(Notes().IsShown());
    OpenNotes();
    EXPECT_EQ(NotesWindow()->GetValue(), factory + wxString::FromUTF8(line));
}

TEST_F(ServiceRecordsTest, TestResultsAreShownReadOnly) {
    // Shown exactly as received: the last line has no line feed, and gets none.
    sim.WriteFile("/chroma/test_results", "Result: PASS\nStation 3");
    LogInAsService();
    Command(&Frame(), menu::kTestResults);
    TestresultsDlg& dialog = Results();
    EXPECT_EQ(dialog.GetTitle(), "Production test results");
    EXPECT_TRUE(dialog.Busy());
    AwaitIdle(dialog);
    wxTextCtrl* window = dialog.Text(TestresultsDlg::ID_RESULT_WINDOW);
    EXPECT_EQ(window->GetValue(), "Result: PASS\nStation 3");
    EXPECT_FALSE(window->IsEditable());
    EXPECT_TRUE(window->IsMultiLine());
    ExpectEverythingFits(dialog, wxSize(515, 330));
    ClickButton(dialog.Button(TestresultsDlg::ID_CLOSE));
    EXPECT_FALSE(dialog.IsShown());
}

TEST_F(ServiceRecordsTest, AFailedReadSaysSoInsteadOfShowingNothing) {
    LogInAsService();
    // No serial number on the device: the device refuses the read, the fields stay empty and
    // the dialog says what happened (not that the device did not answer).
    sim.RemoveFile("/chroma/serialnumber");
    wxTEST_DIALOG(OpenSerial(),
                  ExpectMessage("Device serial number",
                                "The serial number could not be read: the device refused to "
                                "give it (it may hold none)."));
    EXPECT_EQ(DeviceSerial()->GetValue(), "");

    // A device that falls silent during the read of the results. The keep-alive waits
    // behind a job that holds the worker; the device answers again before the next one.
    auto& worker = Frame().Connection().Session().Worker();
    worker.Run(
        [](DeviceConnection& connection, Progress&) {
            auto timeouts = connection.link.GetTimeouts();
            timeouts.readTotal = serial_link::Milliseconds(40);
            connection.link.SetTimeoutsForTesting(timeouts);
        },
        [] {});
    std::atomic<bool> release = false;
    worker.Run(
        [&](DeviceConnection&, Progress&) {
            while (!release)
                std::this_thread::sleep_for(5ms);
        },
        [] {});
    wxTEST_DIALOG(
        {
            Command(&Frame(), menu::kTestResults);
            sim.SetFaults({.dropEvery = 1});
            release = true;
            AwaitIdle(Results());
        },
        ExpectMessageWhile("Production test results",
                    "The production test results could not be read: the device did not answer.",
                    [&] { sim.SetFaults({}); }));
    EXPECT_TRUE(Results().IsShown());
    EXPECT_EQ(Results().Text(TestresultsDlg::ID_RESULT_WINDOW)->GetValue(), "");
    EXPECT_TRUE(Frame().Connected());
}

TEST_F(ServiceRecordsTest, ClosedOnDisconnectAndByEveryLoginThenUnusableAtALowerLevel) {
    LogInAsService();
    OpenSerial();
    OpenNotes();
    Command(&Frame(), menu::kTestResults);
    AwaitIdle(Results());
    Press(false);
    for (RecordDialog* dialog : {static_cast<RecordDialog*>(&Serial()),
                                 static_cast<RecordDialog*>(&Notes()),
                                 static_cast<RecordDialog*>(&Results())})
        EXPECT_FALSE(dialog->IsShown()) << dialog->GetTitle();

    LogInAs(L"distributor", L"vyr-distributor", UserLevel::Distributor());
    OpenSerial();
    OpenNotes();
    // A login of a lower level closes them, and the menu no longer offers them.
    LogInAs(L"controller", L"vyr-controller", UserLevel::Controller());
    EXPECT_FALSE(Serial().IsShown());
    EXPECT_FALSE(Notes().IsShown());
    wxMenuBar* bar = Frame().GetMenuBar();
    for (int id : {menu::kSerialNumber, menu::kServiceNotes, menu::kTestResults})
        EXPECT_FALSE(bar->IsEnabled(id)) << id;

    // A dialog shown all the same acts on nothing: no question, no frame, and it hides.
    sim.ClearLog();
    {
        GTestModalHook noDialog(__FILE__, __LINE__, "");
        Serial().Open();
        EXPECT_FALSE(Serial().IsShown());
        Serial().Show();
        WriteSerial("VYR-1");
        EXPECT_FALSE(Serial().IsShown());
        Notes().Show();
        NewNote()->ChangeValue("not mine to add");
        ClickButton(Notes().Button(ServiceNotesDlg::ID_ADD_NOTE));
        EXPECT_FALSE(Notes().IsShown());
        Results().Open();
        EXPECT_FALSE(Results().IsShown());
        noDialog.CheckUnmetExpectations();
    }
    PumpFor(100ms);
    EXPECT_TRUE(FramesFor("/chroma/serialnumber").empty());
    EXPECT_TRUE(FramesFor("/chroma/service_notes").empty());
    EXPECT_TRUE(FramesFor("/chroma/test_results").empty());
}

}  // namespace
}  // namespace vyr::test

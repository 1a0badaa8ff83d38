#include "service_records_dialogs.h"

#include <algorithm>

#include <wx/activityindicator.h>
#include <wx/button.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

namespace vyr {
namespace {

using ctl::Kind;
using ctl::Row;

// The files hold text in the computer's narrow encoding, UTF-8 here. Bytes that are not
// UTF-8 are shown one character a byte, so that every byte shows as something.
wxString FromDevice(std::string_view bytes) {
    const wxString text = wxString::FromUTF8(bytes.data(), bytes.size());
    if (text.empty() && !bytes.empty())
        return wxString(bytes.data(), wxConvISO8859_1, bytes.size());
    return text;
}

std::string ToDevice(const wxString& text) {
    return text.utf8_string();
}

// ---- "Device serial number" ----------------------------------------------------------------

constexpr char kSerialTitle[] = "Device serial number";
const wxSize kSerialSize(250, 165);
constexpr char kConfirmTitle[] = "Confirm action";
constexpr char kConfirmText[] = "This overwrites the device's serial number.\nAre you sure?";
constexpr char kSerialNotAnswered[] =
    "The serial number could not be read: the device did not answer.";
constexpr char kSerialRefused[] =
    "The serial number could not be read: the device refused to give it (it may hold none).";

// In window order, which is also the tab order. A caption sits on the row of its field;
// single-line fields are never lower than the toolkit needs for one line.
// clang-format off
constexpr Row kSerialControls[] = {
    {.kind = Kind::Label, .id = SerialNoDlg::ID_DEVICE_SERIAL_LABEL, .name = "WxStaticText1",
     .x = 8, .text = "SN in device:", .flags = ctl::kOnCaptionedRow},
    {.kind = Kind::TextField, .id = SerialNoDlg::ID_DEVICE_SERIAL, .name = "DeviceSerialNumber",
     .x = 88, .y = 8, .width = 121, .height = 19, .flags = ctl::kReadOnly | ctl::kFitHeight,
     .caption = SerialNoDlg::ID_DEVICE_SERIAL_LABEL},
    {.kind = Kind::Activity, .name = "activity", .x = 217, .y = 10, .width = 16, .height = 16,
     .flags = ctl::kHidden, .accessibleName = "Busy"},
    {.kind = Kind::Label, .id = SerialNoDlg::ID_NEW_SERIAL_LABEL, .name = "WxStaticText2", .x = 8,
     .text = "New SN:", .flags = ctl::kOnCaptionedRow},
    {.kind = Kind::TextField, .id = SerialNoDlg::ID_NEW_SERIAL, .name = "NewSerialNumber", .x = 88,
     .y = 40, .width = 121, .height = 19, .flags = ctl::kFitHeight,
     .caption = SerialNoDlg::ID_NEW_SERIAL_LABEL},
    {.kind = Kind::DialogButton, .id = SerialNoDlg::ID_WRITE_SN, .name = "Write_SN", .x = 40,
     .y = 84, .width = 75, .height = 25, .text = "Write SN"},
    {.kind = Kind::DialogButton, .id = SerialNoDlg::ID_CLOSE, .name = "WxButton2", .x = 135,
     .y = 84, .width = 75, .height = 25, .text = "Close"},
};
// clang-format on
constexpr int kSerialExchangeButtons[] = {SerialNoDlg::ID_WRITE_SN};

// ---- "Service notes" -----------------------------------------------------------------------

constexpr char kNotesTitle[] = "Service notes";
const wxSize kNotesSize(560, 325);
constexpr char kNotesWhat[] = "The service notes";
constexpr char kNoteWhat[] = "The service note";

// The spinner follows the Add button.
// clang-format off
constexpr Row kNotesControls[] = {
    {.kind = Kind::TextField, .id = ServiceNotesDlg::ID_NOTES_WINDOW, .name = "NotesWindow",
     .x = 25, .y = 12, .width = 500, .height = 170, .flags = ctl::kMultiline | ctl::kReadOnly,
     .accessibleName = "Service notes"},
    {.kind = Kind::TextField, .id = ServiceNotesDlg::ID_NEW_NOTE, .name = "NewNote", .x = 25,
     .y = 192, .width = 500, .height = 19, .flags = ctl::kFitHeight, .limit = kMaxNoteBytes,
     .accessibleName = "New service note"},
    {.kind = Kind::DialogButton, .id = ServiceNotesDlg::ID_ADD_NOTE, .name = "AddNoteButton",
     .x = 25, .y = 228, .width = 105, .height = 25, .text = "Add service note"},
    {.kind = Kind::Activity, .name = "activity", .x = 10, .y = 232, .width = 16, .height = 16,
     .flags = ctl::kHidden | ctl::kAfterPrevious, .accessibleName = "Busy"},
    {.kind = Kind::DialogButton, .id = ServiceNotesDlg::ID_CLOSE, .name = "CloseButton", .x = 450,
     .y = 228, .width = 75, .height = 25, .text = "Close"},
};
// clang-format on
constexpr int kNotesExchangeButtons[] = {ServiceNotesDlg::ID_ADD_NOTE};

// ---- "Production test results" -------------------------------------------------------------

constexpr char kResultsTitle[] = "Production test results";
const wxSize kResultsSize(515, 330);
constexpr char kResultsWhat[] = "The production test results";

// clang-format off
constexpr Row kResultsControls[] = {
    {.kind = Kind::TextField, .id = TestresultsDlg::ID_RESULT_WINDOW, .name = "ResultWindow",
     .x = 5, .y = 4, .width = 457, .height = 210, .flags = ctl::kMultiline | ctl::kReadOnly,
     .accessibleName = "Production test results"},
    {.kind = Kind::Activity, .name = "activity", .x = 470, .y = 8, .width = 16, .height = 16,
     .flags = ctl::kHidden, .accessibleName = "Busy"},
    {.kind = Kind::DialogButton, .id = TestresultsDlg::ID_CLOSE, .name = "CloseButton", .x = 198,
     .y = 230, .width = 75, .height = 25, .text = "Close"},
};
// clang-format on

}  // namespace

// ---- RecordDialog --------------------------------------------------------------------------

RecordDialog::RecordDialog(wxWindow* parent, DeviceAccess& device, const char* title, wxSize size,
                           std::span<const ctl::Row> controls, std::span<const int> exchangeButtons)
    : DeviceDialog(parent, device, title, size), exchangeButtons_(exchangeButtons) {
    for (wxWindow* window : Build(controls)) {
        if (auto* spinner = dynamic_cast<wxActivityIndicator*>(window))
            spinner_ = spinner;
    }
    // At least the size given and as large as the controls need.
    wxSize needed = size;
    for (wxWindow* child : Panel()->GetChildren()) {
        const wxRect r = child->GetRect();
        needed.x = std::max(needed.x, r.GetRight() + 1 + 8);
        needed.y = std::max(needed.y, r.GetBottom() + 1 + 8);
    }
    FixSize(needed);
}

wxTextCtrl* RecordDialog::Text(int id) const {
    return dynamic_cast<wxTextCtrl*>(FindWindow(id));
}

wxButton* RecordDialog::Button(int id) const {
    return dynamic_cast<wxButton*>(FindWindow(id));
}

void RecordDialog::ShowBusy(bool busy) {
    for (const int id : exchangeButtons_)
        FindWindow(id)->Enable(!busy);
    if (busy) {
        spinner_->Show();
        spinner_->Start();
        SetCursor(wxCursor(wxCURSOR_ARROWWAIT));
    } else {
        spinner_->Stop();
        spinner_->Hide();
        SetCursor(wxNullCursor);
    }
}

void RecordDialog::OpenAndRead(int focusId, int windowId, RecordLines (*read)(DeviceConnection&),
                               std::string_view what) {
    if (!Permitted(kFactoryService))
        return;
    Show();
    FindWindow(focusId)->SetFocus();
    Text(windowId)->Clear();
    const auto shown = [this, windowId, what = std::string(what)](const RecordLines& lines) {
        // Exactly as received; each line converted on its own, so that one line that is not
        // UTF-8 leaves the others as they are.
        wxString text;
        for (const std::string& line : lines.lines)
            text += FromDevice(line);
        Text(windowId)->ChangeValue(text);
        if (lines.complete)
            return;
        if (lines.lines.empty())
            Tell(what + " could not be read: the device did not answer.");
        else
            Tell(what + " could not be read completely: the device stopped answering after " +
                 std::to_string(lines.lines.size()) + " lines.");
    };
    if (!Exchange(read, shown))
        shown(RecordLines{});
}

// ---- SerialNoDlg ---------------------------------------------------------------------------

SerialNoDlg::SerialNoDlg(wxWindow* parent, DeviceAccess& device)
    : RecordDialog(parent, device, kSerialTitle, kSerialSize, kSerialControls,
                   kSerialExchangeButtons) {
    Bind(wxEVT_BUTTON, &SerialNoDlg::OnWrite, this, ID_WRITE_SN);
    Bind(wxEVT_BUTTON, &SerialNoDlg::OnClose, this, ID_CLOSE);
    SetEscapeId(ID_CLOSE);
}

void SerialNoDlg::Open() {
    if (!Permitted(kFactoryService))
        return;
    const auto shown = [this](const serial_link::RemoteRead& read) {
        if (read.answer != serial_link::Answer::Data) {
            Tell(read.answer == serial_link::Answer::Refused ? kSerialRefused : kSerialNotAnswered);
            return;
        }
        Text(ID_DEVICE_SERIAL)->ChangeValue(FromDevice(read.text));
        Text(ID_NEW_SERIAL)->ChangeValue(FromDevice(read.text));
    };
    Show();
    Button(ID_CLOSE)->SetFocus();
    if (!Exchange(FetchSerialNumber, shown))
        shown(serial_link::RemoteRead{});
}

void SerialNoDlg::OnWrite(wxCommandEvent&) {
    if (!Permitted(kFactoryService) || Busy())
        return;
    const std::string number = ToDevice(Text(ID_NEW_SERIAL)->GetValue());
    // Checked before anything is asked or sent: the number is not empty, one line, and fits
    // the frame in bytes.
    if (const RecordStatus status = CheckSerialNumber(number); status != RecordStatus::Done) {
        Tell(RecordStatusText(status, "The serial number") + ".");
        Text(ID_NEW_SERIAL)->SetFocus();
        return;
    }
    if (wxMessageBox(kConfirmText, kConfirmTitle, wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION,
                     this) != wxYES) {
        return;
    }
    const auto written = [this](const RecordWrite& result) {
        if (result.status != RecordStatus::Done) {
            // The typed number stays in its field for another try.
            Tell(RecordStatusText(result.status, "The serial number") + ".");
            return;
        }
        Text(ID_DEVICE_SERIAL)->ChangeValue(FromDevice(result.text));
    };
    const auto write = [number](DeviceConnection& connection) {
        return WriteSerialNumber(connection, number);
    };
    if (!Exchange(write, written))
        written(RecordWrite{});
}

void SerialNoDlg::OnClose(wxCommandEvent&) {
    Hide();
    Text(ID_DEVICE_SERIAL)->Clear();
    Text(ID_NEW_SERIAL)->Clear();
}

// ---- ServiceNotesDlg -----------------------------------------------------------------------

ServiceNotesDlg::ServiceNotesDlg(wxWindow* parent, DeviceAccess& device)
    : RecordDialog(parent, device, kNotesTitle, kNotesSize, kNotesControls, kNotesExchangeButtons) {
    Bind(wxEVT_BUTTON, &ServiceNotesDlg::OnAdd, this, ID_ADD_NOTE);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Hide(); }, ID_CLOSE);
    SetEscapeId(ID_CLOSE);
}

void ServiceNotesDlg::Open() {
    OpenAndRead(ID_NEW_NOTE, ID_NOTES_WINDOW, ReadServiceNotes, kNotesWhat);
}

void ServiceNotesDlg::OnAdd(wxCommandEvent&) {
    if (!Permitted(kFactoryService) || Busy())
        return;
    // Stamped with the computer's local time of the click.
    const DateTime when = LocalNow();
    const std::string note = ToDevice(Text(ID_NEW_NOTE)->GetValue());
    const RecordStatus status = CheckNote(note);
    if (status == RecordStatus::Empty)
        return;
    if (status != RecordStatus::Done) {
        Tell(RecordStatusText(status, kNoteWhat) + ".");
        Text(ID_NEW_NOTE)->SetFocus();
        return;
    }
    const auto added = [this](const RecordWrite& result) {
        if (result.status != RecordStatus::Done) {
            // The typed note stays in its field for another try.
            Tell(RecordStatusText(result.status, kNoteWhat) + ".");
            return;
        }
        Text(ID_NOTES_WINDOW)->AppendText(FromDevice(result.text));
        Text(ID_NEW_NOTE)->Clear();
    };
    const auto append = [note, when](DeviceConnection& connection) {
        return AppendServiceNote(connection, note, when);
    };
    if (!Exchange(append, added))
        added(RecordWrite{});
}

// ---- TestresultsDlg ------------------------------------------------------------------------

TestresultsDlg::TestresultsDlg(wxWindow* parent, DeviceAccess& device)
    : RecordDialog(parent, device, kResultsTitle, kResultsSize, kResultsControls, {}) {
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Hide(); }, ID_CLOSE);
    SetEscapeId(ID_CLOSE);
}

void TestresultsDlg::Open() {
    OpenAndRead(ID_CLOSE, ID_RESULT_WINDOW, ReadTestResults, kResultsWhat);
}

}  // namespace vyr

#include "service_records_dialogs.h"

#include <algorithm>
#include <utility>

#include <wx/activityindicator.h>
#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "ui/dialog_size.h"
#include "ui/accessible.h"
#include "ui/dialog_button.h"
#include "ui/fonts.h"
#include "ui/gtk_style.h"
#include "ui/message_box.h"

namespace vyr {
namespace {

using Kind = RecordDialog::Kind;
using Control = RecordDialog::Control;

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

// A text's size in the dialogs' font; two pixels more for the toolkit's rounding.
wxSize TextSize(const wxString& text) {
    wxMemoryDC dc;
    dc.SetFont(fonts::Ui());
    return dc.GetTextExtent(text) + wxSize(2, 0);
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

// In window order, which is also the tab order.
constexpr Control kSerialControls[] = {
    {Kind::Label, SerialNoDlg::ID_DEVICE_SERIAL_LABEL, "WxStaticText1", 8, 0, 0, 0,
     "SN in device:", 0, 0, nullptr},
    {Kind::ReadOnlyField, SerialNoDlg::ID_DEVICE_SERIAL, "DeviceSerialNumber", 88, 8, 121, 19, "",
     0, SerialNoDlg::ID_DEVICE_SERIAL_LABEL, nullptr},
    {Kind::Activity, wxID_ANY, "activity", 217, 10, 16, 16, "", 0, 0, "Busy"},
    {Kind::Label, SerialNoDlg::ID_NEW_SERIAL_LABEL, "WxStaticText2", 8, 0, 0, 0, "New SN:", 0, 0,
     nullptr},
    {Kind::Field, SerialNoDlg::ID_NEW_SERIAL, "NewSerialNumber", 88, 40, 121, 19, "", 0,
     SerialNoDlg::ID_NEW_SERIAL_LABEL, nullptr},
    {Kind::Button, SerialNoDlg::ID_WRITE_SN, "Write_SN", 40, 84, 75, 25, "Write SN", 0, 0,
     nullptr},
    {Kind::Button, SerialNoDlg::ID_CLOSE, "WxButton2", 135, 84, 75, 25, "Close", 0, 0, nullptr},
};
constexpr int kSerialExchangeButtons[] = {SerialNoDlg::ID_WRITE_SN};

// ---- "Service notes" -----------------------------------------------------------------------

constexpr char kNotesTitle[] = "Service notes";
const wxSize kNotesSize(560, 325);
constexpr char kNotesWhat[] = "The service notes";
constexpr char kNoteWhat[] = "The service note";

constexpr Control kNotesControls[] = {
    {Kind::TextWindow, ServiceNotesDlg::ID_NOTES_WINDOW, "NotesWindow", 25, 12, 500, 170, "", 0,
     0, "Service notes"},
    {Kind::Field, ServiceNotesDlg::ID_NEW_NOTE, "NewNote", 25, 192, 500, 19, "", kMaxNoteBytes, 0,
     "New service note"},
    {Kind::Button, ServiceNotesDlg::ID_ADD_NOTE, "AddNoteButton", 25, 228, 105, 25,
     "Add service note", 0, 0, nullptr},
    {Kind::Activity, wxID_ANY, "activity", 0, 232, 16, 16, "", 0, 0, "Busy"},
    {Kind::Button, ServiceNotesDlg::ID_CLOSE, "CloseButton", 450, 228, 75, 25, "Close", 0, 0,
     nullptr},
};
constexpr int kNotesExchangeButtons[] = {ServiceNotesDlg::ID_ADD_NOTE};

// ---- "Production test results" -------------------------------------------------------------

constexpr char kResultsTitle[] = "Production test results";
const wxSize kResultsSize(515, 330);
constexpr char kResultsWhat[] = "The production test results";

constexpr Control kResultsControls[] = {
    {Kind::TextWindow, TestresultsDlg::ID_RESULT_WINDOW, "ResultWindow", 5, 4, 457, 210, "", 0, 0,
     "Production test results"},
    {Kind::Activity, wxID_ANY, "activity", 470, 8, 16, 16, "", 0, 0, "Busy"},
    {Kind::Button, TestresultsDlg::ID_CLOSE, "CloseButton", 198, 230, 75, 25, "Close", 0, 0,
     nullptr},
};

}  // namespace

// ---- RecordDialog --------------------------------------------------------------------------

RecordDialog::RecordDialog(wxWindow* parent, DeviceAccess& device, const char* title,
                           wxSize size, std::span<const Control> controls,
                           std::span<const int> exchangeButtons)
    : wxDialog(parent, 1, title, wxDefaultPosition, size,
               wxCAPTION | wxSTAY_ON_TOP | wxDIALOG_NO_PARENT),
      device_(device),
      title_(title),
      exchangeButtons_(exchangeButtons) {
    UseCompactStyle(this);
    SetFont(fonts::Ui());
    Build(controls);

    // Fixed size, at least the one given and as large as the controls need; where the window
    // manager's frame leaves less room, the dialog grows instead of cutting them off.
    wxWindow* panel = GetChildren().front();
    wxSize needed = size;
    for (wxWindow* child : panel->GetChildren()) {
        const wxRect r = child->GetRect();
        needed.x = std::max(needed.x, r.GetRight() + 1 + 8);
        needed.y = std::max(needed.y, r.GetBottom() + 1 + 8);
    }
    FixDialogSize(*this, *panel, needed);
}

void RecordDialog::Build(std::span<const Control> controls) {
    auto* panel = new wxPanel(this, wxID_ANY, wxPoint(0, 0), GetClientSize(), wxTAB_TRAVERSAL,
                              "panel");
    for (const Control& c : controls) {
        const wxPoint pos(c.x, c.y);
        const wxSize size(c.width, c.height);
        wxWindow* window = nullptr;
        switch (c.kind) {
            case Kind::Label:
                // Sized by its text in its own font: the toolkit would measure in its default
                // font until shown. Its row is set below, by the field it names.
                window = new wxStaticText(panel, c.id, c.text, pos, TextSize(c.text), 0, c.name);
                break;
            case Kind::Field:
            case Kind::ReadOnlyField:
            case Kind::TextWindow: {
                const long style = c.kind == Kind::Field        ? 0
                                   : c.kind == Kind::TextWindow ? wxTE_MULTILINE | wxTE_READONLY
                                                                : wxTE_READONLY;
                auto* field =
                    new wxTextCtrl(panel, c.id, "", pos, size, style, wxDefaultValidator, c.name);
                field->SetFont(fonts::Ui());
                if (c.limit != 0)
                    field->SetMaxLength(static_cast<unsigned long>(c.limit));
                // Never lower than the toolkit needs for one line.
                if (c.kind != Kind::TextWindow)
                    field->SetSize(c.width, std::max(c.height, field->GetBestSize().y));
                window = field;
                break;
            }
            case Kind::Button: {
                window = MakeDialogButton(panel, c.id, c.text, pos, size, c.name);
                break;
            }
            case Kind::Activity: {
                // Placed after the control before it when the table gives no column.
                wxPoint at = pos;
                if (c.x == 0) {
                    const wxRect before = panel->GetChildren().back()->GetRect();
                    at.x = before.GetRight() + 1 + 10;
                }
                spinner_ = new wxActivityIndicator(panel, c.id, at, size, 0, c.name);
                spinner_->Hide();
                window = spinner_;
                break;
            }
        }
        window->SetFont(fonts::Ui());
    }
    // A caption sits on the row of the field it names, and is its accessible name; fields
    // without a caption of their own get theirs from the table.
    for (const Control& c : controls) {
        wxWindow* window = c.kind == Kind::Activity ? spinner_ : FindWindow(c.id);
        wxWindow* caption = c.captionId == 0 ? nullptr : FindWindow(c.captionId);
        if (caption) {
            const wxRect field = window->GetRect();
            caption->Move(caption->GetPosition().x,
                          field.y + (field.height - caption->GetSize().y) / 2);
        }
        if (caption || c.accessibleName)
            SetAccessibleName(window, caption ? caption->GetLabel() : wxString(c.accessibleName),
                              caption);
    }
}

bool RecordDialog::Show(bool show) {
    if (show && !IsShown())
        CentreOnParent(wxBOTH);
    if (!show)
        Forget();
    return wxDialog::Show(show);
}

wxTextCtrl* RecordDialog::Text(int id) const {
    return dynamic_cast<wxTextCtrl*>(FindWindow(id));
}

wxButton* RecordDialog::Button(int id) const {
    return dynamic_cast<wxButton*>(FindWindow(id));
}

bool RecordDialog::Permitted() {
    if (device_.CurrentLevel().MayUseFactoryService())
        return true;
    Hide();
    return false;
}

void RecordDialog::SetBusy(int change) {
    busy_ = std::max(0, busy_ + change);
    for (const int id : exchangeButtons_)
        FindWindow(id)->Enable(!Busy());
    if (Busy()) {
        spinner_->Show();
        spinner_->Start();
        SetCursor(wxCursor(wxCURSOR_ARROWWAIT));
    } else {
        spinner_->Stop();
        spinner_->Hide();
        SetCursor(wxNullCursor);
    }
}

void RecordDialog::Forget() {
    ++*generation_;
    busy_ = 0;
    SetBusy(0);
}

template <typename Result>
bool RecordDialog::Exchange(std::function<Result(DeviceConnection&)> work,
                            std::function<void(const Result&)> done) {
    const std::weak_ptr<unsigned> current = generation_;
    const unsigned generation = *generation_;
    SetBusy(+1);
    const bool queued = device_.RunJob(
        [this, work = std::move(work), done = std::move(done), current, generation](
            DeviceConnection& connection, Progress&) -> DeviceAccess::GuiStep {
            Result result = work(connection);
            return [this, done, current, generation, result = std::move(result)] {
                const auto latest = current.lock();
                if (!latest || *latest != generation)
                    return;
                SetBusy(-1);
                done(result);
            };
        });
    if (!queued)
        SetBusy(-1);
    return queued;
}

void RecordDialog::OpenAndRead(int focusId, int windowId,
                               RecordLines (*read)(DeviceConnection&), std::string_view what) {
    if (!Permitted())
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
    if (!Exchange<RecordLines>(read, shown))
        shown(RecordLines{});
}

void RecordDialog::Tell(std::string_view text) {
    ShowStatusMessage(this, {title_, text, MessageIcon::Warning});
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
    if (!Permitted())
        return;
    const auto shown = [this](const serial_link::RemoteRead& read) {
        if (read.answer != serial_link::Answer::Data) {
            Tell(read.answer == serial_link::Answer::Refused ? kSerialRefused
                                                             : kSerialNotAnswered);
            return;
        }
        Text(ID_DEVICE_SERIAL)->ChangeValue(FromDevice(read.text));
        Text(ID_NEW_SERIAL)->ChangeValue(FromDevice(read.text));
    };
    Show();
    Button(ID_CLOSE)->SetFocus();
    if (!Exchange<serial_link::RemoteRead>(FetchSerialNumber, shown))
        shown(serial_link::RemoteRead{});
}

void SerialNoDlg::OnWrite(wxCommandEvent&) {
    if (!Permitted() || Busy())
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
    if (!Exchange<RecordWrite>(write, written))
        written(RecordWrite{});
}

void SerialNoDlg::OnClose(wxCommandEvent&) {
    Hide();
    Text(ID_DEVICE_SERIAL)->Clear();
    Text(ID_NEW_SERIAL)->Clear();
}

// ---- ServiceNotesDlg -----------------------------------------------------------------------

ServiceNotesDlg::ServiceNotesDlg(wxWindow* parent, DeviceAccess& device)
    : RecordDialog(parent, device, kNotesTitle, kNotesSize, kNotesControls,
                   kNotesExchangeButtons) {
    Bind(wxEVT_BUTTON, &ServiceNotesDlg::OnAdd, this, ID_ADD_NOTE);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Hide(); }, ID_CLOSE);
    SetEscapeId(ID_CLOSE);
}

void ServiceNotesDlg::Open() {
    OpenAndRead(ID_NEW_NOTE, ID_NOTES_WINDOW, ReadServiceNotes, kNotesWhat);
}

void ServiceNotesDlg::OnAdd(wxCommandEvent&) {
    if (!Permitted() || Busy())
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
    if (!Exchange<RecordWrite>(append, added))
        added(RecordWrite{});
}

// ---- TestresultsDlg ------------------------------------------------------------------------

TestresultsDlg::TestresultsDlg(wxWindow* parent, DeviceAccess& device)
    : RecordDialog(parent, device, kResultsTitle, kResultsSize, kResultsControls, {}) {
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Hide(); }, ID_CLOSE);
    SetEscapeId(ID_CLOSE);
}

void TestresultsDlg::Open() {
    OpenAndRead(ID_CLOSE, ID_RESULT_WINDOW, ReadTestResults, kResultsWhat);
}

}  // namespace vyr

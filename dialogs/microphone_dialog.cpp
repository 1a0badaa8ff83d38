#include "microphone_dialog.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dcmemory.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "settings/text.h"
#include "ui/dialog_size.h"
#include "ui/accessible.h"
#include "ui/fonts.h"
#include "ui/gtk_style.h"
#include "ui/message_box.h"
#include "ui/wx_text.h"

namespace vyr {
namespace {

constexpr char kTitle[] = "Microphone settings";
constexpr int kWidth = 475;
constexpr int kHeight = 240;
constexpr int kMargin = 10;
constexpr int kColumnGap = 12;
constexpr int kRowGap = 8;
constexpr int kUnitGap = 6;
constexpr int kButtonGap = 10;
constexpr int kButtonWidth = 90;

constexpr char kReadFailedTitle[] = "Communication error";
constexpr char kReadFailedText[] =
    "An error occured while reading settings from the device.\nPlease retry!";
constexpr char kWriteFailedText[] = "An error occured while transfering settings to the device.";
constexpr char kOutOfRangeTitle[] = "Configuration error";
constexpr char kOutOfRangeText[] = "Some entered values where out of range.\nPlease re-check!";

const wxColour kValid(255, 255, 255);
const wxColour kReplaced(255, 200, 200);

enum class Kind { RowLabel, Heading, Spin, Unit, Field, Check, Button };
constexpr int kNoValue = -1;

struct Descriptor {
    Kind kind;
    int id;
    const char* name;
    int row;     // 0: the headings, 1: the sensitivity, 2..4: the filters; 5: the buttons
    int column;  // 0: the row labels, 1..4: frequency, level, Q, active; buttons left to right
    int width, height;  // the smallest size; the toolkit's may be larger
    const char* text;   // label, or a field's initial content
    int value;          // value index, or kNoValue
};

// In window order, which is also the tab order.
constexpr Descriptor kControls[] = {
    {Kind::Heading, wxID_ANY, "mic_freq_heading", 0, 1, 0, 0, "Frequency (Hz)", kNoValue},
    {Kind::Heading, wxID_ANY, "mic_level_heading", 0, 2, 0, 0, "Level (dB)", kNoValue},
    {Kind::Heading, wxID_ANY, "mic_q_heading", 0, 3, 0, 0, "Bandwidth (Q)", kNoValue},
    {Kind::Heading, wxID_ANY, "mic_active_heading", 0, 4, 0, 0, "active", kNoValue},
    {Kind::RowLabel, wxID_ANY, "mic_sens_label", 1, 0, 0, 0, "Mic sensitivity", kNoValue},
    {Kind::Spin, MicSettings::ID_SENSITIVITY, "mic_sensitivity", 1, 1, 50, 22, "0", 0},
    {Kind::Unit, wxID_ANY, "mic_sens_unit", 1, 1, 0, 0, "dB", kNoValue},
    {Kind::RowLabel, wxID_ANY, "mic_f1_label", 2, 0, 0, 0, "Parametric Filter 1", kNoValue},
    {Kind::Field, MicSettings::ID_F1_FREQ, "mic_f1freq", 2, 1, 80, 19, "250", 1},
    {Kind::Field, MicSettings::ID_F1_LEVEL, "mic_f1lev", 2, 2, 60, 19, "0.0", 4},
    {Kind::Field, MicSettings::ID_F1_Q, "mic_f1q", 2, 3, 50, 19, "0.7", 7},
    {Kind::Check, MicSettings::ID_F1_ACTIVE, "mic_f1act", 2, 4, 0, 0, "", 10},
    {Kind::RowLabel, wxID_ANY, "mic_f2_label", 3, 0, 0, 0, "Parametric Filter 2", kNoValue},
    {Kind::Field, MicSettings::ID_F2_FREQ, "mic_f2freq", 3, 1, 80, 19, "1000", 2},
    {Kind::Field, MicSettings::ID_F2_LEVEL, "mic_f2lev", 3, 2, 60, 19, "0.0", 5},
    {Kind::Field, MicSettings::ID_F2_Q, "mic_f2q", 3, 3, 50, 19, "0.7", 8},
    {Kind::Check, MicSettings::ID_F2_ACTIVE, "mic_f2act", 3, 4, 0, 0, "", 11},
    {Kind::RowLabel, wxID_ANY, "mic_f3_label", 4, 0, 0, 0, "Parametric Filter 3", kNoValue},
    {Kind::Field, MicSettings::ID_F3_FREQ, "mic_f3freq", 4, 1, 80, 19, "6000", 3},
    {Kind::Field, MicSettings::ID_F3_LEVEL, "mic_f3lev", 4, 2, 60, 19, "0.0", 6},
    {Kind::Field, MicSettings::ID_F3_Q, "mic_f3q", 4, 3, 50, 19, "0.7", 9},
    {Kind::Check, MicSettings::ID_F3_ACTIVE, "mic_f3act", 4, 4, 0, 0, "", 12},
    {Kind::Button, MicSettings::ID_CONFIRM, "Confirm_Button", 5, 0, 0, 0, "Confirm", kNoValue},
    {Kind::Button, MicSettings::ID_CANCEL, "CancelButton", 5, 1, 0, 0, "Cancel", kNoValue},
};
constexpr int kRows = 5;
constexpr int kColumns = 5;

// How the messages of the dialog name a value: by its row and its column.
constexpr const char* kRowNames[kRows] = {"", "sensitivity", "filter 1", "filter 2", "filter 3"};
constexpr const char* kColumnNames[kColumns] = {"", "frequency", "level", "Q", "active"};

const Descriptor& ValueDescriptor(std::size_t index) {
    for (const Descriptor& d : kControls) {
        if (d.value == static_cast<int>(index))
            return d;
    }
    return kControls[0];  // every index has its control
}

std::string ValueName(std::size_t index) {
    const Descriptor& d = ValueDescriptor(index);
    if (d.kind == Kind::Spin)
        return kRowNames[d.row];
    return std::string(kRowNames[d.row]) + " " + kColumnNames[d.column];
}

// A text's size in the dialog's font; two pixels more for the toolkit's rounding.
wxSize TextSize(const wxString& text) {
    wxMemoryDC dc;
    dc.SetFont(fonts::Ui());
    return dc.GetMultiLineTextExtent(text) + wxSize(2, 0);
}

// The device's texts are 8-bit, one character a byte: every byte shows as something.
wxString DeviceText(std::string_view text) {
    return wxString(text.data(), wxConvISO8859_1, text.size());
}

wxString TypeTitle(int type) {
    return wxString::Format("Microphone settings for type '%c'",
                            static_cast<char>(MicTypeLetter(type) - 'a' + 'A'));
}

// The list "a, b and c".
std::string Listed(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            text += i + 1 == names.size() ? " and " : ", ";
        text += names[i];
    }
    return text;
}

std::string PartialWriteText(std::size_t written) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < written; ++i)
        names.push_back(ValueName(i));
    std::string text = "Only " + std::to_string(written) + " of " +
                       std::to_string(kMicValueCount) + " values were written";
    text += written == 0 ? "" : ": " + Listed(names);
    return text + ". The others keep their old values on the device. Confirm writes all again.";
}

}  // namespace

MicSettings::MicSettings(wxWindow* parent, DeviceAccess& device)
    : wxDialog(parent, ID_DIALOG, kTitle, wxDefaultPosition, wxSize(kWidth, kHeight),
               wxCAPTION | wxSTAY_ON_TOP | wxDIALOG_NO_PARENT),
      device_(device) {
    UseCompactStyle(this);
    SetFont(fonts::Ui());
    CreateControls();
    SetEscapeId(ID_CANCEL);
    Bind(wxEVT_BUTTON, &MicSettings::OnConfirm, this, ID_CONFIRM);
    Bind(wxEVT_BUTTON, &MicSettings::OnCancel, this, ID_CANCEL);
    Bind(wxEVT_TEXT_ENTER, &MicSettings::OnEnter, this, ID_F1_FREQ, ID_F3_Q);
    SetState(State::Closed);
}

MicSettings::~MicSettings() {
    ++*generation_;
}

void MicSettings::CreateControls() {
    auto* panel = new wxPanel(this, wxID_ANY, wxPoint(0, 0), wxSize(kWidth, kHeight));
    wxWindow* rowLabels[kRows] = {};
    wxWindow* headings[kColumns] = {};
    for (const Descriptor& d : kControls) {
        const wxSize size(d.width, d.height);
        wxWindow* window = nullptr;
        switch (d.kind) {
            case Kind::RowLabel:
            case Kind::Heading:
            case Kind::Unit:
                window = new wxStaticText(panel, d.id, d.text, wxDefaultPosition, TextSize(d.text),
                                          0, d.name);
                break;
            case Kind::Spin:
                window = new wxSpinCtrl(panel, d.id, d.text, wxDefaultPosition, size,
                                        wxSP_ARROW_KEYS, -60, 0, 0, d.name);
                break;
            case Kind::Field: {
                auto* field = new wxTextCtrl(panel, d.id, d.text, wxDefaultPosition, size,
                                             wxTE_RIGHT | wxTE_PROCESS_ENTER, wxDefaultValidator,
                                             d.name);
                field->SetMaxLength(kMicValueTextSize);
                window = field;
                break;
            }
            case Kind::Check:
                window = new wxCheckBox(panel, d.id, d.text, wxDefaultPosition, wxDefaultSize, 0,
                                        wxDefaultValidator, d.name);
                break;
            case Kind::Button: {
                auto* button = new wxButton(panel, d.id, d.text, wxDefaultPosition, wxDefaultSize,
                                            0, wxDefaultValidator, d.name);
                (d.id == ID_CONFIRM ? confirm_ : cancel_) = button;
                window = button;
                break;
            }
        }
        window->SetFont(fonts::Ui());
        if (d.kind == Kind::RowLabel)
            rowLabels[d.row] = window;
        if (d.kind == Kind::Heading)
            headings[d.column] = window;
        if (d.value != kNoValue)
            controls_[d.value] = window;
    }
    // A value is named by its row and its column, as a person reads the grid; the row's
    // label is the caption that labels it.
    for (const Descriptor& d : kControls) {
        if (d.value == kNoValue)
            continue;
        wxString name = rowLabels[d.row]->GetLabel();
        if (d.kind != Kind::Spin)
            name += " " + headings[d.column]->GetLabel();
        SetAccessibleName(controls_[d.value], name, rowLabels[d.row]);
    }
    status_ = new wxStaticText(panel, wxID_ANY, "", wxDefaultPosition, wxDefaultSize,
                               wxST_NO_AUTORESIZE, "mic_status");
    status_->SetFont(fonts::Ui());
    LayOut(panel);
}

void MicSettings::LayOut(wxWindow* panel) {
    // Each column is as wide as its heading or its widest control, each row as high as its
    // tallest control; the sensitivity's spin box and unit may reach into the next column,
    // which that row leaves empty.
    std::vector<wxWindow*> windows;
    for (wxWindow* child : panel->GetChildren())
        windows.push_back(child);
    int columnWidth[kColumns] = {};
    int rowHeight[kRows] = {};
    for (std::size_t i = 0; i < std::size(kControls); ++i) {
        const Descriptor& d = kControls[i];
        if (d.kind == Kind::Button)
            continue;
        wxWindow* w = windows[i];
        const wxSize size(std::max(d.width, w->GetBestSize().x),
                          std::max(d.height, w->GetBestSize().y));
        w->SetSize(size);
        if (d.kind != Kind::Spin && d.kind != Kind::Unit)
            columnWidth[d.column] = std::max(columnWidth[d.column], size.x);
        rowHeight[d.row] = std::max(rowHeight[d.row], size.y);
    }
    int columnLeft[kColumns] = {kMargin};
    for (int c = 1; c < kColumns; ++c)
        columnLeft[c] = columnLeft[c - 1] + columnWidth[c - 1] + kColumnGap;
    int rowTop[kRows] = {kMargin};
    for (int r = 1; r < kRows; ++r)
        rowTop[r] = rowTop[r - 1] + rowHeight[r - 1] + kRowGap;

    int right = 0;
    wxWindow* previous = nullptr;
    for (std::size_t i = 0; i < std::size(kControls); ++i) {
        const Descriptor& d = kControls[i];
        if (d.kind == Kind::Button)
            continue;
        wxWindow* w = windows[i];
        const wxSize size = w->GetSize();
        int x = columnLeft[d.column];
        if (d.kind == Kind::Heading || d.kind == Kind::Field || d.kind == Kind::Check)
            x += (columnWidth[d.column] - size.x) / 2;
        if (d.kind == Kind::Unit)
            x = previous->GetRect().GetRight() + 1 + kUnitGap;
        const int y = rowTop[d.row] + (rowHeight[d.row] - size.y) / 2;
        w->Move(x, y);
        right = std::max(right, x + size.x);
        previous = w;
    }
    const int width = std::max(kWidth, right + kMargin);

    // The status line takes the longest text it can show, wrapped to the dialog's width.
    const int statusTop = rowTop[kRows - 1] + rowHeight[kRows - 1] + kRowGap;
    const int statusWidth = width - 2 * kMargin;
    status_->SetLabel(PartialWriteText(kMicValueCount - 1));
    status_->Wrap(statusWidth);
    const int statusHeight = TextSize(status_->GetLabel()).y;
    status_->SetLabel("");
    status_->SetSize(kMargin, statusTop, statusWidth, statusHeight);

    const wxSize buttonSize(std::max({kButtonWidth, confirm_->GetBestSize().x,
                                      cancel_->GetBestSize().x}),
                            std::max(confirm_->GetBestSize().y, cancel_->GetBestSize().y));
    const int buttonTop = statusTop + statusHeight + kRowGap;
    const int height = std::max(kHeight, buttonTop + buttonSize.y + kMargin);
    cancel_->SetSize(width - kMargin - buttonSize.x, buttonTop, buttonSize.x, buttonSize.y);
    confirm_->SetSize(cancel_->GetPosition().x - kButtonGap - buttonSize.x, buttonTop,
                      buttonSize.x, buttonSize.y);

    // Fixed size. Where the faces in use or the window manager's frame leave less room than
    // the controls need, the dialog grows instead of cutting them off.
    FixDialogSize(*this, *panel, wxSize(width, height));
}

void MicSettings::Open(int type) {
    if (state_ == State::Writing) {
        Raise();
        return;
    }
    type_ = std::clamp(type, 0, kMicTypeCount - 1);
    Show();
    StartRead();
}

bool MicSettings::Show(bool show) {
    if (show && !IsShown())
        CentreOnParent(wxBOTH);
    if (!show) {
        ++*generation_;
        SetState(State::Closed);
    }
    return wxDialog::Show(show);
}

std::string MicSettings::ShownValue(std::size_t index) const {
    wxWindow* control = controls_[index];
    if (auto* spin = dynamic_cast<wxSpinCtrl*>(control))
        return std::to_string(spin->GetValue());
    if (auto* box = dynamic_cast<wxCheckBox*>(control))
        return box->GetValue() ? "1" : "0";
    return static_cast<wxTextCtrl*>(control)->GetValue().utf8_string();
}

void MicSettings::SetState(State state) {
    state_ = state;
    const bool editable = state == State::Ready;
    for (wxWindow* control : controls_)
        control->Enable(editable);
    confirm_->Enable(editable);
    cancel_->Enable(state != State::Writing);
}

void MicSettings::SetStatus(const wxString& text) {
    status_->SetLabel(text);
    status_->Wrap(status_->GetSize().x);
}

template <typename Result, typename Work, typename Done>
bool MicSettings::RunJob(Work work, Done done) {
    const std::weak_ptr<unsigned> current = generation_;
    const unsigned generation = ++*generation_;
    return device_.RunJob([this, current, generation, work, done](
                              DeviceConnection& connection,
                              Progress& progress) -> DeviceAccess::GuiStep {
        if (progress.CancelRequested())
            return {};
        Result result = work(connection, progress);
        return [this, current, generation, done, result] {
            const auto latest = current.lock();
            if (latest && *latest == generation)
                (this->*done)(result);
        };
    });
}

void MicSettings::StartRead() {
    SetTitle(TypeTitle(type_));
    // Nothing of another type stays in view while this one is read.
    ClearValues();
    SetState(State::Reading);
    SetStatus(wxString::Format("Reading the settings of type '%c' from the device...",
                               static_cast<char>(MicTypeLetter(type_) - 'a' + 'A')));
    const int type = type_;
    const bool queued = RunJob<MicReadResult>(
        [type](DeviceConnection& connection, Progress& progress) {
            return ReadMicCalibration(connection, type, progress);
        },
        &MicSettings::ReadFinished);
    if (!queued) {
        SetState(State::ReadFailed);
        SetStatus("Not connected: nothing was read.");
    }
}

void MicSettings::ClearValues() {
    for (std::size_t i = 0; i < kMicValueCount; ++i) {
        wxWindow* control = controls_[i];
        if (auto* spin = dynamic_cast<wxSpinCtrl*>(control)) {
            spin->SetValue(0);
        } else if (auto* box = dynamic_cast<wxCheckBox*>(control)) {
            box->SetValue(false);
        } else {
            auto* field = static_cast<wxTextCtrl*>(control);
            field->ChangeValue("");
            field->SetBackgroundColour(kValid);
            field->Refresh();
        }
    }
}

void MicSettings::ReadFinished(const MicReadResult& result) {
    const wxString letter(static_cast<char>(MicTypeLetter(type_) - 'a' + 'A'));
    if (!result.Complete()) {
        SetState(State::ReadFailed);
        SetStatus("The settings of type '" + letter + "' could not be read (" +
                  wxString(ValueName(result.read)) + " did not arrive). Nothing is shown; " +
                  "choose the type from the menu again to retry.");
        ShowStatusMessage(this, {kReadFailedTitle, kReadFailedText, MessageIcon::Warning});
        return;
    }
    std::vector<std::string> uninterpreted;
    for (std::size_t i = 0; i < kMicValueCount; ++i) {
        const std::string& text = result.texts[i];
        const std::optional<std::string> shown = InterpretMicValue(kMicValues[i].kind, text);
        wxWindow* control = controls_[i];
        if (!shown) {
            // The control shows its initial content, a field in the colour of a replaced
            // entry, so that nothing of the previous type stays.
            uninterpreted.push_back(ValueName(i));
            const Descriptor& d = ValueDescriptor(i);
            if (auto* field = dynamic_cast<wxTextCtrl*>(control)) {
                field->ChangeValue(d.text);
                field->SetBackgroundColour(kReplaced);
                field->Refresh();
            }
            wxMessageBox(wxString::Format("Could not interpret: %s _", kMicValues[i].key.data()) +
                             DeviceText(TrimTrailingBlanks(text)) + "_",
                         kReadFailedTitle, wxOK | wxICON_NONE, this);
            continue;
        }
        if (auto* spin = dynamic_cast<wxSpinCtrl*>(control)) {
            int value = 0;
            std::from_chars(shown->data(), shown->data() + shown->size(), value);
            spin->SetValue(value);
        } else if (auto* box = dynamic_cast<wxCheckBox*>(control)) {
            box->SetValue(*shown == "1");
        } else {
            // A longer text would not be shown at all; so long a number is out of range and
            // stays so when cut.
            static_cast<wxTextCtrl*>(control)->ChangeValue(
                Wx(std::string_view(*shown).substr(0, kMicValueTextSize)));
        }
    }
    SetState(State::Ready);
    SetStatus(uninterpreted.empty() ? wxString()
                                    : Wx("Could not interpret " + Listed(uninterpreted) +
                                         ": shown with the initial value."));
}

bool MicSettings::CheckValue(std::size_t index, std::string* deviceText) {
    const MicCheck check = CheckMicEntry(kMicValues[index].kind, ShownValue(index));
    if (auto* field = dynamic_cast<wxTextCtrl*>(controls_[index])) {
        field->ChangeValue(Wx(check.display));
        field->SetBackgroundColour(check.valid ? kValid : kReplaced);
        field->Refresh();
    }
    if (deviceText)
        *deviceText = check.deviceText;
    return check.valid;
}

void MicSettings::OnEnter(wxCommandEvent& event) {
    for (std::size_t i = 0; i < kMicValueCount; ++i) {
        if (controls_[i]->GetId() == event.GetId() && state_ == State::Ready)
            CheckValue(i);
    }
}

void MicSettings::OnConfirm(wxCommandEvent&) {
    if (state_ != State::Ready)
        return;
    // Every value is checked and shown reformatted, also after a first bad one.
    MicValueTexts texts;
    std::vector<std::string> replaced;
    for (std::size_t i = 0; i < kMicValueCount; ++i) {
        if (!CheckValue(i, &texts[i]))
            replaced.push_back(ValueName(i));
    }
    if (!replaced.empty()) {
        SetStatus(Wx("Out of range, replaced and not written: " + Listed(replaced) + "."));
        ShowStatusMessage(this, {kOutOfRangeTitle, kOutOfRangeText, MessageIcon::Warning});
        return;
    }
    const int type = type_;
    SetState(State::Writing);
    SetStatus("Writing the settings to the device...");
    const bool queued = RunJob<MicWriteResult>(
        [type, texts](DeviceConnection& connection, Progress&) {
            return WriteMicCalibration(connection, type, texts);
        },
        &MicSettings::WriteFinished);
    if (!queued) {
        SetState(State::Ready);
        SetStatus("Not connected: nothing was written.");
    }
}

void MicSettings::WriteFinished(const MicWriteResult& result) {
    if (result.Complete()) {
        Hide();
        return;
    }
    // The dialog keeps what the person entered, so that Confirm can try again.
    SetState(State::Ready);
    SetStatus(Wx(PartialWriteText(result.written)));
    ShowStatusMessage(this, {kReadFailedTitle, kWriteFailedText, MessageIcon::Warning});
}

void MicSettings::OnCancel(wxCommandEvent&) {
    if (state_ == State::Writing)
        return;
    // A read on its way stops after the value in flight; its result is dropped.
    if (state_ == State::Reading)
        device_.CancelJobs();
    Hide();
}

}  // namespace vyr

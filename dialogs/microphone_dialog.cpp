#include "microphone_dialog.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <vector>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/gbsizer.h>
#include <wx/msgdlg.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "settings/text.h"
#include "ui/accessible.h"
#include "ui/invalid_mark.h"
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

using ctl::Kind;

// How a control sits in the grid of rows and columns.
enum class Role {
    RowLabel,  // a row's caption, at the left of its column
    Heading,   // a column's caption, centred in its column
    Value,     // a field or check box, centred in its column
    Spin,      // the sensitivity, at the left; its unit follows it
    Unit,
    Button,  // below the grid, at the right
    Status,  // below the grid, across the dialog
};
constexpr int kNoValue = -1;

struct Cell {
    ctl::Row control;  // its size the smallest; the toolkit's may be larger
    Role role;
    int row;     // 0: the headings, 1: the sensitivity, 2..4: the filters
    int column;  // 0: the row labels, 1..4: frequency, level, Q, active
    int value;   // value index, or kNoValue
};

// Labels too take the toolkit's size for their texts.
constexpr ctl::Row Text(const char* name, const char* text) {
    return {.kind = Kind::Label,
            .name = name,
            .width = 0,
            .height = 0,
            .text = text,
            .flags = ctl::kFitSize};
}
constexpr ctl::Row Field(int id, const char* name, int width, const char* text) {
    return {.kind = Kind::TextField,
            .id = id,
            .name = name,
            .width = width,
            .height = 19,
            .text = text,
            .flags = ctl::kAlignRight | ctl::kProcessEnter | ctl::kFitSize,
            .limit = kMicValueTextSize};
}
constexpr ctl::Row Check(int id, const char* name) {
    return {.kind = Kind::CheckBox, .id = id, .name = name, .flags = ctl::kFitSize};
}
constexpr ctl::Row Button(int id, const char* name, const char* text) {
    return {.kind = Kind::Button, .id = id, .name = name, .text = text};
}

// In window order, which is also the tab order.
// clang-format off
constexpr Cell kCells[] = {
    {Text("mic_freq_heading", "Frequency (Hz)"), Role::Heading, 0, 1, kNoValue},
    {Text("mic_level_heading", "Level (dB)"), Role::Heading, 0, 2, kNoValue},
    {Text("mic_q_heading", "Bandwidth (Q)"), Role::Heading, 0, 3, kNoValue},
    {Text("mic_active_heading", "active"), Role::Heading, 0, 4, kNoValue},
    {Text("mic_sens_label", "Mic sensitivity"), Role::RowLabel, 1, 0, kNoValue},
    {{.kind = Kind::SpinCtrl, .id = MicSettings::ID_SENSITIVITY, .name = "mic_sensitivity",
      .width = 50, .height = 22, .text = "0", .flags = ctl::kFitSize, .min = -60, .max = 0},
     Role::Spin, 1, 1, 0},
    {Text("mic_sens_unit", "dB"), Role::Unit, 1, 1, kNoValue},
    {Text("mic_f1_label", "Parametric Filter 1"), Role::RowLabel, 2, 0, kNoValue},
    {Field(MicSettings::ID_F1_FREQ, "mic_f1freq", 80, "250"), Role::Value, 2, 1, 1},
    {Field(MicSettings::ID_F1_LEVEL, "mic_f1lev", 60, "0.0"), Role::Value, 2, 2, 4},
    {Field(MicSettings::ID_F1_Q, "mic_f1q", 50, "0.7"), Role::Value, 2, 3, 7},
    {Check(MicSettings::ID_F1_ACTIVE, "mic_f1act"), Role::Value, 2, 4, 10},
    {Text("mic_f2_label", "Parametric Filter 2"), Role::RowLabel, 3, 0, kNoValue},
    {Field(MicSettings::ID_F2_FREQ, "mic_f2freq", 80, "1000"), Role::Value, 3, 1, 2},
    {Field(MicSettings::ID_F2_LEVEL, "mic_f2lev", 60, "0.0"), Role::Value, 3, 2, 5},
    {Field(MicSettings::ID_F2_Q, "mic_f2q", 50, "0.7"), Role::Value, 3, 3, 8},
    {Check(MicSettings::ID_F2_ACTIVE, "mic_f2act"), Role::Value, 3, 4, 11},
    {Text("mic_f3_label", "Parametric Filter 3"), Role::RowLabel, 4, 0, kNoValue},
    {Field(MicSettings::ID_F3_FREQ, "mic_f3freq", 80, "6000"), Role::Value, 4, 1, 3},
    {Field(MicSettings::ID_F3_LEVEL, "mic_f3lev", 60, "0.0"), Role::Value, 4, 2, 6},
    {Field(MicSettings::ID_F3_Q, "mic_f3q", 50, "0.7"), Role::Value, 4, 3, 9},
    {Check(MicSettings::ID_F3_ACTIVE, "mic_f3act"), Role::Value, 4, 4, 12},
    {Button(MicSettings::ID_CONFIRM, "Confirm_Button", "Confirm"), Role::Button, 5, 0, kNoValue},
    {Button(MicSettings::ID_CANCEL, "CancelButton", "Cancel"), Role::Button, 5, 1, kNoValue},
    {{.kind = Kind::Label, .name = "mic_status", .flags = ctl::kNoAutoResize}, Role::Status, 5, 0,
     kNoValue},
};
// clang-format on
constexpr int kRows = 5;
constexpr int kColumns = 5;

// How the messages of the dialog name a value: by its row and its column.
constexpr const char* kRowNames[kRows] = {"", "sensitivity", "filter 1", "filter 2", "filter 3"};
constexpr const char* kColumnNames[kColumns] = {"", "frequency", "level", "Q", "active"};

const Cell& ValueCell(std::size_t index) {
    for (const Cell& c : kCells) {
        if (c.value == static_cast<int>(index))
            return c;
    }
    return kCells[0];  // every index has its control
}

std::string ValueName(std::size_t index) {
    const Cell& c = ValueCell(index);
    if (c.role == Role::Spin)
        return kRowNames[c.row];
    return std::string(kRowNames[c.row]) + " " + kColumnNames[c.column];
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
    std::string text = "Only " + std::to_string(written) + " of " + std::to_string(kMicValueCount) +
                       " values were written";
    text += written == 0 ? "" : ": " + Listed(names);
    return text + ". The others keep their old values on the device. Confirm writes all again.";
}

}  // namespace

MicSettings::MicSettings(wxWindow* parent, DeviceAccess& device)
    : DeviceDialog(parent, device, kTitle, wxSize(kWidth, kHeight)) {
    CreateControls();
    SetEscapeId(ID_CANCEL);
    Bind(wxEVT_BUTTON, &MicSettings::OnConfirm, this, ID_CONFIRM);
    Bind(wxEVT_BUTTON, &MicSettings::OnCancel, this, ID_CANCEL);
    Bind(wxEVT_TEXT_ENTER, &MicSettings::OnEnter, this, ID_F1_FREQ, ID_F3_Q);
    SetState(State::Closed);
}

MicSettings::~MicSettings() = default;

void MicSettings::CreateControls() {
    wxWindow* rowLabels[kRows] = {};
    wxWindow* headings[kColumns] = {};
    for (const Cell& c : kCells) {
        wxWindow* window = Controls().Add(c.control);
        cells_.push_back(window);
        if (c.role == Role::RowLabel)
            rowLabels[c.row] = window;
        if (c.role == Role::Heading)
            headings[c.column] = window;
        if (c.value != kNoValue)
            controls_[c.value] = window;
    }
    // A value is named by its row and its column, as a person reads the grid; the row's
    // label is the caption that labels it.
    for (const Cell& c : kCells) {
        if (c.value == kNoValue)
            continue;
        wxString name = rowLabels[c.row]->GetLabel();
        if (c.role != Role::Spin)
            name += " " + headings[c.column]->GetLabel();
        SetAccessibleName(controls_[c.value], name, rowLabels[c.row]);
    }
    confirm_ = static_cast<wxButton*>(FindWindow(ID_CONFIRM));
    cancel_ = static_cast<wxButton*>(FindWindow(ID_CANCEL));
    status_ = static_cast<wxStaticText*>(cells_.back());
    LayOut();
}

// Each column is as wide as its heading or its widest control, each row as high as its
// tallest control; the sensitivity's spin box and unit may reach into the next column, which
// that row leaves empty.
wxSizer* MicSettings::Grid() const {
    auto* grid = new wxGridBagSizer(kRowGap, kColumnGap);
    wxBoxSizer* spin = nullptr;
    for (std::size_t i = 0; i < std::size(kCells); ++i) {
        const Cell& c = kCells[i];
        const wxGBPosition at(c.row, c.column);
        if (c.role == Role::RowLabel)
            grid->Add(cells_[i], at, wxDefaultSpan, wxALIGN_CENTER_VERTICAL);
        if (c.role == Role::Heading || c.role == Role::Value)
            grid->Add(cells_[i], at, wxDefaultSpan, wxALIGN_CENTER);
        if (c.role == Role::Spin) {
            spin = new wxBoxSizer(wxHORIZONTAL);
            spin->Add(cells_[i], 0, wxALIGN_CENTER_VERTICAL);
            grid->Add(spin, at, wxGBSpan(1, 2), wxALIGN_CENTER_VERTICAL);
        }
        if (c.role == Role::Unit)
            spin->Add(cells_[i], 0, wxALIGN_CENTER_VERTICAL | wxLEFT, kUnitGap);
    }
    return grid;
}

// Below the grid the status line, across the dialog, as high as the longest text it shows
// wrapped to that width; below it the buttons, of one size, at the right.
void MicSettings::LayOut() {
    wxSizer* grid = Grid();
    const int width = std::max(kWidth, grid->GetMinSize().x + 2 * kMargin);
    status_->SetLabel(PartialWriteText(kMicValueCount - 1));
    status_->Wrap(width - 2 * kMargin);
    status_->SetMinSize(wxSize(width - 2 * kMargin, ctl::TextSize(status_->GetLabel()).y));
    status_->SetLabel("");

    const wxSize buttonSize(
        std::max({kButtonWidth, confirm_->GetBestSize().x, cancel_->GetBestSize().x}),
        std::max(confirm_->GetBestSize().y, cancel_->GetBestSize().y));
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    for (wxButton* button : {confirm_, cancel_}) {
        button->SetMinSize(buttonSize);
        buttons->Add(button, 0, button == cancel_ ? wxLEFT : 0, kButtonGap);
    }

    auto* column = new wxBoxSizer(wxVERTICAL);
    column->SetMinSize(wxSize(kWidth, kHeight));
    column->Add(grid, 0, wxLEFT | wxRIGHT | wxTOP, kMargin);
    column->AddSpacer(kRowGap);
    column->Add(status_, 0, wxLEFT | wxRIGHT, kMargin);
    column->AddSpacer(kRowGap);
    column->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, kMargin);
    Panel()->SetSizer(column);
    // Fixed size; where the faces in use leave less room than the controls need, the
    // dialog grows instead of cutting them off.
    FixSize(column->GetMinSize());
    Panel()->Layout();
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
    if (!show)
        SetState(State::Closed);
    return DeviceDialog::Show(show);
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

void MicSettings::StartRead() {
    SetTitle(TypeTitle(type_));
    // Nothing of another type stays in view while this one is read.
    ClearValues();
    SetState(State::Reading);
    SetStatus(wxString::Format("Reading the settings of type '%c' from the device...",
                               static_cast<char>(MicTypeLetter(type_) - 'a' + 'A')));
    // Only this read's result shows, not that of one for another type still on its way.
    DropResults();
    const int type = type_;
    const bool queued =
        Exchange(UnlessCancelled([type](DeviceConnection& connection, Progress& progress) {
                     return ReadMicCalibration(connection, type, progress);
                 }),
                 [this](const std::optional<MicReadResult>& result) {
                     if (result)
                         ReadFinished(*result);
                 });
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
            ShowValid(field, kValid);
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
            if (auto* field = dynamic_cast<wxTextCtrl*>(control)) {
                field->ChangeValue(Wx(ValueCell(i).control.text));
                MarkInvalid(field);
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
        if (check.valid)
            ShowValid(field, kValid);
        else
            MarkInvalid(field);
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
    const bool queued = Exchange(UnlessCancelled([type, texts](DeviceConnection& connection) {
                                     return WriteMicCalibration(connection, type, texts);
                                 }),
                                 [this](const std::optional<MicWriteResult>& result) {
                                     if (result)
                                         WriteFinished(*result);
                                 });
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
        Device().CancelJobs();
    Hide();
}

}  // namespace vyr

#include "dev_info_dialog.h"

#include <algorithm>
#include <optional>
#include <vector>

#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/stattext.h>

#include "ui/fonts.h"

namespace vyr {
namespace {

constexpr char kTitle[] = "Device information";
constexpr int kWidth = 380;
constexpr int kHeight = 315;
constexpr int kMargin = 14;
constexpr int kTop = 16;
constexpr int kRowHeight = 30;
constexpr int kColumnGap = 10;
constexpr int kButtonTop = 256;
constexpr int kButtonGap = 16;
// The widest value expected: a power line, or firmware texts of this many characters.
constexpr char kWidestValue[] = "100% :: 0x11170 :: 0x11170 ";

struct Row {
    const char* captionName;
    int captionId;
    const char* valueName;
    int valueId;
};

using ctl::Kind;
using ctl::TextSize;

// In display order, the order of DeviceInformation::Line.
constexpr Row kRows[DeviceInformation::kLineCount] = {
    {"devDlgSW", 1001, "devDlgSWVer", 1002},
    {"devDlgHW", 1003, "devDlgHWVer", 1004},
    {"devDlgBW", 1007, "devDlgSerNum", 1008},
    {"devDlgType", 1009, "devDlgTypeVer", 1010},
    {"devDlgAData", 1012, "devDlgADataValue", 1013},
    {"devDlgBData", 1014, "devDlgBDataValue", 1015},
    {"devDlgCData", 1016, "devDlgCDataValue", 1017},
};

// The device's texts are 8-bit, one character a byte: every byte shows as something.
wxString DeviceText(const std::string& text) {
    return wxString(text.data(), wxConvISO8859_1, text.size());
}

const char* Caption(int line) {
    return DeviceInformation::Caption(static_cast<DeviceInformation::Line>(line));
}

// The rows: the caption column as wide as its longest caption, the value column as wide as
// the widest value, a value named by its caption; then the buttons, placed afterwards.
std::vector<ctl::Row> ControlRows(int valueLeft, int valueWidth) {
    std::vector<ctl::Row> rows;
    for (int line = 0; line < DeviceInformation::kLineCount; ++line) {
        const Row& row = kRows[line];
        const int y = kTop + line * kRowHeight;
        rows.push_back({.kind = Kind::Label,
                        .id = row.captionId,
                        .name = row.captionName,
                        .x = kMargin,
                        .y = y,
                        .text = Caption(line),
                        .flags = ctl::kNoAutoResize,
                        .font = ctl::Font::Bold});
        // A value longer than its column ends in an ellipsis; the clipboard has it whole.
        rows.push_back({.kind = Kind::Label,
                        .id = row.valueId,
                        .name = row.valueName,
                        .x = valueLeft,
                        .y = y,
                        .width = valueWidth,
                        .height = TextSize(fonts::Fixed(), kWidestValue).y,
                        .flags = ctl::kNoAutoResize | ctl::kEllipsizeEnd,
                        .caption = row.captionId,
                        .font = ctl::Font::Fixed});
    }
    rows.push_back({.kind = Kind::Button,
                    .id = DevInfoDialog::ID_CLIPBOARD_BT,
                    .name = "devDlgClipboardBt",
                    .text = "Copy To Clipboard"});
    rows.push_back({.kind = Kind::Button,
                    .id = DevInfoDialog::ID_OKAY_BT,
                    .name = "devDlgOkayBt",
                    .text = "OK"});
    return rows;
}

}  // namespace

DevInfoDialog::DevInfoDialog(wxWindow* parent, DeviceAccess& device)
    : DeviceDialog(parent, device, kTitle, wxSize(kWidth, kHeight), Placement::OnScreen),
      timer_(this, ID_MEASUREMENT_TIMER),
      retry_(this) {
    CreateControls();
    Bind(wxEVT_BUTTON, &DevInfoDialog::OnCopy, this, ID_CLIPBOARD_BT);
    Bind(wxEVT_BUTTON, &DevInfoDialog::OnOk, this, ID_OKAY_BT);
    Bind(wxEVT_TIMER, &DevInfoDialog::OnTimer, this, ID_MEASUREMENT_TIMER);
    Bind(
        wxEVT_TIMER, [this](wxTimerEvent&) { Measure(); }, retry_.GetId());
    Reset();
}

DevInfoDialog::~DevInfoDialog() {
    timer_.Stop();
    retry_.Stop();
}

void DevInfoDialog::CreateControls() {
    // Where the faces in use need more than the dialog's width, it grows.
    int captionWidth = 0;
    for (int line = 0; line < DeviceInformation::kLineCount; ++line)
        captionWidth = std::max(captionWidth, TextSize(fonts::BoldUi(), Caption(line)).x);
    const int valueLeft = kMargin + captionWidth + kColumnGap;
    const int valueWidth =
        std::max(kWidth - valueLeft - kMargin, TextSize(fonts::Fixed(), kWidestValue).x);
    Build(ControlRows(valueLeft, valueWidth));
    for (int line = 0; line < DeviceInformation::kLineCount; ++line) {
        captions_[line] = static_cast<wxStaticText*>(FindWindow(kRows[line].captionId));
        values_[line] = static_cast<wxStaticText*>(FindWindow(kRows[line].valueId));
    }
    copy_ = static_cast<wxButton*>(FindWindow(ID_CLIPBOARD_BT));
    ok_ = static_cast<wxButton*>(FindWindow(ID_OKAY_BT));
    PlaceButtons(std::max(kWidth, valueLeft + valueWidth + kMargin));
}

// Centred side by side below the rows; OK at least 90 wide.
void DevInfoDialog::PlaceButtons(int width) {
    const wxSize copySize = copy_->GetBestSize();
    const wxSize okSize(std::max(ok_->GetBestSize().x, 90), ok_->GetBestSize().y);
    const int buttonsLeft = (width - copySize.x - kButtonGap - okSize.x) / 2;
    copy_->SetSize(buttonsLeft, kButtonTop, copySize.x, copySize.y);
    ok_->SetSize(buttonsLeft + copySize.x + kButtonGap, kButtonTop, okSize.x, okSize.y);
    const int height = std::max(kHeight, kButtonTop + std::max(copySize.y, okSize.y) + kMargin);
    FixSize(wxSize(width, height));
}

bool DevInfoDialog::Show(bool show) {
    if (show && !IsShown()) {
        timer_.Start(kTickMs);
    } else if (!show) {
        timer_.Stop();
        retry_.Stop();
    }
    const bool changed = DeviceDialog::Show(show);
    if (show)
        ok_->SetDefault();
    return changed;
}

void DevInfoDialog::Reset() {
    DropResults();
    info_.Reset();
    ShowValues();
}

bool DevInfoDialog::Tick() {
    if (Measure())
        return true;
    if (IsShown())
        retry_.StartOnce(kRetryMs);
    return false;
}

bool DevInfoDialog::Measure() {
    if (!Device().MayRunJob())
        return false;
    return Exchange(UnlessCancelled([info = info_](DeviceConnection& connection) mutable {
                        info.Tick(connection);
                        return info;
                    }),
                    [this](const std::optional<DeviceInformation>& info) {
                        if (!info)
                            return;
                        info_ = *info;
                        ShowValues();
                    });
}

void DevInfoDialog::ShowValues() {
    for (int line = 0; line < DeviceInformation::kLineCount; ++line) {
        const wxString text = DeviceText(info_.Value(static_cast<DeviceInformation::Line>(line)));
        if (values_[line]->GetLabel() != text)
            values_[line]->SetLabel(text);
    }
}

void DevInfoDialog::OnCopy(wxCommandEvent&) {
    if (!wxTheClipboard->Open())
        return;
    wxTheClipboard->SetData(new wxTextDataObject(DeviceText(info_.ClipboardText())));
    wxTheClipboard->Close();
}

void DevInfoDialog::OnOk(wxCommandEvent&) {
    Hide();
}

void DevInfoDialog::OnTimer(wxTimerEvent&) {
    Tick();
}

}  // namespace vyr

#include "dev_info_dialog.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/dcmemory.h>
#include <wx/panel.h>
#include <wx/stattext.h>

#include "ui/dialog_size.h"
#include "ui/accessible.h"
#include "ui/fonts.h"
#include "ui/gtk_style.h"

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

wxSize TextSize(const wxFont& font, const wxString& text) {
    wxMemoryDC dc;
    dc.SetFont(font);
    return dc.GetTextExtent(text) + wxSize(2, 0);  // the toolkit's rounding
}

// The device's texts are 8-bit, one character a byte: every byte shows as something.
wxString DeviceText(const std::string& text) {
    return wxString(text.data(), wxConvISO8859_1, text.size());
}

}  // namespace

DevInfoDialog::DevInfoDialog(wxWindow* parent, DeviceAccess& device)
    : wxDialog(parent, ID_DIALOG, kTitle, wxDefaultPosition, wxSize(kWidth, kHeight),
               wxCAPTION | wxSTAY_ON_TOP | wxDIALOG_NO_PARENT),
      device_(device),
      timer_(this, ID_MEASUREMENT_TIMER),
      retry_(this) {
    UseCompactStyle(this);
    SetFont(fonts::Ui());
    CreateControls();
    Bind(wxEVT_BUTTON, &DevInfoDialog::OnCopy, this, ID_CLIPBOARD_BT);
    Bind(wxEVT_BUTTON, &DevInfoDialog::OnOk, this, ID_OKAY_BT);
    Bind(wxEVT_TIMER, &DevInfoDialog::OnTimer, this, ID_MEASUREMENT_TIMER);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Measure(); }, retry_.GetId());
    Reset();
}

DevInfoDialog::~DevInfoDialog() {
    timer_.Stop();
    retry_.Stop();
}

void DevInfoDialog::CreateControls() {
    auto* panel = new wxPanel(this, wxID_ANY, wxPoint(0, 0), wxSize(kWidth, kHeight));
    // The caption column is as wide as its longest caption, the value column as wide as the
    // widest value; where the faces in use need more than the dialog's width, it grows.
    int captionWidth = 0;
    for (int line = 0; line < DeviceInformation::kLineCount; ++line) {
        const char* caption = DeviceInformation::Caption(static_cast<DeviceInformation::Line>(line));
        captionWidth = std::max(captionWidth, TextSize(fonts::BoldUi(), caption).x);
    }
    const int valueLeft = kMargin + captionWidth + kColumnGap;
    const int valueWidth =
        std::max(kWidth - valueLeft - kMargin, TextSize(fonts::Fixed(), kWidestValue).x);
    const int width = std::max(kWidth, valueLeft + valueWidth + kMargin);

    for (int line = 0; line < DeviceInformation::kLineCount; ++line) {
        const Row& row = kRows[line];
        const wxString caption =
            DeviceInformation::Caption(static_cast<DeviceInformation::Line>(line));
        const int y = kTop + line * kRowHeight;
        const wxSize captionSize = TextSize(fonts::BoldUi(), caption);
        captions_[line] = new wxStaticText(panel, row.captionId, caption, wxPoint(kMargin, y),
                                           captionSize, wxST_NO_AUTORESIZE, row.captionName);
        captions_[line]->SetFont(fonts::BoldUi());
        // A value longer than its column ends in an ellipsis; the clipboard has it whole.
        values_[line] = new wxStaticText(
            panel, row.valueId, "", wxPoint(valueLeft, y),
            wxSize(valueWidth, TextSize(fonts::Fixed(), kWidestValue).y),
            wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END, row.valueName);
        values_[line]->SetFont(fonts::Fixed());
        SetAccessibleName(values_[line], caption, captions_[line]);
    }

    copy_ = new wxButton(panel, ID_CLIPBOARD_BT, "Copy To Clipboard", wxDefaultPosition,
                         wxDefaultSize, 0, wxDefaultValidator, "devDlgClipboardBt");
    ok_ = new wxButton(panel, ID_OKAY_BT, "OK", wxDefaultPosition, wxDefaultSize, 0,
                       wxDefaultValidator, "devDlgOkayBt");
    const wxSize copySize = copy_->GetBestSize();
    const wxSize okSize(std::max(ok_->GetBestSize().x, 90), ok_->GetBestSize().y);
    const int buttonsLeft = (width - copySize.x - kButtonGap - okSize.x) / 2;
    copy_->SetSize(buttonsLeft, kButtonTop, copySize.x, copySize.y);
    ok_->SetSize(buttonsLeft + copySize.x + kButtonGap, kButtonTop, okSize.x, okSize.y);

    const int height = std::max(kHeight, kButtonTop + std::max(copySize.y, okSize.y) + kMargin);
    // Fixed size. Where the window manager's frame leaves less room than the controls need,
    // the dialog grows instead of cutting them off.
    FixDialogSize(*this, *panel, wxSize(width, height));
}

bool DevInfoDialog::Show(bool show) {
    if (show && !IsShown()) {
        CentreOnScreen(wxBOTH);
        timer_.Start(kTickMs);
    } else if (!show) {
        timer_.Stop();
        retry_.Stop();
        ++*generation_;
    }
    const bool changed = wxDialog::Show(show);
    if (show)
        ok_->SetDefault();
    return changed;
}

void DevInfoDialog::Reset() {
    ++*generation_;
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
    if (!device_.MayRunJob())
        return false;
    const std::weak_ptr<unsigned> current = generation_;
    const unsigned generation = *generation_;
    return device_.RunJob([this, current, generation, info = info_](
                              DeviceConnection& connection,
                              Progress& progress) mutable -> DeviceAccess::GuiStep {
        if (progress.CancelRequested())
            return {};
        info.Tick(connection);
        return [this, current, generation, info] {
            const auto latest = current.lock();
            if (!latest || *latest != generation)
                return;
            info_ = info;
            ShowValues();
        };
    });
}

void DevInfoDialog::ShowValues() {
    for (int line = 0; line < DeviceInformation::kLineCount; ++line) {
        const wxString text =
            DeviceText(info_.Value(static_cast<DeviceInformation::Line>(line)));
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

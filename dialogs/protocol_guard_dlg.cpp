#include "protocol_guard_dlg.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "ui/fonts.h"

namespace vyr {
namespace {

using ctl::Kind;

constexpr int kDialogId = 1;
const wxSize kDialogSize(585, 325);

// The inner panel inside the dialog's client area, with this much room kept free right of
// and below it.
constexpr int kInnerLeft = 10;
constexpr int kInnerTop = 10;
constexpr int kInnerWidth = 540;
constexpr int kInnerHeight = 280;
constexpr int kMargin = 10;

// Stands until the explanation is set, so that a label never set shows.
constexpr char kPlaceholder[] = "err_action----------------------------------------";

// Inside the inner panel. GTK buttons need a little more height than the layout gives; there
// is room below.
// clang-format off
constexpr ctl::Row kControls[] = {
    {.kind = Kind::Panel, .name = "panel", .key = "inner", .x = kInnerLeft, .y = kInnerTop,
     .width = kInnerWidth, .height = kInnerHeight},
    {.kind = Kind::Label, .id = ProtocolGuardDlg::ID_ERR_ACTION, .name = "err_action",
     .parent = "inner", .x = 17, .y = 12, .text = kPlaceholder, .font = ctl::Font::Large},
    {.kind = Kind::TextField, .id = ProtocolGuardDlg::ID_ERR_LOG, .name = "err_log",
     .parent = "inner", .x = 12, .y = 81, .width = 525, .height = 129,
     .flags = ctl::kMultiline | ctl::kReadOnly | ctl::kScrollBars},
    {.kind = Kind::Button, .id = ProtocolGuardDlg::ID_OK, .name = "OK", .parent = "inner",
     .x = 221, .y = 235, .width = 90, .height = 25, .text = "OK", .flags = ctl::kFitHeight},
};
// clang-format on

// The log as the text field shows it. The toolkit ends a text at a NUL character, so a NUL
// from a damaged value is shown as the "symbol for null" instead of hiding the rest of the log.
wxString LogText(const std::wstring& log) {
    std::wstring shown = log;
    std::replace(shown.begin(), shown.end(), L'\0', L'\u2400');
    return wxString(shown);
}

}  // namespace

ProtocolGuardDlg::ProtocolGuardDlg(wxWindow* parent, const GuardLog& guard)
    : TableDialog(parent, kDialogId, "Vyr protocol guard", kDialogSize,
                  wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    Build(kControls);
    explanation_ = static_cast<wxStaticText*>(FindWindow(ID_ERR_ACTION));
    log_ = static_cast<wxTextCtrl*>(FindWindow(ID_ERR_LOG));
    ok_ = static_cast<wxButton*>(FindWindow(ID_OK));
    ok_->SetDefault();
    explanation_->SetLabelText(wxString(guard.Explanation()));
    explanation_->SetSize(ctl::TextSize(fonts::LargeUi(), explanation_->GetLabelText()));
    log_->ChangeValue(LogText(guard.Log()));
    // Where the window manager's frame leaves less room than the inner panel needs, the
    // dialog grows instead of cutting it off.
    FixSize(kDialogSize,
            wxSize(kInnerLeft + kInnerWidth + kMargin, kInnerTop + kInnerHeight + kMargin));

    // Enter, Escape and the close box all press OK.
    SetAffirmativeId(ID_OK);
    SetEscapeId(ID_OK);
    Bind(wxEVT_BUTTON, &ProtocolGuardDlg::OnOk, this, ID_OK);
}

void ProtocolGuardDlg::OnOk(wxCommandEvent&) {
    if (IsModal())
        EndModal(0);
    else
        Hide();
}

void ShowGuard(wxWindow* parent, const GuardLog& guard) {
    if (guard.Empty())
        return;
    // On the stack: the modal loop ends before this returns, and the dialog goes with it.
    ProtocolGuardDlg dialog(parent, guard);
    dialog.CentreOnParent(wxBOTH);
    dialog.ShowModal();
}

}  // namespace vyr

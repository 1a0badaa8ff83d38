#include "protocol_guard_dlg.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "ui/fonts.h"
#include "ui/gtk_style.h"

namespace vyr {
namespace {

constexpr int kDialogId = 1;
const wxSize kDialogSize(585, 325);

// Inside the dialog's client area.
const wxPoint kInnerPos(10, 10);
const wxSize kInnerSize(540, 280);

// Inside the inner panel.
const wxPoint kExplanationPos(17, 12);
const wxPoint kLogPos(12, 81);
const wxSize kLogSize(525, 129);
const wxPoint kOkPos(221, 235);
const wxSize kOkSize(90, 25);

// Room kept free right of and below the inner panel.
constexpr int kMargin = 10;

// Stands until the explanation is set, so that a label never set shows.
constexpr char kPlaceholder[] = "err_action----------------------------------------";

// The size `text` needs in `font`: two pixels more in width for the toolkit's rounding.
wxSize TextExtent(const wxString& text, const wxFont& font) {
    wxMemoryDC dc;
    dc.SetFont(font);
    return dc.GetMultiLineTextExtent(text) + wxSize(2, 0);
}

// The log as the text field shows it. The toolkit ends a text at a NUL character, so a NUL
// from a damaged value is shown as the "symbol for null" instead of hiding the rest of the log.
wxString LogText(const std::wstring& log) {
    std::wstring shown = log;
    std::replace(shown.begin(), shown.end(), L'\0', L'\u2400');
    return wxString(shown);
}

}  // namespace

ProtocolGuardDlg::ProtocolGuardDlg(wxWindow* parent, const GuardLog& guard)
    : wxDialog(parent, kDialogId, "Vyr protocol guard", wxDefaultPosition, kDialogSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    UseCompactStyle(this);
    SetFont(fonts::Ui());
    CreateControls();
    explanation_->SetLabelText(wxString(guard.Explanation()));
    // Sized by its text in its own font: the toolkit would measure in its default font until
    // the label is first shown.
    explanation_->SetSize(TextExtent(explanation_->GetLabelText(), explanation_->GetFont()));
    log_->ChangeValue(LogText(guard.Log()));

    // Fixed size. Where the window manager's frame leaves less room than the inner panel needs,
    // the dialog grows instead of cutting it off.
    SetSize(kDialogSize);
    const wxSize client = GetClientSize();
    const wxSize needed(kInnerPos.x + kInnerSize.x + kMargin, kInnerPos.y + kInnerSize.y + kMargin);
    if (client.x < needed.x || client.y < needed.y)
        SetClientSize(wxSize(std::max(client.x, needed.x), std::max(client.y, needed.y)));
    SetSizeHints(GetSize(), GetSize());
    outer_->SetSize(GetClientSize());

    // Enter, Escape and the close box all press OK.
    SetAffirmativeId(ID_OK);
    SetEscapeId(ID_OK);
    Bind(wxEVT_BUTTON, &ProtocolGuardDlg::OnOk, this, ID_OK);
}

void ProtocolGuardDlg::CreateControls() {
    outer_ = new wxPanel(this, wxID_ANY, wxPoint(0, 0), kDialogSize, wxTAB_TRAVERSAL, "panel");
    outer_->SetFont(fonts::Ui());
    inner_ = new wxPanel(outer_, wxID_ANY, kInnerPos, kInnerSize, wxTAB_TRAVERSAL, "panel");
    inner_->SetFont(fonts::Ui());

    explanation_ = new wxStaticText(inner_, ID_ERR_ACTION, kPlaceholder, kExplanationPos,
                                    wxDefaultSize, 0, "err_action");
    explanation_->SetFont(fonts::LargeUi());

    log_ = new wxTextCtrl(inner_, ID_ERR_LOG, wxEmptyString, kLogPos, kLogSize,
                          wxTE_MULTILINE | wxTE_READONLY | wxHSCROLL | wxVSCROLL,
                          wxDefaultValidator, "err_log");
    log_->SetFont(fonts::Ui());

    ok_ = new wxButton(inner_, ID_OK, "OK", kOkPos, kOkSize, 0, wxDefaultValidator, "OK");
    ok_->SetFont(fonts::Ui());
    ok_->SetDefault();
    // GTK buttons need a little more height than the layout gives; there is room below.
    ok_->SetSize(kOkSize.x, std::max(kOkSize.y, ok_->GetBestSize().y));
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

#include "ui/job_progress.h"

#include <algorithm>

#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/progdlg.h>

#include "settings/catalogue.h"
#include "ui/wx_text.h"

namespace vyr {
namespace {

// The gauge counts in thousandths, whatever the number of exchanges.
constexpr int kGaugeRange = 1000;
constexpr int kStyle = wxPD_CAN_ABORT | wxPD_AUTO_HIDE | wxPD_ELAPSED_TIME |
                       wxPD_REMAINING_TIME | wxPD_SMOOTH;

}  // namespace

std::string ProgressText(const ProgressReport& report) {
    std::string text = std::to_string(report.done) + " of " + std::to_string(report.total);
    if (!report.key.empty())
        text += "\n" + report.key + ", " + std::string(PresetName(report.preset));
    return text;
}

JobProgress::JobProgress(wxWindow* parent, std::string_view title, std::function<void()> cancel,
                         bool onTop) {
    auto* dialog = new wxProgressDialog(Wx(title), "Waiting for the device", kGaugeRange, parent,
                                        kStyle);
    if (onTop)
        dialog->SetWindowStyleFlag(dialog->GetWindowStyleFlag() | wxSTAY_ON_TOP);
    dialog->SetName("transfer_progress");
    dialog->Bind(wxEVT_BUTTON, [cancel](wxCommandEvent& event) {
        event.Skip();
        cancel();
    }, wxID_CANCEL);
    dialog->Bind(wxEVT_CLOSE_WINDOW, [cancel](wxCloseEvent& event) {
        event.Skip();
        cancel();
    });
    dialog_ = dialog;
    HoldWindows(parent != nullptr ? wxGetTopLevelParent(parent) : nullptr, dialog);
}

// The dialog disables the window under it, which then ignores its close box too. That window
// stays enabled instead, so that closing it reaches it (it cancels the job and closes), and
// what it holds is disabled, as are the program's other windows.
void JobProgress::HoldWindows(wxWindow* window, wxWindow* dialog) {
    const auto hold = [this](wxWindow* each) {
        if (each->IsEnabled()) {
            each->Disable();
            held_.emplace_back(each);
        }
    };
    for (wxWindow* top : wxTopLevelWindows) {
        if (top != dialog && top != window)
            hold(top);
    }
    if (window == nullptr)
        return;
    window->Enable();
    for (wxWindow* child : window->GetChildren()) {
        if (child != dialog && !child->IsTopLevel())
            hold(child);
    }
    if (auto* frame = dynamic_cast<wxFrame*>(window); frame && frame->GetMenuBar())
        hold(frame->GetMenuBar());
}

JobProgress::~JobProgress() {
    if (wxProgressDialog* dialog = dialog_.get()) {
        dialog_.Release();
        // Deleted at once, so that the windows it disabled are usable again right away.
        delete dialog;
    }
    for (const wxWeakRef<wxWindow>& window : held_) {
        if (window)
            window->Enable();
    }
}

void JobProgress::Show(const ProgressReport& report) {
    wxProgressDialog* dialog = dialog_.get();
    if (!dialog)
        return;
    const int value =
        report.total > 0
            ? static_cast<int>(std::min<long long>(
                  kGaugeRange, static_cast<long long>(report.done) * kGaugeRange / report.total))
            : 0;
    const std::shared_ptr<int> updating = updating_;
    ++*updating;
    dialog->Update(value, Wx(ProgressText(report)));
    --*updating;
}

}  // namespace vyr

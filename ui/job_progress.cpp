#include "ui/job_progress.h"

#include <algorithm>

#include <wx/progdlg.h>

#include "settings/catalogue.h"
#include "ui/wx_text.h"

namespace vyr {
namespace {

// The gauge counts in thousandths, whatever the number of exchanges.
constexpr int kGaugeRange = 1000;
constexpr int kStyle = wxPD_CAN_ABORT | wxPD_APP_MODAL | wxPD_AUTO_HIDE | wxPD_ELAPSED_TIME |
                       wxPD_REMAINING_TIME | wxPD_SMOOTH;

}  // namespace

std::string ProgressText(const ProgressReport& report) {
    std::string text = std::to_string(report.done) + " of " + std::to_string(report.total);
    if (!report.key.empty())
        text += "\n" + report.key + ", " + std::string(PresetName(report.preset));
    return text;
}

JobProgress::JobProgress(wxWindow* parent, std::string_view title, std::function<void()> cancel) {
    auto* dialog = new wxProgressDialog(Wx(title), "Waiting for the device", kGaugeRange, parent,
                                        kStyle);
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
}

JobProgress::~JobProgress() {
    if (wxProgressDialog* dialog = dialog_.get()) {
        dialog_.Release();
        // Deleted at once, so that the windows it disabled are usable again right away.
        delete dialog;
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

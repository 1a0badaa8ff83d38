// The progress dialog of a long device job (a settings transfer, the backup before a firmware
// update): how far the job is, the value moving now, elapsed and remaining time, and Cancel.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <wx/weakref.h>

#include "device/worker.h"

class wxProgressDialog;
class wxWindow;

namespace vyr {

class JobProgress {
  public:
    // Opens the dialog over `parent`, modal for the whole program, except that the window of
    // `parent` still hears a close request: its content is disabled instead of the window. `cancel` runs when
    // the person presses Cancel or Escape or closes the dialog; the job's result then closes
    // it. With `onTop` the dialog stays above windows that stay on top themselves.
    JobProgress(wxWindow* parent, std::string_view title, std::function<void()> cancel,
                bool onTop = false);
    // Closes the dialog.
    ~JobProgress();
    JobProgress(const JobProgress&) = delete;
    JobProgress& operator=(const JobProgress&) = delete;

    // Shows one report. The toolkit handles events meanwhile.
    void Show(const ProgressReport& report);
    // Inside Show: a result arriving now must wait until Show has returned.
    bool Updating() const { return *updating_ > 0; }

    wxProgressDialog* Dialog() const { return dialog_.get(); }

  private:
    void HoldWindows(wxWindow* window, wxWindow* dialog);

    wxWeakRef<wxProgressDialog> dialog_;
    std::vector<wxWeakRef<wxWindow>> held_;  // disabled for the dialog, enabled after it
    // Shared with a running Show, which may outlive this object when the events it lets the
    // toolkit handle close the dialog.
    std::shared_ptr<int> updating_ = std::make_shared<int>(0);
};

// The dialog's text for one report: "412 of 860" and, when a value moves, its key and preset
// ("rec_mic_level, PRESET 4").
std::string ProgressText(const ProgressReport& report);

}  // namespace vyr

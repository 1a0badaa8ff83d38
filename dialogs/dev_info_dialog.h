// The device information dialog: versions, serial number, hardware type and the three power
// lines, measured once a second while it is shown, and copied to the clipboard on request.
// Created once by the main window, hidden; shown from the menu; closed only with OK.
#pragma once

#include <array>

#include <wx/timer.h>

#include "device/device_info.h"
#include "dialogs/device_dialog.h"

class wxButton;
class wxStaticText;

namespace vyr {

class DevInfoDialog : public DeviceDialog {
  public:
    enum Ids {
        ID_DIALOG = 1,
        ID_CLIPBOARD_BT = 1005,
        ID_OKAY_BT = 1006,
        ID_MEASUREMENT_TIMER = 1011,
    };
    static constexpr int kTickMs = 1000;
    // A tick skipped because another job was in flight is tried once more this much later,
    // so that a timer running in step with the keep-alive's cannot starve the measurement.
    static constexpr int kRetryMs = 200;

    // `parent` is the main window; `device` outlives the dialog. Created hidden and reset.
    DevInfoDialog(wxWindow* parent, DeviceAccess& device);
    ~DevInfoDialog() override;

    // Showing centres the dialog on the screen and starts the measurement timer; hiding
    // stops it and drops a measurement still in flight.
    bool Show(bool show = true) override;

    // "..." as the firmware, the other values empty; the next tick reads the identity.
    void Reset();
    // One measurement, run as a job on the connection. False when skipped: not connected,
    // or another job in flight; while shown, a skipped tick is tried once more after
    // kRetryMs.
    bool Tick();

    // DeviceView
    void ConnectionStarted() override { Reset(); }

    bool Measuring() const { return timer_.IsRunning() || retry_.IsRunning(); }
    wxStaticText* ValueControl(DeviceInformation::Line line) const { return values_[line]; }
    wxStaticText* CaptionControl(DeviceInformation::Line line) const { return captions_[line]; }
    wxButton* CopyButton() const { return copy_; }
    wxButton* OkButton() const { return ok_; }

  private:
    void CreateControls();
    void PlaceButtons(int width);
    void ShowValues();
    void OnCopy(wxCommandEvent& event);
    void OnOk(wxCommandEvent& event);
    void OnTimer(wxTimerEvent& event);
    bool Measure();

    DeviceInformation info_;
    wxTimer timer_;
    wxTimer retry_;
    std::array<wxStaticText*, DeviceInformation::kLineCount> captions_{};
    std::array<wxStaticText*, DeviceInformation::kLineCount> values_{};
    wxButton* copy_ = nullptr;
    wxButton* ok_ = nullptr;
};

}  // namespace vyr

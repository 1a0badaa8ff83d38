// The Clock page: the fields follow the computer's time while "Use host time" is checked,
// and "Sync now" sets the device clock, as a job on the connection's worker.
#pragma once

#include <functional>

#include <wx/timer.h>

#include "device/clock.h"

class wxButton;
class wxCheckBox;
class wxCommandEvent;
class wxDatePickerCtrl;
class wxSpinCtrl;

namespace vyr {

class ConnectionSession;
class ControlSet;

class ClockPage {
  public:
    static constexpr int kTimerId = 1252;
    static constexpr int kPeriodMs = 2000;

    // Finds the page's controls among `controls` and starts the host-time timer, which runs
    // until Stop. `alsoOnTick` runs on every tick as well, connected or not. "Sync now" runs
    // on `session`'s worker.
    ClockPage(const ControlSet& controls, ConnectionSession& session,
              std::function<void()> alsoOnTick);
    ~ClockPage();
    ClockPage(const ClockPage&) = delete;
    ClockPage& operator=(const ClockPage&) = delete;

    void Stop();
    bool Running() const { return timer_.IsRunning(); }

    // The host-time tick: with "Use host time" checked, the date and the spins show the
    // computer's time.
    void Tick();
    // What "Sync now" sends: the computer's time with its seconds, or the date and the spins
    // with second 0.
    DateTime Chosen() const;
    // "Sync now": sets the device clock when connected. False (nothing sent) otherwise.
    bool SyncNow();

  private:
    void ShowTime(const DateTime& when);
    void OnSyncNow(wxCommandEvent& event);

    ConnectionSession& session_;
    std::function<void()> alsoOnTick_;
    wxDatePickerCtrl* date_ = nullptr;
    wxSpinCtrl* hour_ = nullptr;
    wxSpinCtrl* minute_ = nullptr;
    wxCheckBox* useHostTime_ = nullptr;
    wxButton* syncNow_ = nullptr;
    wxTimer timer_;
};

}  // namespace vyr

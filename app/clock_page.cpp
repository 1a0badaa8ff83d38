#include "clock_page.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/datectrl.h>
#include <wx/spinctrl.h>

#include "control_set.h"
#include "device/session.h"

namespace vyr {

ClockPage::ClockPage(const ControlSet& controls, ConnectionSession& session,
                     std::function<void()> alsoOnTick)
    : session_(session),
      alsoOnTick_(std::move(alsoOnTick)),
      date_(controls.As<wxDatePickerCtrl>("DatePicker")),
      hour_(controls.As<wxSpinCtrl>("spin_rtc_hour")),
      minute_(controls.As<wxSpinCtrl>("spin_rtc_minute")),
      useHostTime_(controls.As<wxCheckBox>("rtc_use_realtime")),
      syncNow_(controls.As<wxButton>("rtc_sync_now")) {
    timer_.SetOwner(&timer_, kTimerId);
    timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Tick(); });
    syncNow_->Bind(wxEVT_BUTTON, &ClockPage::OnSyncNow, this);
    timer_.Start(kPeriodMs);
}

ClockPage::~ClockPage() {
    Stop();
}

void ClockPage::Stop() {
    timer_.Stop();
}

void ClockPage::Tick() {
    if (useHostTime_->GetValue())
        ShowTime(LocalNow());
    if (alsoOnTick_)
        alsoOnTick_();
}

void ClockPage::ShowTime(const DateTime& when) {
    minute_->SetValue(when.minute);
    hour_->SetValue(when.hour);
    date_->SetValue(wxDateTime(static_cast<wxDateTime::wxDateTime_t>(when.day),
                               static_cast<wxDateTime::Month>(when.month - 1), when.year));
}

DateTime ClockPage::Chosen() const {
    if (useHostTime_->GetValue())
        return LocalNow();
    const wxDateTime date = date_->GetValue();
    return {date.GetYear(), static_cast<int>(date.GetMonth()) + 1, date.GetDay(),
            hour_->GetValue(), minute_->GetValue(), 0};
}

bool ClockPage::SyncNow() {
    if (!session_.IsConnected())
        return false;
    session_.Worker().Run(
        [when = Chosen()](DeviceConnection& connection, Progress& progress) {
            if (!progress.CancelRequested())
                SetDeviceClock(connection, when);
        },
        [] {});
    return true;
}

void ClockPage::OnSyncNow(wxCommandEvent&) {
    SyncNow();
}

}  // namespace vyr

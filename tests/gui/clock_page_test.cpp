// The Clock page against the simulator: "Sync now" with the typed date and time or the
// computer's, nothing sent while not connected, and the fields following the computer's time.
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/datectrl.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>

#include "app/clock_page.h"
#include "gui_events.h"
#include "device_window.h"

namespace vyr::test {
namespace {

using namespace std::chrono_literals;

constexpr char kSetTimeRequest[] = "in  17 SETTIME text ";

class ClockPageTest : public DeviceWindowTest {
  protected:
    wxDatePickerCtrl* Date() { return Frame().ControlAs<wxDatePickerCtrl>("DatePicker"); }
    wxSpinCtrl* Hour() { return Frame().ControlAs<wxSpinCtrl>("spin_rtc_hour"); }
    wxSpinCtrl* Minute() { return Frame().ControlAs<wxSpinCtrl>("spin_rtc_minute"); }
    wxCheckBox* UseHostTime() { return Frame().ControlAs<wxCheckBox>("rtc_use_realtime"); }
    wxButton* SyncNow() { return Frame().ControlAs<wxButton>("rtc_sync_now"); }

    void TypeTime(int year, int month, int day, int hour, int minute) {
        Tick(UseHostTime(), false);
        Date()->SetValue(wxDateTime(static_cast<wxDateTime::wxDateTime_t>(day),
                                    static_cast<wxDateTime::Month>(month - 1), year));
        SpinTo(Hour(), hour);
        SpinTo(Minute(), minute);
    }
};

TEST_F(ClockPageTest, SyncNowSendsTheTypedDateAndTime) {
    Connect();
    TypeTime(2023, 12, 31, 23, 59);
    ClickButton(SyncNow());
    ASSERT_TRUE(PumpUntil([&] { return Requests(kSetTimeRequest) == 1; }));
    EXPECT_EQ(Requests(std::string(kSetTimeRequest) +
                       "\"date -s 2023.12.31-23:59:00; /chroma/scripts/sync_with_rtc\""),
              1);
    // The device's clock now runs from there; the keep-alive shows it.
    auto* time = Frame().ControlAs<wxStaticText>("DeviceTimeString");
    EXPECT_TRUE(PumpUntil(
        [&] { return time->GetLabel().StartsWith("Device time: 2023/12/31-23:59:"); }))
        << time->GetLabel();
}

TEST_F(ClockPageTest, SyncNowWithHostTimeSendsTheComputersTimeWithSeconds) {
    Connect();
    Tick(UseHostTime(), true);
    const DateTime before = LocalNow();
    ClickButton(SyncNow());
    ASSERT_TRUE(PumpUntil([&] { return Requests(kSetTimeRequest) == 1; }));
    const DateTime after = LocalNow();
    const std::string line = std::string(kSetTimeRequest) + "\"" +
                             SetTimeCommandLine(before) + "\"";
    const std::string later = std::string(kSetTimeRequest) + "\"" +
                              SetTimeCommandLine(after) + "\"";
    EXPECT_EQ(Requests(line) + (before == after ? 0 : Requests(later)), 1);
}

TEST_F(ClockPageTest, SyncNowWhileNotConnectedSendsNothing) {
    TypeTime(2023, 12, 31, 23, 59);
    EXPECT_FALSE(Frame().Clock().SyncNow());
    ClickButton(SyncNow());
    PumpFor(300ms);
    EXPECT_EQ(sim.RequestsReceived(), 0);
}

TEST_F(ClockPageTest, HostTimeOverwritesTheFieldsOnEveryTick) {
    EXPECT_TRUE(Frame().Clock().Running());
    // Unchecked: the typed values stay.
    TypeTime(2023, 12, 31, 23, 59);
    Frame().Clock().Tick();
    EXPECT_EQ(Hour()->GetValue(), 23);
    EXPECT_EQ(Minute()->GetValue(), 59);
    EXPECT_EQ(Date()->GetValue().GetYear(), 2023);

    Tick(UseHostTime(), true);
    const DateTime before = LocalNow();
    Frame().Clock().Tick();
    const DateTime after = LocalNow();
    const wxDateTime date = Date()->GetValue();
    const DateTime shown{date.GetYear(), static_cast<int>(date.GetMonth()) + 1, date.GetDay(),
                         Hour()->GetValue(), Minute()->GetValue(), 0};
    const auto minuteOf = [](DateTime t) {
        t.second = 0;
        return t;
    };
    EXPECT_TRUE(shown == minuteOf(before) || shown == minuteOf(after))
        << FormatIsoTime(shown) << " vs " << FormatIsoTime(before);
}

}  // namespace
}  // namespace vyr::test

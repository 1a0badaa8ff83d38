// The window connected to the simulator: connect, log in, the keep-alive's device time, a lost
// device, and a port that cannot be opened. Every exchange runs on the worker thread; the
// tests pump the window's events until what they wait for shows.
#include <wx/menu.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>

#include "app/menus.h"
#include "app/port_choice.h"
#include "device_window.h"
#include "modal_hook.h"

namespace vyr::test {
namespace {

using SessionTest = DeviceWindowTest;

TEST_F(SessionTest, ConnectShowsWaitingThenLogsInAndShowsTheDeviceTime) {
    // A slow device, so that the connection's first state can be seen.
    sim.SetFaults({.latencyMs = 150});
    Press(true);
    EXPECT_EQ(Label(), "Waiting for device");
    ASSERT_TRUE(PumpUntil([&] { return Login().IsShown(); }));
    EXPECT_EQ(Label(), "Disconnect");
    EXPECT_TRUE(Frame().Connected());
    EXPECT_EQ(Frame().CurrentUserLevel(), UserLevel::NotLoggedIn());
    sim.SetFaults({});

    SendLogin(L"superadmin", L"vyr-superadmin");
    ASSERT_TRUE(PumpUntil([&] { return !Login().IsShown(); }));
    EXPECT_EQ(Frame().CurrentUserLevel(), UserLevel::Superadministrator());
    EXPECT_TRUE(Frame().GetMenuBar()->IsEnabledTop(Frame().GetMenuBar()->FindMenu("Administration")));

    auto* time = Frame().ControlAs<wxStaticText>("DeviceTimeString");
    ASSERT_TRUE(PumpUntil([&] { return time->GetLabel().StartsWith("Device time: "); }));
    // The keep-alive keeps the logged-in level.
    const int requests = sim.RequestsReceived();
    ASSERT_TRUE(PumpUntil([&] { return sim.RequestsReceived() > requests + 4; }));
    EXPECT_EQ(Frame().CurrentUserLevel(), UserLevel::Superadministrator());

    Press(false);
    EXPECT_EQ(Label(), "Connect");
    EXPECT_EQ(Frame().CurrentUserLevel(), UserLevel::Nobody());
    EXPECT_FALSE(Frame().Connected());
}

TEST_F(SessionTest, ALostDeviceIsReportedOnceAndTheButtonConnectsAgain) {
    ConnectAndLogIn(L"admin", L"vyr-admin");
    ASSERT_TRUE(PumpUntil([&] { return Frame().CurrentUserLevel() == UserLevel::Administrator(); }));
    wxTEST_DIALOG(
        {
            sim.HangUp();
            EXPECT_TRUE(PumpUntil([&] { return !Frame().Connected(); }));
            // Long enough for two more ticks: the message comes once.
            const auto until = SteadyClock::now() + std::chrono::milliseconds(2500);
            PumpUntil([&] { return SteadyClock::now() > until; });
        },
        ExpectMessage("Communication error", "Connection to device lost"));
    EXPECT_EQ(Label(), "Connect");
    EXPECT_FALSE(Button()->GetValue());
    EXPECT_EQ(Frame().CurrentUserLevel(), UserLevel::Nobody());
    EXPECT_FALSE(Login().IsShown());
}

// Offline mode could be ticked while "Waiting for device", which left a connected window in
// offline mode that could not be disconnected.
TEST_F(SessionTest, OfflineModeIsDisabledFromTheConnectToTheDisconnect) {
    wxMenuBar* bar = Frame().GetMenuBar();
    ASSERT_TRUE(bar->IsEnabled(menu::kOfflineMode));
    sim.SetFaults({.latencyMs = 150});
    Press(true);
    ASSERT_EQ(Label(), "Waiting for device");
    EXPECT_FALSE(bar->IsEnabled(menu::kOfflineMode));
    ASSERT_TRUE(PumpUntil([&] { return Login().IsShown(); }));
    EXPECT_FALSE(bar->IsEnabled(menu::kOfflineMode));
    sim.SetFaults({});
    ClickButton(Login().CancelButton());
    EXPECT_EQ(Label(), "Connect");
    EXPECT_TRUE(bar->IsEnabled(menu::kOfflineMode));
}

// A device that never answers the synchronisation leaves "Reconnect" on the released button
// until the next refresh of the enabling, which makes it "Connect" again.
TEST_F(SessionTest, ReconnectTurnsIntoConnectAtTheNextRefresh) {
    sim.SetFaults({.silent = true});
    Press(true);
    ASSERT_TRUE(PumpUntil([&] { return Label() == "Reconnect"; }, std::chrono::seconds(20)))
        << Label();
    EXPECT_FALSE(Button()->GetValue());
    EXPECT_FALSE(Frame().Connected());
    Frame().EditPreset(1);  // choosing a preset refreshes the enabling
    EXPECT_EQ(Label(), "Connect");
    EXPECT_FALSE(Button()->GetValue());
}

TEST_F(SessionTest, APortThatCannotBeOpenedSaysWhyInTheStatusBar) {
    sim.Stop();
    Frame().Ports().Refresh();
    Press(true);
    ASSERT_TRUE(PumpUntil([&] { return !Frame().GetStatusBar()->GetStatusText().empty(); }));
    EXPECT_TRUE(Frame().GetStatusBar()->GetStatusText().StartsWith("Cannot open "))
        << Frame().GetStatusBar()->GetStatusText();
    EXPECT_EQ(Label(), "Connect");
    EXPECT_FALSE(Button()->GetValue());
    EXPECT_FALSE(Frame().Connected());
}

TEST_F(SessionTest, CancellingTheLoginDisconnects) {
    Connect();
    ClickButton(Login().CancelButton());
    EXPECT_FALSE(Login().IsShown());
    EXPECT_EQ(Label(), "Connect");
    EXPECT_EQ(Frame().CurrentUserLevel(), UserLevel::Nobody());
}

}  // namespace
}  // namespace vyr::test

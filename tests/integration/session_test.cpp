// The connection session against the simulator: connect, keep-alive, loss, login,
// disconnect and shutdown, each seen as the window sees it.
#include <algorithm>
#include <semaphore>
#include <thread>

#include "device/clock.h"
#include "device/session.h"
#include "gui_queue.h"
#include "sim_fixture.h"

namespace vyr::test {
namespace {

// What the window would have been told, in order.
class Recorder : public SessionListener {
  public:
    std::vector<std::string> events;
    std::optional<ConnectReport> connect;
    std::optional<LoginReport> login;
    std::vector<std::string> times;
    int lost = 0;

    void SessionChanged() override { events.push_back("changed"); }
    void ConnectFinished(const ConnectReport& report) override {
        events.push_back("connect");
        connect = report;
    }
    void DeviceTimeRead(const std::string& label) override {
        events.push_back("time");
        times.push_back(label);
    }
    void ConnectionLost() override {
        events.push_back("lost");
        ++lost;
    }
    void LoginFinished(const LoginReport& report) override {
        events.push_back("login");
        login = report;
    }
};

class SessionLife : public ::testing::Test {
  protected:
    vyrsim::Simulator sim;
    GuiQueue gui;
    Recorder listener;
    std::unique_ptr<ConnectionSession> session =
        std::make_unique<ConnectionSession>(gui.Poster(), listener);

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim.Start(&error)) << error;
        UseTimeouts(ShortTimeouts());
    }

    // Runs `look` on the worker's connection and hands back what it returned.
    template <typename F>
    auto OnConnection(F look) -> std::invoke_result_t<F&, DeviceConnection&> {
        using R = std::invoke_result_t<F&, DeviceConnection&>;
        std::optional<R> result;
        session->Worker().Run([look](DeviceConnection& c, Progress&) mutable { return look(c); },
                              [&](R r) { result = std::move(r); });
        EXPECT_TRUE(gui.RunUntil([&] { return result.has_value(); }));
        return result.value_or(R{});
    }

    void UseTimeouts(const serial_link::Timeouts& timeouts) {
        OnConnection([timeouts](DeviceConnection& connection) {
            connection.link.SetDiagnosticSink([](std::string_view) {});
            connection.link.SetTimeoutsForTesting(timeouts);
            return 0;
        });
    }
    bool PortOpen() {
        return OnConnection([](DeviceConnection& c) { return c.link.IsOpen(); });
    }

    // Runs the GUI side until no job is left.
    void Settle() { ASSERT_TRUE(gui.RunUntil([&] { return !session->Busy(); })); }

    void ConnectNow() {
        ASSERT_TRUE(session->Connect(sim.PortPath()));
        Settle();
        ASSERT_EQ(session->State(), SessionState::Connected);
    }
    void LogIn(const wchar_t* user, const wchar_t* password) {
        listener.login.reset();
        ASSERT_TRUE(session->Login(user, password));
        Settle();
        ASSERT_TRUE(listener.login.has_value());
    }
    // One keep-alive tick to its end.
    void TickNow() {
        ASSERT_TRUE(session->Tick());
        Settle();
    }

    std::size_t CountRequests(std::string_view start) const {
        const auto log = sim.Log();
        return static_cast<std::size_t>(std::count_if(log.begin(), log.end(), [&](const auto& l) {
            return l.starts_with("in  " + std::string(start));
        }));
    }
};

TEST_F(SessionLife, APortThatCannotBeOpenedGoesBackToIdleWithTheReason) {
    EXPECT_EQ(session->Label(), "Connect");
    ASSERT_TRUE(session->Connect("/dev/no-such-port"));
    EXPECT_EQ(session->State(), SessionState::Connecting);
    EXPECT_EQ(session->Label(), "Waiting for device");
    EXPECT_EQ(session->Level(), UserLevel::Nobody());
    EXPECT_FALSE(session->Connect(sim.PortPath()));  // one attempt at a time
    Settle();
    EXPECT_EQ(session->State(), SessionState::Idle);
    EXPECT_EQ(session->Label(), "Connect");
    EXPECT_EQ(session->Level(), UserLevel::Nobody());
    EXPECT_EQ(session->Hardware(), HardwareClass::NotConnected);
    ASSERT_TRUE(listener.connect);
    EXPECT_EQ(listener.connect->status, ConnectStatus::PortFailed);
    EXPECT_EQ(listener.connect->openError.kind, serial_link::PortError::NotFound);
    EXPECT_EQ(listener.connect->failureText,
              "cannot open /dev/no-such-port: No such file or directory");
    EXPECT_EQ(listener.events, (std::vector<std::string>{"changed", "connect", "changed"}));
    EXPECT_EQ(sim.RequestsReceived(), 0);
}

TEST_F(SessionLife, ASilentDeviceLeavesTheSessionUnsynchronisedAndThePortClosed) {
    sim.SetFaults({.silent = true});
    ASSERT_TRUE(session->Connect(sim.PortPath()));
    Settle();
    EXPECT_EQ(session->State(), SessionState::SyncFailed);
    EXPECT_EQ(session->Label(), "Reconnect");
    EXPECT_EQ(session->Level(), UserLevel::NotLoggedIn());
    EXPECT_EQ(session->Hardware(), HardwareClass::NotConnected);
    EXPECT_EQ(listener.connect->status, ConnectStatus::NoAnswer);
    EXPECT_FALSE(PortOpen());
    EXPECT_FALSE(session->Tick());
    EXPECT_FALSE(session->Login(L"admin", L"vyr-admin"));

    // Pressing the button again simply connects again.
    sim.SetFaults({});
    ConnectNow();
    EXPECT_TRUE(PortOpen());
}

TEST_F(SessionLife, ConnectReadsTheHardwareClassAndDisconnectClosesAfterAPause) {
    sim.WriteFile("/tmp/hw_type", "1\n");
    ConnectNow();
    EXPECT_EQ(session->Label(), "Disconnect");
    EXPECT_EQ(session->Level(), UserLevel::NotLoggedIn());
    EXPECT_EQ(session->Hardware(), HardwareClass::Recorder);
    EXPECT_EQ(listener.connect->hardware, HardwareClass::Recorder);
    EXPECT_EQ(session->PortPath(), sim.PortPath());
    EXPECT_TRUE(PortOpen());

    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(session->Disconnect());
    EXPECT_EQ(session->State(), SessionState::Idle);
    EXPECT_EQ(session->Level(), UserLevel::Nobody());
    EXPECT_EQ(session->Hardware(), HardwareClass::NotConnected);
    EXPECT_FALSE(PortOpen());  // runs after the disconnect's job
    EXPECT_GE(std::chrono::steady_clock::now() - start, ConnectionSession::kDisconnectPause);
    EXPECT_FALSE(session->Disconnect());

    sim.WriteFile("/tmp/hw_type", "0");
    ConnectNow();
    EXPECT_EQ(session->Hardware(), HardwareClass::Standard);
}

TEST_F(SessionLife, KeepAliveKeepsTheLoggedInLevelAndShowsTheDeviceTime) {
    ConnectNow();
    sim.WriteFile("/chroma/settings/current/rtc_autosync", "0");
    LogIn(L"superadmin", L"vyr-superadmin");
    EXPECT_EQ(listener.login->login.status, LoginStatus::Accepted);
    EXPECT_FALSE(listener.login->clockSet);
    EXPECT_EQ(session->Level(), UserLevel::Superadministrator());
    listener.events.clear();
    sim.ClearLog();
    for (int tick = 0; tick < 3; ++tick)
        TickNow();
    EXPECT_EQ(CountRequests("4 LOOPBACKTEST"), 3u);
    EXPECT_EQ(session->Level(), UserLevel::Superadministrator());
    EXPECT_EQ(OnConnection([](DeviceConnection& c) { return c.level.Number(); }), 3);
    EXPECT_EQ(listener.events, (std::vector<std::string>{"time", "time", "time"}));
    ASSERT_EQ(listener.times.size(), 3u);
    const std::string& label = listener.times.back();
    ASSERT_TRUE(label.starts_with("Device time: ")) << label;
    EXPECT_TRUE(ParseDeviceTime(std::string_view(label).substr(13))) << label;

    // The device sets its clock differently: the next tick shows it.
    OnConnection([](DeviceConnection& c) { return SetDeviceClock(c, {2031, 5, 6, 7, 8, 9}); });
    TickNow();
    EXPECT_TRUE(listener.times.back().starts_with("Device time: 2031/05/06-07:08:"))
        << listener.times.back();
}

TEST_F(SessionLife, LoginRunsTheClockCheckAndARefusalKeepsTheLevel) {
    ConnectNow();
    sim.WriteFile("/chroma/settings/current/rtc_autosync", "1\n");
    LogIn(L"admin", L"wrong");
    EXPECT_EQ(listener.login->login.status, LoginStatus::Refused);
    EXPECT_EQ(session->Level(), UserLevel::NotLoggedIn());
    EXPECT_EQ(CountRequests("17 SETTIME"), 0u);

    listener.events.clear();
    LogIn(L"admin", L"vyr-admin");
    EXPECT_EQ(listener.login->login.status, LoginStatus::Accepted);
    EXPECT_TRUE(listener.login->clockSet);
    EXPECT_EQ(CountRequests("17 SETTIME"), 1u);
    EXPECT_EQ(session->Level(), UserLevel::Administrator());
    EXPECT_EQ(listener.events, (std::vector<std::string>{"login", "changed"}));
}

TEST_F(SessionLife, ATickWhileAJobRunsIsSkippedNotQueued) {
    ConnectNow();
    sim.ClearLog();
    const int before = sim.RequestsReceived();
    std::binary_semaphore gate{0};
    bool longJobDone = false;
    session->Worker().Run([&](DeviceConnection&, Progress&) { gate.acquire(); },
                          [&] { longJobDone = true; });
    EXPECT_TRUE(session->Busy());
    EXPECT_FALSE(session->Tick());
    EXPECT_FALSE(session->Tick());
    gate.release();
    Settle();
    EXPECT_TRUE(longJobDone);
    EXPECT_EQ(sim.RequestsReceived(), before);

    // One tick at a time: a second one while the first is in flight is skipped too.
    EXPECT_TRUE(session->Tick());
    EXPECT_FALSE(session->Tick());
    Settle();
    EXPECT_EQ(CountRequests("4 LOOPBACKTEST"), 1u);
}

TEST_F(SessionLife, AHangUpIsReportedOnceAsALoss) {
    sim.WriteFile("/tmp/hw_type", "1");
    ConnectNow();
    LogIn(L"superadmin", L"vyr-superadmin");
    listener.events.clear();
    sim.HangUp();
    TickNow();
    EXPECT_EQ(session->State(), SessionState::Lost);
    EXPECT_EQ(session->Label(), "Connect");
    EXPECT_EQ(session->Level(), UserLevel::Nobody());
    EXPECT_EQ(session->Hardware(), HardwareClass::Recorder);  // left as it was
    EXPECT_EQ(listener.events, (std::vector<std::string>{"lost", "changed"}));
    EXPECT_FALSE(PortOpen());
    EXPECT_FALSE(session->Tick());
    EXPECT_FALSE(session->Disconnect());
    gui.RunPending();
    EXPECT_EQ(listener.lost, 1);
}

TEST_F(SessionLife, ASilentDeviceIsALossToo) {
    ConnectNow();
    sim.SetFaults({.silent = true});
    TickNow();
    EXPECT_EQ(session->State(), SessionState::Lost);
    EXPECT_EQ(listener.lost, 1);
    EXPECT_TRUE(listener.times.empty());
    EXPECT_FALSE(PortOpen());
    // Connecting again after the loss works once the device answers.
    sim.SetFaults({});
    ConnectNow();
    TickNow();
    EXPECT_EQ(listener.lost, 1);
    EXPECT_EQ(listener.times.size(), 1u);
}

TEST_F(SessionLife, AResultOfAnEndedConnectionIsIgnored) {
    sim.SetFaults({.latencyMs = 50});
    ASSERT_TRUE(session->Connect(sim.PortPath()));
    ASSERT_TRUE(session->CloseConnection());  // while still connecting
    EXPECT_EQ(session->State(), SessionState::Idle);
    Settle();
    EXPECT_EQ(session->State(), SessionState::Idle);
    EXPECT_FALSE(listener.connect.has_value());
    EXPECT_FALSE(PortOpen());
}

TEST_F(SessionLife, ClosingDuringASynchronisationReturnsSoonAndReportsNothing) {
    // The real time-outs: a silent device takes 10 attempts of 644 ms to give up.
    UseTimeouts(serial_link::Timeouts{});
    sim.SetFaults({.silent = true});
    ASSERT_TRUE(session->Connect(sim.PortPath()));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    listener.events.clear();
    const double seconds = SecondsFor([&] { session.reset(); });
    EXPECT_LT(seconds, 4.0);
    gui.RunPending();
    EXPECT_TRUE(listener.events.empty());
}

}  // namespace
}  // namespace vyr::test

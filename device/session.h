// The connection's life: connect, keep-alive, loss, login and disconnect, each run as a job
// on the connection's DeviceWorker.
//
// All methods are called on the GUI thread. The session keeps its own copy of what the
// window reads (state, user level, hardware class), changed only when a job's result
// arrives or when the window asks for a change; the window never touches the worker's
// connection. Every outcome is told to a SessionListener, on the GUI thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "device/connection.h"
#include "device/user_level.h"
#include "device/worker.h"

namespace vyr {

enum class SessionState {
    Idle,        // not connected (at start, after a disconnect, after a port failure)
    Connecting,  // the port is being opened and synchronised
    Connected,
    SyncFailed,  // the port opened but the device did not answer the synchronisation
    Lost,        // the keep-alive found the device gone
};

// The connect button's label in each state: "Connect", "Waiting for device", "Disconnect",
// "Reconnect", "Connect".
std::string_view ButtonLabel(SessionState state);

// How a Connect ended.
struct ConnectReport {
    ConnectStatus status = ConnectStatus::PortFailed;
    serial_link::OpenError openError;  // with PortFailed
    std::string failureText;           // with PortFailed: OpenFailureText
    HardwareClass hardware = HardwareClass::NotConnected;  // with Connected
};

// How a Login ended.
struct LoginReport {
    LoginResult login;
    bool clockSet = false;  // accepted, and the device asked to have its clock set
};

// What the window hears from the session. Every method has an empty default.
class SessionListener {
  public:
    virtual ~SessionListener() = default;
    // State, level or hardware class changed: relabel the button, refresh the enabling.
    // Comes after the specific event below that caused it.
    virtual void SessionChanged() {}
    // A Connect ended (the state is Idle, SyncFailed or Connected already). Connected: show
    // the login dialog.
    virtual void ConnectFinished(const ConnectReport& /*report*/) {}
    // A keep-alive tick read the device's clock: "Device time: " and its text.
    virtual void DeviceTimeRead(const std::string& /*label*/) {}
    // The keep-alive found the device gone. Once per loss; the state is Lost already.
    virtual void ConnectionLost() {}
    // A Login ended; with Accepted the level is the new one already and the clock check ran.
    virtual void LoginFinished(const LoginReport& /*report*/) {}
};

class ConnectionSession {
  public:
    // Pause before the port is closed by a manual Disconnect.
    static constexpr std::chrono::milliseconds kDisconnectPause{100};

    // `listener` must outlive the session (or the session be shut down first).
    ConnectionSession(DeviceWorker::PostToGui post, SessionListener& listener);
    // Shutdown().
    ~ConnectionSession();
    ConnectionSession(const ConnectionSession&) = delete;
    ConnectionSession& operator=(const ConnectionSession&) = delete;

    SessionState State() const { return state_; }
    bool IsConnected() const { return state_ == SessionState::Connected; }
    UserLevel Level() const { return level_; }
    HardwareClass Hardware() const { return hardware_; }
    // The port of the last Connect.
    const std::string& PortPath() const { return path_; }
    std::string_view Label() const { return ButtonLabel(state_); }
    // A job is queued or running (the session's own or one the window gave the worker).
    bool Busy() const { return worker_.Busy(); }

    // The worker, for the window's own jobs (transfers, dialogs). They run in order with the
    // session's jobs; a keep-alive tick is skipped while one is in flight.
    DeviceWorker& Worker() { return worker_; }

    // Opens `path`, synchronises and reads the hardware class, as a job. The state is
    // Connecting until the result arrives. False (nothing done) while Connecting or
    // Connected.
    bool Connect(const std::string& path);

    // The keep-alive, for the window's 1000 ms timer: synchronises (the user level stays),
    // then reads the device time. A failed synchronisation is a loss: the port is closed,
    // the state becomes Lost, the level Nobody (the hardware class stays), and
    // ConnectionLost comes once. False when skipped: not connected, or a job in flight.
    bool Tick();

    // Logs in as a job; on acceptance runs the clock check. False when not connected.
    bool Login(std::wstring user, std::wstring password);

    // The button released: the state becomes Idle, level Nobody, hardware NotConnected at
    // once; a job cancels what runs, waits kDisconnectPause and closes the port. False when
    // there was no connection to end (Idle, SyncFailed, Lost).
    bool Disconnect();

    // The common disconnect (login cancelled, firmware update started): as Disconnect, but
    // the port is closed without the pause and the hardware class stays.
    bool CloseConnection();

    // Window closing: cancels the running job, drops the queued ones, waits for the exchange
    // in flight, closes the port. No listener call comes afterwards.
    void Shutdown();

  private:
    void Change(SessionState state, UserLevel level, HardwareClass hardware);
    bool EndConnection(bool pause, HardwareClass hardware);

    SessionListener& listener_;
    SessionState state_ = SessionState::Idle;
    UserLevel level_ = UserLevel::Nobody();
    HardwareClass hardware_ = HardwareClass::NotConnected;
    std::string path_;
    // Counts connections begun and ended; a result of an earlier one is ignored.
    unsigned generation_ = 0;
    DeviceWorker worker_;  // last: its results reach the members above
};

}  // namespace vyr

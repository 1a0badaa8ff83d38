#include "device/session.h"

#include <memory>
#include <thread>

#include "device/clock.h"
#include "link/secret.h"

namespace vyr {

namespace {

// What one keep-alive tick found.
struct TickResult {
    bool synchronised = false;
    std::optional<std::string> time;
};

}  // namespace

std::string_view ButtonLabel(SessionState state) {
    switch (state) {
    case SessionState::Connecting:
        return "Waiting for device";
    case SessionState::Connected:
        return "Disconnect";
    case SessionState::SyncFailed:
        return "Reconnect";
    case SessionState::Idle:
    case SessionState::Lost:
        break;
    }
    return "Connect";
}

ConnectionSession::ConnectionSession(DeviceWorker::PostToGui post, SessionListener& listener)
    : listener_(listener), worker_(std::move(post)) {}

ConnectionSession::~ConnectionSession() {
    Shutdown();
}

void ConnectionSession::Change(SessionState state, UserLevel level, HardwareClass hardware) {
    state_ = state;
    level_ = level;
    hardware_ = hardware;
    listener_.SessionChanged();
}

bool ConnectionSession::Connect(const std::string& path) {
    if (state_ == SessionState::Connecting || state_ == SessionState::Connected ||
        worker_.IsShutDown()) {
        return false;
    }
    path_ = path;
    const unsigned generation = ++generation_;
    Change(SessionState::Connecting, UserLevel::Nobody(), HardwareClass::NotConnected);
    worker_.Run(
        [path, stop = worker_.StopFlag()](DeviceConnection& connection, Progress&) {
            ConnectReport report;
            const ConnectResult result = ConnectStoppable(connection, path, stop);
            report.status = result.status;
            if (result.status == ConnectStatus::PortFailed) {
                report.openError = result.openError;
                report.failureText = OpenFailureText(path, result.openError);
            } else if (result.status == ConnectStatus::Connected) {
                connection.hardware = ReadHardwareClass(connection);
                report.hardware = connection.hardware;
            }
            return report;
        },
        [this, generation](ConnectReport report) {
            if (generation != generation_)
                return;  // ended meanwhile; the port is closed by the job that ended it
            switch (report.status) {
            case ConnectStatus::PortFailed:
                state_ = SessionState::Idle;
                hardware_ = HardwareClass::NotConnected;
                level_ = UserLevel::Nobody();
                break;
            case ConnectStatus::NoAnswer:
                // The synchronisation had set "not logged in" before it gave up.
                state_ = SessionState::SyncFailed;
                hardware_ = HardwareClass::NotConnected;
                level_ = UserLevel::NotLoggedIn();
                break;
            case ConnectStatus::Connected:
                state_ = SessionState::Connected;
                hardware_ = report.hardware;
                level_ = UserLevel::NotLoggedIn();
                break;
            }
            listener_.ConnectFinished(report);
            listener_.SessionChanged();
        });
    return true;
}

bool ConnectionSession::Tick() {
    if (state_ != SessionState::Connected || worker_.Busy())
        return false;
    const unsigned generation = generation_;
    worker_.Run(
        [](DeviceConnection& connection, Progress&) {
            TickResult result;
            {
                serial_link::LinkHold hold(connection.link);
                // The synchronisation leaves the connection's level alone.
                result.synchronised = serial_link::SyncLink(connection.link);
            }
            if (!result.synchronised) {
                const HardwareClass hardware = connection.hardware;
                vyr::Disconnect(connection);
                connection.hardware = hardware;
                return result;
            }
            result.time = ReadDeviceTime(connection);
            return result;
        },
        [this, generation](TickResult result) {
            if (generation != generation_ || state_ != SessionState::Connected)
                return;
            if (!result.synchronised) {
                ++generation_;
                state_ = SessionState::Lost;
                level_ = UserLevel::Nobody();
                listener_.ConnectionLost();
                listener_.SessionChanged();
                return;
            }
            if (result.time)
                listener_.DeviceTimeRead("Device time: " + *result.time);
        });
    return true;
}

bool ConnectionSession::Login(std::wstring user, std::wstring password) {
    if (state_ != SessionState::Connected)
        return false;
    const unsigned generation = generation_;
    // One copy of the password, wiped when the job is gone.
    auto secret = std::make_shared<const serial_link::WideSecret>(serial_link::TakeSecret(password));
    worker_.Run(
        [user = std::move(user), secret](DeviceConnection& connection, Progress&) {
            LoginReport report;
            report.login = vyr::Login(connection, user, secret->View());
            if (report.login.status == LoginStatus::Accepted)
                report.clockSet = ClockCheck(connection);
            return report;
        },
        [this, generation](LoginReport report) {
            if (generation != generation_ || state_ != SessionState::Connected)
                return;
            if (report.login.status == LoginStatus::Accepted)
                level_ = report.login.level;
            listener_.LoginFinished(report);
            if (report.login.status == LoginStatus::Accepted)
                listener_.SessionChanged();
        });
    return true;
}

bool ConnectionSession::Disconnect() {
    return EndConnection(true, HardwareClass::NotConnected);
}

bool ConnectionSession::CloseConnection() {
    return EndConnection(false, hardware_);
}

bool ConnectionSession::EndConnection(bool pause, HardwareClass hardware) {
    if (state_ != SessionState::Connected && state_ != SessionState::Connecting)
        return false;
    ++generation_;
    worker_.Cancel();
    worker_.Run(
        [pause](DeviceConnection& connection, Progress&) {
            if (pause)
                std::this_thread::sleep_for(kDisconnectPause);
            vyr::Disconnect(connection);
        },
        [] {});
    Change(SessionState::Idle, UserLevel::Nobody(), hardware);
    return true;
}

void ConnectionSession::Shutdown() {
    worker_.Shutdown();
}

}  // namespace vyr

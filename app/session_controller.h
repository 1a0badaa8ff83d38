// The window's side of the connection: the connect button, the keep-alive timer, the login
// dialog and the loss message, driven by the ConnectionSession that runs every exchange on
// its worker thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <wx/timer.h>

class wxFrame;
class wxStaticText;

#include "device/session.h"
#include "dialogs/device_access.h"
#include "dialogs/window_services.h"
#include "settings/status_message.h"

namespace vyr {

class AuthDialog;
class DeviceMirror;
class PortChoice;

// What the connection changes in the window, and the backup it offers the firmware dialog.
class SessionView {
  public:
    virtual ~SessionView() = default;
    // The connected flag, level or hardware class changed: the window refreshes its enabling.
    virtual void ApplySession(bool connected, UserLevel level, HardwareClass hardware) = 0;
    // See WindowServices::BackUpSettings.
    virtual void BackUpSettings(wxWindow* over, std::function<void()> saving,
                                std::function<void(const SettingsBackup&)> done) = 0;
};

// The parts of the window the connection reads and changes.
struct SessionParts {
    wxFrame& frame;  // its status bar says why a connection failed; results come through it
    SessionView& view;
    PortChoice& ports;
    DeviceMirror& mirror;  // dropped whenever the connection ends or a new one starts
    wxStaticText* deviceTime = nullptr;  // "Device time: ..."
};

class SessionController final : public SessionListener,
                                public WindowServices,
                                public DeviceAccess {
  public:
    explicit SessionController(const SessionParts& parts);
    // Ends the connection first: no session event reaches a window being destroyed.
    ~SessionController() override;

    ConnectionSession& Session() { return *session_; }
    AuthDialog& LoginDialog() { return *auth_; }

    // The connect button pressed (connect) or released (disconnect).
    void OnButton(bool pressed);
    // Window closing: the connection ends, nothing more is heard from it.
    void Shutdown();

    // The text the connect button shows now.
    // "Reconnect" after a connection whose device did not answer shows only until the next
    // refresh of the enabling, which labels the released button "Connect" again.
    std::string ButtonLabel() const;
    // A connection is being made ("Waiting for device").
    bool Connecting() const;
    // A connection is being made or is up: the connect button shows pressed.
    bool ButtonPressed() const;

    // Shows the message of a failed exchange with the keep-alive held: a loss the keep-alive
    // finds is told after the message is closed, not in a second box on top of it.
    // It is shown over `parent` (the window when none).
    void ShowFailure(const StatusMessage& message, wxWindow* parent = nullptr);

    // A device dialog: reset at every Connect; closed on Disconnect, on loss and after every
    // login. It must outlive the controller or be removed first.
    void AddDeviceView(DeviceView& view) { views_.push_back(&view); }

    // DeviceAccess
    bool MayRunJob() const override;
    bool RunJob(Work work, ProgressHandler onProgress = {}) override;
    void CancelJobs() override;
    UserLevel CurrentLevel() const override;

  private:
    // SessionListener
    void SessionChanged() override;
    void ConnectFinished(const ConnectReport& report) override;
    void DeviceTimeRead(const std::string& label) override;
    void ConnectionLost() override;
    void LoginFinished(const LoginReport& report) override;

    // WindowServices
    void RunLogin(std::wstring user, std::wstring password,
                  std::function<void(LoginResult)> done) override;
    void RefreshEnabling() override;
    void Disconnect() override;
    void BackUpSettings(wxWindow* over, std::function<void()> saving,
                        std::function<void(const SettingsBackup&)> done) override;

    void OnKeepAlive(wxTimerEvent& event);
    // Hides every device dialog and stops its timers.
    void CloseDeviceViews();

    SessionParts parts_;
    wxTimer keepAlive_;
    AuthDialog* auth_ = nullptr;  // owned by the frame, as its child
    std::function<void(LoginResult)> loginDone_;
    std::vector<DeviceView*> views_;
    std::unique_ptr<ConnectionSession> session_;
    // The label of the session state last shown, and whether the refresh under way is the one
    // that shows a new state.
    std::string_view shownLabel_;
    bool showingNewState_ = false;
};

}  // namespace vyr

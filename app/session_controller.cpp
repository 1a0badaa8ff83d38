#include "session_controller.h"

#include <wx/frame.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/tglbtn.h>

#include "dialogs/auth_dialog.h"
#include "device/device_mirror.h"
#include "port_choice.h"
#include "ui/message_box.h"
#include "ui/wx_text.h"

namespace vyr {

namespace {

constexpr int kKeepAliveMs = 1000;

}  // namespace

SessionController::SessionController(const SessionParts& parts) : parts_(parts) {
    auth_ = new AuthDialog(&parts_.frame, *this);
    keepAlive_.Bind(wxEVT_TIMER, &SessionController::OnKeepAlive, this);
    // Results come back through the frame's event queue; the worker never touches the window.
    session_ = std::make_unique<ConnectionSession>(
        [frame = &parts_.frame](DeviceWorker::GuiTask task) { frame->CallAfter(std::move(task)); },
        *this);
}

SessionController::~SessionController() {
    Shutdown();
}

void SessionController::Shutdown() {
    keepAlive_.Stop();
    if (session_)
        session_->Shutdown();
}

std::string SessionController::ButtonLabel() const {
    const std::string_view label = session_->Label();
    return label == "Reconnect" && !showingNewState_ ? std::string("Connect") : std::string(label);
}

bool SessionController::Connecting() const {
    return session_->State() == SessionState::Connecting;
}

bool SessionController::ButtonPressed() const {
    return Connecting() || session_->State() == SessionState::Connected;
}

void SessionController::ShowFailure(const StatusMessage& message, wxWindow* parent) {
    const bool ticking = keepAlive_.IsRunning();
    keepAlive_.Stop();
    ShowStatusMessage(parent != nullptr ? parent : &parts_.frame, message);
    if (ticking && session_->IsConnected())
        keepAlive_.Start(kKeepAliveMs);
}

void SessionController::OnButton(bool pressed) {
    if (pressed) {
        const std::string path = parts_.ports.SelectedPath();
        parts_.frame.SetStatusText("");
        if (path.empty() || !session_->Connect(path)) {
            SessionChanged();
            return;
        }
    } else {
        auth_->Hide();
        CloseDeviceViews();
        keepAlive_.Stop();
        session_->Disconnect();
    }
    SessionChanged();
}

void SessionController::SessionChanged() {
    // Without a connection nothing is known of what a device holds.
    if (!session_->IsConnected())
        parts_.mirror.Drop();
    const std::string_view label = session_->Label();
    showingNewState_ = label != shownLabel_;
    shownLabel_ = label;
    parts_.view.ApplySession(session_->IsConnected(), session_->Level(), session_->Hardware());
    showingNewState_ = false;
}

void SessionController::ConnectFinished(const ConnectReport& report) {
    switch (report.status) {
        case ConnectStatus::Connected:
            parts_.mirror.Drop();  // a device of its own: nothing known yet
            parts_.ports.Remember();
            keepAlive_.Start(kKeepAliveMs);
            for (DeviceView* view : views_)
                view->ConnectionStarted();
            auth_->Show();
            break;
        case ConnectStatus::PortFailed: {
            // Nothing happened as far as the device goes; the status bar says why.
            std::string text = report.failureText;
            if (!text.empty())
                text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
            parts_.frame.SetStatusText(Wx(text));
            break;
        }
        case ConnectStatus::NoAnswer:
            parts_.frame.SetStatusText(Wx("The device on " + session_->PortPath() + " does not answer."));
            break;
    }
}

void SessionController::DeviceTimeRead(const std::string& label) {
    if (parts_.deviceTime != nullptr)
        parts_.deviceTime->SetLabel(Wx(label));
}

void SessionController::ConnectionLost() {
    keepAlive_.Stop();
    auth_->Hide();
    CloseDeviceViews();
    SessionChanged();
    wxMessageBox("Connection to device lost", "Communication error", wxOK | wxICON_WARNING,
                 &parts_.frame);
}

void SessionController::LoginFinished(const LoginReport& report) {
    CloseDeviceViews();
    if (auto done = std::exchange(loginDone_, nullptr))
        done(report.login);
}

void SessionController::RunLogin(std::wstring user, std::wstring password,
                                 std::function<void(LoginResult)> done) {
    loginDone_ = std::move(done);
    if (!session_->Login(std::move(user), std::move(password))) {
        CloseDeviceViews();
        if (auto pending = std::exchange(loginDone_, nullptr))
            pending(LoginResult{LoginStatus::Refused, session_->Level()});
    }
}

void SessionController::RefreshEnabling() {
    SessionChanged();
}

void SessionController::Disconnect() {
    keepAlive_.Stop();
    auth_->Hide();
    CloseDeviceViews();
    session_->CloseConnection();
    SessionChanged();
}

void SessionController::BackUpSettings(wxWindow* over, std::function<void()> saving,
                                       std::function<void(const SettingsBackup&)> done) {
    parts_.view.BackUpSettings(over, std::move(saving), std::move(done));
}

void SessionController::OnKeepAlive(wxTimerEvent&) {
    session_->Tick();
}

void SessionController::CloseDeviceViews() {
    for (DeviceView* view : views_)
        view->CloseView();
}

bool SessionController::MayRunJob() const {
    return session_->IsConnected() && !session_->Busy();
}

bool SessionController::RunJob(Work work, ProgressHandler onProgress) {
    if (!session_->IsConnected())
        return false;
    session_->Worker().Run(
        std::move(work),
        [](const GuiStep& step) {
            if (step)
                step();
        },
        std::move(onProgress));
    return true;
}

void SessionController::CancelJobs() {
    session_->Worker().Cancel();
}

UserLevel SessionController::CurrentLevel() const {
    return session_->Level();
}

}  // namespace vyr

// How long the main window's event loop keeps an event waiting while the device is busy.
//
// The real window runs the real event loop against the in-process simulator. A probe thread
// posts an event to the GUI every 10 ms (CallAfter, carrying its post time); the delay until
// it runs is what a person waits for a click or a repaint. The script of each case runs on a
// thread of its own and reaches the window only through CallAfter, so the loop is never held
// by the measurement itself. Message boxes are answered at once (and counted).
//
// Cases, each with the longest and the 99th-percentile delay (goal: under 33 ms, two frames
// at 60 Hz):
//   a) a full load from a device paced at 9600 baud, started from File > "Load settings from
//      device", for 30 s, then cancelled from the progress dialog;
//   b) keep-alive ticks, then a device that falls silent, until the loss is reported (real
//      time-outs), three times;
//   c) the login at 9600 baud: a wrong password, then the right one, three times;
//   e) connecting until the login dialog shows, then disconnecting, five times;
//   f) full loads from a device answering after 2 ms, from the menu command until the window
//      shows the values: the progress dialog's opening, the load and its end, three times.
// Then a full load from the window against the same load as vyrctl does it (LoadFromDevice
// on a connection of its own), on a simulator answering after 2 ms, and the vyrctl program
// itself: ratio window / vyrctl (goal: at most 1.02).
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/responsiveness [load seconds, default 30]
// It takes about two minutes.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/init.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>
#include <wx/utils.h>

#include "app/main_frame.h"
#include "app/menus.h"
#include "app/services.h"
#include "app/session_controller.h"
#include "device/transfer.h"
#include "dialogs/auth_dialog.h"
#include "sim/simulator.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using vyr::AdminSWFrm;

constexpr auto kProbeInterval = 10ms;
constexpr auto kWaitLimit = 60s;
constexpr char kUser[] = "superadmin";
constexpr char kPassword[] = "vyr-superadmin";

double Millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}
double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

class BenchApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

// Runs `work` on the GUI thread and returns its result to the calling (script) thread.
template <typename Work>
auto OnGui(Work work) {
    using R = std::invoke_result_t<Work&>;
    auto promise = std::make_shared<std::promise<R>>();
    auto future = promise->get_future();
    wxTheApp->CallAfter([promise, work = std::move(work)]() mutable {
        if constexpr (std::is_void_v<R>) {
            work();
            promise->set_value();
        } else {
            promise->set_value(work());
        }
    });
    return future.get();
}

// Polls `done` (on the script thread) every `every` until it holds; false after kWaitLimit.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds every = 20ms) {
    const auto deadline = Clock::now() + kWaitLimit;
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(every);
    }
    return true;
}

// Answers every modal dialog with OK at once and keeps the message boxes' texts.
class AnswerAll : public wxModalDialogHook {
  public:
    std::vector<std::string> messages;  // GUI thread only

  protected:
    int Enter(wxDialog* dialog) override {
        if (auto* box = dynamic_cast<wxMessageDialog*>(dialog))
            messages.push_back((box->GetTitle() + ": " + box->GetMessage()).utf8_string());
        else
            messages.push_back(dialog->GetTitle().utf8_string());
        return wxID_OK;
    }
    void Exit(wxDialog*) override {}
};

// Posts a probe every kProbeInterval and records how late each one ran.
class Probe {
  public:
    void Start() {
        OnGui([this] { delays_.clear(); });
        running_ = true;
        thread_ = std::thread([this] {
            auto next = Clock::now();
            while (running_) {
                const auto posted = Clock::now();
                wxTheApp->CallAfter([this, posted] { delays_.push_back(Clock::now() - posted); });
                next += kProbeInterval;
                std::this_thread::sleep_until(next);
            }
        });
    }
    // Stops posting and returns the delays, once every probe posted has run.
    std::vector<Clock::duration> Stop() {
        running_ = false;
        thread_.join();
        return OnGui([this] { return delays_; });
    }

  private:
    std::atomic<bool> running_{false};
    std::thread thread_;
    std::vector<Clock::duration> delays_;  // GUI thread only
};

void PrintDelays(const char* what, std::vector<Clock::duration> delays) {
    if (delays.empty()) {
        std::printf("  %-46s no probes ran\n", what);
        return;
    }
    std::sort(delays.begin(), delays.end());
    const auto p99 = delays[static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(delays.size()))) - 1];
    const double max = Millis(delays.back());
    std::printf("  %-46s %6zu probes  max %7.1f ms  p99 %6.1f ms  %s\n", what, delays.size(), max,
                Millis(p99), max < 33 ? "ok" : "OVER 33 ms");
}

// The window against an in-process simulator, driven from the script thread.
class Window {
  public:
    explicit Window(vyrsim::Simulator& sim) : sim_(sim) {
        configDir_ = (std::filesystem::temp_directory_path() / "vyr-bench-XXXXXX").string();
        if (!mkdtemp(configDir_.data()))
            configDir_ = (std::filesystem::temp_directory_path() / "vyr-bench").string();
        OnGui([this] {
            frame_ = new AdminSWFrm(services_, {.ports = {sim_.PortPath()}, .configDir = configDir_});
            frame_->Show();
        });
        std::this_thread::sleep_for(300ms);  // mapped and laid out
    }
    ~Window() {
        OnGui([this] { frame_->Destroy(); });
        std::this_thread::sleep_for(300ms);
        std::error_code ignored;
        std::filesystem::remove_all(configDir_, ignored);
    }

    // Presses (or releases) the connect button, as a click does.
    void Press(bool pressed) {
        OnGui([this, pressed] {
            auto* button = frame_->ControlAs<wxToggleButton>("ConnectButton");
            button->SetValue(pressed);
            wxCommandEvent event(wxEVT_TOGGLEBUTTON, button->GetId());
            event.SetEventObject(button);
            event.SetInt(pressed ? 1 : 0);
            button->ProcessWindowEvent(event);
        });
    }
    bool WaitForLoginDialog() {
        return WaitUntil(
            [this] { return OnGui([this] { return frame_->Connection().LoginDialog().IsShown(); }); });
    }
    // Fills in the login dialog and clicks OK.
    void SubmitLogin(const char* user, const char* password) {
        OnGui([this, user, password] {
            auto& login = frame_->Connection().LoginDialog();
            login.UserField()->ChangeValue(user);
            login.PasswordField()->ChangeValue(password);
            wxCommandEvent ok(wxEVT_BUTTON, login.OkButton()->GetId());
            ok.SetEventObject(login.OkButton());
            login.OkButton()->ProcessWindowEvent(ok);
        });
    }
    bool WaitForLoginResult() {
        return WaitUntil([this] {
            return OnGui([this] { return !frame_->Connection().LoginDialog().Busy(); });
        });
    }
    // Connected, logged in, the clock check after the login done.
    bool ConnectAndLogIn() {
        Press(true);
        if (!WaitForLoginDialog())
            return false;
        SubmitLogin(kUser, kPassword);
        return WaitForLoggedIn();
    }
    // Logged in, the clock check after the login done.
    bool WaitForLoggedIn() {
        return WaitUntil([this] {
            return OnGui([this] {
                return frame_->CurrentUserLevel() == vyr::UserLevel::Superadministrator() &&
                       !frame_->Connection().Session().Busy();
            });
        });
    }
    bool Busy() {
        return OnGui([this] { return frame_->Connection().Session().Busy(); });
    }
    bool Connected() {
        return OnGui([this] { return frame_->Connected(); });
    }
    // Chooses a menu command, as a click on its item does.
    void Command(int id) {
        OnGui([this, id] {
            wxCommandEvent event(wxEVT_MENU, id);
            event.SetEventObject(frame_);
            frame_->ProcessWindowEvent(event);
        });
    }
    // A progress dialog over the window.
    bool ProgressShown() {
        return OnGui([] {
            for (wxWindow* window : wxTopLevelWindows) {
                if (dynamic_cast<wxGenericProgressDialog*>(window) && window->IsShown())
                    return true;
            }
            return false;
        });
    }
    // Clicks Cancel on the progress dialog; false when there is none.
    bool CancelProgress() {
        return OnGui([] {
            for (wxWindow* window : wxTopLevelWindows) {
                if (!dynamic_cast<wxGenericProgressDialog*>(window))
                    continue;
                if (auto* cancel = dynamic_cast<wxButton*>(window->FindWindow(wxID_CANCEL))) {
                    wxCommandEvent event(wxEVT_BUTTON, wxID_CANCEL);
                    event.SetEventObject(cancel);
                    cancel->ProcessWindowEvent(event);
                    return true;
                }
            }
            return false;
        });
    }
    // Starts File > "Load settings from device"; false when no progress dialog came up.
    bool StartLoad() {
        Command(vyr::menu::kLoadFromDevice);
        const auto until = Clock::now() + 2s;
        while (Clock::now() < until) {
            if (ProgressShown())
                return true;
            std::this_thread::sleep_for(1ms);
        }
        return false;
    }
    // The load's progress dialog has gone and its result is in.
    bool LoadEnded() { return !ProgressShown() && !Busy(); }

  private:
    vyrsim::Simulator& sim_;
    std::string configDir_;
    vyr::AppServices services_;
    AdminSWFrm* frame_ = nullptr;
};

bool StartSimulator(vyrsim::Simulator& sim, const vyrsim::Faults& faults = {}) {
    std::string error;
    if (!sim.Start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return false;
    }
    sim.SetFaults(faults);
    return true;
}

bool Fail(const char* what) {
    std::fprintf(stderr, "responsiveness: %s\n", what);
    return false;
}

// a) A load at 9600 baud for `seconds`, then Cancel. False when the load command is not there.
bool CaseLoad(Probe& probe, int seconds, bool& available) {
    vyrsim::Simulator sim;
    if (!StartSimulator(sim))
        return false;
    Window window(sim);
    if (!window.ConnectAndLogIn())
        return Fail("login for the load failed");
    sim.SetFaults({.baud = 9600});
    probe.Start();
    available = window.StartLoad();
    if (!available) {
        probe.Stop();
        std::printf("  a) File > \"Load settings from device\" shows no progress here: skipped\n");
        return true;
    }
    const int before = sim.RequestsReceived();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const bool dialog = window.ProgressShown();
    const bool cancelled = window.CancelProgress();
    const bool ended = WaitUntil([&] { return window.LoadEnded(); });
    const auto delays = probe.Stop();
    const int exchanges = sim.RequestsReceived() - before;
    PrintDelays("a) load at 9600 baud, then Cancel", delays);
    std::printf("     %d s, %d exchanges; progress dialog %s; cancelled %s\n", seconds, exchanges,
                dialog ? "shown" : "NOT SHOWN", cancelled && ended ? "and ended" : "NOT ENDED");
    return dialog && cancelled && ended;
}

// b) Keep-alive ticks, then a silent device until the loss is reported; `rounds` times.
bool CaseSilent(Probe& probe, AnswerAll& answers, int rounds) {
    vyrsim::Simulator sim;
    if (!StartSimulator(sim))
        return false;
    Window window(sim);
    OnGui([&] { answers.messages.clear(); });
    probe.Start();
    const auto start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        sim.SetFaults({});
        window.Press(true);
        if (!WaitUntil([&] { return window.Connected(); })) {
            probe.Stop();
            return Fail("no connection for the keep-alive case");
        }
        const int before = sim.RequestsReceived();
        // A few answered ticks first.
        if (!WaitUntil([&] { return sim.RequestsReceived() >= before + 6; })) {
            probe.Stop();
            return Fail("no keep-alive ticks");
        }
        sim.SetFaults({.silent = true});
        if (!WaitUntil([&] { return !window.Connected(); })) {
            probe.Stop();
            return Fail("the silent device was not noticed");
        }
    }
    const auto elapsed = Clock::now() - start;
    const auto delays = probe.Stop();
    const auto messages = OnGui([&] { return answers.messages; });
    PrintDelays("b) keep-alive, then a silent device", delays);
    std::printf("     %d rounds in %.1f s; message boxes: %zu (%s)\n", rounds, Seconds(elapsed),
                messages.size(), messages.empty() ? "none" : messages.front().c_str());
    return true;
}

// c) The login at 9600 baud: wrong password, then the right one; `rounds` times.
bool CaseLogin(Probe& probe, AnswerAll& answers, int rounds) {
    vyrsim::Simulator sim;
    if (!StartSimulator(sim, {.baud = 9600}))
        return false;
    Window window(sim);
    OnGui([&] { answers.messages.clear(); });
    std::vector<Clock::duration> delays;
    for (int i = 0; i < rounds; ++i) {
        window.Press(true);
        if (!window.WaitForLoginDialog())
            return Fail("no login dialog");
        probe.Start();
        window.SubmitLogin(kUser, "wrong");
        const bool refused = window.WaitForLoginResult();
        window.SubmitLogin(kUser, kPassword);
        const bool accepted = window.WaitForLoggedIn();
        auto some = probe.Stop();
        delays.insert(delays.end(), some.begin(), some.end());
        if (!refused || !accepted)
            return Fail("the login got no answer");
        window.Press(false);
        WaitUntil([&] { return !window.Connected() && !window.Busy(); });
    }
    const auto messages = OnGui([&] { return answers.messages; });
    PrintDelays("c) login at 9600 baud: wrong, then right", delays);
    std::printf("     %d rounds; message boxes: %zu (%s)\n", rounds, messages.size(),
                messages.empty() ? "none" : messages.front().c_str());
    return true;
}

// e) Connecting until the login dialog shows, then disconnecting; `rounds` times.
bool CaseConnect(Probe& probe, int rounds) {
    vyrsim::Simulator sim;
    if (!StartSimulator(sim))
        return false;
    Window window(sim);
    probe.Start();
    for (int i = 0; i < rounds; ++i) {
        window.Press(true);
        if (!window.WaitForLoginDialog()) {
            probe.Stop();
            return Fail("no login dialog after connecting");
        }
        window.Press(false);
        if (!WaitUntil([&] { return !window.Connected() && !window.Busy(); })) {
            probe.Stop();
            return Fail("the disconnect did not end");
        }
    }
    PrintDelays("e) connect, then disconnect", probe.Stop());
    return true;
}

// f) Full loads from a fast device: the start and the end of a transfer; `runs` times.
bool CaseTransferStartAndEnd(Probe& probe, int runs) {
    vyrsim::Simulator sim;
    if (!StartSimulator(sim, {.latencyMs = 2}))
        return false;
    Window window(sim);
    if (!window.ConnectAndLogIn())
        return Fail("login for the transfers failed");
    probe.Start();
    for (int i = 0; i < runs; ++i) {
        if (!window.StartLoad() || !WaitUntil([&] { return window.LoadEnded(); }, 1ms)) {
            probe.Stop();
            return Fail("the load did not start or end");
        }
    }
    PrintDelays("f) load from a fast device: start and end", probe.Stop());
    window.Press(false);
    WaitUntil([&] { return !window.Busy(); });
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// d) A full load from the window against LoadFromDevice as vyrctl runs it, and the vyrctl
// program, on a device answering after `latencyMs`.
bool CaseLoadAgainstVyrctl(int runs, int latencyMs) {
    vyrsim::Simulator sim;
    if (!StartSimulator(sim, {.latencyMs = latencyMs}))
        return false;
    std::vector<double> windowSeconds, libSeconds, programSeconds;
    {
        Window window(sim);
        if (!window.ConnectAndLogIn())
            return Fail("login for the timed load failed");
        for (int i = 0; i < runs; ++i) {
            const auto start = Clock::now();
            if (!window.StartLoad())
                return Fail("the load did not start");
            if (!WaitUntil([&] { return window.LoadEnded(); }, 1ms))
                return Fail("the load did not end");
            windowSeconds.push_back(Seconds(Clock::now() - start));
        }
        window.Press(false);
        WaitUntil([&] { return !window.Busy(); });
    }
    for (int i = 0; i < runs; ++i) {
        vyr::DeviceConnection connection;
        connection.link.SetDiagnosticSink([](std::string_view) {});
        if (vyr::Connect(connection, sim.PortPath()).status != vyr::ConnectStatus::Connected ||
            vyr::Login(connection, L"superadmin", L"vyr-superadmin").status !=
                vyr::LoginStatus::Accepted)
            return Fail("vyrctl's connection failed");
        const vyr::SettingsModel start;
        const auto begin = Clock::now();
        const auto load = vyr::LoadFromDevice(connection, start.store, {}, vyr::NoProgress());
        libSeconds.push_back(Seconds(Clock::now() - begin));
        vyr::Disconnect(connection);
        if (load.status != vyr::TransferStatus::Done)
            return Fail("vyrctl's load failed");
    }
    const std::string file =
        (std::filesystem::temp_directory_path() / "vyr-bench-load.Vyr").string();
    const std::string command = std::string("VYR_PASSWORD=") + kPassword + " '" +
                                VYR_CTL_PROGRAM + "' device --port " + sim.PortPath() +
                                " load " + file + " 2>/dev/null";
    for (int i = 0; i < runs; ++i) {
        const auto begin = Clock::now();
        if (std::system(command.c_str()) != 0)
            return Fail("vyrctl device load failed");
        programSeconds.push_back(Seconds(Clock::now() - begin));
    }
    std::filesystem::remove(file);
    const double window = Median(windowSeconds), lib = Median(libSeconds),
                 program = Median(programSeconds);
    std::printf("d) full load, device answering after %d ms (median of %d):\n", latencyMs, runs);
    std::printf("  window, menu command to window updated       %7.3f s\n", window);
    std::printf("  LoadFromDevice as vyrctl runs it             %7.3f s   ratio window/vyrctl %.3f %s\n",
                lib, window / lib, window / lib <= 1.02 ? "ok" : "OVER 1.02");
    std::printf("  vyrctl device load (process, login, file)    %7.3f s   ratio window/vyrctl %.3f\n",
                program, window / program);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int loadSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    wxApp::SetInstance(new BenchApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "cannot start the window toolkit (is there a display?)\n");
        return 1;
    }
    wxTheApp->SetExitOnFrameDelete(false);
    AnswerAll answers;
    answers.Register();

    bool ok = true;
    std::thread script([&] {
        Probe probe;
        std::printf("event loop delay of a probe posted every %lld ms (goal: max under 33 ms):\n",
                    static_cast<long long>(kProbeInterval.count()));
        std::fflush(stdout);
        bool loadAvailable = false;
        ok = CaseLoad(probe, loadSeconds, loadAvailable) && ok;
        std::fflush(stdout);
        ok = CaseSilent(probe, answers, 3) && ok;
        std::fflush(stdout);
        ok = CaseLogin(probe, answers, 3) && ok;
        std::fflush(stdout);
        ok = CaseConnect(probe, 5) && ok;
        std::fflush(stdout);
        if (loadAvailable)
            ok = CaseTransferStartAndEnd(probe, 3) && ok;
        std::fflush(stdout);
        if (loadAvailable)
            ok = CaseLoadAgainstVyrctl(3, 2) && ok;
        else
            std::printf("d) skipped: the window's load command shows no progress\n");
        std::fflush(stdout);
        OnGui([] { wxTheApp->ExitMainLoop(); });
    });
    wxTheApp->OnRun();
    script.join();
    answers.Unregister();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return ok ? 0 : 1;
}

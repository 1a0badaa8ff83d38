// Start-up and preset selection of the main window.
//   (1) Start-up: from just before vyradmin is started (posix_spawn, i.e. fork+exec) to the
//       moment this program reads the MapNotify of the top-level window titled
//       "Vyr Administration Software v2.2.6". Xvfb runs no window manager, so the frame maps
//       directly as a child of the root window, where SubstructureNotify reports it. Each run
//       gets an empty configuration root (XDG_CONFIG_HOME) and NO_AT_BRIDGE=1, and the
//       process is ended with SIGTERM and reaped before the next run. One unmeasured run
//       first, so that the figures are for a warm file cache.
//   (2) Preset selection, in this process: the window shown and settled, then
//       EditPreset() alternating between the first two preset buttons: the call alone, the
//       call with one wxYield, and the call to the first repainted frame (see
//       startup_window.cpp).
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/startup [RUNS] [options]
//     RUNS                 start-up runs (default 20)
//     --program PATH       the program started (default: vyradmin of this build tree)
//     --preset-runs N      timed selections, call alone and with wxYield (default 200)
//     --frame-runs N       timed selections to the first repainted frame (default 40)
//     --only startup|preset
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

extern char** environ;

namespace vyr::bench {
// Defined in startup_window.cpp (kept apart: the X11 headers' macros clash with wx headers).
// Prints its figures with `print`.
bool MeasureSelectPreset(const char* argv0, const std::string& configDir, int warmup, int runs,
                         int frameRuns, void (*print)(const char*, std::vector<double>));
}  // namespace vyr::bench

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kTitle = "Vyr Administration Software v2.2.6";
constexpr auto kMapTimeout = std::chrono::seconds(30);
constexpr auto kExitTimeout = std::chrono::seconds(5);

double Millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Median (mean of the two middle values for an even count), nearest-rank p90, extremes.
void PrintSummary(const char* label, std::vector<double> ms) {
    if (ms.empty()) {
        std::printf("%s: no runs\n", label);
        return;
    }
    std::sort(ms.begin(), ms.end());
    const std::size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    const auto rank90 = static_cast<std::size_t>(std::ceil(0.9 * static_cast<double>(n)));
    const double p90 = ms[std::max<std::size_t>(rank90, 1) - 1];
    const int precision = median < 10 ? 3 : 1;
    std::printf("%s: median %.*f ms (min %.*f, p90 %.*f, max %.*f, %zu runs)\n", label, precision,
                median, precision, ms.front(), precision, p90, precision, ms.back(), n);
}

// A directory of its own under the temporary directory, removed with this object.
class TempDir {
  public:
    explicit TempDir(const char* prefix) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        if (mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    bool Ok() const { return !path_.empty(); }
    // Removes what a run left inside, so that every run starts from an empty directory.
    void Empty() const {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(path_, ignored))
            std::filesystem::remove_all(entry.path(), ignored);
    }

  private:
    std::string path_;
};

// Windows of the started program may vanish between an event and a query about them.
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

class StartupProbe {
  public:
    StartupProbe(Display* display, std::string program, const std::string& configRoot)
        : display_(display), root_(DefaultRootWindow(display)), program_(std::move(program)) {
        netWmName_ = XInternAtom(display_, "_NET_WM_NAME", False);
        netWmPid_ = XInternAtom(display_, "_NET_WM_PID", False);
        utf8String_ = XInternAtom(display_, "UTF8_STRING", False);
        XSelectInput(display_, root_, SubstructureNotifyMask);
        XSync(display_, False);

        // The child's environment: ours, with its own configuration root and no
        // accessibility bridge.
        for (char** entry = environ; *entry; ++entry) {
            const std::string_view text(*entry);
            if (!text.starts_with("XDG_CONFIG_HOME=") && !text.starts_with("NO_AT_BRIDGE="))
                envStrings_.emplace_back(text);
        }
        envStrings_.push_back("XDG_CONFIG_HOME=" + configRoot);
        envStrings_.push_back("NO_AT_BRIDGE=1");
        for (auto& entry : envStrings_)
            env_.push_back(entry.data());
        env_.push_back(nullptr);
    }

    // One start: the time to the window being mapped, or nothing when it failed.
    std::optional<double> Run() {
        XSync(display_, True);  // drop what earlier runs left in the queue
        watched_.clear();

        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);  // own group, so that it ends as a whole
        char* argv[] = {program_.data(), nullptr};
        const auto start = Clock::now();
        const int error =
            posix_spawn(&pid_, program_.c_str(), nullptr, &attributes, argv, env_.data());
        posix_spawnattr_destroy(&attributes);
        if (error != 0) {
            std::fprintf(stderr, "cannot start %s: %s\n", program_.c_str(), std::strerror(error));
            pid_ = 0;
            return std::nullopt;
        }
        group_ = pid_;

        std::optional<double> result;
        const auto deadline = start + kMapTimeout;
        while (!result) {
            if (Clock::now() >= deadline) {
                std::fprintf(stderr, "no window titled \"%s\" within %lld s\n", kTitle.data(),
                             static_cast<long long>(kMapTimeout.count()));
                break;
            }
            if (Exited()) {
                std::fprintf(stderr, "%s ended before its window was mapped\n", program_.c_str());
                break;
            }
            if (!XPending(display_)) {
                pollfd fd{ConnectionNumber(display_), POLLIN, 0};
                poll(&fd, 1, 100);  // wakes at once for an event; checks the child meanwhile
                continue;
            }
            XEvent event;
            XNextEvent(display_, &event);
            const auto seen = Clock::now();  // before any round trip for the title
            if (Matches(event))
                result = Millis(seen - start);
        }
        Stop();
        return result;
    }

  private:
    bool Matches(const XEvent& event) {
        if (event.type == MapNotify && event.xmap.event == root_) {
            const Window window = event.xmap.window;
            if (Ours(window) && HasTitle(window))
                return true;
            // Mapped before its title was set: the title's arrival completes it.
            XSelectInput(display_, window, PropertyChangeMask);
            watched_.insert(window);
            return false;
        }
        if (event.type == UnmapNotify && event.xunmap.event == root_) {
            watched_.erase(event.xunmap.window);
            return false;
        }
        if (event.type == PropertyNotify && watched_.contains(event.xproperty.window) &&
            (event.xproperty.atom == netWmName_ || event.xproperty.atom == XA_WM_NAME)) {
            return Ours(event.xproperty.window) && HasTitle(event.xproperty.window);
        }
        return false;
    }

    // A window property's items as Xlib returns them (char for format 8, long for format
    // 32); empty when absent or of another type or format.
    template <typename Item>
    std::vector<Item> Property(Window window, Atom name, Atom type, int format) const {
        Atom actualType = 0;
        int actualFormat = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::vector<Item> items;
        if (XGetWindowProperty(display_, window, name, 0, 256, False, type, &actualType,
                               &actualFormat, &count, &after, &data) == Success &&
            data && actualFormat == format) {
            const auto* first = reinterpret_cast<const Item*>(data);
            items.assign(first, first + count);
        }
        if (data)
            XFree(data);
        return items;
    }

    // False only when the window names another process.
    bool Ours(Window window) const {
        const auto pid = Property<unsigned long>(window, netWmPid_, XA_CARDINAL, 32);
        return pid.size() != 1 || static_cast<pid_t>(pid[0]) == pid_;
    }

    bool HasTitle(Window window) const {
        const auto utf8 = Property<char>(window, netWmName_, utf8String_, 8);
        if (std::string_view(utf8.data(), utf8.size()) == kTitle)
            return true;
        const auto legacy = Property<char>(window, XA_WM_NAME, AnyPropertyType, 8);
        return std::string_view(legacy.data(), legacy.size()) == kTitle;
    }

    bool Exited() {
        int status = 0;
        if (pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = 0;
            return true;
        }
        return false;
    }

    // SIGTERM to the program's group, reaped; SIGKILL when it does not end in time. Then
    // anything left over (reparented to us as subreaper) is killed and reaped too.
    void Stop() {
        if (pid_ > 0) {
            kill(-pid_, SIGTERM);
            const auto deadline = Clock::now() + kExitTimeout;
            while (!Exited()) {
                if (Clock::now() >= deadline) {
                    std::fprintf(stderr, "no exit after SIGTERM, sending SIGKILL\n");
                    kill(-pid_, SIGKILL);
                    waitpid(pid_, nullptr, 0);
                    pid_ = 0;
                    break;
                }
                usleep(2000);
            }
        }
        if (group_ > 0 && kill(-group_, 0) == 0) {
            std::fprintf(stderr, "processes left in the group, sending SIGKILL\n");
            kill(-group_, SIGKILL);
            const auto deadline = Clock::now() + kExitTimeout;
            while (kill(-group_, 0) == 0 && Clock::now() < deadline) {
                waitpid(-1, nullptr, WNOHANG);
                usleep(2000);
            }
        }
        group_ = 0;
        while (waitpid(-1, nullptr, WNOHANG) > 0) {
        }
    }

    Display* display_;
    Window root_;
    std::string program_;
    Atom netWmName_ = 0;
    Atom netWmPid_ = 0;
    Atom utf8String_ = 0;
    std::vector<std::string> envStrings_;
    std::vector<char*> env_;
    std::set<Window> watched_;
    pid_t pid_ = 0;
    pid_t group_ = 0;
};

int MeasureStartup(const std::string& program, int runs) {
    if (access(program.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "cannot run %s\n", program.c_str());
        return 1;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open display %s\n", std::getenv("DISPLAY"));
        return 1;
    }
    XSetErrorHandler(IgnoreXError);
    // Whatever the program starts stays our child, so that nothing outlives a run.
    prctl(PR_SET_CHILD_SUBREAPER, 1);

    TempDir configRoot("vyr-bench-config");
    if (!configRoot.Ok()) {
        std::fprintf(stderr, "cannot create a temporary directory\n");
        XCloseDisplay(display);
        return 1;
    }
    StartupProbe probe(display, program, configRoot.Path());
    std::printf("start-up: %s\n", program.c_str());

    const auto first = probe.Run();
    configRoot.Empty();
    if (!first) {
        XCloseDisplay(display);
        return 1;
    }
    std::printf("start-up, first run (not counted): %.1f ms\n", *first);

    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto time = probe.Run();
        configRoot.Empty();
        if (!time) {
            XCloseDisplay(display);
            return 1;
        }
        ms.push_back(*time);
    }
    XCloseDisplay(display);
    PrintSummary("start-up to window mapped", ms);
    return 0;
}

int MeasurePreset(const char* argv0, int runs, int frameRuns) {
    TempDir configDir("vyr-bench-preset");
    if (!configDir.Ok()) {
        std::fprintf(stderr, "cannot create a temporary directory\n");
        return 1;
    }
    constexpr int kWarmup = 10;
    return vyr::bench::MeasureSelectPreset(argv0, configDir.Path(), kWarmup, runs, frameRuns,
                                           PrintSummary)
               ? 0
               : 1;
}

void Usage() {
    std::fprintf(stderr,
                 "usage: startup [RUNS] [--program PATH] [--preset-runs N] [--frame-runs N] "
                 "[--only startup|preset]\n");
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 20;
    int presetRuns = 200;
    int frameRuns = 40;
    std::string program = VYR_ADMIN_PROGRAM;
    bool startup = true, preset = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument == "--program" && i + 1 < argc) {
            program = argv[++i];
        } else if (argument == "--preset-runs" && i + 1 < argc) {
            presetRuns = std::max(1, std::atoi(argv[++i]));
        } else if (argument == "--frame-runs" && i + 1 < argc) {
            frameRuns = std::max(1, std::atoi(argv[++i]));
        } else if (argument == "--only" && i + 1 < argc) {
            const std::string_view which(argv[++i]);
            startup = which == "startup";
            preset = which == "preset";
            if (!startup && !preset) {
                Usage();
                return 2;
            }
        } else if (!argument.empty() && argument[0] != '-') {
            runs = std::max(1, std::atoi(argv[i]));
        } else {
            Usage();
            return 2;
        }
    }
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        std::fprintf(stderr,
                     "startup needs an X display; run it under Xvfb:\n"
                     "  xvfb-run -a -s \"-screen 0 1280x1024x24\" build/bench/startup\n");
        return 2;
    }
    // Same conditions for the in-process window as for the started program.
    setenv("NO_AT_BRIDGE", "1", 1);

    if (startup && MeasureStartup(program, runs) != 0)
        return 1;
    if (preset && MeasurePreset(argv[0], presetRuns, frameRuns) != 0)
        return 1;
    return 0;
}

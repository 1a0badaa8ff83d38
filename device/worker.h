// The thread that talks to the device, so that the window never waits for it.
//
// One DeviceWorker per connection owns the DeviceConnection and runs jobs on a thread of its
// own, one at a time, in the order they were given. A job is a function of the connection
// and a Progress; what it returns is handed to its done-callback on the GUI thread through
// the "post to GUI" function given at construction (the window passes one built on
// wxEvtHandler::CallAfter; the worker knows no toolkit). Progress reports reach the GUI the
// same way, at most one every 50 ms; a job's last report always comes before its result.
//
// Everything but the jobs themselves is called on the GUI thread: Run, Cancel, Busy,
// Shutdown and the destructor. Only jobs touch the connection.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>

#include "device/connection.h"
#include "device/progress.h"

namespace vyr {

// One progress report as the GUI receives it.
struct ProgressReport {
    int done = 0;
    int total = 0;
    std::string key;  // the value moving now; empty when the step moves none
    int preset = 0;
};

class DeviceWorker {
  public:
    using GuiTask = std::function<void()>;
    // Runs the task on the GUI thread, later, in the order posted. Called from the worker
    // thread.
    using PostToGui = std::function<void(GuiTask)>;
    using ProgressHandler = std::function<void(const ProgressReport&)>;

    // Shortest time between two progress reports of a job (its last one aside).
    static constexpr std::chrono::milliseconds kProgressInterval{50};

    explicit DeviceWorker(PostToGui post);
    // Shutdown().
    ~DeviceWorker();
    DeviceWorker(const DeviceWorker&) = delete;
    DeviceWorker& operator=(const DeviceWorker&) = delete;

    // Queues a job. `work(DeviceConnection&, Progress&)` runs on the worker thread and
    // returns R (or nothing); then `done(R)` (or `done()`) runs on the GUI thread, unless the
    // worker was shut down meanwhile. `onProgress`, when given, receives the job's reports on
    // the GUI thread. Does nothing after Shutdown.
    template <typename Work, typename Done>
    void Run(Work work, Done done, ProgressHandler onProgress = {});

    // Asks every job given so far (the running one and those queued) to stop: their
    // Progress::CancelRequested() reads true, so an operation that checks it stops after
    // the exchange in flight. Their results still arrive. Later jobs are not affected.
    void Cancel();

    // True from Run until that job's result has been handed to its done-callback.
    bool Busy() const { return gui_->pending > 0; }

    // Cancels the running job, drops the queued ones, makes the port stop answering after
    // the read or write in flight (ports opened with ConnectStoppable), joins the thread and
    // closes the port. No result, progress report or done-callback runs afterwards, even
    // one already posted. Safe to call twice.
    void Shutdown();
    bool IsShutDown() const { return !gui_->alive; }

    // Set by Shutdown; a job hands it to ConnectStoppable.
    std::shared_ptr<const std::atomic<bool>> StopFlag() const { return stop_; }

  private:
    // What the GUI side shares with the tasks it was posted; GUI thread only.
    struct GuiSide {
        bool alive = true;
        int pending = 0;
    };
    // A job as the thread runs it: does the work, returns what to run on the GUI.
    using ErasedJob = std::function<GuiTask(DeviceConnection&, Progress&)>;
    struct Job {
        std::uint64_t id = 0;
        ErasedJob run;
        ProgressHandler onProgress;
    };
    class JobProgress;

    void Enqueue(ErasedJob run, ProgressHandler onProgress);
    void Loop();
    // Posts `task` to the GUI guarded by the GUI side: it runs only while the worker lives.
    void PostGuarded(GuiTask task, bool finishesJob);

    PostToGui post_;
    std::shared_ptr<GuiSide> gui_ = std::make_shared<GuiSide>();
    std::shared_ptr<std::atomic<bool>> stop_ = std::make_shared<std::atomic<bool>>(false);
    std::uint64_t nextId_ = 1;                 // GUI thread
    std::atomic<std::uint64_t> cancelBelow_{0};  // jobs with a smaller id are cancelled

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> queue_;
    bool stopping_ = false;

    DeviceConnection connection_;  // the worker thread's only
    std::thread thread_;
};

// Connect (connection.h) on a port that stops answering once `stop` reads true: each read or
// write after that fails at once and the port reports itself gone, so that an operation
// does not wait out its remaining attempts. The port failure diagnostics are Link::Open's.
ConnectResult ConnectStoppable(DeviceConnection& connection, const std::string& path,
                               std::shared_ptr<const std::atomic<bool>> stop);

template <typename Work, typename Done>
void DeviceWorker::Run(Work work, Done done, ProgressHandler onProgress) {
    using R = std::invoke_result_t<Work&, DeviceConnection&, Progress&>;
    ErasedJob run = [work = std::move(work), done = std::move(done)](
                        DeviceConnection& connection, Progress& progress) mutable -> GuiTask {
        if constexpr (std::is_void_v<R>) {
            work(connection, progress);
            return [done]() mutable { done(); };
        } else {
            // Shared so that the task stays copyable for a move-only result.
            auto result = std::make_shared<R>(work(connection, progress));
            return [done, result]() mutable { done(std::move(*result)); };
        }
    };
    Enqueue(std::move(run), std::move(onProgress));
}

}  // namespace vyr

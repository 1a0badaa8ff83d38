// What a device dialog asks of the window: running its exchanges on the connection's worker,
// and being told when a connection starts and when the dialog must close. The window
// implements DeviceAccess; tests implement it with a fake. Every call comes from the GUI
// thread.
#pragma once

#include <functional>

#include "device/connection.h"
#include "device/progress.h"
#include "device/user_level.h"
#include "device/worker.h"

namespace vyr {

class DeviceAccess {
  public:
    // Runs on the GUI thread after the work.
    using GuiStep = std::function<void()>;
    // Runs on the worker thread; what it returns is run on the GUI thread afterwards.
    using Work = std::function<GuiStep(DeviceConnection&, Progress&)>;
    // Receives a job's progress reports on the GUI thread.
    using ProgressHandler = std::function<void(const ProgressReport&)>;

    virtual ~DeviceAccess() = default;

    // Connected, and no job queued or running: a periodic exchange may start now.
    virtual bool MayRunJob() const = 0;
    // Queues `work` behind the jobs given so far. False, and nothing queued, when not
    // connected. The step it returns is dropped when the window closes first. `onProgress`,
    // when given, receives the job's progress reports.
    virtual bool RunJob(Work work, ProgressHandler onProgress = {}) = 0;
    // Asks the jobs given so far to stop after the exchange in flight; their steps still run.
    virtual void CancelJobs() = 0;
    // Who is logged in now.
    virtual UserLevel CurrentLevel() const = 0;
};

// A dialog that shows what it read from the device.
class DeviceView {
  public:
    virtual ~DeviceView() = default;
    // A connection was made: what was read from the previous device is forgotten.
    virtual void ConnectionStarted() {}
    // The connection ended or a user logged in: the view hides, stops its timers and
    // ignores results still in flight.
    virtual void CloseView() = 0;
};

}  // namespace vyr

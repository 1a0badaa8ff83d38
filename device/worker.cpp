#include "device/worker.h"

namespace vyr {

namespace {

// The device's port, until the worker stops: then it neither reads nor writes and reports
// itself gone.
class StoppablePort : public serial_link::SerialPort {
  public:
    StoppablePort(std::unique_ptr<serial_link::SerialPort> port,
                  std::shared_ptr<const std::atomic<bool>> stop)
        : port_(std::move(port)), stop_(std::move(stop)) {}

    std::size_t Read(void* buffer, std::size_t size, serial_link::Milliseconds total,
                     serial_link::Milliseconds gap) override {
        return Stopped() ? 0 : port_->Read(buffer, size, total, gap);
    }
    std::size_t Write(const void* buffer, std::size_t size,
                      serial_link::Milliseconds total) override {
        return Stopped() ? 0 : port_->Write(buffer, size, total);
    }
    bool Vanished() const override { return Stopped() || port_->Vanished(); }

  private:
    bool Stopped() const { return stop_->load(); }

    std::unique_ptr<serial_link::SerialPort> port_;
    std::shared_ptr<const std::atomic<bool>> stop_;
};

}  // namespace

// A job's Progress: keeps the latest report and posts it when the last one posted is at
// least kProgressInterval old; Flush posts what is still held.
class DeviceWorker::JobProgress : public Progress {
  public:
    JobProgress(DeviceWorker& worker, const Job& job) : worker_(worker), job_(job) {}

    void Report(int done, int total, std::string_view key, int preset) override {
        if (!job_.onProgress)
            return;
        latest_ = {done, total, std::string(key), preset};
        held_ = true;
        const auto now = std::chrono::steady_clock::now();
        if (!posted_ || now - lastPost_ >= kProgressInterval)
            Post(now);
    }

    bool CancelRequested() override {
        return worker_.stop_->load() || job_.id < worker_.cancelBelow_.load();
    }

    void Flush() {
        if (held_)
            Post(std::chrono::steady_clock::now());
    }

  private:
    void Post(std::chrono::steady_clock::time_point now) {
        worker_.PostGuarded([handler = job_.onProgress, report = latest_] { handler(report); },
                            false);
        posted_ = true;
        held_ = false;
        lastPost_ = now;
    }

    DeviceWorker& worker_;
    const Job& job_;
    ProgressReport latest_;
    bool held_ = false;
    bool posted_ = false;
    std::chrono::steady_clock::time_point lastPost_{};
};

DeviceWorker::DeviceWorker(PostToGui post) : post_(std::move(post)) {
    thread_ = std::thread([this] { Loop(); });
}

DeviceWorker::~DeviceWorker() {
    Shutdown();
}

void DeviceWorker::Enqueue(ErasedJob run, ProgressHandler onProgress) {
    if (!gui_->alive)
        return;
    ++gui_->pending;
    {
        std::lock_guard lock(mutex_);
        queue_.push_back({nextId_++, std::move(run), std::move(onProgress)});
    }
    wake_.notify_one();
}

void DeviceWorker::Cancel() {
    cancelBelow_.store(nextId_);
}

void DeviceWorker::Shutdown() {
    if (!gui_->alive)
        return;
    gui_->alive = false;
    gui_->pending = 0;
    cancelBelow_.store(nextId_);
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    stop_->store(true);
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
    Disconnect(connection_);
}

void DeviceWorker::Loop() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            job = std::move(queue_.front());
            queue_.pop_front();
        }
        JobProgress progress(*this, job);
        GuiTask finish = job.run(connection_, progress);
        progress.Flush();
        PostGuarded(std::move(finish), true);
    }
}

void DeviceWorker::PostGuarded(GuiTask task, bool finishesJob) {
    post_([gui = gui_, task = std::move(task), finishesJob] {
        if (!gui->alive)
            return;
        if (finishesJob)
            --gui->pending;
        task();
    });
}

ConnectResult ConnectStoppable(DeviceConnection& connection, const std::string& path,
                               std::shared_ptr<const std::atomic<bool>> stop) {
    Disconnect(connection);
    serial_link::Link& link = connection.link;
    serial_link::OpenError error;
    auto port = serial_link::OpenSerialPort(path, &error.kind, &error.reason);
    if (port == nullptr) {
        link.Diagnostic("serial_link: could not open serial port: invalid handle\n");
        link.Diagnostic("serial_link: %s: %s\n", path.c_str(), error.reason.c_str());
        return {ConnectStatus::PortFailed, error};
    }
    link.Attach(std::make_unique<StoppablePort>(std::move(port), std::move(stop)));
    if (!serial_link::SyncLink(link)) {
        link.Close();
        return {ConnectStatus::NoAnswer, {}};
    }
    connection.level = UserLevel::NotLoggedIn();
    return {ConnectStatus::Connected, {}};
}

}  // namespace vyr

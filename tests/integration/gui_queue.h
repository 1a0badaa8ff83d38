// Stands in for the window's event loop: the worker posts tasks into a list, the test thread
// runs them when it drains the list.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>

#include "device/worker.h"

namespace vyr::test {

class GuiQueue {
  public:
    using Clock = std::chrono::steady_clock;

    DeviceWorker::PostToGui Poster() {
        return [this](DeviceWorker::GuiTask task) {
            {
                std::lock_guard lock(mutex_);
                tasks_.push_back({Clock::now(), std::move(task)});
            }
            posted_.notify_all();
        };
    }

    // Runs the tasks posted until `done()` holds (checked after each task and at the start);
    // false when `limit` passed first.
    template <typename Pred>
    bool RunUntil(Pred done, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
        const auto end = Clock::now() + limit;
        while (!done()) {
            Entry entry;
            {
                std::unique_lock lock(mutex_);
                if (!posted_.wait_until(lock, end, [this] { return !tasks_.empty(); }))
                    return false;
                entry = std::move(tasks_.front());
                tasks_.pop_front();
            }
            postedAt_ = entry.postedAt;
            entry.task();
        }
        return true;
    }

    // Runs every task posted so far.
    void RunPending() {
        for (;;) {
            Entry entry;
            {
                std::lock_guard lock(mutex_);
                if (tasks_.empty())
                    return;
                entry = std::move(tasks_.front());
                tasks_.pop_front();
            }
            postedAt_ = entry.postedAt;
            entry.task();
        }
    }

    std::size_t Waiting() {
        std::lock_guard lock(mutex_);
        return tasks_.size();
    }

    // When the task running now was posted.
    Clock::time_point PostedAt() const { return postedAt_; }

  private:
    struct Entry {
        Clock::time_point postedAt;
        DeviceWorker::GuiTask task;
    };
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<Entry> tasks_;
    Clock::time_point postedAt_{};
};

}  // namespace vyr::test

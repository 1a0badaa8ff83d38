// The device worker against the simulator: order, threads, progress, cancel, shutdown.
#include <semaphore>
#include <thread>

#include "device/transfer.h"
#include "device/worker.h"
#include "gui_queue.h"
#include "sim_fixture.h"

namespace vyr::test {
namespace {

class Worker : public ::testing::Test {
  protected:
    vyrsim::Simulator sim;
    GuiQueue gui;
    std::unique_ptr<DeviceWorker> worker = std::make_unique<DeviceWorker>(gui.Poster());

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim.Start(&error)) << error;
        ASSERT_EQ(Connect(ShortTimeouts()), ConnectStatus::Connected);
    }

    // Opens the simulator's port on the worker's connection.
    ConnectStatus Connect(const serial_link::Timeouts& timeouts) {
        std::optional<ConnectStatus> status;
        worker->Run(
            [&, stop = worker->StopFlag()](DeviceConnection& connection, Progress&) {
                connection.link.SetDiagnosticSink([](std::string_view) {});
                connection.link.SetTimeoutsForTesting(timeouts);
                return ConnectStoppable(connection, sim.PortPath(), stop).status;
            },
            [&](ConnectStatus s) { status = s; });
        EXPECT_TRUE(gui.RunUntil([&] { return status.has_value(); }));
        return status.value_or(ConnectStatus::PortFailed);
    }

    // A load of every preset whose result and reports land here.
    struct Load {
        std::optional<LoadResult> result;
        std::vector<ProgressReport> reports;
        std::vector<GuiQueue::Clock::time_point> postedAt;
        bool reportAfterResult = false;
    };
    void StartLoad(Load& load, std::shared_ptr<const SettingsModel> from,
                   std::function<void(const ProgressReport&)> onReport = {}) {
        worker->Run(
            [from](DeviceConnection& connection, Progress& progress) {
                return LoadFromDevice(connection, from->store, {}, progress);
            },
            [&load](LoadResult result) { load.result = std::move(result); },
            [this, &load, onReport](const ProgressReport& report) {
                load.reportAfterResult = load.reportAfterResult || load.result.has_value();
                load.reports.push_back(report);
                load.postedAt.push_back(gui.PostedAt());
                if (onReport)
                    onReport(report);
            });
    }
    static std::shared_ptr<const SettingsModel> Factory() {
        return std::make_shared<SettingsModel>();
    }
};

TEST_F(Worker, JobsRunInOrderAwayFromTheGuiThreadAndAnswerOnIt) {
    const auto gui_thread = std::this_thread::get_id();
    std::vector<int> order;
    std::vector<bool> workedOnGuiThread, doneOnGuiThread;
    for (int i = 0; i < 3; ++i) {
        worker->Run(
            [&, i](DeviceConnection&, Progress&) {
                workedOnGuiThread.push_back(std::this_thread::get_id() == gui_thread);
                std::this_thread::sleep_for(std::chrono::milliseconds(20 * (3 - i)));
                return i;
            },
            [&](int value) {
                doneOnGuiThread.push_back(std::this_thread::get_id() == gui_thread);
                order.push_back(value);
            });
    }
    EXPECT_TRUE(worker->Busy());
    bool last = false;
    worker->Run([](DeviceConnection&, Progress&) {}, [&] { last = true; });
    ASSERT_TRUE(gui.RunUntil([&] { return order.size() == 2; }));
    EXPECT_TRUE(worker->Busy());
    ASSERT_TRUE(gui.RunUntil([&] { return last; }));
    EXPECT_FALSE(worker->Busy());
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(workedOnGuiThread, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(doneOnGuiThread, (std::vector<bool>{true, true, true}));
}

TEST_F(Worker, ProgressIsThrottledAndItsLastReportComesBeforeTheResult) {
    sim.SetFaults({.latencyMs = 1});  // about a second for the 860 values
    sim.WriteFile(SettingPath(4, "preset_name"), "Four");
    Load load;
    StartLoad(load, Factory());
    ASSERT_TRUE(gui.RunUntil([&] { return load.result.has_value(); }));
    ASSERT_EQ(load.result->status, TransferStatus::Done);
    EXPECT_EQ(load.result->loaded->store.Text(load.result->loaded->catalogue.Find("preset_name"), 4),
              "Four");
    ASSERT_GE(load.reports.size(), 3u);
    EXPECT_FALSE(load.reportAfterResult);
    EXPECT_EQ(load.reports.back().done, 860);
    EXPECT_EQ(load.reports.back().total, 860);
    // Reports left the worker at least the interval apart; only the final one may follow
    // sooner. The queue stamps a post a moment after the worker's own clock reading, so a
    // margin of a tenth keeps scheduling jitter out while unthrottled reports (a
    // millisecond apart) still fail.
    const auto least = DeviceWorker::kProgressInterval * 9 / 10;
    for (std::size_t i = 1; i + 1 < load.postedAt.size(); ++i)
        EXPECT_GE(load.postedAt[i] - load.postedAt[i - 1], least) << "report " << i;
    for (std::size_t i = 1; i < load.reports.size(); ++i)
        EXPECT_GE(load.reports[i].done, load.reports[i - 1].done);
}

TEST_F(Worker, CancelStopsTheRunningLoadAndTheQueuedOnesButNotLaterJobs) {
    sim.SetFaults({.latencyMs = 1});
    // The job reads its own copy: the window's store is the GUI thread's.
    auto store = std::make_shared<SettingsModel>();
    const int name = store->catalogue.Find("preset_name");
    store->store.StoreSetting(name, 3, "Mine");
    Load first, queued, later;
    StartLoad(first, store, [&](const ProgressReport& report) {
        if (report.done >= 100 && !worker->IsShutDown()) {
            worker->Cancel();
            StartLoad(later, store);
        }
    });
    StartLoad(queued, store);
    ASSERT_TRUE(gui.RunUntil([&] { return first.result && queued.result; }));
    EXPECT_EQ(first.result->status, TransferStatus::Cancelled);
    EXPECT_EQ(first.result->loaded, nullptr);
    EXPECT_LT(first.reports.back().done, 860);
    EXPECT_EQ(queued.result->status, TransferStatus::Cancelled);
    EXPECT_TRUE(queued.reports.empty());
    EXPECT_EQ(store->store.Text(name, 3), "Mine");

    ASSERT_TRUE(gui.RunUntil([&] { return later.result.has_value(); }));
    EXPECT_EQ(later.result->status, TransferStatus::Done);
    // The connect's two loopback frames; the cancelled load up to the value in flight when
    // it was told (its last report names it); nothing from the queued load; the later load's
    // 860 values and its read of the active preset.
    EXPECT_EQ(sim.RequestsReceived(), 2 + (first.reports.back().done + 1) + 860 + 1);
}

TEST_F(Worker, ShutdownDuringAnExchangeReturnsSoonAndRunsNoResult) {
    // The real time-outs: a silent value costs 10 attempts of 644 ms, asked twice.
    ASSERT_EQ(Connect(serial_link::Timeouts{}), ConnectStatus::Connected);
    std::atomic<bool> silenced{false};
    sim.SetRequestObserver([&](const serial_link::CommandFrame& request) {
        if (request.command == serial_link::kReadFile && !silenced) {
            silenced = true;
            sim.SetFaults({.silent = true});
        }
    });
    auto ran = std::make_shared<int>(0);
    Load load;
    StartLoad(load, Factory(), [ran](const ProgressReport&) { ++*ran; });
    worker->Run([](DeviceConnection&, Progress&) { return 1; }, [ran](int) { ++*ran; });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!silenced && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(silenced);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // inside the first attempt
    ASSERT_GT(gui.Waiting(), 0u);  // the load's first report, not yet delivered

    const double seconds = SecondsFor([&] { worker.reset(); });
    // One read in flight (644 ms) at most; without the stop the value's remaining attempts
    // alone take more than 5 s.
    EXPECT_LT(seconds, 4.0);
    gui.RunPending();
    EXPECT_EQ(*ran, 0);
    EXPECT_FALSE(load.result.has_value());
    sim.SetRequestObserver(nullptr);
}

TEST_F(Worker, AfterShutdownNothingRunsAndTheQueueIsDropped) {
    std::atomic<bool> blocked{true};
    std::binary_semaphore gate{0};
    int done = 0;
    worker->Run([&](DeviceConnection&, Progress&) { gate.acquire(); }, [&] { ++done; });
    worker->Run([&](DeviceConnection&, Progress&) { blocked = false; }, [&] { ++done; });
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        gate.release();
    });
    worker->Shutdown();
    release.join();
    EXPECT_FALSE(worker->Busy());
    EXPECT_TRUE(worker->IsShutDown());
    worker->Run([&](DeviceConnection&, Progress&) { blocked = false; }, [&] { ++done; });
    worker->Shutdown();  // again: nothing happens
    gui.RunPending();
    EXPECT_EQ(done, 0);
    EXPECT_TRUE(blocked);  // the queued jobs never ran
    EXPECT_EQ(gui.Waiting(), 0u);
}

}  // namespace
}  // namespace vyr::test

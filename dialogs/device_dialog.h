// What the device dialogs share: the table-built dialog, the exchanges on the connection's
// worker with one rule for results that come late, the busy state while any is outstanding,
// and the check of the user level before an action.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>

#include "dialogs/device_access.h"
#include "dialogs/table_dialog.h"

namespace vyr {

// The results a dialog awaits from work it started. A result is dropped when the dialog
// dropped what it awaited since the work began: when it was hidden, when a connection started
// or ended, or when it abandoned the work itself.
class AwaitedResults {
  public:
    // `showBusy` shows whether a result is awaited: true at every start, false once none is.
    explicit AwaitedResults(std::function<void(bool)> showBusy) : showBusy_(std::move(showBusy)) {}

    bool Busy() const { return awaited_ > 0; }

    // One more result awaited. The callback returned runs `done` with it, unless it was
    // dropped first; it may outlive the owner, and then does nothing.
    template <typename Result, typename Done>
    std::function<void(const Result&)> Await(Done done) {
        ++awaited_;
        showBusy_(true);
        return [this, wanted = StillWanted(), done = std::move(done)](const Result& result) {
            if (!wanted())
                return;
            OneLess();
            done(result);
        };
    }
    // A test that holds until what is awaited now is dropped: for steps before the result.
    std::function<bool()> StillWanted() const;
    // One result fewer is awaited: it arrived, or its work was never started.
    void OneLess();
    // Drops every result awaited; none is any more.
    void DropAll();

  private:
    std::function<void(bool)> showBusy_;
    int awaited_ = 0;
    // Counts the drops. Held weakly by the callbacks, which then do nothing once the owner is
    // gone.
    std::shared_ptr<unsigned> generation_ = std::make_shared<unsigned>(0);
};

// A dialog over the device: created hidden, on top of the main window; its exchanges run on
// the connection's worker, and it closes when the connection ends or a user logs in.
class DeviceDialog : public TableDialog, public DeviceView {
  public:
    // Where the dialog opens.
    enum class Placement { OverParent, OnScreen };
    // Whether the user logged in now may take an action: a rule of UserLevel.
    using LevelRule = bool (UserLevel::*)() const;

    // Showing from hidden centres the dialog; hiding drops the results still awaited.
    bool Show(bool show = true) override;

    // DeviceView
    void ConnectionStarted() override { DropResults(); }
    void CloseView() override { Hide(); }

    // One of the dialog's exchanges is queued or running.
    bool Busy() const { return results_.Busy(); }

  protected:
    // Created hidden, with a caption and on top of the main window.
    DeviceDialog(wxWindow* parent, DeviceAccess& device, std::string_view title, wxSize size,
                 Placement placement = Placement::OverParent);

    // Runs `work` (taking the DeviceConnection&, and the job's Progress& when it asks for
    // it) on the worker, then `done` with its result on the GUI thread, unless the result
    // was dropped meanwhile. False, and nothing awaited, when no connection took the job.
    template <typename Work, typename Done>
    bool Exchange(Work work, Done done);

    // `work`, unless its job was cancelled before it began: then it touches nothing and its
    // result is empty.
    template <typename Work>
    static auto UnlessCancelled(Work work);

    // Whether the user logged in now satisfies `rule`. When not, the dialog hides, so that a
    // dialog left open from a higher level cannot act; or, with a `refusal`, tells it.
    bool Permitted(LevelRule rule, std::string_view refusal = {});

    // Shows whether an exchange is outstanding: true at every start, false once none is.
    virtual void ShowBusy(bool) {}
    void DropResults() { results_.DropAll(); }
    AwaitedResults& Results() { return results_; }
    DeviceAccess& Device() { return device_; }

  private:
    template <typename Work>
    static auto RunWork(Work& work, DeviceConnection& connection, Progress& progress) {
        if constexpr (std::is_invocable_v<Work&, DeviceConnection&, Progress&>)
            return work(connection, progress);
        else
            return work(connection);
    }

    DeviceAccess& device_;
    Placement placement_;
    AwaitedResults results_{[this](bool busy) { ShowBusy(busy); }};
};

template <typename Work, typename Done>
bool DeviceDialog::Exchange(Work work, Done done) {
    using Result = std::decay_t<decltype(RunWork(work, std::declval<DeviceConnection&>(),
                                                 std::declval<Progress&>()))>;
    auto finish = results_.Await<Result>(std::move(done));
    const bool queued = device_.RunJob(
        [work = std::move(work), finish](DeviceConnection& connection,
                                         Progress& progress) mutable -> DeviceAccess::GuiStep {
            return [finish, result = RunWork(work, connection, progress)] { finish(result); };
        });
    if (!queued)
        results_.OneLess();
    return queued;
}

template <typename Work>
auto DeviceDialog::UnlessCancelled(Work work) {
    using Result = decltype(RunWork(std::declval<Work&>(), std::declval<DeviceConnection&>(),
                                    std::declval<Progress&>()));
    return [work = std::move(work)](DeviceConnection& connection,
                                    Progress& progress) mutable -> std::optional<Result> {
        if (progress.CancelRequested())
            return std::nullopt;
        return RunWork(work, connection, progress);
    };
}

}  // namespace vyr

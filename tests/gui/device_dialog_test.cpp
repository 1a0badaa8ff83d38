// What every device dialog relies on: the one rule for results that come late, the busy state
// it shows meanwhile, and the control table naming a control by a caption created before or
// after it.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/stattext.h>

#include "dialogs/device_dialog.h"
#include "ui/accessible.h"
#include "ui/control_table.h"

namespace vyr::test {
namespace {

// Records what a dialog would show: "busy", "idle", and the results that reach it.
struct Shown {
    std::vector<std::string> log;
    AwaitedResults results{[this](bool busy) { log.push_back(busy ? "busy" : "idle"); }};

    std::function<void(const int&)> Await() {
        return results.Await<int>(
            [this](const int& value) { log.push_back("result " + std::to_string(value)); });
    }
};

TEST(AwaitedResults, AResultEndsTheBusyStateBeforeItIsShown) {
    Shown shown;
    auto first = shown.Await();
    auto second = shown.Await();
    EXPECT_TRUE(shown.results.Busy());
    first(1);
    EXPECT_TRUE(shown.results.Busy());
    second(2);
    EXPECT_FALSE(shown.results.Busy());
    EXPECT_EQ(shown.log,
              (std::vector<std::string>{"busy", "busy", "result 1", "idle", "result 2"}));
}

// Hidden, or the connection ended: what was awaited counts for nothing, also once a later
// piece of work is awaited.
TEST(AwaitedResults, ADropMakesEarlierResultsCountForNothing) {
    Shown shown;
    auto stale = shown.Await();
    const auto wanted = shown.results.StillWanted();
    shown.results.DropAll();
    EXPECT_FALSE(shown.results.Busy());
    EXPECT_FALSE(wanted());
    auto fresh = shown.Await();
    stale(1);
    EXPECT_TRUE(shown.results.Busy());
    fresh(2);
    EXPECT_EQ(shown.log, (std::vector<std::string>{"busy", "idle", "busy", "idle", "result 2"}));
}

TEST(AwaitedResults, WorkNeverStartedEndsTheBusyState) {
    Shown shown;
    auto never = shown.Await();
    shown.results.OneLess();
    EXPECT_FALSE(shown.results.Busy());
    EXPECT_EQ(shown.log, (std::vector<std::string>{"busy", "idle"}));
}

TEST(AwaitedResults, AResultAfterItsOwnerIsGoneDoesNothing) {
    auto shown = std::make_unique<Shown>();
    auto late = shown->Await();
    const auto wanted = shown->results.StillWanted();
    shown.reset();
    EXPECT_FALSE(wanted());
    late(1);  // would touch the destroyed owner
}

// A caption may be created before or after the control it names; by id or by key, the
// control is named by its text and labelled by it.
TEST(ControlTable, NamesAControlByACaptionCreatedBeforeOrAfterIt) {
#ifdef __WXGTK__
    auto* frame = new wxFrame(nullptr, wxID_ANY, "table");
    ctl::Table table(frame);
    const ctl::Row rows[] = {
        {.kind = ctl::Kind::Label, .id = 101, .text = "Before:"},
        {.kind = ctl::Kind::TextField, .id = 102, .caption = 101},
        {.kind = ctl::Kind::TextField, .id = 103, .captionKey = "after"},
        {.kind = ctl::Kind::TextField, .id = 104, .caption = 105, .accessibleName = "Own name"},
        {.kind = ctl::Kind::Label, .id = 105, .key = "after", .text = "After:"},
    };
    const std::vector<wxWindow*> windows = table.Build(rows);
    EXPECT_EQ(AccessibleName(windows[1]), "Before:");
    EXPECT_TRUE(IsLabelledBy(windows[1], windows[0]));
    EXPECT_EQ(AccessibleName(windows[2]), "After:");
    EXPECT_TRUE(IsLabelledBy(windows[2], windows[4]));
    EXPECT_EQ(AccessibleName(windows[3]), "Own name");
    EXPECT_TRUE(IsLabelledBy(windows[3], windows[4]));
    EXPECT_EQ(table.Find("after"), windows[4]);
    frame->Destroy();
#else
    GTEST_SKIP() << "accessible names are set on GTK only";
#endif
}

}  // namespace
}  // namespace vyr::test

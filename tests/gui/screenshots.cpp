// Not a test: with VYR_SCREENSHOT_DIR set, writes one picture of the main window per page
// (scripts/screenshots runs it), plus the level-control page with the rows that only service
// users see. Skipped otherwise.
#include <cstdlib>
#include <string>

#include <wx/notebook.h>

#include "frame_fixture.h"

namespace vyr::test {
namespace {

// Reads the window's pixels back from the display server with ImageMagick's import: what
// the toolkit really drew.
void Capture(AdminSWFrm& frame, const std::string& file) {
    frame.Refresh();
    frame.Update();
    FrameWorld::Settle();
    const wxPoint at = frame.GetScreenPosition();
    const wxSize size = frame.GetSize();
    const std::string command = "import -window root -crop " + std::to_string(size.x) + "x" +
                                std::to_string(size.y) + "+" + std::to_string(at.x) + "+" +
                                std::to_string(at.y) + " +repage '" + file + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

using Screenshots = FrameTest;

TEST_F(Screenshots, EveryPage) {
    const char* folder = std::getenv("VYR_SCREENSHOT_DIR");
    if (folder == nullptr || *folder == '\0')
        GTEST_SKIP() << "VYR_SCREENSHOT_DIR not set";
    auto* notebook = dynamic_cast<wxNotebook*>(Frame().Control("notebook"));
    ASSERT_NE(notebook, nullptr);
    Frame().Raise();
    for (size_t page = 0; page < notebook->GetPageCount(); ++page) {
        notebook->SetSelection(page);
        Capture(Frame(), std::string(folder) + "/page" + std::to_string(page + 1) + ".png");
    }
    wxWindow* levelPage = notebook->GetPage(notebook->GetPageCount() - 1);
    std::vector<wxWindow*> hidden;
    for (wxWindow* child : levelPage->GetChildren()) {
        if (!child->IsShown()) {
            hidden.push_back(child);
            child->Show();
        }
    }
    Capture(Frame(), std::string(folder) + "/page8-service-rows.png");
    for (wxWindow* child : hidden)
        child->Hide();
}

}  // namespace
}  // namespace vyr::test

// Test main for window tests: starts the toolkit without running an event loop.
#include <cstring>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

namespace {

// The default OnInit parses the command line and would reject the test options.
class TestApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

bool ListingOnly(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0)
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const bool listing = ListingOnly(argc, argv);  // before GoogleTest takes its options out
    testing::InitGoogleTest(&argc, argv);
    if (listing)
        return RUN_ALL_TESTS();  // lists without a display
    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        fprintf(stderr, "cannot start the window toolkit (is there a display?)\n");
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}

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

// A failed toolkit assertion fails the running test; the toolkit's own dialog would wait for a
// person for ever.
void ReportAssertion(const wxString& file, int line, const wxString& function,
                     const wxString& condition, const wxString& message) {
    ADD_FAILURE_AT(file.utf8_str(), line) << "toolkit assertion " << condition.utf8_str()
                                          << " in " << function.utf8_str() << ": "
                                          << message.utf8_str();
}

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
    wxSetAssertHandler(ReportAssertion);
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

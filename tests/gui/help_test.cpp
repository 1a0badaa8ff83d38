// The help file: where the program looks for it, the command that opens it, and what the
// window is told when it cannot be opened.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/utils.h>

#include "app/help.h"

namespace vyr::test {
namespace {

namespace fs = std::filesystem;
using Command = std::vector<std::string>;

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Records the commands OpenHelpFile would start instead of starting them.
class HelpTest : public testing::Test {
  protected:
    void SetUp() override {
        previous_ = SetCommandStarter(
            [this](const Command& command, std::string& error, const LateFailure&) {
                started_.push_back(command);
                if (!starterAnswer_)
                    error = "the viewer refused";
                return starterAnswer_;
            });
        file_ = fs::temp_directory_path() /
                ("vyr_help_test_" + std::to_string(wxGetProcessId()) + ".html");
        std::ofstream(file_) << "<html><body>help</body></html>\n";
    }
    void TearDown() override {
        SetCommandStarter(previous_);
        fs::remove(file_);
    }

    CommandStarter previous_;
    std::vector<Command> started_;
    bool starterAnswer_ = true;
    fs::path file_;
};

TEST_F(HelpTest, HelpFileIsInDocBesideTheProgram) {
    const fs::path expected = fs::path(VYR_TEST_BINARY_DIR) / "Doc" / "Vyr_help.html";
    EXPECT_EQ(fs::path(HelpFilePath()).lexically_normal(), expected.lexically_normal());
}

TEST_F(HelpTest, OpensAnExistingFileWithTheDesktopsApplication) {
    std::string error;
    EXPECT_TRUE(OpenHelpFile(file_.string(), error)) << error;
    ASSERT_EQ(started_.size(), 1u);
    EXPECT_EQ(started_[0], (Command{"xdg-open", file_.string()}));
    EXPECT_EQ(started_[0], OpenFileCommand(file_.string()));
}

TEST_F(HelpTest, TheFileIsOneArgumentWhateverItsName) {
    const fs::path odd = fs::temp_directory_path() /
                         ("vyr help $(false); 'x' \xc3\xa4 " + std::to_string(wxGetProcessId()));
    std::ofstream(odd) << "help\n";
    std::string error;
    EXPECT_TRUE(OpenHelpFile(odd.string(), error)) << error;
    fs::remove(odd);
    ASSERT_EQ(started_.size(), 1u);
    EXPECT_EQ(started_[0], (Command{"xdg-open", odd.string()}));
}

TEST_F(HelpTest, AMissingFileIsReportedAndNothingStarts) {
    const std::string missing = (fs::temp_directory_path() / "vyr_no_such_help.html").string();
    std::string error;
    EXPECT_FALSE(OpenHelpFile(missing, error));
    EXPECT_TRUE(started_.empty());
    EXPECT_NE(error.find(missing), std::string::npos) << error;
    EXPECT_NE(error.find("not found"), std::string::npos) << error;
}

TEST_F(HelpTest, ADirectoryOrNoPathIsNotAHelpFile) {
    std::string error;
    EXPECT_FALSE(OpenHelpFile(fs::temp_directory_path().string(), error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(OpenHelpFile("", error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(started_.empty());
}

TEST_F(HelpTest, AViewerThatCannotStartIsReported) {
    starterAnswer_ = false;
    std::string error;
    EXPECT_FALSE(OpenHelpFile(file_.string(), error));
    EXPECT_EQ(started_.size(), 1u);
    EXPECT_NE(error.find(file_.string()), std::string::npos) << error;
    EXPECT_NE(error.find("the viewer refused"), std::string::npos) << error;
}

TEST_F(HelpTest, AnEmptyStarterPutsTheRealOneBack) {
    SetCommandStarter({});
    const CommandStarter real = SetCommandStarter(previous_);
    ASSERT_TRUE(real);
    std::string error;
    EXPECT_FALSE(real({"vyr-no-such-program-4711", "x"}, error, {}));
    EXPECT_NE(error.find("vyr-no-such-program-4711"), std::string::npos) << error;
    EXPECT_TRUE(started_.empty());
}

TEST(StartDetached, AMissingProgramIsReported) {
    std::string error;
    EXPECT_FALSE(StartDetached({"vyr-no-such-program-4711", "/tmp/x.html"}, error));
    EXPECT_NE(error.find("vyr-no-such-program-4711"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(StartDetached({"/nonexistent/dir/viewer"}, error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(StartDetached({}, error));
    EXPECT_FALSE(error.empty());
}

TEST(StartDetached, DoesNotWaitForTheProgram) {
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    EXPECT_TRUE(StartDetached({"sleep", "3"}, error)) << error;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// xdg-open ends with status 3 when nothing is registered for the file: that is reported after
// the start; any other end is not.
TEST(StartDetached, ReportsAnOpenerThatFoundNoApplication) {
    for (const auto& [status, reported] :
         {std::pair{"3", true}, std::pair{"0", false}, std::pair{"4", false}}) {
        SCOPED_TRACE(status);
        std::string reason;
        bool ended = false;
        std::string error;
        ASSERT_TRUE(StartDetached({"sh", "-c", std::string("exit ") + status}, error,
                                  [&reason](const std::string& why) { reason = why; }))
            << error;
        // The end arrives through the event loop; a marker process shows when it is through.
        ASSERT_TRUE(StartDetached({"sh", "-c", "sleep 0.3; exit 3"}, error,
                                  [&ended](const std::string&) { ended = true; }));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!ended && std::chrono::steady_clock::now() < deadline) {
            wxYield();
            wxMilliSleep(10);
        }
        ASSERT_TRUE(ended);
        EXPECT_EQ(!reason.empty(), reported) << reason;
    }
}

// The help file shipped with the program: one self-contained page covering the whole window.
TEST(HelpFile, IsSelfContainedAndCoversTheProgram) {
    const std::string html = ReadAll(VYR_HELP_SOURCE);
    ASSERT_FALSE(html.empty()) << VYR_HELP_SOURCE;
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.find("</html>"), std::string::npos);
    for (const char* outside : {"http:", "https:", "src=", "<link", "@import", "<script"})
        EXPECT_EQ(html.find(outside), std::string::npos) << outside;
    for (const char* topic :
         {"id=\"connect\"", "id=\"login\"", "id=\"presets\"", "id=\"files\"", "id=\"offline\"",
          "id=\"pages\"", "id=\"service\"", "*.Vyr", "User software", "Record", "Encoding",
          "Playback", "Messaging", "Power", "Clock", "ALV"})
        EXPECT_NE(html.find(topic), std::string::npos) << topic;
    // Every in-page link leads to a section.
    for (std::size_t at = html.find("href=\"#"); at != std::string::npos;
         at = html.find("href=\"#", at + 1)) {
        const std::size_t begin = at + 7;
        const std::string id = html.substr(begin, html.find('"', begin) - begin);
        EXPECT_NE(html.find("id=\"" + id + "\""), std::string::npos) << id;
    }
}

#ifdef VYR_HELP_BUILT
TEST(HelpFile, IsCopiedBesideTheProgramInTheBuildTree) {
    EXPECT_EQ(ReadAll(VYR_HELP_BUILT), ReadAll(VYR_HELP_SOURCE));
}
#endif

}  // namespace
}  // namespace vyr::test

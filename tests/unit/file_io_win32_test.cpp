// Files on Windows: names in any script, a replacement that never destroys the old file, and
// devices and folders refused without reading from them.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "settings/file_io.h"
#include "settings/text.h"
#include "test_support.h"

namespace vyr {
namespace {

using test::TempDir;

// The file a UTF-8 name means, as the system sees it.
std::filesystem::path Native(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::size_t FileCount(const TempDir& dir) {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(dir.Path()), {}));
}

TEST(ReplaceFileContentOnWindows, ANameInAnyScriptSavesAndReadsBack) {
    TempDir dir;
    // German, Greek, Japanese and a character outside the basic plane (a surrogate pair).
    const std::string path = dir.File("Einstellungen-\xC3\xA4\xCE\xB1\xE6\x97\xA5\xF0\x9F\x8E\xA4.Vyr");
    std::string reason;
    ASSERT_TRUE(ReplaceFileContent(path, "first\n", &reason)) << reason;
    EXPECT_TRUE(std::filesystem::exists(Native(path)));
    ASSERT_TRUE(ReplaceFileContent(path, "second\n", &reason)) << reason;
    std::string content;
    ASSERT_EQ(ReadWholeFile(path, 100, content, reason), ReadStatus::Ok) << reason;
    EXPECT_EQ(content, "second\n");
    EXPECT_EQ(FileCount(dir), 1u) << "no temporary file is left behind";
}

TEST(ReplaceFileContentOnWindows, AReadOnlyFileIsLeftAsItWas) {
    TempDir dir;
    const std::string path = dir.File("kept.Vyr");
    ASSERT_TRUE(ReplaceFileContent(path, "the good old content\n"));
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    std::string reason;
    EXPECT_FALSE(ReplaceFileContent(path, "new\n", &reason));
    EXPECT_EQ(reason, "it is read-only");
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    std::string content;
    ASSERT_EQ(ReadWholeFile(path, 100, content, reason), ReadStatus::Ok);
    EXPECT_EQ(content, "the good old content\n");
    EXPECT_EQ(FileCount(dir), 1u);
}

TEST(ReplaceFileContentOnWindows, AMissingFolderIsReportedInTheUsualWords) {
    TempDir dir;
    std::string reason;
    EXPECT_FALSE(ReplaceFileContent(dir.File("no\\folder.Vyr"), "x", &reason));
    EXPECT_EQ(reason, "No such file or directory");
}

TEST(ReplaceFileContentOnWindows, SlashesAndBackslashesBothSeparate) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "sub");
    const std::string forward = dir.Path().string() + "/sub/a.Vyr";
    ASSERT_TRUE(ReplaceFileContent(forward, "a"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "sub" / "a.Vyr"));
    EXPECT_EQ(static_cast<std::size_t>(std::distance(
                  std::filesystem::directory_iterator(dir.Path() / "sub"), {})),
              1u);
}

TEST(ReadWholeFileOnWindows, DevicesAndFoldersAreRefusedWithoutReading) {
    TempDir dir;
    std::string content = "stale", reason;
    // NUL reads as empty for ever; CONIN$ would wait for a key.
    EXPECT_EQ(ReadWholeFile("NUL", 100, content, reason), ReadStatus::NotRegularFile);
    EXPECT_EQ(reason, "not a regular file");
    EXPECT_TRUE(content.empty());
    EXPECT_EQ(ReadWholeFile(dir.Path().string(), 100, content, reason), ReadStatus::CannotOpen);
    EXPECT_EQ(reason, "Is a directory");
    EXPECT_EQ(ReadWholeFile(dir.File("absent.Vyr"), 100, content, reason),
              ReadStatus::CannotOpen);
    EXPECT_EQ(reason, "No such file or directory");
}

TEST(ReadWholeFileOnWindows, AFileAboveTheLimitIsRefused) {
    TempDir dir;
    const std::string path = dir.File("big.Vyr");
    ASSERT_TRUE(ReplaceFileContent(path, std::string(101, 'x')));
    std::string content, reason;
    EXPECT_EQ(ReadWholeFile(path, 100, content, reason), ReadStatus::TooLarge);
    EXPECT_TRUE(content.empty());
    EXPECT_EQ(ReadWholeFile(path, 101, content, reason), ReadStatus::Ok);
    EXPECT_EQ(content.size(), 101u);
}

}  // namespace
}  // namespace vyr

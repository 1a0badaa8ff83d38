// Replacing a file must never destroy the old one, whatever fails on the way.
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <gtest/gtest.h>

#include "settings/file_io.h"
#include "test_support.h"

namespace vyr {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::size_t FileCount(const TempDir& dir) {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(dir.Path()), {}));
}

TEST(ReplaceFileContent, KeepsTheOldFileWhenAWriteFails) {
    TempDir dir;
    const std::string path = dir.File("good.Vyr");
    WriteFile(path, "the good old content\n");

    // Root ignores permissions, so a write failure is forced with a file size limit.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = ReplaceFileContent(path, std::string(100000, 'n'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadFile(path), "the good old content\n");
    EXPECT_EQ(FileCount(dir), 1u);  // no temporary file left behind
}

TEST(ReplaceFileContent, FailsCleanlyWhenTheTargetCannotBeReplaced) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "folder" / "inside");
    EXPECT_FALSE(ReplaceFileContent(dir.File("folder"), "content"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "folder" / "inside"));
    EXPECT_FALSE(ReplaceFileContent(dir.File("missing/file"), "content"));
    EXPECT_EQ(FileCount(dir), 1u);
}

TEST(ReplaceFileContent, ReplacesWholeAndKeepsPermissions) {
    TempDir dir;
    const std::string path = dir.File("kept.Vyr");
    WriteFile(path, "a much longer old content than the new one\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(ReplaceFileContent(path, "new\n"));
    EXPECT_EQ(ReadFile(path), "new\n");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(FileCount(dir), 1u);
}

}  // namespace
}  // namespace vyr

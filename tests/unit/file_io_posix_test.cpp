// Replacing a file must never destroy the old one, whatever fails on the way.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <system_error>

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

// A save puts a regular file in place of the target: never in place of a device, a FIFO or
// (through a link) whatever the link names, and never over a read-only file, root or not.
TEST(ReplaceFileContent, RefusesWhatIsNoRegularFileAndReadOnlyFilesUntouched) {
    TempDir dir;
    const std::string fifo = dir.File("fifo.Vyr");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink(fifo, dir.File("link.Vyr"));
    for (const std::string& target : {fifo, dir.File("link.Vyr"), std::string("/dev/null")}) {
        std::string reason;
        EXPECT_FALSE(ReplaceFileContent(target, "content", &reason)) << target;
        EXPECT_EQ(reason, "it is not a regular file") << target;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));

    const std::string kept = dir.File("kept.Vyr");
    WriteFile(kept, "precious\n");
    ASSERT_EQ(::chmod(kept.c_str(), 0444), 0);
    std::string reason;
    EXPECT_FALSE(ReplaceFileContent(kept, "content", &reason));
    EXPECT_EQ(reason, "it is read-only");
    EXPECT_EQ(ReadFile(kept), "precious\n");
    EXPECT_EQ(FileCount(dir), 3u) << "no temporary file is left behind";
}

// A writable file in a folder that refuses new files: the reason names the folder. Root may
// create files in any folder, so there the save goes through.
TEST(ReplaceFileContent, AFolderThatRefusesTheNewFileIsNamed) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    TempDir dir;
    const std::string folder = dir.File("locked");
    std::filesystem::create_directory(folder);
    const std::string path = folder + "/kept.Vyr";
    WriteFile(path, "precious\n");
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    std::string reason;
    EXPECT_FALSE(ReplaceFileContent(path, "content", &reason));
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(reason, "the folder " + folder + " cannot be written (Permission denied)");
    EXPECT_EQ(ReadFile(path), "precious\n");
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

TEST(ReplaceFileContent, WritesThroughASymbolicLinkAndKeepsIt) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "store");
    const std::string target = dir.File("store/real.Vyr");
    WriteFile(target, "old\n");
    // A chain: a relative link to a link that names the file by its full path.
    std::filesystem::create_symlink(target, dir.Path() / "store" / "latest.Vyr");
    std::filesystem::create_symlink("store/latest.Vyr", dir.Path() / "link.Vyr");

    ASSERT_TRUE(ReplaceFileContent(dir.File("link.Vyr"), "new\n"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "link.Vyr"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "store" / "latest.Vyr"));
    EXPECT_EQ(ReadFile(target), "new\n");
    EXPECT_EQ(FileCount(dir), 2u);  // the folder and the link: no temporary file anywhere
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path() / "store"), {}), 2);

    // A link to a file not yet there creates the file it names.
    std::filesystem::create_symlink("store/first.Vyr", dir.Path() / "dangling.Vyr");
    ASSERT_TRUE(ReplaceFileContent(dir.File("dangling.Vyr"), "first\n"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "dangling.Vyr"));
    EXPECT_EQ(ReadFile(dir.File("store/first.Vyr")), "first\n");

    // A loop of links is a failure with the system's reason, not a hang.
    std::filesystem::create_symlink("loop_b", dir.Path() / "loop_a");
    std::filesystem::create_symlink("loop_a", dir.Path() / "loop_b");
    std::string reason;
    EXPECT_FALSE(ReplaceFileContent(dir.File("loop_a"), "x", &reason));
    EXPECT_EQ(reason, std::generic_category().message(ELOOP));
}

TEST(ReplaceFileContent, ALongFileNameSaves) {
    TempDir dir;
    // 250 characters: the longest names leave no room for a suffix within NAME_MAX (255).
    const std::string name = std::string(246, 'n') + ".Vyr";
    ASSERT_EQ(name.size(), 250u);
    std::string reason;
    ASSERT_TRUE(ReplaceFileContent(dir.File(name), "first\n", &reason)) << reason;
    ASSERT_TRUE(ReplaceFileContent(dir.File(name), "second\n", &reason)) << reason;
    EXPECT_EQ(ReadFile(dir.File(name)), "second\n");
    EXPECT_EQ(FileCount(dir), 1u);
    const std::string longest(255, 'm');
    ASSERT_TRUE(ReplaceFileContent(dir.File(longest), "x", &reason)) << reason;
    EXPECT_EQ(ReadFile(dir.File(longest)), "x");
}

TEST(ReplaceFileContent, FailuresCarryTheSystemsReason) {
    TempDir dir;
    std::string reason;
    EXPECT_FALSE(ReplaceFileContent(dir.File("missing/file"), "content", &reason));
    EXPECT_EQ(reason, "No such file or directory");
    std::filesystem::create_directories(dir.Path() / "folder" / "inside");
    EXPECT_FALSE(ReplaceFileContent(dir.File("folder"), "content", &reason));
    EXPECT_EQ(reason, std::generic_category().message(EISDIR));
    EXPECT_EQ(FileCount(dir), 1u);
}

TEST(ReadWholeFile, ReadsARegularFileUpToItsLimit) {
    TempDir dir;
    const std::string path = dir.File("data");
    std::string content, reason;
    WriteFile(path, std::string(1000, 'a'));
    EXPECT_EQ(ReadWholeFile(path, 1000, content, reason), ReadStatus::Ok);
    EXPECT_EQ(content, std::string(1000, 'a'));
    EXPECT_EQ(reason, "");
    WriteFile(path, "");
    EXPECT_EQ(ReadWholeFile(path, 1000, content, reason), ReadStatus::Ok);
    EXPECT_EQ(content, "");

    WriteFile(path, std::string(1001, 'a'));
    EXPECT_EQ(ReadWholeFile(path, 1000, content, reason), ReadStatus::TooLarge);
    EXPECT_EQ(content, "");
    EXPECT_EQ(reason, "larger than 1000 bytes");
}

TEST(ReadWholeFile, RefusesWhatIsNoRegularFileWithoutWaitingOnIt) {
    TempDir dir;
    std::string content, reason;
    EXPECT_EQ(ReadWholeFile(dir.File("absent"), 10, content, reason), ReadStatus::CannotOpen);
    EXPECT_EQ(reason, "No such file or directory");
    EXPECT_EQ(ReadWholeFile(dir.Path().string(), 10, content, reason), ReadStatus::CannotOpen);
    EXPECT_EQ(reason, std::generic_category().message(EISDIR));
    // A FIFO without a writer would block an ordinary open; an endless device would never
    // end a read.
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReadWholeFile(fifo, 10, content, reason), ReadStatus::NotRegularFile);
    EXPECT_EQ(reason, "not a regular file");
    EXPECT_EQ(ReadWholeFile("/dev/zero", 10, content, reason), ReadStatus::NotRegularFile);
    EXPECT_EQ(content, "");
}

}  // namespace
}  // namespace vyr

// A save that was killed leaves its temporary file; the next save of the same target removes
// it, and nothing else: not another target's, not one a running save may still write.
#include <gtest/gtest.h>

#include <filesystem>

#include "settings/file_io.h"
#include "settings/temporary_files.h"
#include "test_support.h"

namespace vyr {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteFile;

TEST(TemporaryFiles, TheNextSaveOfATargetRemovesOnlyItsStaleTemporaries) {
    TempDir dir;
    const std::string target = dir.File("backup.Vyr");
    const std::string stale = dir.File(TemporaryPrefix("backup.Vyr") + "abc123");
    const std::string fresh = dir.File(TemporaryPrefix("backup.Vyr") + "def456");
    const std::string other = dir.File(TemporaryPrefix("other.Vyr") + "abc123");
    const std::string longer = stale + "x";  // not of the pattern: someone else's file
    for (const std::string& path : {stale, fresh, other, longer})
        WriteFile(path, "half a settings file");
    const auto old = fs::file_time_type::clock::now() - kStaleTemporaryAge - std::chrono::minutes(1);
    for (const std::string& path : {stale, other, longer})
        fs::last_write_time(path, old);

    ASSERT_TRUE(ReplaceFileContent(target, "content\n"));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(fresh));   // a save of the same target may be writing it now
    EXPECT_TRUE(fs::exists(other));   // another target's
    EXPECT_TRUE(fs::exists(longer));
    EXPECT_TRUE(fs::exists(target));
    // The save itself left no temporary file.
    int temporaries = 0;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        temporaries += IsTemporaryOf(entry.path().filename().string(), "backup.Vyr") ? 1 : 0;
    EXPECT_EQ(temporaries, 1);  // `fresh`
}

TEST(TemporaryFiles, ANameTellsItsTarget) {
    EXPECT_TRUE(IsTemporaryOf(TemporaryPrefix("a.Vyr") + "Zz09aB", "a.Vyr"));
    EXPECT_FALSE(IsTemporaryOf(TemporaryPrefix("b.Vyr") + "Zz09aB", "a.Vyr"));
    EXPECT_FALSE(IsTemporaryOf(TemporaryPrefix("a.Vyr") + "Zz09a", "a.Vyr"));
    EXPECT_FALSE(IsTemporaryOf("a.Vyr", "a.Vyr"));
    EXPECT_NE(TemporaryPrefix("a.Vyr"), TemporaryPrefix("A.Vyr"));
    EXPECT_EQ(TemporaryPrefix(std::string(255, 'n')).size(), 13u);
}

}  // namespace
}  // namespace vyr

// vyrctl file commands on what only POSIX systems have: symbolic links, FIFOs, /dev/zero.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "vyrctl_runner.h"

namespace vyr::test {
namespace {

class VyrctlPosixFile : public VyrctlTest {};

TEST_F(VyrctlPosixFile, DefaultsCountsALinkToNothingAsAnExistingFile) {
    // A link that names no file yet is something that exists too.
    std::filesystem::create_symlink("elsewhere.Vyr", File("link.Vyr"));
    EXPECT_EQ(Vyrctl("file defaults " + File("link.Vyr")).status, 4);
    EXPECT_FALSE(std::filesystem::exists(File("elsewhere.Vyr")));
}

TEST_F(VyrctlPosixFile, AFileThatIsNoRegularFileIsRefusedAtOnce) {
    const std::string fifo = File("fifo.Vyr");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {std::string("/dev/zero"), fifo}) {
        const Result run = Vyrctl("file check " + path);
        EXPECT_EQ(run.status, 5) << path;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "vyrctl: " + path +
                               ": The settings file has an invalid format and cannot be read. "
                               "(not a regular file)\n");
    }
}

}  // namespace
}  // namespace vyr::test

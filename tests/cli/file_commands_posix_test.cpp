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

// --force replaces a settings file, not whatever stands at the name: /dev/null stays a device
// (root included), a read-only file stays as it was.
TEST_F(VyrctlPosixFile, ForceReplacesOnlyAWritableRegularFile) {
    Result run = Vyrctl("file defaults /dev/null --force");
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, "vyrctl: cannot write /dev/null: it is not a regular file\n");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));

    const std::string kept = File("kept.Vyr");
    std::ofstream(kept, std::ios::binary) << "precious\n";
    ASSERT_EQ(::chmod(kept.c_str(), 0444), 0);
    run = Vyrctl("file defaults " + kept + " --force");
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, "vyrctl: cannot write " + kept + ": it is read-only\n");
    EXPECT_EQ(Slurp(kept), "precious\n");
}

// Output that never arrived is a failure: /dev/full takes nothing, and a command that printed
// into it has not done what it was asked.
TEST_F(VyrctlPosixFile, OutputThatCannotBeWrittenIsExitFour) {
    const std::string path = File("defaults.Vyr");
    ASSERT_EQ(Vyrctl("file defaults " + path).status, 0);
    const std::string err = File("err");
    for (const std::string& args : {"file dump " + path, std::string("--help")}) {
        EXPECT_EQ(RunCommand(VYRCTL, args, "", "/dev/full", err), 4) << args;
        EXPECT_EQ(Slurp(err), "vyrctl: cannot write the output: No space left on device\n")
            << args;
    }
    // A command that prints nothing has nothing to lose.
    EXPECT_EQ(RunCommand(VYRCTL, "file check " + path, "", "/dev/full", err), 0);
    // A failure keeps its own status, and still says the output was lost.
    EXPECT_EQ(RunCommand(VYRCTL, "file dump " + File("absent.Vyr"), "", "/dev/full", err), 4);
}

}  // namespace
}  // namespace vyr::test

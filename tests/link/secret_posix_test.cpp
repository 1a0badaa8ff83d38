// A process holding a password writes no core dump: checked in a child, since the switch
// cannot be turned back.
#include <gtest/gtest.h>

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "link/secret.h"

namespace serial_link {
namespace {

TEST(SecretPosix, CoreDumpsAreOffAfterKeepOutOfCoreDumps) {
    ASSERT_EQ(prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 1) << "the test process itself is dumpable";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        KeepOutOfCoreDumps();
        rlimit limit{};
        getrlimit(RLIMIT_CORE, &limit);
        const bool off = prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 0 && limit.rlim_cur == 0 &&
                         limit.rlim_max == 0;
        _exit(off ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace serial_link

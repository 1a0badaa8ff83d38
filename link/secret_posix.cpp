#include "link/secret.h"

#include <sys/resource.h>

#if defined(__linux__)
#include <sys/prctl.h>
#endif

namespace serial_link {

void WipeMemory(void* data, std::size_t size) {
    volatile unsigned char* bytes = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = 0;
}

void KeepOutOfCoreDumps() {
    const rlimit none{0, 0};
    setrlimit(RLIMIT_CORE, &none);
#if defined(__linux__)
    // A core dump handler of the system (systemd-coredump, apport) ignores RLIMIT_CORE.
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#endif
}

}  // namespace serial_link

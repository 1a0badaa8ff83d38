#include "link/secret.h"

#include <windows.h>

namespace serial_link {

void WipeMemory(void* data, std::size_t size) {
    SecureZeroMemory(data, size);
}

void KeepOutOfCoreDumps() {
    // Windows writes no dump of a process unless a debugger or an error reporter is set up.
}

}  // namespace serial_link

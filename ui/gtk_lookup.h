// Functions of the toolkit below wx, looked up at run time: wx has already loaded GTK and ATK,
// so the build needs no GTK development headers. Only for GTK builds.
#pragma once

#ifdef __WXGTK__
#include <dlfcn.h>

namespace vyr::gtk {

// The function `symbol` of a library already loaded, or nullptr.
template <typename F>
F Lookup(const char* symbol) {
    return reinterpret_cast<F>(dlsym(RTLD_DEFAULT, symbol));
}

}  // namespace vyr::gtk
#endif

// Port names on Linux: device paths, and stable names as links in /dev/serial/by-id.
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "link/port_names.h"

namespace serial_link {

std::string StableNamesDirectory() {
    const char* overridden = std::getenv("VYR_SERIAL_BY_ID");
    return overridden != nullptr && *overridden != '\0' ? overridden : "/dev/serial/by-id";
}

std::string DevicePath(const std::string& path) {
    if (path.empty())
        return path;
    std::error_code ec;
    const std::filesystem::path device = std::filesystem::canonical(path, ec);
    return ec ? path : device.string();
}

PortDescriptions FindPortDescriptions() {
    return {};
}

int PortIndex(const std::string& /*path*/) {
    return -1;
}

std::string PortForIndex(int /*index*/) {
    return {};
}

}  // namespace serial_link

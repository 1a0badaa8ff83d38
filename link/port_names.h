// Stable names of serial ports. A USB device gets another ttyACM number when it is plugged in
// again; the system keeps a name that follows the device (its maker, product and serial
// number) as a symbolic link in /dev/serial/by-id.
#pragma once

#include <map>
#include <string>

namespace serial_link {

// Device path (as ListSerialPorts gives it) → stable path (a link in the by-id directory).
using StableNames = std::map<std::string, std::string>;

// The directory of stable names: the environment variable VYR_SERIAL_BY_ID when set and not
// empty (tests, diagnostics), else /dev/serial/by-id.
std::string StableNamesDirectory();

// The links in `directory` by the device each one resolves to. A missing directory gives no
// names; a link whose device is gone is left out; of several links to one device the first
// by name is taken.
StableNames FindStableNames(const std::string& directory = StableNamesDirectory());

// The stable path of `devicePath`; empty when it has none.
std::string StableNameOf(const StableNames& names, const std::string& devicePath);

// The device a path names once every symbolic link is followed (a stable name gives today's
// device); `path` itself when it cannot be resolved (no such file, not a link: as given).
std::string DevicePath(const std::string& path);

// True when `path` lies directly in `directory` (a stable name the user typed).
bool IsInDirectory(const std::string& path, const std::string& directory);

}  // namespace serial_link

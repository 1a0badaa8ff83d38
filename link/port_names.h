// Names of serial ports. On Linux a USB device gets another ttyACM number when it is plugged
// in again; the system keeps a name that follows the device (its maker, product and serial
// number) as a symbolic link in /dev/serial/by-id. Windows keeps a device's COM number and
// describes the device behind it ("USB Serial Device (COM5)").
#pragma once

#include <map>
#include <string>

namespace serial_link {

// Device path (as ListSerialPorts gives it) → stable path (a link in the by-id directory).
using StableNames = std::map<std::string, std::string>;

// The directory of stable names: the environment variable VYR_SERIAL_BY_ID when set and not
// empty (tests, diagnostics), else /dev/serial/by-id; empty on a system without such names.
std::string StableNamesDirectory();

// The links in `directory` by the device each one resolves to. A missing directory gives no
// names; a link whose device is gone is left out; of several links to one device the first
// by name is taken.
StableNames FindStableNames(const std::string& directory = StableNamesDirectory());

// The stable path of `devicePath`; empty when it has none.
std::string StableNameOf(const StableNames& names, const std::string& devicePath);

// The device a path names once every symbolic link is followed (a stable name gives today's
// device); `path` itself when it cannot be resolved (no such file, not a link: as given). On
// Windows the port's name in its usual spelling ("com5", "\\.\COM5" → "COM5").
std::string DevicePath(const std::string& path);

// Port name → the system's description of the device behind it, where it keeps one (Windows:
// "USB Serial Device (COM5)"); empty elsewhere.
using PortDescriptions = std::map<std::string, std::string>;
PortDescriptions FindPortDescriptions();

// The port index a port name stands for ("COM5" is 4), for the remembered port; -1 where
// ports have no such number (Linux device paths).
int PortIndex(const std::string& path);
// The port name of an index (4 is "COM5"); empty where ports have no such number.
std::string PortForIndex(int index);

// True when `path` lies directly in `directory` (a stable name the user typed).
bool IsInDirectory(const std::string& path, const std::string& directory);

}  // namespace serial_link

// The serial ports the port choice offers, and which of them to select.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vyr {

// The port choice's entries by device path: the ports named with --port on the command line
// first (in the order given), then the ports found on this computer; each path once.
std::vector<std::string> PortEntries(const std::vector<std::string>& commandLinePorts,
                                     const std::vector<std::string>& found);

// The entry to select at start: the remembered path where it is in the list, else the device
// it resolves to today (`rememberedDevice`: a stable name follows the device to its new
// number), else the port the remembered index names (`indexedPort`: "COM5" for 4, where
// ports have such numbers), else the remembered index as a position when it lies inside the
// list, else the first entry; -1 for an empty list. A negative index is no position.
int ChoosePort(const std::vector<std::string>& entries, const std::string& rememberedPath,
               int rememberedIndex, const std::string& rememberedDevice = {},
               const std::string& indexedPort = {});

// The text of an entry: the device path, followed by the file name of its stable path in
// parentheses when it has one ("/dev/ttyACM0 (usb-Vyr_Microphone_0123-if00)"), else by the
// system's description of the device, without the port name it repeats ("COM5 (USB Serial
// Device)" for "USB Serial Device (COM5)").
std::string PortLabel(const std::string& devicePath, const std::string& stablePath,
                      const std::string& description = {});

// The entry to select after a rescan: where the previously selected path is now, else the
// first entry; -1 for an empty list.
int KeepSelection(const std::vector<std::string>& newEntries, const std::string& selectedPath);

}  // namespace vyr

// The serial ports the port choice offers, and which of them to select.
#pragma once

#include <string>
#include <vector>

namespace vyr {

// The port choice's entries by device path: the ports named with --port on the command line
// first (in the order given), then the ports found on this computer; each path once.
std::vector<std::string> PortEntries(const std::vector<std::string>& commandLinePorts,
                                     const std::vector<std::string>& found);

// The entry to select at start: the remembered path where it is in the list, else the
// remembered index when it lies inside the list, else the first entry; -1 for an empty list.
int ChoosePort(const std::vector<std::string>& entries, const std::string& rememberedPath,
               int rememberedIndex);

// The entry to select after a rescan: where the previously selected path is now, else the
// first entry; -1 for an empty list.
int KeepSelection(const std::vector<std::string>& newEntries, const std::string& selectedPath);

}  // namespace vyr

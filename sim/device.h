// The device's firmware: answers one request frame with the frames the device sends back.
#pragma once

#include <string>
#include <vector>

#include "link/frame.h"
#include "sim/device_clock.h"
#include "sim/file_tree.h"

namespace vyrsim {

using Replies = std::vector<serial_link::CommandFrame>;

class Device {
  public:
    // Starts in the factory state; `seconds` drives the measurement files (see FileTree).
    explicit Device(FileTree::SecondsSource seconds = {});

    // The frames that answer `request`, in order; none for a request the device does not
    // answer (the start of a firmware update).
    Replies Handle(const serial_link::CommandFrame& request);

    // Keeps the files in directory `path`: filled with the factory state when it is empty,
    // else taken as it is. False, with the reason, when the directory cannot be used.
    bool UseDirectory(const std::string& path, std::string* error);

    // A read-only device refuses every write and appended line (command 3).
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

    FileTree& Files() { return files_; }
    const FileTree& Files() const { return files_; }

  private:
    Replies WriteFile(const serial_link::CommandFrame& request);
    Replies ReadFile(const serial_link::CommandFrame& request);
    Replies Loopback(const serial_link::CommandFrame& request);
    Replies Message(const serial_link::CommandFrame& request);
    Replies SetPassword(const serial_link::CommandFrame& request);
    Replies LogIn(const serial_link::CommandFrame& request);
    Replies SetLevel(const serial_link::CommandFrame& request);
    Replies RunCommand(const serial_link::CommandFrame& request);
    Replies ReadLines(const serial_link::CommandFrame& request);
    Replies AppendLine(const serial_link::CommandFrame& request);

    struct Handler {
        std::uint32_t command;
        Replies (Device::*handle)(const serial_link::CommandFrame&);
    };
    static const Handler kHandlers[];

    FileTree files_;
    DeviceClock clock_;
    bool readOnly_ = false;
};

}  // namespace vyrsim

// What the connected device holds in its value files, as far as this connection has seen:
// known after a complete load of all presets or a complete send of all presets, kept up to
// date by every later load and send, and dropped when the connection ends.
#pragma once

#include <memory>
#include <optional>

#include "device/transfer.h"

namespace vyr {

class DeviceMirror {
  public:
    bool Known() const { return held_ != nullptr; }
    // The device's value files; nullptr while not known.
    const HeldValues* Held() const { return held_.get(); }
    // Changes at every Drop: a transfer started before it must not touch the mirror after.
    int Generation() const { return generation_; }

    // The connection ended or a new one starts: nothing is known any more.
    void Drop();
    // A complete load of all presets (`preset` empty) makes the mirror what was read; one
    // preset replaces that preset's files when the mirror is known.
    void TakeLoad(const HeldValues& read, std::optional<int> preset);
    // What a send changed on the device, whatever its status. A complete send of all presets
    // (`allPresets`) makes the mirror known: the files it did not write stay unknown.
    void TakeSend(const SendResult& result, bool allPresets);

  private:
    std::unique_ptr<HeldValues> held_;
    int generation_ = 0;
};

}  // namespace vyr

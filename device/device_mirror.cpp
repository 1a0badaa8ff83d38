#include "device/device_mirror.h"

namespace vyr {

void DeviceMirror::Drop() {
    held_.reset();
    ++generation_;
}

void DeviceMirror::TakeLoad(const HeldValues& read, std::optional<int> preset) {
    if (!preset)
        held_ = std::make_unique<HeldValues>(read);
    else if (held_)
        (*held_)[*preset] = read[*preset];
}

void DeviceMirror::TakeSend(const SendResult& result, bool allPresets) {
    if (!held_) {
        if (!allPresets || result.status != TransferStatus::Done)
            return;
        held_ = std::make_unique<HeldValues>();
    }
    for (const HeldValue& value : result.changed)
        (*held_)[value.preset][value.parameter] = value.text;
}

}  // namespace vyr

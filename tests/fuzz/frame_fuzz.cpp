// The frame decoder: any 444 bytes from the wire (a shorter input is padded with zeros)
// decode to a frame whose texts stay inside their fields, and encode back to the same bytes.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "fuzz_port.h"
#include "link/frame.h"

using namespace serial_link;

namespace {

std::uint32_t BigEndianAt(const WireFrame& wire, std::size_t at) {
    return std::uint32_t{wire[at]} << 24 | std::uint32_t{wire[at + 1]} << 16 |
           std::uint32_t{wire[at + 2]} << 8 | std::uint32_t{wire[at + 3]};
}

// A text read from a field: no NUL inside, at most the field's size, and the field's
// first bytes.
void CheckFieldText(std::string_view text, const unsigned char* field, std::size_t size) {
    VYR_FUZZ_CHECK(text.size() <= size);
    VYR_FUZZ_CHECK(text.find('\0') == std::string_view::npos);
    VYR_FUZZ_CHECK(std::memcmp(text.data(), field, text.size()) == 0);
    VYR_FUZZ_CHECK(text.size() == size || field[text.size()] == '\0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WireFrame wire{};
    std::copy_n(data, std::min(size, wire.size()), wire.begin());

    CommandFrame frame;
    DecodeFrame(wire, frame);
    VYR_FUZZ_CHECK(frame.command == BigEndianAt(wire, 0));
    VYR_FUZZ_CHECK(frame.payload_is_text == BigEndianAt(wire, 4 + kNameSize));

    const std::string_view name = frame.Name();
    CheckFieldText(name, &wire[4], kNameSize);
    // The payload is the wire's bytes, but for an integer in host order.
    const std::string_view text = frame.PayloadText();
    CheckFieldText(text, frame.payload.data(), kPayloadSize);
    VYR_FUZZ_CHECK(std::memcmp(frame.payload.data() + 4, &wire[12 + kNameSize],
                               kPayloadSize - 4) == 0);
    if (frame.payload_is_text != 0) {
        VYR_FUZZ_CHECK(std::memcmp(frame.payload.data(), &wire[8 + kNameSize], 4) == 0);
    } else {
        VYR_FUZZ_CHECK(frame.PayloadInteger() ==
                       static_cast<std::int32_t>(BigEndianAt(wire, 8 + kNameSize)));
    }

    // Back to the wire: the same bytes.
    WireFrame again{};
    EncodeFrame(frame, again);
    VYR_FUZZ_CHECK(again == wire);

    // The texts read from a frame build a frame again when they fit their fields.
    CommandFrame rebuilt;
    const bool fits = name.size() < kNameSize && text.size() < kPayloadSize;
    VYR_FUZZ_CHECK(BuildTextFrame(rebuilt, frame.command, name, text) == fits);
    if (fits) {
        VYR_FUZZ_CHECK(rebuilt.Name() == name);
        VYR_FUZZ_CHECK(rebuilt.PayloadText() == text);
    }
    VYR_FUZZ_CHECK(BuildIntegerFrame(rebuilt, frame.command, name, frame.PayloadInteger()) ==
                   (name.size() < kNameSize));
    return 0;
}

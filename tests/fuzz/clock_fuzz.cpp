// Clock texts: the device's date output and the form vyrctl prints and accepts. Whatever
// parses formats back to the same text, and no other text parses.
#include <cstdint>
#include <string>

#include "device/clock.h"
#include "fuzz_port.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto iso = vyr::ParseIsoTime(text))
        VYR_FUZZ_CHECK(vyr::FormatIsoTime(*iso) == text);
    if (const auto device = vyr::ParseDeviceTime(text)) {
        std::string expected = vyr::FormatIsoTime(*device);
        expected[4] = expected[7] = '/';
        expected[10] = '-';
        VYR_FUZZ_CHECK(expected == text);
        VYR_FUZZ_CHECK(vyr::ParseIsoTime(vyr::FormatIsoTime(*device)) == device);
    }
    return 0;
}

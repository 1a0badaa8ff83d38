// Microphone values: the parser of numbers, the entry check and what a device text shows.
// A checked entry shows a text that checks valid and unchanged; a shown device value reads
// back as itself; no parsed number is NaN or infinite.
#include <cmath>
#include <cstdint>
#include <string>

#include "device/microphone.h"
#include "fuzz_port.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto number = vyr::ParseMicNumber(text))
        VYR_FUZZ_CHECK(std::isfinite(*number));
    for (const vyr::MicValueSpec& value : vyr::kMicValues) {
        const vyr::MicCheck check = vyr::CheckMicEntry(value.kind, text);
        const vyr::MicCheck again = vyr::CheckMicEntry(value.kind, check.display);
        VYR_FUZZ_CHECK(again.valid && again.display == check.display);
        VYR_FUZZ_CHECK(check.deviceText == check.display + "\n");
        VYR_FUZZ_CHECK(check.deviceText.size() <= vyr::kMicValueTextSize);
        if (const auto shown = vyr::InterpretMicValue(value.kind, text))
            VYR_FUZZ_CHECK(vyr::InterpretMicValue(value.kind, *shown) == shown);
    }
    return 0;
}

// Line reads: ReadRemoteLines over a device whose bytes come from the fuzz input (see
// fuzz_port.h). Input: one byte choosing the file, then the chunks the device sends.
#include <array>
#include <cstdint>
#include <string>

#include "fuzz_port.h"
#include "link/protocol.h"

using namespace serial_link;

namespace {

const std::array<std::string_view, 3> kPaths = {
    "/chroma/service_notes",
    "/chroma/test_results",
    "/tmp/userlist",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::string_view path = kPaths[data[0] % kPaths.size()];
    vyr_fuzz::FuzzLink fuzz(data + 1, size - 1);

    int delivered = 0;
    int lines = 0;
    {
        LinkHold hold(fuzz.link);
        lines = ReadRemoteLines(hold, path, [&](std::string_view line) {
            // A line is the payload text of one frame: inside the field, no NUL.
            VYR_FUZZ_CHECK(line.size() <= kPayloadSize);
            VYR_FUZZ_CHECK(line.find('\0') == std::string_view::npos);
            // It is the text of the frame just read, a line frame of the file asked for.
            const CommandFrame& frame = fuzz.port->LastFrameRead();
            VYR_FUZZ_CHECK(fuzz.port->LastReadSize() == kFrameSize);
            VYR_FUZZ_CHECK(frame.command == kReadLines);
            VYR_FUZZ_CHECK(frame.Name() == path);
            VYR_FUZZ_CHECK(frame.PayloadText() == line);
            ++delivered;
        });
    }
    VYR_FUZZ_CHECK(lines == delivered);
    // Every line came in a whole frame of its own.
    VYR_FUZZ_CHECK(static_cast<std::size_t>(lines) * kFrameSize <= size);
    // One request; each line, and the end, waited for with at most 10 attempts.
    VYR_FUZZ_CHECK(fuzz.port->Writes() == 1);
    VYR_FUZZ_CHECK(fuzz.port->Reads() <= (lines + 1) * kAttempts);
    VYR_FUZZ_CHECK(fuzz.port->LastWritten().command == kReadLines);
    VYR_FUZZ_CHECK(fuzz.port->LastWritten().Name() == path);
    return 0;
}

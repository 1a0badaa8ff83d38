// Reply matching: the waits, the file reads, the loopback synchronisation and the login,
// fed from a device whose bytes come from the fuzz input (see fuzz_port.h).
//
// Input: one byte choosing the operation, one choosing the name waited for, one giving the
// number of attempts (1..20), then the chunks the device sends.
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "fuzz_port.h"
#include "device/connection.h"
#include "link/protocol.h"

using namespace serial_link;

namespace {

// The test value of every loopback synchronisation here (0x1234).
constexpr std::int32_t kLoopbackValue = 4660;

const std::string kLongName(kNameSize - 1, 'n');

// Names the program waits for, and one that fills the name field.
const std::array<std::string_view, 7> kNames = {
    "/tmp/hw_type",
    "/chroma/settings/current_preset",
    "/chroma/settings/3/mic_label",
    "SYSTEMCALL_TEMPTIME",
    "/chroma/users/admin",
    "LOOPBACKTEST",
    kLongName,
};

enum class Op : std::uint8_t {
    AwaitReply,
    AwaitDataReply,
    ReadStrict,
    ReadLoose,
    NumberWhole,
    NumberLeading,
    Sync,
    Login,
    WriteStrict,
    RunCommand,
    Count,
};

// Each attempt is one receive; a wait never reads more often than its attempts allow.
void CheckReads(const vyr_fuzz::FuzzPort& port, int allowed) {
    VYR_FUZZ_CHECK(port.Reads() <= allowed);
}

// A decimal number as the device's number files hold it: trailing blanks (spaces, tabs, line
// ends) removed, then leading white space, one optional sign and digits; nothing when the
// number does not fit 32 bits. With `whole` nothing may follow the digits.
std::optional<long> ExpectedNumber(const std::string& text, bool whole) {
    std::string trimmed = text;
    while (!trimmed.empty() && std::string_view(" \t\n\r").find(trimmed.back()) !=
                                   std::string_view::npos)
        trimmed.pop_back();
    std::size_t i = 0;
    while (i < trimmed.size() && std::isspace(static_cast<unsigned char>(trimmed[i])))
        ++i;
    if (i < trimmed.size() && (trimmed[i] == '+' || trimmed[i] == '-'))
        ++i;
    if (i == trimmed.size() || !std::isdigit(static_cast<unsigned char>(trimmed[i])))
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(trimmed.c_str(), &end, 10);
    if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX || (whole && *end != '\0'))
        return std::nullopt;
    return static_cast<long>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    const auto operation = static_cast<Op>(data[0] % static_cast<int>(Op::Count));
    const std::string_view name = kNames[data[1] % kNames.size()];
    const int attempts = data[2] % 20 + 1;
    vyr_fuzz::FuzzLink fuzz(data + 3, size - 3);
    Link& link = fuzz.link;
    link.SetLoopbackValuesForTesting([] { return kLoopbackValue; });

    switch (operation) {
        case Op::AwaitReply:
        case Op::AwaitDataReply: {
            CommandFrame reply;
            const bool strict = operation == Op::AwaitDataReply;
            const bool matched = strict ? AwaitDataReply(link, reply, name, attempts)
                                        : AwaitReply(link, reply, name, attempts);
            if (matched) {
                // The frame just read, whole, of the name waited for.
                VYR_FUZZ_CHECK(fuzz.port->LastReadSize() == kFrameSize);
                VYR_FUZZ_CHECK(reply.command == fuzz.port->LastFrameRead().command);
                VYR_FUZZ_CHECK(reply.Name() == name);
                VYR_FUZZ_CHECK(!strict || reply.command == kReply);
            }
            CheckReads(*fuzz.port, attempts);
            break;
        }
        case Op::ReadStrict:
        case Op::ReadLoose: {
            LinkHold hold(link);
            const auto text =
                ReadRemoteFile(hold, name, operation == Op::ReadStrict ? Match::Strict : Match::Loose,
                               attempts);
            if (text) {
                // The text of the frame just read: a reply to this request.
                const CommandFrame& frame = fuzz.port->LastFrameRead();
                VYR_FUZZ_CHECK(fuzz.port->LastReadSize() == kFrameSize);
                VYR_FUZZ_CHECK(frame.command == kReply);
                VYR_FUZZ_CHECK(frame.Name() == name);
                VYR_FUZZ_CHECK(*text == frame.PayloadText());
                VYR_FUZZ_CHECK(text->size() <= kPayloadSize);
            }
            // The request went out with the name asked for.
            VYR_FUZZ_CHECK(fuzz.port->Writes() == 1);
            VYR_FUZZ_CHECK(fuzz.port->LastWritten().Name() == name);
            VYR_FUZZ_CHECK(fuzz.port->LastWritten().command == kReadFile);
            CheckReads(*fuzz.port, attempts);
            break;
        }
        case Op::NumberWhole:
        case Op::NumberLeading: {
            LinkHold hold(link);
            constexpr long kFallback = -77;
            const bool whole = operation == Op::NumberWhole;
            const long number = vyr::ReadRemoteNumber(hold, name, kFallback, whole, Match::Strict);
            CheckReads(*fuzz.port, kAttempts);
            // The same exchange once more, read as text and parsed here.
            vyr_fuzz::FuzzLink again(data + 3, size - 3);
            LinkHold holdAgain(again.link);
            const auto text = ReadRemoteFile(holdAgain, name, Match::Strict);
            VYR_FUZZ_CHECK(number == (text ? ExpectedNumber(*text, whole).value_or(kFallback)
                                           : kFallback));
            break;
        }
        case Op::Sync: {
            const bool synced = SyncLink(link);
            // The test frame, its repeats (20 rounds at most) and the finishing frame.
            VYR_FUZZ_CHECK(fuzz.port->Writes() <= 21 + (synced ? 1 : 0));
            if (synced) {
                VYR_FUZZ_CHECK(fuzz.port->LastWritten().Name() == tag::kLoopbackFinished);
            } else {
                VYR_FUZZ_CHECK(fuzz.port->LastWritten().Name() == tag::kLoopbackTest);
            }
            // 20 rounds of 10 attempts, then 20 attempts for the finishing frame's answer.
            CheckReads(*fuzz.port, 20 * kAttempts + 2 * kAttempts);
            break;
        }
        case Op::Login: {
            const auto level = LoginUser(link, "admin", "secret");
            if (level) {
                // Only an integer answer carries a level; the login decides what it means.
                const CommandFrame& frame = fuzz.port->LastFrameRead();
                VYR_FUZZ_CHECK(frame.command == kReply);
                VYR_FUZZ_CHECK(frame.payload_is_text == 0);
                VYR_FUZZ_CHECK(frame.Name() == "/chroma/users/admin");
                VYR_FUZZ_CHECK(frame.PayloadInteger() == *level);
            }
            CheckReads(*fuzz.port, 2);
            break;
        }
        case Op::WriteStrict: {
            LinkHold hold(link);
            WriteRemoteFile(hold, name, "42");
            VYR_FUZZ_CHECK(fuzz.port->LastWritten().PayloadText() == "42");
            CheckReads(*fuzz.port, kAttempts);
            break;
        }
        case Op::RunCommand: {
            LinkHold hold(link);
            RunRemoteCommand(hold, name, "date +%Y/%m/%d-%H:%M:%S > /tmp/datestring",
                             (data[2] & 0x80) != 0);
            VYR_FUZZ_CHECK(fuzz.port->LastWritten().command == kRunCommand);
            CheckReads(*fuzz.port, kAttempts);
            break;
        }
        case Op::Count:
            break;
    }
    return 0;
}

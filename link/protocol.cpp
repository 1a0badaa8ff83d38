#include "link/protocol.h"

#include "link/secret.h"

namespace serial_link {

using protocol::recv_command;
using protocol::send_command;

namespace {

// A device that keeps asking for repeats, or keeps echoing wrong values, is given up on
// after this many rounds instead of being answered for ever.
constexpr int kMaxLoopbackRounds = 20;
// A line-by-line read ends here even if the device keeps sending.
constexpr int kMaxRemoteLines = 100000;

// Builds and sends a text request. A name or text that does not fit its field is refused
// here: nothing is sent and a diagnostic says so (without the text, which may be a password).
bool SendText(Link& link, std::uint32_t command, std::string_view name, std::string_view text) {
    CommandFrame frame;
    if (!BuildTextFrame(frame, command, name, text)) {
        link.Diagnostic(
            "serial_link: command %u not sent: a name of %zu or a text of %zu bytes does not fit "
            "the frame\n",
            command, name.size(), text.size());
        return false;
    }
    const bool sent = send_command(link, frame) == 1;
    WipeMemory(&frame, sizeof frame);  // it may carry a password
    return sent;
}

// `named`, when given, tells whether any frame of the wanted name arrived (a strict wait
// skips those of another command).
bool Await(Link& link, CommandFrame& reply, std::string_view name, int attempts, bool strict,
           bool* named = nullptr) {
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (strict)
            reply.command = kNoReply;
        if (recv_command(link, reply) == 1 && reply.Name() == name) {
            if (named != nullptr)
                *named = true;
            if (!strict || reply.command == kReply)
                return true;
        }
        // A closed port or a vanished device will not answer the next attempt either.
        if (!link.IsOpen() || link.Vanished())
            return false;
    }
    return false;
}

bool AwaitAs(Link& link, CommandFrame& reply, std::string_view name, Match match) {
    return Await(link, reply, name, kAttempts, match == Match::Strict);
}

// The loose wait for the answer to a request just sent, and what it said.
Answer AwaitAnswer(Link& link, std::string_view name) {
    CommandFrame reply;
    if (!Await(link, reply, name, kAttempts, false))
        return Answer::Silent;
    return reply.command == kReply ? Answer::Data : Answer::Refused;
}

}  // namespace

bool AwaitReply(Link& link, CommandFrame& reply, std::string_view name, int attempts) {
    return Await(link, reply, name, attempts, false);
}

bool AwaitDataReply(Link& link, CommandFrame& reply, std::string_view name, int attempts) {
    return Await(link, reply, name, attempts, true);
}

bool SyncLink(Link& link) {
    const std::int32_t value = link.NextLoopbackValue();
    CommandFrame test;
    BuildIntegerFrame(test, kLoopbackTest, tag::kLoopbackTest, value);
    send_command(link, test);

    // Every value, 0 included, must come back before the link counts as synchronised.
    for (int round = 0;; ++round) {
        if (round == kMaxLoopbackRounds) {
            link.Diagnostic("serial_link: loopback test given up after %d rounds\n", round);
            return false;
        }
        CommandFrame reply;
        if (!AwaitReply(link, reply, tag::kLoopbackTest, kAttempts))
            return false;
        if (reply.command == kLoopbackTest) {
            const std::int32_t echoed = reply.PayloadInteger();
            if (echoed == value)
                break;
            link.Diagnostic("\nLoopback test: Got %d, expected %d\n", echoed, value);
            send_command(link, test);
        } else if (reply.command == kRepeatRequest) {
            send_command(link, test);
        } else {
            link.Diagnostic("something's totally wrong here!\n");
            link.Diagnostic("recieved command: %d\n", static_cast<int>(reply.command));
            link.Diagnostic("device filename: %.*s\n", static_cast<int>(reply.Name().size()),
                            reply.Name().data());
        }
    }

    SendDeviceMessage(link, tag::kLoopbackFinished, kLoopbackFinishedText);
    CommandFrame finished;
    AwaitReply(link, finished, tag::kLoopbackFinished, 2 * kAttempts);
    link.FlushDiagnostics();
    return true;
}

RemoteRead FetchRemoteFile(const LinkHold& hold, std::string_view path, Match match,
                           int attempts) {
    Link& link = hold.link();
    if (!SendText(link, kReadFile, path, ""))
        return {Answer::Silent, {}};
    CommandFrame reply;
    bool named = false;
    if (!Await(link, reply, path, attempts, match == Match::Strict, &named))
        return {named ? Answer::Refused : Answer::Silent, {}};
    if (reply.command != kReply)
        return {Answer::Refused, {}};  // the device has no such file, or refused the request
    return {Answer::Data, std::string(reply.PayloadText())};
}

std::optional<std::string> ReadRemoteFile(const LinkHold& hold, std::string_view path, Match match,
                                          int attempts) {
    RemoteRead read = FetchRemoteFile(hold, path, match, attempts);
    if (read.answer != Answer::Data)
        return std::nullopt;
    return std::move(read.text);
}

bool WriteRemoteFile(const LinkHold& hold, std::string_view path, std::string_view text,
                     Match match) {
    Link& link = hold.link();
    CommandFrame reply;
    // A loose wait takes the first frame of the path's name; only a command-2 frame means
    // the device stored the text (a refusal carries the same name).
    return SendText(link, kWriteFile, path, text) && AwaitAs(link, reply, path, match) &&
           reply.command == kReply;
}

bool RunRemoteCommand(const LinkHold& hold, std::string_view tag, std::string_view commandLine,
                      bool strict) {
    Link& link = hold.link();
    CommandFrame reply;
    return SendText(link, kRunCommand, tag, commandLine) &&
           AwaitAs(link, reply, tag, strict ? Match::Strict : Match::Loose);
}

Answer RunCheckedCommand(const LinkHold& hold, std::string_view tag, std::string_view commandLine) {
    Link& link = hold.link();
    if (!SendText(link, kRunCommand, tag, commandLine))
        return Answer::Silent;
    return AwaitAnswer(link, tag);
}

int ReadRemoteLines(const LinkHold& hold, std::string_view path,
                    const std::function<void(std::string_view)>& onLine, Answer* ending) {
    Link& link = hold.link();
    Answer end = Answer::Silent;
    int lines = 0;
    if (SendText(link, kReadLines, path, "")) {
        CommandFrame reply;
        while (lines < kMaxRemoteLines && AwaitReply(link, reply, path, kAttempts)) {
            if (reply.command != kReadLines) {
                end = reply.command == kRefused ? Answer::Refused : Answer::Data;
                break;
            }
            onLine(reply.PayloadText());
            ++lines;
        }
    }
    if (ending != nullptr)
        *ending = end;
    return lines;
}

bool AppendRemoteLine(const LinkHold& hold, std::string_view path, std::string_view text) {
    Link& link = hold.link();
    CommandFrame reply;
    // As with a loose write: the line is stored only when the answer is command 2.
    return SendText(link, kAppendLine, path, text) && AwaitReply(link, reply, path, kAttempts) &&
           reply.command == kReply;
}

bool SendDeviceMessage(Link& link, std::string_view name, std::string_view text) {
    return SendText(link, kMessage, name, text);
}

std::optional<std::int32_t> LoginUser(Link& link, std::string_view user,
                                      std::string_view password, bool* answered) {
    const std::string name = std::string(path::kUsers) + std::string(user);
    CommandFrame reply;
    bool named = false;
    const bool replied =
        SendText(link, kLogin, name, password) && Await(link, reply, name, 2, true, &named);
    if (answered != nullptr)
        *answered = named;
    if (!replied)
        return std::nullopt;
    // The level is an integer; a text answer carries none, whatever its bytes look like.
    if (reply.payload_is_text != 0) {
        link.Diagnostic("serial_link: login answered with a text, taken as refused\n");
        return std::nullopt;
    }
    return reply.PayloadInteger();
}

Answer SetUserPassword(const LinkHold& hold, std::string_view user, std::string_view password) {
    Link& link = hold.link();
    const std::string name = std::string(path::kUsers) + std::string(user);
    if (!SendText(link, kSetPassword, name, password))
        return Answer::Silent;
    return AwaitAnswer(link, name);
}

Answer SetUserLevel(const LinkHold& hold, std::string_view user, int level) {
    Link& link = hold.link();
    const std::string name = std::string(path::kUsers) + std::string(user);
    CommandFrame frame;
    if (!BuildIntegerFrame(frame, kSetUserLevel, name, level)) {
        link.Diagnostic(
            "serial_link: command %u not sent: a name of %zu bytes does not fit the frame\n",
            static_cast<unsigned>(kSetUserLevel), name.size());
        return Answer::Silent;
    }
    if (send_command(link, frame) != 1)
        return Answer::Silent;
    return AwaitAnswer(link, name);
}

}  // namespace serial_link

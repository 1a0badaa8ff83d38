#include "sim/device.h"

#include <string>

#include "sim/accounts.h"
#include "sim/factory_state.h"
#include "sim/shell.h"

namespace vyrsim {

using serial_link::CommandFrame;
namespace cmd = serial_link;

namespace {

// Texts of refusals (command 3): the tool looks only at the command, a person at the text.
constexpr std::string_view kNoSuchFile = "No such file or directory";
constexpr std::string_view kNotPermitted = "Operation not permitted";
constexpr std::string_view kBadRequest = "Invalid request";
constexpr std::string_view kReadOnly = "Read-only file system";
constexpr std::string_view kWriteFailed = "Input/output error";

// At most what a text payload holds, and never past a NUL byte.
std::string_view PayloadCut(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    return text.substr(0, serial_link::kPayloadSize - 1);
}

CommandFrame TextReply(const CommandFrame& request, std::uint32_t command,
                       std::string_view text = {}) {
    CommandFrame reply;
    reply.command = command;
    reply.name = request.name;
    reply.payload_is_text = 1;
    reply.SetPayloadText(PayloadCut(text));  // always fits once cut
    return reply;
}

Replies Answer(const CommandFrame& request, std::string_view text = {}) {
    return {TextReply(request, cmd::kReply, text)};
}

Replies Refuse(const CommandFrame& request, std::string_view reason) {
    return {TextReply(request, cmd::kRefused, reason)};
}

bool IsText(const CommandFrame& request) {
    return request.payload_is_text == 1;
}

// Files the tool may read and write as files: plain paths, but not the user accounts.
bool IsFilePath(std::string_view path) {
    return IsPlainPath(path) && !path.starts_with(kUsersDirectory);
}

}  // namespace

const Device::Handler Device::kHandlers[] = {
    {cmd::kWriteFile, &Device::WriteFile},     {cmd::kReadFile, &Device::ReadFile},
    {cmd::kLoopbackTest, &Device::Loopback},   {cmd::kMessage, &Device::Message},
    {cmd::kSetPassword, &Device::SetPassword}, {cmd::kLogin, &Device::LogIn},
    {cmd::kSetUserLevel, &Device::SetLevel},   {cmd::kRunCommand, &Device::RunCommand},
    {cmd::kReadLines, &Device::ReadLines},     {cmd::kAppendLine, &Device::AppendLine},
};

Device::Device(FileTree::SecondsSource seconds) : files_(std::move(seconds)) {
    LoadFactoryState(files_);
}

bool Device::UseDirectory(const std::string& path, std::string* error) {
    if (!files_.UseDirectory(path, error))
        return false;
    if (files_.Empty())
        LoadFactoryState(files_);
    else
        LoadLiveFiles(files_);
    return true;
}

Replies Device::Handle(const CommandFrame& request) {
    for (const Handler& handler : kHandlers) {
        if (handler.command == request.command)
            return (this->*handler.handle)(request);
    }
    return Refuse(request, "Unknown command");
}

Replies Device::WriteFile(const CommandFrame& request) {
    const std::string path(request.Name());
    if (!IsText(request) || !IsFilePath(path))
        return Refuse(request, IsText(request) ? kNotPermitted : kBadRequest);
    if (readOnly_)
        return Refuse(request, kReadOnly);
    if (!files_.Write(path, std::string(request.PayloadText())))
        return Refuse(request, kWriteFailed);
    return Answer(request);
}

Replies Device::ReadFile(const CommandFrame& request) {
    const std::string path(request.Name());
    const auto content = IsFilePath(path) ? files_.Read(path) : std::nullopt;
    if (!content)
        return Refuse(request, kNoSuchFile);
    return Answer(request, *content);
}

Replies Device::Loopback(const CommandFrame& request) {
    if (IsText(request))
        return Refuse(request, kBadRequest);
    CommandFrame echo;
    echo.command = cmd::kLoopbackTest;
    echo.name = request.name;
    echo.payload_is_text = 0;
    echo.SetPayloadInteger(request.PayloadInteger());
    return {echo};
}

Replies Device::Message(const CommandFrame& request) {
    if (!IsText(request))
        return Refuse(request, kBadRequest);
    std::string line(request.PayloadText());
    if (line.empty() || line.back() != '\n')
        line += '\n';
    files_.Append(std::string(kConsoleLog), line);
    return Answer(request);
}

Replies Device::SetPassword(const CommandFrame& request) {
    const auto user = UserFromPath(request.Name());
    if (!IsText(request) || !user || !IsValidPassword(request.PayloadText()))
        return Refuse(request, kBadRequest);
    if (IsReservedAccount(*user))
        return Refuse(request, kNotPermitted);
    const std::string path = UserPath(*user);
    UserRecord record = ParseUser(files_.Read(path).value_or(""));
    record.password = std::string(request.PayloadText());
    files_.Write(path, FormatUser(record));
    return Answer(request);
}

Replies Device::LogIn(const CommandFrame& request) {
    const auto user = UserFromPath(request.Name());
    const auto content = user ? files_.Read(UserPath(*user)) : std::nullopt;
    if (!IsText(request) || !content)
        return Refuse(request, "Login incorrect");
    const UserRecord record = ParseUser(*content);
    if (!record.level || record.password != request.PayloadText())
        return Refuse(request, "Login incorrect");
    CommandFrame reply;
    reply.command = cmd::kReply;
    reply.name = request.name;
    reply.payload_is_text = 0;
    reply.SetPayloadInteger(*record.level);
    return {reply};
}

Replies Device::SetLevel(const CommandFrame& request) {
    const auto user = UserFromPath(request.Name());
    if (IsText(request) || !user || !IsUserLevel(request.PayloadInteger()))
        return Refuse(request, kBadRequest);
    if (IsReservedAccount(*user))
        return Refuse(request, kNotPermitted);
    const std::string path = UserPath(*user);
    const auto content = files_.Read(path);
    if (!content)  // an account is made by setting its password first
        return Refuse(request, kNoSuchFile);
    UserRecord record = ParseUser(*content);
    record.level = request.PayloadInteger();
    files_.Write(path, FormatUser(record));
    return Answer(request);
}

Replies Device::RunCommand(const CommandFrame& request) {
    if (!IsText(request))
        return Refuse(request, kBadRequest);
    switch (RunShellLine(request.PayloadText(), files_, clock_)) {
        case ShellOutcome::Done:
            return Answer(request);
        case ShellOutcome::NoAnswer:
            return {};
        case ShellOutcome::Refused:
            break;
    }
    return Refuse(request, "Command failed");
}

Replies Device::ReadLines(const CommandFrame& request) {
    const std::string path(request.Name());
    const auto content = IsFilePath(path) ? files_.Read(path) : std::nullopt;
    if (!content)
        return Refuse(request, kNoSuchFile);
    // Each line as stored, with its line feed; a last line without one is sent without.
    Replies replies;
    std::string_view rest = *content;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::size_t length = end == std::string_view::npos ? rest.size() : end + 1;
        replies.push_back(TextReply(request, cmd::kReadLines, rest.substr(0, length)));
        rest.remove_prefix(length);
    }
    replies.push_back(TextReply(request, cmd::kReply));  // end of the file
    return replies;
}

Replies Device::AppendLine(const CommandFrame& request) {
    const std::string path(request.Name());
    if (!IsText(request) || !IsFilePath(path))
        return Refuse(request, IsText(request) ? kNotPermitted : kBadRequest);
    if (readOnly_)
        return Refuse(request, kReadOnly);
    std::string line(request.PayloadText());
    if (line.empty() || line.back() != '\n')
        line += '\n';
    if (!files_.Append(path, line))
        return Refuse(request, kWriteFailed);
    return Answer(request);
}

}  // namespace vyrsim

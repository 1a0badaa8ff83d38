#include "device/connection.h"

#include "link/secret.h"
#include "settings/text.h"

namespace vyr {

using serial_link::LinkHold;
using serial_link::Match;

namespace {

// Room in the frame: the name holds "/chroma/users/" and the user, the payload the password,
// each with a NUL.
constexpr std::size_t kMaxUserName = serial_link::kNameSize - 1 - serial_link::path::kUsers.size();
constexpr std::size_t kMaxPassword = serial_link::kPayloadSize - 1;

}  // namespace

ConnectResult Connect(DeviceConnection& connection, const std::string& path) {
    Disconnect(connection);
    if (!connection.link.Open(path))
        return {ConnectStatus::PortFailed, connection.link.LastOpenError()};
    if (!serial_link::SyncLink(connection.link)) {
        connection.link.Close();
        return {ConnectStatus::NoAnswer, {}};
    }
    connection.level = UserLevel::NotLoggedIn();
    return {ConnectStatus::Connected, {}};
}

void Disconnect(DeviceConnection& connection) {
    connection.link.Close();
    connection.level = UserLevel::Nobody();
    connection.hardware = HardwareClass::NotConnected;
}

std::string OpenFailureText(const std::string& path, const serial_link::OpenError& error) {
    std::string text = "cannot open " + path + ": " + error.reason;
    // Named only where joining the group would open the port.
    if (error.kind == serial_link::PortError::PermissionDenied) {
        if (const std::string group = serial_link::GroupThatMayOpen(path); !group.empty())
            text += ". Add your user to the group '" + group + "'.";
    }
    return text;
}

LoginResult Login(DeviceConnection& connection, std::wstring_view user,
                  std::wstring_view password) {
    serial_link::Link& link = connection.link;
    const std::string name = NarrowSettingText(user, NarrowMode::Replace);
    const serial_link::Secret secret =
        serial_link::TakeSecret(NarrowSettingText(password, NarrowMode::Replace));
    if (name.size() > kMaxUserName || secret.View().size() > kMaxPassword)
        return {LoginStatus::TooLong, connection.level};
    bool answered = false;
    const auto answer = serial_link::LoginUser(link, name, secret.View(), &answered);
    if (!answer)
        return {LoginStatus::Refused, connection.level, answered};
    const auto level = UserLevel::FromAccount(*answer);
    if (!level) {
        // A garbled level must never grant rights.
        link.Diagnostic("serial_link: login answered with level %d, taken as refused\n",
                        static_cast<int>(*answer));
        return {LoginStatus::Refused, connection.level, true};
    }
    connection.level = *level;
    return {LoginStatus::Accepted, *level};
}

HardwareClass ReadHardwareClass(DeviceConnection& connection, serial_link::Answer* answer) {
    LinkHold hold(connection.link);
    const serial_link::RemoteRead read =
        serial_link::FetchRemoteFile(hold, kHardwareTypePath, Match::Strict);
    if (answer != nullptr)
        *answer = read.answer;
    const long flag =
        read.answer == serial_link::Answer::Data ? ParseRemoteNumber(read.text, 0, false) : 0;
    return flag == 1 ? HardwareClass::Recorder : HardwareClass::Standard;
}

long ReadRemoteNumber(const LinkHold& hold, std::string_view path, long fallback, bool whole,
                      Match match) {
    const auto text = serial_link::ReadRemoteFile(hold, path, match);
    return text ? ParseRemoteNumber(*text, fallback, whole) : fallback;
}

long ParseRemoteNumber(std::string_view text, long fallback, bool whole) {
    const std::string_view trimmed = TrimTrailingBlanks(text);
    if (whole)
        return ParseWholeInteger(trimmed).value_or(fallback);
    // The number at the start: blanks, a sign and digits; what follows is ignored.
    std::size_t end = trimmed.find_first_not_of(" \t\n\r\f\v");
    if (end == std::string_view::npos)
        return fallback;
    if (trimmed[end] == '+' || trimmed[end] == '-')
        ++end;
    while (end < trimmed.size() && trimmed[end] >= '0' && trimmed[end] <= '9')
        ++end;
    return ParseWholeInteger(trimmed.substr(0, end)).value_or(fallback);
}

std::string SettingPath(int preset, std::string_view key) {
    return std::string(serial_link::path::kSettings) + std::to_string(preset) + "/" +
           std::string(key);
}

}  // namespace vyr

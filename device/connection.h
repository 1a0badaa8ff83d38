// A connection to the device: the link, who is logged in, and what hardware answers. Every
// device operation works on one.
#pragma once

#include <string>
#include <string_view>

#include "device/user_level.h"
#include "link/link.h"
#include "link/protocol.h"
#include "link/secret.h"

namespace vyr {

// A password is held as a secret: kept out of core dumps, wiped when it goes.
using serial_link::KeepOutOfCoreDumps;
using serial_link::Secret;
using serial_link::TakeSecret;
using serial_link::WideSecret;

struct DeviceConnection {
    serial_link::Link link;
    UserLevel level = UserLevel::Nobody();
    HardwareClass hardware = HardwareClass::NotConnected;
};

enum class ConnectStatus { Connected, PortFailed, NoAnswer };

struct ConnectResult {
    ConnectStatus status = ConnectStatus::PortFailed;
    serial_link::OpenError openError;  // with PortFailed
};

// Opens the port and synchronises with the device; the level becomes "not logged in". On
// failure the port is closed again and the level is "nobody".
ConnectResult Connect(DeviceConnection& connection, const std::string& path);
// Closes the port; nobody is logged in.
void Disconnect(DeviceConnection& connection);

// The message for a port that could not be opened, e.g. "cannot open /dev/ttyACM0:
// Permission denied"; a permission problem adds how to get the right.
std::string OpenFailureText(const std::string& path, const serial_link::OpenError& error);

enum class LoginStatus { Accepted, Refused, TooLong };

struct LoginResult {
    LoginStatus status = LoginStatus::Refused;
    UserLevel level = UserLevel::Nobody();  // the connection's level afterwards
    // With Refused: the device answered the login (a refusal, or no level); otherwise no
    // answer came in time.
    bool answered = false;
};

// Sends the login with both texts held to the device's repertoire. A user name or password
// that does not fit the frame is refused before anything is sent. The answer counts only
// when it is an account level; then it becomes the connection's level.
LoginResult Login(DeviceConnection& connection, std::wstring_view user,
                  std::wstring_view password);

inline constexpr const char* kHardwareTypePath = "/tmp/hw_type";

// Reads /tmp/hw_type: 1 is the recorder, anything else (or no answer) the standard device.
// `answer`, when given, tells how the device answered the read.
HardwareClass ReadHardwareClass(DeviceConnection& connection,
                                serial_link::Answer* answer = nullptr);

// Reads a file holding a decimal number; `fallback` when the read or the number fails. With
// `whole` the number must be the whole text (trailing white space aside); else its leading
// digits count.
long ReadRemoteNumber(const serial_link::LinkHold& hold, std::string_view path, long fallback,
                      bool whole, serial_link::Match match);

// The number in a file's text, as ReadRemoteNumber takes it.
long ParseRemoteNumber(std::string_view text, long fallback, bool whole);

// "/chroma/settings/<preset>/<key>"
std::string SettingPath(int preset, std::string_view key);

}  // namespace vyr

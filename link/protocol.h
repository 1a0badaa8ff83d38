// What the frames mean: reply matching, the loopback synchronisation and the remote
// operations every other part of the program uses to talk to the device.
//
// Exchanges that need the link lock take a LinkHold; SyncLink and LoginUser are made
// without the lock (the connect path and the login).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "link/link.h"

namespace serial_link {

// Tags (names of command-line and loopback frames) and the device paths built on prefixes.
namespace tag {
inline constexpr std::string_view kLoopbackTest = "LOOPBACKTEST";
inline constexpr std::string_view kLoopbackFinished = "LOOPBACK_FINISHED";
inline constexpr std::string_view kTempTime = "SYSTEMCALL_TEMPTIME";
inline constexpr std::string_view kSetTime = "SETTIME";
inline constexpr std::string_view kSetPreset = "SETPRESET";
inline constexpr std::string_view kSystemCall = "SYSTEMCALL";
inline constexpr std::string_view kUserDelete = "CALLUSERDELETE";
inline constexpr std::string_view kUpdateCheck = "SYSTEMCALL_UPDATECHECK";
}  // namespace tag

namespace path {
inline constexpr std::string_view kChroma = "/chroma/";
inline constexpr std::string_view kSettings = "/chroma/settings/";
inline constexpr std::string_view kScripts = "/chroma/scripts/";
inline constexpr std::string_view kMics = "/chroma/mics/";
inline constexpr std::string_view kTmp = "/tmp/";
inline constexpr std::string_view kUsers = "/chroma/users/";
}  // namespace path

inline constexpr std::string_view kLoopbackFinishedText =
    "Loopback test passed, master and slave synced. Link established.\n";

// How a reply is waited for: Strict needs command 2 (AwaitDataReply); Loose takes any frame
// of the right name (AwaitReply) and, where data is read, then needs command 2.
enum class Match { Strict, Loose };

inline constexpr int kAttempts = 10;

// True as soon as a received frame's name equals `name`; false after `attempts` receive
// attempts without one, or at once when the device is gone. `reply` holds the last frame.
bool AwaitReply(Link& link, CommandFrame& reply, std::string_view name, int attempts);
// The same, but only a frame with command 2 matches; `reply.command` reads 18 before each
// attempt.
bool AwaitDataReply(Link& link, CommandFrame& reply, std::string_view name, int attempts);

// Loopback synchronisation: true when the device echoed the test value.
bool SyncLink(Link& link);

// How the device answered a read: with the file's text, with a frame of the file's name but
// another command (it has no such file), or not at all.
enum class Answer { Data, Refused, Silent };

struct RemoteRead {
    Answer answer = Answer::Silent;
    std::string text;  // the payload text, with Data
};

RemoteRead FetchRemoteFile(const LinkHold& hold, std::string_view path, Match match,
                           int attempts = kAttempts);
// The file's text, or nothing when it was not answered with data.
std::optional<std::string> ReadRemoteFile(const LinkHold& hold, std::string_view path, Match match,
                                          int attempts = kAttempts);

// True when the device stored the text: its answer (found by either wait) is command 2.
bool WriteRemoteFile(const LinkHold& hold, std::string_view path, std::string_view text,
                     Match match = Match::Strict);

bool RunRemoteCommand(const LinkHold& hold, std::string_view tag, std::string_view commandLine,
                      bool strict);
// The same with the loose wait, telling how the device answered: Data when it confirmed with
// command 2, Refused when a frame of the tag carried another command, Silent when none came.
Answer RunCheckedCommand(const LinkHold& hold, std::string_view tag, std::string_view commandLine);

// Delivers each line of a remote file; ends on a frame of another command or on silence.
// Returns the number of lines delivered. `ending`, when given, tells how the file ended: Data
// after a closing frame of the file's name, Refused when that frame was the device's refusal
// (command 3), Silent when the device stopped answering (the lines may be incomplete).
int ReadRemoteLines(const LinkHold& hold, std::string_view path,
                    const std::function<void(std::string_view)>& onLine,
                    Answer* ending = nullptr);

// True when the device answered the line with command 2 (stored).
bool AppendRemoteLine(const LinkHold& hold, std::string_view path, std::string_view text);

// Sends a message frame (command 6); the caller waits for the answer as it needs.
bool SendDeviceMessage(Link& link, std::string_view name, std::string_view text);

// Logs a user in: the integer the device answered with (the caller checks that it is a
// level), or nothing when the device did not accept the login or answered with a text.
// `answered`, when given, tells whether any answer to the login came (a level or a refusal):
// a late or stale answer is no refusal.
std::optional<std::int32_t> LoginUser(Link& link, std::string_view user,
                                      std::string_view password, bool* answered = nullptr);

// Each waits loosely for a frame of the account's name: Data when it carried command 2,
// Refused for another command, Silent when none came (or the request did not fit the frame).
Answer SetUserPassword(const LinkHold& hold, std::string_view user, std::string_view password);
Answer SetUserLevel(const LinkHold& hold, std::string_view user, int level);

}  // namespace serial_link

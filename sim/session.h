// Moving the program into a session of its own, so that it can take a terminal of its own as
// its controlling terminal, while it stays reachable from where it was started.
#pragma once

#include <optional>
#include <string>

namespace vyrsim {

// Forks. The child goes on in a new session that it leads (setsid) and gets SIGTERM when the
// parent dies; this returns nothing there. The parent stays in the caller's session and
// process group, where Ctrl+C and the caller's signals reach it: it hands SIGINT and SIGTERM on
// to the child (and a hang-up of the caller's terminal as SIGTERM, unless SIGHUP was ignored),
// then returns the exit status to end with once the child has ended (128 + the signal that
// ended it). A failure returns 1 with `error` set. Call it before any thread starts, with
// SIGINT and SIGTERM blocked: the child keeps them blocked, so that none sent early is lost.
std::optional<int> ContinueInNewSession(std::string* error);

}  // namespace vyrsim

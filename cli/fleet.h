// Runs one device command on every port of a vyrctl run at once, one thread each.
#pragma once

#include <functional>
#include <string_view>

#include "cli/device_session.h"

namespace vyr::cli {

// What the summary says of a port that ended with `status` ("done", "login refused", ...).
std::string_view StatusText(int status);

// What runs a command on the port of the options it is given.
using DeviceRun = std::function<int(const DeviceOptions&, Streams)>;

// Runs `run` on each of `options.ports` in a thread of its own. Without --json every line a
// port's command prints goes out whole, prefixed with the port's path and ": ", and a
// terminal shows one progress line per port; with --json stdout carries only JSON objects:
// progress events and one result per port. Several ports end with a summary line per port on
// stderr. Returns the highest of the ports' exit statuses.
int RunOnEveryPort(const DeviceOptions& options, const DeviceRun& run, Streams io);

}  // namespace vyr::cli

// vyrctl's service commands: microphone calibration, serial number, service notes and
// production test results.
#pragma once

#include "cli/device_session.h"

namespace vyr::cli {

// mic TYPE [KEY=VALUE...]
int RunMicCommand(const DeviceOptions& options, Streams io);
// serial [--set NUMBER]
int RunSerialCommand(const DeviceOptions& options, Streams io);
// notes [--add TEXT]
int RunNotesCommand(const DeviceOptions& options, Streams io);
// results
int RunResultsCommand(const DeviceOptions& options, Streams io);

}  // namespace vyr::cli

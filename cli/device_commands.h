// vyrctl device OPTIONS info | load FILE [--force] | send FILE [--preset N] [--active N]
// [--base OLD] [--verify] | time [--set now|YYYY-MM-DDThh:mm:ss]: each command's plan, the
// parse that makes it and the run that carries it out on one device.
#pragma once

#include <optional>
#include <string>

#include "cli/device_command.h"
#include "device/clock.h"
#include "settings/model.h"

namespace vyr::cli {

// info
struct InfoPlan {};
int ParseInfo(const CommandInput& input, InfoPlan& plan, Streams io);
int RunInfo(const InfoPlan& plan, DeviceSession& session);

// load FILE [--force]
struct LoadPlan {
    std::string file;    // may hold {port} and {serial}
    bool force = false;  // a backup that lacks values may replace an existing file
};
int ParseLoad(const CommandInput& input, LoadPlan& plan, Streams io);
int RunLoad(const LoadPlan& plan, DeviceSession& session);

// send FILE [--preset N] [--active N] [--base OLD] [--verify]: the files are loaded by the
// parse, once for every device.
struct SendPlan {
    std::optional<int> preset;
    std::optional<int> active;
    std::optional<std::string> basePath;
    bool verify = false;
    SettingsModel model;  // FILE
    SettingsModel base;   // OLD, when given
    std::string report;   // the repairs the files needed, told in each device's run
};
int ParseSend(const CommandInput& input, SendPlan& plan, Streams io);
int RunSend(const SendPlan& plan, DeviceSession& session);

// time [--set now|YYYY-MM-DDThh:mm:ss]
struct TimePlan {
    bool set = false;
    std::optional<DateTime> when;  // nothing with "now": the computer's time as a run starts
};
int ParseTime(const CommandInput& input, TimePlan& plan, Streams io);
int RunTime(const TimePlan& plan, DeviceSession& session);

}  // namespace vyr::cli

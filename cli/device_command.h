// One device command of vyrctl: its arguments are parsed once into a plan, before the
// password is asked for and before any port is opened; the plan then runs on each port.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "cli/commands.h"
#include "cli/device_session.h"

namespace vyr::cli {

// What a command's parse works from.
struct CommandInput {
    Arguments args;         // the command's own arguments, after its name
    std::size_t ports = 1;  // how many ports the run works on
};

// The plan of any command; only that command's run reads it, on every port at once.
using AnyPlan = std::shared_ptr<const void>;

// A row of the table of device commands.
struct DeviceCommand {
    std::string_view name;
    // Checks the arguments and reads what every device shares (a settings file, a new
    // password): kExitDone and the plan, else the exit status after telling why on stderr.
    int (*parse)(const CommandInput& input, AnyPlan& plan, Streams io);
    // Connects, logs in and does the work on the session's port, by the parse's plan.
    int (*run)(const void* plan, DeviceSession& session);
};

// The row of a command whose plan is a `Plan`, made by `Parse` and run by `Run`.
template <class Plan, int (*Parse)(const CommandInput&, Plan&, Streams),
          int (*Run)(const Plan&, DeviceSession&)>
constexpr DeviceCommand PlannedCommand(std::string_view name) {
    return {name,
            [](const CommandInput& input, AnyPlan& plan, Streams io) {
                auto parsed = std::make_shared<Plan>();
                const int status = Parse(input, *parsed, io);
                plan = std::move(parsed);
                return status;
            },
            [](const void* plan, DeviceSession& session) {
                return Run(*static_cast<const Plan*>(plan), session);
            }};
}

}  // namespace vyr::cli

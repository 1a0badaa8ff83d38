// vyrctl device OPTIONS users | users set NAME [--superadmin] | users rm NAME
//
// Names are checked before anything is sent: a name the device's shell or the frame could
// misread, a reserved account, or deleting "superadmin" is a usage error.
#include "cli/user_commands.h"

#include <cstdlib>
#include <optional>
#include <ostream>

#include "cli/device_text.h"
#include "cli/terminal.h"
#include "device/users.h"
#include "settings/text.h"

namespace vyr::cli {

namespace {

constexpr const char* kNewPasswordVariable = "VYR_NEW_PASSWORD";

// What an account exchange that did not succeed means for the caller.
int ReportAccountFailure(DeviceSession& session, AccountStatus status, std::string_view what) {
    return session.Failed(std::string(what) + (status == AccountStatus::DeviceRefused
                                                   ? ": the device refused it"
                                                   : ": the device did not answer"));
}

// The new password: from --new-password-file, else VYR_NEW_PASSWORD, else typed twice.
std::optional<serial_link::Secret> NewPassword(const std::string& file, Streams io) {
    const bool typed = file.empty() && std::getenv(kNewPasswordVariable) == nullptr;
    auto password = ReadSecret(
        {"new password", file, "--new-password-file", kNewPasswordVariable, "New password: "}, io);
    if (!password || !typed)
        return password;
    auto again = ReadSecretLine("Repeat new password: ");
    const auto repeated = again ? std::optional(serial_link::TakeSecret(*again)) : std::nullopt;
    if (!repeated || repeated->View() != password->View()) {
        io.err << "vyrctl: the two new passwords differ\n";
        return std::nullopt;
    }
    return password;
}

// "set NAME [--superadmin] [--new-password-file FILE]": the name and its level, then the new
// password, read and checked.
int ParseSet(Arguments args, UsersPlan& plan, Streams io) {
    std::optional<std::wstring> name;
    std::string passwordFile;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--superadmin") {
            plan.superadministrator = true;
        } else if (args[i] == "--new-password-file") {
            if (i + 1 >= args.size())
                return UsageError(io, "--new-password-file needs a FILE");
            passwordFile = std::string(args[++i]);
        } else if (args[i].starts_with("--")) {
            return UsageError(io, "unknown option '" + std::string(args[i]) + "' of users set");
        } else if (name) {
            return UsageError(io, "users set takes one NAME");
        } else {
            name = Utf8ToWide(args[i]);
        }
    }
    if (!name)
        return UsageError(io, "users set needs a NAME");
    if (const AccountProblem problem = CheckAccountName(*name); problem != AccountProblem::None)
        return UsageError(io, AccountProblemText(problem));
    plan.name = *name;
    const auto password = NewPassword(passwordFile, io);
    if (!password)
        return kExitUsage;
    if (const AccountProblem problem = CheckPassword(Utf8ToWide(password->View()));
        problem != AccountProblem::None)
        return UsageError(io, AccountProblemText(problem));
    plan.newPassword = *password;
    return kExitDone;
}

// "rm NAME"
int ParseRemove(Arguments args, UsersPlan& plan, Streams io) {
    if (args.size() != 2)
        return UsageError(io, "users rm needs one NAME");
    plan.name = Utf8ToWide(args[1]);
    if (const AccountProblem problem = CheckDeletableName(plan.name);
        problem != AccountProblem::None)
        return UsageError(io, AccountProblemText(problem));
    return kExitDone;
}

int List(DeviceSession& session) {
    const UserList list = ListUsers(session.connection());
    if (list.status != AccountStatus::Done)
        return ReportAccountFailure(session, list.status, "listing the users");
    // A name is the device's text: a line feed in it must not make a second, made-up name.
    for (const std::wstring& name : list.names)
        session.io().out << TerminalText(WideToUtf8(name)) << '\n';
    return kExitDone;
}

int Set(const UsersPlan& plan, DeviceSession& session) {
    const AccountResult result =
        SetUserAccount(session.connection(), plan.name, Utf8ToWide(plan.newPassword.View()),
                       plan.superadministrator);
    if (result.status != AccountStatus::Done)
        return ReportAccountFailure(session, result.status,
                                    "setting user " + WideToUtf8(plan.name));
    return kExitDone;
}

int Remove(const UsersPlan& plan, DeviceSession& session) {
    const AccountResult result = DeleteUserAccount(session.connection(), plan.name);
    if (result.status != AccountStatus::Done)
        return ReportAccountFailure(session, result.status,
                                    "deleting user " + WideToUtf8(plan.name));
    return kExitDone;
}

}  // namespace

int ParseUsers(const CommandInput& input, UsersPlan& plan, Streams io) {
    if (input.args.empty())
        return kExitDone;
    if (input.args[0] == "set") {
        plan.action = UsersPlan::Action::Set;
        return ParseSet(input.args, plan, io);
    }
    if (input.args[0] == "rm") {
        plan.action = UsersPlan::Action::Remove;
        return ParseRemove(input.args, plan, io);
    }
    return UsageError(io, "unknown users command '" + std::string(input.args[0]) + "'");
}

int RunUsers(const UsersPlan& plan, DeviceSession& session) {
    if (const int status = session.Open(&UserLevel::MayAdministrate); status != kExitDone)
        return status;
    switch (plan.action) {
        case UsersPlan::Action::List:
            return List(session);
        case UsersPlan::Action::Set:
            return Set(plan, session);
        case UsersPlan::Action::Remove:
            return Remove(plan, session);
    }
    return kExitUsage;
}

}  // namespace vyr::cli

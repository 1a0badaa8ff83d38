// vyrctl device OPTIONS users | users set NAME [--superadmin] | users rm NAME
//
// Names are checked before anything is sent: a name the device's shell or the frame could
// misread, a reserved account, or deleting "superadmin" is a usage error.
#include <cstdlib>
#include <optional>
#include <ostream>

#include "cli/admin_commands.h"
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

int List(const DeviceOptions& options, Streams io) {
    DeviceSession session(options, io);
    if (const int status = session.Open(&UserLevel::MayAdministrate); status != kExitDone)
        return status;
    const UserList list = ListUsers(session.connection());
    if (list.status != AccountStatus::Done)
        return ReportAccountFailure(session, list.status, "listing the users");
    // A name is the device's text: a line feed in it must not make a second, made-up name.
    for (const std::wstring& name : list.names)
        io.out << TerminalText(WideToUtf8(name)) << '\n';
    return kExitDone;
}

// The new password: from --new-password-file, else VYR_NEW_PASSWORD, else typed twice.
std::optional<serial_link::Secret> NewPassword(const std::string& file, Streams io) {
    const bool typed = file.empty() && std::getenv(kNewPasswordVariable) == nullptr;
    auto password = ReadSecret({"new password", file, "--new-password-file", kNewPasswordVariable,
                                "New password: "},
                               io);
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

// The arguments of "users set NAME [--superadmin] [--new-password-file FILE]".
struct SetRequest {
    std::wstring name;
    bool superadministrator = false;
    std::string passwordFile;
};

std::optional<SetRequest> ParseSet(const DeviceOptions& options, Streams io) {
    std::optional<std::wstring> name;
    SetRequest request;
    const auto& args = options.args;
    const auto fail = [&](std::string_view reason) -> std::optional<SetRequest> {
        UsageError(io, reason);
        return std::nullopt;
    };
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--superadmin") {
            request.superadministrator = true;
        } else if (args[i] == "--new-password-file") {
            if (i + 1 >= args.size())
                return fail("--new-password-file needs a FILE");
            request.passwordFile = std::string(args[++i]);
        } else if (args[i].starts_with("--")) {
            return fail("unknown option '" + std::string(args[i]) + "' of users set");
        } else if (name) {
            return fail("users set takes one NAME");
        } else {
            name = Utf8ToWide(args[i]);
        }
    }
    if (!name)
        return fail("users set needs a NAME");
    if (const AccountProblem problem = CheckAccountName(*name); problem != AccountProblem::None)
        return fail(AccountProblemText(problem));
    request.name = *name;
    return request;
}

int Set(const DeviceOptions& options, Streams io) {
    const auto request = ParseSet(options, io);
    if (!request)
        return kExitUsage;
    if (!options.newPassword)
        return UsageError(io, "users set has no new password");
    DeviceSession session(options, io);
    if (const int status = session.Open(&UserLevel::MayAdministrate); status != kExitDone)
        return status;
    const AccountResult result = SetUserAccount(session.connection(), request->name,
                                                Utf8ToWide(options.newPassword->View()),
                                                request->superadministrator);
    if (result.status != AccountStatus::Done) {
        return ReportAccountFailure(session, result.status,
                                    "setting user " + WideToUtf8(request->name));
    }
    return kExitDone;
}

int Remove(const DeviceOptions& options, Streams io) {
    if (options.args.size() != 2)
        return UsageError(io, "users rm needs one NAME");
    const std::wstring name = Utf8ToWide(options.args[1]);
    if (const AccountProblem problem = CheckDeletableName(name); problem != AccountProblem::None)
        return UsageError(io, AccountProblemText(problem));
    DeviceSession session(options, io);
    if (const int status = session.Open(&UserLevel::MayAdministrate); status != kExitDone)
        return status;
    const AccountResult result = DeleteUserAccount(session.connection(), name);
    if (result.status != AccountStatus::Done)
        return ReportAccountFailure(session, result.status, "deleting user " + WideToUtf8(name));
    return kExitDone;
}

}  // namespace

int CheckUsersCommand(DeviceOptions& options, Streams io) {
    if (options.args.empty() || options.args[0] != "set")
        return kExitDone;
    const auto request = ParseSet(options, io);
    if (!request)
        return kExitUsage;
    const auto password = NewPassword(request->passwordFile, io);
    if (!password)
        return kExitUsage;
    if (const AccountProblem problem = CheckPassword(Utf8ToWide(password->View()));
        problem != AccountProblem::None)
        return UsageError(io, AccountProblemText(problem));
    options.newPassword = password;
    return kExitDone;
}

int RunUsersCommand(const DeviceOptions& options, Streams io) {
    if (options.args.empty())
        return List(options, io);
    if (options.args[0] == "set")
        return Set(options, io);
    if (options.args[0] == "rm")
        return Remove(options, io);
    return UsageError(io, "unknown users command '" + std::string(options.args[0]) + "'");
}

}  // namespace vyr::cli

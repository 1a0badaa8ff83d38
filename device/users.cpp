#include "device/users.h"

#include <algorithm>
#include <array>

#include "settings/text.h"

namespace vyr {

using serial_link::Answer;
using serial_link::LinkHold;

namespace {

constexpr std::array<std::wstring_view, 3> kReservedAccounts = {L"service", L"distributor",
                                                                L"controller"};
constexpr std::string_view kListCommand = "ls -1 /chroma/users/ > /tmp/userlist";
constexpr std::string_view kListFile = "/tmp/userlist";
constexpr std::string_view kDeleteCommand = "rm /chroma/users/";

struct ProblemText {
    AccountProblem problem;
    std::string_view text;
};

constexpr ProblemText kProblemTexts[] = {
    {AccountProblem::None, ""},
    {AccountProblem::EmptyName, "the user name is empty"},
    {AccountProblem::NotStrict,
     "the user name may hold only letters a-z and A-Z, the umlauts, digits and '_'"},
    {AccountProblem::Reserved, "the accounts service, distributor and controller are the device's own"},
    {AccountProblem::SuperadminKept, "Deleting the user \"superadmin\" is not allowed!"},
    {AccountProblem::NameTooLong, "the user name is too long for the device"},
    {AccountProblem::EmptyPassword, "the password is empty"},
    {AccountProblem::PasswordTooLong, "the password is too long for the device"},
};

AccountStatus StatusOf(Answer answer) {
    switch (answer) {
        case Answer::Data:
            return AccountStatus::Done;
        case Answer::Refused:
            return AccountStatus::DeviceRefused;
        case Answer::Silent:
            break;
    }
    return AccountStatus::NoAnswer;
}

AccountResult Invalid(AccountProblem problem) {
    return {AccountStatus::Invalid, problem, UserLevel::Administrator()};
}

}  // namespace

bool IsReservedAccount(std::wstring_view name) {
    return std::find(kReservedAccounts.begin(), kReservedAccounts.end(), name) !=
           kReservedAccounts.end();
}

std::string_view AccountProblemText(AccountProblem problem) {
    for (const ProblemText& entry : kProblemTexts) {
        if (entry.problem == problem)
            return entry.text;
    }
    return "";
}

std::size_t MaxUserNameBytes() {
    const std::size_t inName = serial_link::kNameSize - 1 - serial_link::path::kUsers.size();
    const std::size_t inLine = serial_link::kPayloadSize - 1 - kDeleteCommand.size();
    return std::min(inName, inLine);
}

std::size_t MaxPasswordBytes() {
    return serial_link::kPayloadSize - 1;
}

std::wstring NormaliseUserName(std::wstring_view typed) {
    const std::size_t end = typed.find_last_not_of(L" \t\r\n");
    std::wstring name(typed.substr(0, end == std::wstring_view::npos ? 0 : end + 1));
    FilterText(name, true);
    return name;
}

AccountProblem CheckAccountName(std::wstring_view name) {
    if (name.empty())
        return AccountProblem::EmptyName;
    if (!std::all_of(name.begin(), name.end(),
                     [](wchar_t c) { return IsStrictCharacter(static_cast<char32_t>(c)); }))
        return AccountProblem::NotStrict;
    if (IsReservedAccount(name))
        return AccountProblem::Reserved;
    // Strict characters are one byte each in device text.
    if (name.size() > MaxUserNameBytes())
        return AccountProblem::NameTooLong;
    return AccountProblem::None;
}

AccountProblem CheckDeletableName(std::wstring_view name) {
    const AccountProblem problem = CheckAccountName(name);
    if (problem == AccountProblem::None && name == kSuperadminAccount)
        return AccountProblem::SuperadminKept;
    return problem;
}

AccountProblem CheckPassword(std::wstring_view password) {
    const std::size_t bytes = NarrowSettingText(password, NarrowMode::Replace).size();
    if (bytes == 0)
        return AccountProblem::EmptyPassword;
    return bytes > MaxPasswordBytes() ? AccountProblem::PasswordTooLong : AccountProblem::None;
}

std::optional<std::wstring> ListedUserName(std::string_view line) {
    // Trimmed before widening: a line end outside the repertoire would otherwise become "_".
    std::wstring name = WidenSettingText(TrimTrailingBlanks(line));
    if (name.empty() || IsReservedAccount(name))
        return std::nullopt;
    return name;
}

UserList ListUsers(DeviceConnection& connection) {
    UserList list;
    {
        LinkHold hold(connection.link);
        // Without the device's confirmation the output file may be an earlier listing.
        if (!serial_link::RunRemoteCommand(hold, serial_link::tag::kSystemCall, kListCommand,
                                           true))
            return list;
    }
    LinkHold hold(connection.link);
    Answer ending = Answer::Silent;
    serial_link::ReadRemoteLines(
        hold, kListFile,
        [&](std::string_view line) {
            if (auto name = ListedUserName(line))
                list.names.push_back(std::move(*name));
        },
        &ending);
    list.status = StatusOf(ending);
    if (list.status != AccountStatus::Done)
        list.names.clear();
    return list;
}

AccountResult SetUserAccount(DeviceConnection& connection, std::wstring_view name,
                             std::wstring_view password, bool superadministrator) {
    AccountProblem problem = CheckAccountName(name);
    if (problem == AccountProblem::None)
        problem = CheckPassword(password);
    if (problem != AccountProblem::None)
        return Invalid(problem);
    const std::string secret = NarrowSettingText(password, NarrowMode::Replace);
    const std::string user = NarrowSettingText(name, NarrowMode::Replace);
    const UserLevel level = superadministrator || name == kSuperadminAccount
                                ? UserLevel::Superadministrator()
                                : UserLevel::Administrator();

    LinkHold hold(connection.link);
    AccountStatus status = StatusOf(serial_link::SetUserPassword(hold, user, secret));
    if (status == AccountStatus::Done)
        status = StatusOf(serial_link::SetUserLevel(hold, user, level.Number()));
    return {status, AccountProblem::None, level};
}

AccountResult DeleteUserAccount(DeviceConnection& connection, std::wstring_view name) {
    if (const AccountProblem problem = CheckDeletableName(name); problem != AccountProblem::None)
        return Invalid(problem);
    const std::string line =
        std::string(kDeleteCommand) + NarrowSettingText(name, NarrowMode::Replace);
    LinkHold hold(connection.link);
    return {StatusOf(serial_link::RunCheckedCommand(hold, serial_link::tag::kUserDelete, line)),
            AccountProblem::None, UserLevel::Administrator()};
}

}  // namespace vyr

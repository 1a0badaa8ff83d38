// The device's user accounts: listing them, creating or changing one, deleting one.
//
// Every operation checks its input before anything is sent, and every answer of the device:
// a refusal or silence is a failure, after which the caller lists the accounts again.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/connection.h"

namespace vyr {

// The account that is always stored with the superadministrator's level and never deleted.
inline constexpr std::wstring_view kSuperadminAccount = L"superadmin";

// The device's own service accounts: never listed, created, changed or deleted.
bool IsReservedAccount(std::wstring_view name);

// Why an account request was refused before anything was sent.
enum class AccountProblem {
    None,
    EmptyName,
    NotStrict,        // a character other than letters, umlauts, digits and "_"
    Reserved,         // service, distributor, controller
    SuperadminKept,   // deleting "superadmin"
    NameTooLong,
    EmptyPassword,
    PasswordTooLong,
};

// One line naming the problem, e.g. "the user name may hold only ...".
std::string_view AccountProblemText(AccountProblem problem);

// Longest user name in device text: it must fit the account frames' name field after
// "/chroma/users/" and the delete line "rm /chroma/users/NAME" in a text payload, so that every
// account created here can also be deleted.
std::size_t MaxUserNameBytes();
// Longest password in device text: a text payload.
std::size_t MaxPasswordBytes();

// A typed name as an account name: trailing white space removed, then every character
// outside the strict repertoire replaced by "_".
std::wstring NormaliseUserName(std::wstring_view typed);

// Checks of a name for creating or changing, or for deleting an account.
AccountProblem CheckAccountName(std::wstring_view name);
AccountProblem CheckDeletableName(std::wstring_view name);
// A new password: not empty, and fitting the frame in device text.
AccountProblem CheckPassword(std::wstring_view password);

// How an exchange with the device ended.
enum class AccountStatus {
    Done,
    Invalid,        // refused before sending (see problem); nothing was sent
    DeviceRefused,  // the device answered with a refusal
    NoAnswer,       // the device did not answer
};

struct UserList {
    AccountStatus status = AccountStatus::NoAnswer;
    // In the order the device listed them; the reserved accounts left out.
    std::vector<std::wstring> names;
};

// One line of the device's listing as it is shown: trailing white space removed, widened
// (bytes outside the repertoire become "_"). Nothing for a reserved account or an empty line.
std::optional<std::wstring> ListedUserName(std::string_view line);

// Lists the accounts: the listing shell line, then its output file line by line. A listing
// line that was not confirmed, or a file that was refused or broke off, is a failure with no
// names, never a short or empty list.
UserList ListUsers(DeviceConnection& connection);

struct AccountResult {
    AccountStatus status = AccountStatus::NoAnswer;
    AccountProblem problem = AccountProblem::None;  // with Invalid
    UserLevel level = UserLevel::Administrator();   // the level stored (create or change)
};

// Creates account `name`, or changes its password and level: the password first, then the
// level (the superadministrator's for "superadmin" or when `superadministrator`, else the
// administrator's), under one hold of the link lock. The level is sent only when the password
// was confirmed.
AccountResult SetUserAccount(DeviceConnection& connection, std::wstring_view name,
                             std::wstring_view password, bool superadministrator);

// Deletes account `name` with the device's "rm" line.
AccountResult DeleteUserAccount(DeviceConnection& connection, std::wstring_view name);

}  // namespace vyr

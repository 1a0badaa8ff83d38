// Logging in and managing user accounts.
#include "pty_client.h"

namespace vyrsim::test {
namespace {

using namespace serial_link;

class Accounts : public SimTest {
  protected:
    std::optional<CommandFrame> LogIn(std::string_view user, std::string_view password) {
        return Exchange(TextRequest(kLogin, "/chroma/users/" + std::string(user), password));
    }
    std::optional<int> LevelOf(std::string_view user, std::string_view password) {
        auto reply = LogIn(user, password);
        EXPECT_TRUE(reply);
        if (!reply || reply->command != kReply)
            return std::nullopt;
        EXPECT_EQ(reply->payload_is_text, 0u);
        return reply->PayloadInteger();
    }
    std::uint32_t SetPassword(std::string_view user, std::string_view password) {
        return Exchange(TextRequest(kSetPassword, "/chroma/users/" + std::string(user), password))
            ->command;
    }
    std::uint32_t SetLevel(std::string_view user, int level) {
        return Exchange(IntegerRequest(kSetUserLevel, "/chroma/users/" + std::string(user), level))
            ->command;
    }
    std::vector<std::string> ListUsers() {
        EXPECT_EQ(Shell("SYSTEMCALL", "ls -1 /chroma/users/ > /tmp/userlist")->command, kReply);
        std::vector<std::string> names;
        std::string text = sim.ReadFile("/tmp/userlist").value_or("");
        for (std::size_t end; (end = text.find('\n')) != std::string::npos;) {
            names.push_back(text.substr(0, end));
            text.erase(0, end + 1);
        }
        EXPECT_EQ(text, "");
        return names;
    }
};

TEST_F(Accounts, FactoryAccountsLogInWithTheirLevel) {
    for (const Account& account : FactoryAccounts())
        EXPECT_EQ(LevelOf(account.name, account.password), account.level) << account.name;
    auto reply = LogIn("admin", "vyr-admin");
    EXPECT_EQ(reply->Name(), "/chroma/users/admin");
}

TEST_F(Accounts, WrongPasswordOrUnknownUserIsRefused) {
    auto reply = LogIn("admin", "vyr-superadmin");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->command, kRefused);
    EXPECT_EQ(reply->Name(), "/chroma/users/admin");
    EXPECT_EQ(LogIn("nobody", "vyr-admin")->command, kRefused);
    EXPECT_EQ(LogIn("admin", "")->command, kRefused);
    EXPECT_EQ(LogIn("", "vyr-admin")->command, kRefused);
    EXPECT_EQ(LogIn("admin", "vyr-admi")->command, kRefused);
}

TEST_F(Accounts, CreateWithPasswordThenLevel) {
    EXPECT_EQ(SetPassword("guest", "guest-pw"), kReply);
    EXPECT_EQ(LogIn("guest", "guest-pw")->command, kRefused);  // no level yet
    EXPECT_EQ(SetLevel("guest", 4), kReply);
    EXPECT_EQ(LevelOf("guest", "guest-pw"), 4);
    // Changing the password keeps the level; changing the level keeps the password.
    EXPECT_EQ(SetPassword("guest", "other"), kReply);
    EXPECT_EQ(SetLevel("guest", 3), kReply);
    EXPECT_EQ(LogIn("guest", "guest-pw")->command, kRefused);
    EXPECT_EQ(LevelOf("guest", "other"), 3);
}

TEST_F(Accounts, BadAccountRequestsAreRefused) {
    EXPECT_EQ(SetLevel("ghost", 4), kRefused);  // the password comes first
    EXPECT_FALSE(sim.ReadFile("/chroma/users/ghost"));
    EXPECT_EQ(SetPassword("guest", "pw"), kReply);
    EXPECT_EQ(SetLevel("guest", 9), kRefused);
    EXPECT_EQ(SetLevel("guest", -1), kRefused);
    EXPECT_EQ(LogIn("guest", "pw")->command, kRefused);
    EXPECT_EQ(SetPassword("guest", ""), kRefused);
    EXPECT_EQ(SetPassword("a b", "pw"), kRefused);
    EXPECT_EQ(SetPassword("x;rm", "pw"), kRefused);
    EXPECT_EQ(SetPassword("..", "pw"), kRefused);
    // Text and integer payloads the other way round.
    EXPECT_EQ(Exchange(IntegerRequest(kSetPassword, "/chroma/users/guest", 5))->command, kRefused);
    EXPECT_EQ(Exchange(TextRequest(kSetUserLevel, "/chroma/users/guest", "3"))->command, kRefused);
}

TEST_F(Accounts, ReservedAccountsCannotBeChangedOrRemoved) {
    for (const char* name : {"service", "distributor", "controller"}) {
        const auto before = sim.ReadFile("/chroma/users/" + std::string(name));
        EXPECT_EQ(SetPassword(name, "taken-over"), kRefused) << name;
        EXPECT_EQ(SetLevel(name, 4), kRefused) << name;
        EXPECT_EQ(Shell("CALLUSERDELETE", "rm /chroma/users/" + std::string(name))->command,
                  kRefused);
        EXPECT_EQ(sim.ReadFile("/chroma/users/" + std::string(name)), before) << name;
    }
    EXPECT_EQ(LevelOf("service", "vyr-service"), 0);
}

TEST_F(Accounts, ListAndDelete) {
    EXPECT_EQ(ListUsers(), (std::vector<std::string>{"admin", "controller", "distributor",
                                                     "service", "superadmin"}));
    EXPECT_EQ(SetPassword("Bob_2", "pw"), kReply);
    EXPECT_EQ(SetLevel("Bob_2", 4), kReply);
    EXPECT_EQ(ListUsers(), (std::vector<std::string>{"Bob_2", "admin", "controller", "distributor",
                                                     "service", "superadmin"}));
    auto reply = Shell("CALLUSERDELETE", "rm /chroma/users/Bob_2");
    EXPECT_EQ(reply->command, kReply);
    EXPECT_EQ(reply->Name(), "CALLUSERDELETE");
    EXPECT_EQ(LogIn("Bob_2", "pw")->command, kRefused);
    EXPECT_EQ(Shell("CALLUSERDELETE", "rm /chroma/users/Bob_2")->command, kRefused);
    EXPECT_EQ(ListUsers().size(), 5u);
}

}  // namespace
}  // namespace vyrsim::test

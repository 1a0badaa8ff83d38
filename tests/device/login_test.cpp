// What the login makes of the device's answer: only an account level given as an integer
// counts.
#include <gtest/gtest.h>

#include "device/connection.h"
#include "support/scripted_port.h"

namespace vyr::test {
namespace {

using serial_link::BuildIntegerFrame;
using serial_link::BuildTextFrame;
using serial_link::CommandFrame;

constexpr std::string_view kAdmin = "/chroma/users/admin";

class LoginAnswer : public ::testing::Test {
  protected:
    DeviceConnection device;
    ScriptedPort& port = AttachScriptedPort(device.link);

    void SetUp() override { device.level = UserLevel::NotLoggedIn(); }

    LoginResult LogInWith(const CommandFrame& reply) {
        port.replies.push_back(Wire(reply));
        return Login(device, L"admin", L"vyr-admin");
    }
};

TEST_F(LoginAnswer, AnAccountLevelIsTaken) {
    for (int level = 0; level <= 4; ++level) {
        CommandFrame reply;
        BuildIntegerFrame(reply, serial_link::kReply, kAdmin, level);
        const LoginResult login = LogInWith(reply);
        EXPECT_EQ(login.status, LoginStatus::Accepted);
        EXPECT_EQ(login.level.Number(), level);
        EXPECT_EQ(device.level.Number(), level);
    }
}

TEST_F(LoginAnswer, AnyOtherNumberIsARefusal) {
    for (const int level : {5, 6, 7, -1, 1 << 30}) {
        CommandFrame reply;
        BuildIntegerFrame(reply, serial_link::kReply, kAdmin, level);
        EXPECT_EQ(LogInWith(reply).status, LoginStatus::Refused) << level;
        EXPECT_EQ(device.level, UserLevel::NotLoggedIn()) << level;
    }
}

// A text answer carries no level, even when its first bytes would read as a small integer.
TEST_F(LoginAnswer, ATextAnswerIsARefusal) {
    CommandFrame reply;
    BuildTextFrame(reply, serial_link::kReply, kAdmin, std::string_view("\0\0\0\0", 4));
    reply.payload_is_text = 1;
    EXPECT_EQ(LogInWith(reply).status, LoginStatus::Refused);
    BuildTextFrame(reply, serial_link::kReply, kAdmin, "3");
    EXPECT_EQ(LogInWith(reply).status, LoginStatus::Refused);
    EXPECT_EQ(device.level, UserLevel::NotLoggedIn());
}

TEST(UserLevels, TheRulesFollowTheAccountLevels) {
    EXPECT_EQ(UserLevel::FromAccount(4), UserLevel::Administrator());
    EXPECT_EQ(UserLevel::FromAccount(5), std::nullopt);
    EXPECT_TRUE(UserLevel::Administrator().MayTransferSettings());
    EXPECT_FALSE(UserLevel::Administrator().MayWriteDefaultPreset());
    EXPECT_FALSE(UserLevel::NotLoggedIn().MayTransferSettings());
    EXPECT_TRUE(UserLevel::Superadministrator().MayAdministrate());
    EXPECT_FALSE(UserLevel::Superadministrator().MayUseServiceMenu());
    EXPECT_TRUE(UserLevel::Controller().MayUseServiceMenu());
    EXPECT_FALSE(UserLevel::Controller().MayUseFactoryService());
    EXPECT_TRUE(UserLevel::Distributor().MayUseFactoryService());
    // Access level 2 (the hard-end values): levels 0..2 may edit, 3 and above may not.
    EXPECT_TRUE(UserLevel::Controller().Allows(2));
    EXPECT_FALSE(UserLevel::Superadministrator().Allows(2));
    EXPECT_FALSE(UserLevel::Nobody().Allows(4));
}

}  // namespace
}  // namespace vyr::test

// Stable port names: the by-id links found in a directory and what a given name resolves to.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "link/port_names.h"
#include "link/serial_port.h"

namespace serial_link {
namespace {

namespace fs = std::filesystem;

// A directory of stand-in devices and a by-id directory of links to them.
class PortNamesTest : public testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("vyr_port_names_" + std::to_string(getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "dev");
        fs::create_directories(root_ / "by-id");
        root_ = fs::canonical(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string Device(const std::string& name) {
        const fs::path path = root_ / "dev" / name;
        std::ofstream(path).put('\n');
        return path.string();
    }
    std::string Link(const std::string& name, const std::string& target) {
        const fs::path link = root_ / "by-id" / name;
        fs::create_symlink(target, link);
        return link.string();
    }
    std::string ById() const { return (root_ / "by-id").string(); }

    fs::path root_;
};

TEST_F(PortNamesTest, EachDeviceGetsTheFirstLinkByName) {
    const std::string acm0 = Device("ttyACM0"), acm1 = Device("ttyACM1");
    // Created out of order: the directory's own order decides nothing.
    Link("usb-Vyr_Microphone_0456-if00", acm1);
    Link("usb-Vyr_Microphone_0123-if04", acm0);
    Link("usb-Vyr_Microphone_0123-if02", acm0);
    const std::string first = Link("usb-Vyr_Microphone_0123-if00", "../dev/ttyACM0");  // relative
    Link("usb-Vyr_Microphone_0123-if03", acm0);
    Link("usb-Vyr_Microphone_0123-if01", acm0);
    const StableNames names = FindStableNames(ById());
    EXPECT_EQ(names.size(), 2u);
    EXPECT_EQ(StableNameOf(names, acm0), first);
    EXPECT_EQ(StableNameOf(names, acm1), ById() + "/usb-Vyr_Microphone_0456-if00");
    EXPECT_EQ(StableNameOf(names, Device("ttyUSB0")), "");
}

TEST_F(PortNamesTest, DanglingLinksAndPlainFilesGiveNoName) {
    const std::string acm0 = Device("ttyACM0");
    Link("usb-Gone_Device-if00", (root_ / "dev" / "ttyACM7").string());
    std::ofstream(root_ / "by-id" / "not-a-link").put('\n');
    const StableNames names = FindStableNames(ById());
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(StableNameOf(names, acm0), "");
}

TEST_F(PortNamesTest, AMissingDirectoryIsNoNames) {
    EXPECT_TRUE(FindStableNames((root_ / "absent").string()).empty());
    EXPECT_TRUE(FindStableNames(Device("ttyACM0")).empty());  // a file, not a directory
}

TEST_F(PortNamesTest, AStableNameResolvesToTodaysDevice) {
    const std::string acm0 = Device("ttyACM0"), acm3 = Device("ttyACM3");
    const std::string stable = Link("usb-Vyr_Microphone_0123-if00", acm0);
    EXPECT_EQ(DevicePath(stable), acm0);
    // Plugged in again: the system points the same name at another number.
    fs::remove(stable);
    fs::create_symlink(acm3, stable);
    EXPECT_EQ(DevicePath(stable), acm3);
    EXPECT_EQ(StableNameOf(FindStableNames(ById()), acm3), stable);
    EXPECT_EQ(StableNameOf(FindStableNames(ById()), acm0), "");
    // What cannot be resolved stays as given.
    EXPECT_EQ(DevicePath(acm0), acm0);
    EXPECT_EQ(DevicePath("/dev/no-such-port"), "/dev/no-such-port");
    EXPECT_EQ(DevicePath(""), "");
    fs::remove(acm3);
    EXPECT_EQ(DevicePath(stable), stable);
}

TEST_F(PortNamesTest, TellsAStableNameByItsDirectory) {
    EXPECT_TRUE(IsInDirectory(ById() + "/usb-x-if00", ById()));
    EXPECT_TRUE(IsInDirectory(ById() + "/usb-x-if00", ById() + "/"));
    EXPECT_FALSE(IsInDirectory(ById() + "/sub/usb-x-if00", ById()));
    EXPECT_FALSE(IsInDirectory("/dev/ttyACM0", ById()));
    EXPECT_FALSE(IsInDirectory("", ById()));
}

TEST(StableNamesDirectory, TheEnvironmentVariableOverridesTheSystemDirectory) {
    const char* saved = std::getenv("VYR_SERIAL_BY_ID");
    const std::string previous = saved ? saved : "";
    unsetenv("VYR_SERIAL_BY_ID");
    EXPECT_EQ(StableNamesDirectory(), "/dev/serial/by-id");
    setenv("VYR_SERIAL_BY_ID", "", 1);
    EXPECT_EQ(StableNamesDirectory(), "/dev/serial/by-id");
    setenv("VYR_SERIAL_BY_ID", "/tmp/by-id", 1);
    EXPECT_EQ(StableNamesDirectory(), "/tmp/by-id");
    if (saved)
        setenv("VYR_SERIAL_BY_ID", previous.c_str(), 1);
    else
        unsetenv("VYR_SERIAL_BY_ID");
}

}  // namespace
}  // namespace serial_link

namespace serial_link {
namespace {

// A port's group is named only where joining it would open the port.
TEST(GroupThatMayOpen, NamesTheGroupOnlyWhereJoiningItHelps) {
    const fs::path file =
        fs::temp_directory_path() / ("vyr_group_port_" + std::to_string(getpid()));
    std::ofstream(file) << "";
    const std::string path = file.string();
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(GroupThatMayOpen(path), "");  // owner only: no group helps
    ASSERT_EQ(::chmod(path.c_str(), 0660), 0);
    EXPECT_EQ(GroupThatMayOpen(path), "");  // our own group already
    // A group we are not in; changing a file's group to it needs root.
    const group* dialout = ::getgrnam("dialout");
    if (::geteuid() == 0 && dialout != nullptr && ::chown(path.c_str(), 0, dialout->gr_gid) == 0) {
        EXPECT_EQ(GroupThatMayOpen(path), "dialout");
        ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
        EXPECT_EQ(GroupThatMayOpen(path), "");  // the group may not write it
    }
    EXPECT_EQ(GroupThatMayOpen(path + ".gone"), "");
    fs::remove(file);
}

}  // namespace
}  // namespace serial_link

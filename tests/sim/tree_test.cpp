// vyrsim --tree: the device's files in a directory of the computer. What is written survives
// a restart, staged files are served, and no device path reaches outside the directory.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "pty_client.h"
#include "sim/device.h"

namespace vyrsim::test {
namespace {

using namespace serial_link;
namespace fs = std::filesystem;

class Tree : public ::testing::Test {
  protected:
    fs::path base;
    fs::path dir;

    void SetUp() override {
        base = fs::temp_directory_path() /
               ("vyrsim_tree_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(base);
        fs::create_directories(base);
        dir = base / "device";
    }
    void TearDown() override { fs::remove_all(base); }

    static std::string Slurp(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    static std::optional<CommandFrame> Exchange(PtyClient& client, const CommandFrame& request) {
        if (!client.Send(request))
            return std::nullopt;
        return client.Receive();
    }

    // A device over the directory, answering one request.
    static CommandFrame Answer(Device& device, const CommandFrame& request) {
        const Replies replies = device.Handle(request);
        return replies.empty() ? CommandFrame{} : replies.front();
    }
};

TEST_F(Tree, AWriteSurvivesARestart) {
    Options options;
    options.treePath = dir.string();
    {
        Simulator sim(options);
        std::string error;
        ASSERT_TRUE(sim.Start(&error)) << error;
        PtyClient client(sim.PortPath());
        const auto reply =
            Exchange(client, TextRequest(kWriteFile, "/chroma/serialnumber", "VYR-1\n"));
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->command, kReply);
        EXPECT_EQ(Slurp(dir / "chroma/serialnumber"), "VYR-1\n");
        EXPECT_EQ(Slurp(dir / "chroma/mics/s/mic_filter3_enable"), "1\n");  // factory state
        // An account file holds a password: nobody but its owner reads it.
        const fs::perms others = fs::perms::group_all | fs::perms::others_all;
        EXPECT_EQ(fs::status(dir / "chroma/users/superadmin").permissions() & others,
                  fs::perms::none);
        EXPECT_NE(fs::status(dir / "chroma/serialnumber").permissions() & fs::perms::others_read,
                  fs::perms::none);
    }
    Simulator again(options);
    ASSERT_TRUE(again.Start());
    PtyClient client(again.PortPath());
    const auto reply = Exchange(client, TextRequest(kReadFile, "/chroma/serialnumber"));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->PayloadText(), "VYR-1\n");
    // The measurement files stay live.
    EXPECT_TRUE(again.ReadFile("/tmp/accu_voltage"));
}

TEST_F(Tree, AStagedDeviceIsServedAsItIs) {
    fs::create_directories(dir / "chroma/users");
    fs::create_directories(dir / "mnt/vyr");
    std::ofstream(dir / "chroma/service_notes") << "2020/01/01-00:00| staged\n";
    std::ofstream(dir / "chroma/users/tech") << "secret\n1\n";
    std::ofstream(dir / "mnt/vyr/firmware.cup") << "image\n";
    Device device;
    std::string error;
    ASSERT_TRUE(device.UseDirectory(dir.string(), &error)) << error;
    EXPECT_EQ(device.Files().Read("/chroma/service_notes"), "2020/01/01-00:00| staged\n");
    EXPECT_FALSE(device.Files().Read("/chroma/serialnumber"));  // not filled: it was not empty
    EXPECT_EQ(device.Files().List("/chroma/users/"), std::vector<std::string>{"tech"});
    EXPECT_EQ(device.Files().List("/mnt/vyr"), std::vector<std::string>{"firmware.cup"});

    CommandFrame reply = Answer(device, TextRequest(kAppendLine, "/chroma/service_notes", "new"));
    EXPECT_EQ(reply.command, kReply);
    EXPECT_EQ(Slurp(dir / "chroma/service_notes"), "2020/01/01-00:00| staged\nnew\n");
    EXPECT_TRUE(device.Files().Remove("/chroma/users/tech"));
    EXPECT_FALSE(fs::exists(dir / "chroma/users/tech"));
}

TEST_F(Tree, NoPathReachesOutsideTheDirectory) {
    std::ofstream(base / "secret") << "outside\n";
    fs::create_directories(base / "elsewhere");
    Device device;
    ASSERT_TRUE(device.UseDirectory(dir.string(), nullptr));
    fs::create_symlink(base / "elsewhere", dir / "chroma/linked");
    fs::create_symlink(base / "secret", dir / "chroma/secret_link");

    for (const char* path : {"/chroma/../../secret", "/../secret", "/chroma/linked/x",
                             "/chroma/secret_link"}) {
        EXPECT_EQ(Answer(device, TextRequest(kReadFile, path)).command, kRefused) << path;
        EXPECT_FALSE(device.Files().Read(path)) << path;
    }
    for (const char* path : {"/chroma/../../escaped", "/../escaped", "/chroma/linked/x"})
        EXPECT_FALSE(device.Files().Write(path, "x")) << path;
    EXPECT_FALSE(fs::exists(base / "escaped"));
    EXPECT_EQ(Answer(device, TextRequest(kWriteFile, "/chroma/linked/new", "x")).command, kRefused);
    EXPECT_TRUE(fs::is_empty(base / "elsewhere"));
    // Writing over a link replaces the link, never the file it points to.
    EXPECT_TRUE(device.Files().Write("/chroma/secret_link", "inside"));
    EXPECT_EQ(Slurp(base / "secret"), "outside\n");
    EXPECT_EQ(device.Files().Read("/chroma/secret_link"), "inside");
}

TEST_F(Tree, AnUnusableDirectoryStopsTheStart) {
    std::ofstream(base / "file") << "x";
    Options options;
    options.treePath = (base / "file").string();
    Simulator sim(options);
    std::string error;
    EXPECT_FALSE(sim.Start(&error));
    EXPECT_NE(error.find("tree directory"), std::string::npos) << error;
}

}  // namespace
}  // namespace vyrsim::test

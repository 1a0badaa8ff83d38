// vyrctl ports: the ports found, each with its stable name after a tab where it has one.
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "vyrctl_runner.h"

namespace vyr::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class VyrctlPorts : public VyrctlTest {};

// The ports are this computer's own; the stable names come from a directory of links made
// here, handed to vyrctl through VYR_SERIAL_BY_ID.
TEST_F(VyrctlPorts, AStableNameFollowsThePathAfterATab) {
    const fs::path byId = dir / "by-id";
    fs::create_directories(byId);
    const std::string environment = "VYR_SERIAL_BY_ID=" + byId.string();
    const Result plain = Vyrctl("ports", environment);
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.err, "");
    const std::vector<std::string> ports = Lines(plain.out);
    for (const std::string& port : ports)
        EXPECT_EQ(port.find('\t'), std::string::npos) << port;  // no names: the path alone
    if (ports.empty())
        GTEST_SKIP() << "no serial port on this computer to name";

    // Two names for the first port (the first by name is shown), one dangling name.
    fs::create_symlink(ports[0], byId / "usb-Vyr_Microphone_0123-if02");
    fs::create_symlink(ports[0], byId / "usb-Vyr_Microphone_0123-if00");
    fs::create_symlink(dir / "gone", byId / "usb-Gone-if00");
    const Result named = Vyrctl("ports", environment);
    ASSERT_EQ(named.status, 0) << named.err;
    const fs::path shown = byId / "usb-Vyr_Microphone_0123-if00";
    std::string expected = ports[0] + "\t" + shown.string() + "\n";
    for (std::size_t i = 1; i < ports.size(); ++i)
        expected += ports[i] + "\n";
    EXPECT_EQ(named.out, expected);
}

}  // namespace
}  // namespace vyr::test

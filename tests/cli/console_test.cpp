// The shared output of a fleet run: whole lines from many threads, and on a terminal one
// progress line per device kept below the messages. A small terminal model replays what
// was written (line feeds, cursor up, clear to the end) to see the screen a person sees.
#include "cli/console.h"

#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace vyr::cli {
namespace {

// The lines left on a terminal after `written`: "\x1b[<n>A" moves up n lines, "\x1b[J"
// clears from the cursor line down; the cursor is at the start of a line between writes.
std::vector<std::string> Screen(const std::string& written) {
    std::vector<std::string> screen;
    std::size_t row = 0;
    for (std::size_t i = 0; i < written.size(); ++i) {
        const char c = written[i];
        if (c == '\x1b') {
            const std::size_t end = written.find_first_of("AJ", i);
            if (written[end] == 'A')
                row -= std::stoul(written.substr(i + 2, end - i - 2));
            else
                screen.resize(row);
            i = end;
        } else if (c == '\n') {
            ++row;
        } else {
            screen.resize(std::max(screen.size(), row + 1));
            screen[row] += c;
        }
    }
    screen.resize(std::min(screen.size(), row));
    return screen;
}

TEST(Console, ProgressLinesStayBelowWholeMessageLines) {
    std::ostringstream terminal;  // stdout and stderr on one terminal
    Console console({terminal, terminal}, {"/dev/a", "/dev/b"}, true);
    constexpr int kLines = 200;
    const auto device = [&](const std::string& port, std::string_view last) {
        for (int i = 1; i <= kLines; ++i) {
            console.Progress(port == "/dev/a" ? 0 : 1, i, kLines);
            console.Write(i % 2 == 0, port + ": line " + std::to_string(i) + "\n");
        }
        console.Finish(port == "/dev/a" ? 0 : 1, last);
    };
    { std::jthread a(device, "/dev/a", "done"), b(device, "/dev/b", "login refused"); }
    const std::vector<std::string> screen = Screen(terminal.str());
    ASSERT_EQ(screen.size(), 2u * kLines + 2);
    int next[2] = {1, 1};
    for (std::size_t i = 0; i < 2u * kLines; ++i) {
        const int port = screen[i].starts_with("/dev/a: ") ? 0 : 1;
        EXPECT_EQ(screen[i],
                  (port == 0 ? "/dev/a: line " : "/dev/b: line ") + std::to_string(next[port]++));
    }
    EXPECT_EQ(screen[2 * kLines], "/dev/a done");
    EXPECT_EQ(screen[2 * kLines + 1], "/dev/b login refused");
}

TEST(Console, DrawsABarPerDevice) {
    std::ostringstream terminal;
    Console console({terminal, terminal}, {"/dev/a", "/dev/b"}, true);
    console.Progress(1, 43, 86);
    EXPECT_EQ(Screen(terminal.str()),
              (std::vector<std::string>{"/dev/a waiting",
                                        "/dev/b [###############               ] 43/86"}));
    // A count past its total draws a whole bar, not a broken one.
    console.Progress(0, 90, 86);
    EXPECT_EQ(Screen(terminal.str())[0], "/dev/a [##############################] 90/86");
}

TEST(Console, AProgressLineNeverWraps) {
    std::ostringstream terminal;
    const std::string byId = "/dev/serial/by-id/usb-Vyr_Microphone_0123456789-if00";
    Console console({terminal, terminal}, {byId, "/dev/ttyACM1", "/dev/caf\xC3\xA9"}, true, 44);
    console.Progress(0, 10, 860);
    console.Progress(1, 860, 860);
    console.Finish(2, "port cannot be opened");
    console.Write(true, byId + ": a message is not cut\n");
    EXPECT_EQ(Screen(terminal.str()),
              (std::vector<std::string>{
                  byId + ": a message is not cut",
                  // The port's file name stands for a long path, and what is still too long
                  // is cut: a terminal 44 columns wide takes 43 and a line feed.
                  "usb-Vyr_Microphone_0123456789-if00 [       ",
                  "ttyACM1 [##############################] 86",
                  "/dev/caf\xC3\xA9 port cannot be opened",
              }));
    Console narrow({terminal, terminal}, {"/dev/caf\xC3\xA9"}, true, 5);
    narrow.Finish(0, "done");
    EXPECT_EQ(Screen(terminal.str()).back(), "caf") << "never half a character";
}

TEST(Console, OffATerminalOnlyTheLinesAreWritten) {
    std::ostringstream out, err;
    Console console({out, err}, {"/dev/a", "/dev/b"}, false);
    console.Progress(0, 5, 10);
    console.Write(false, "/dev/a: data\n");
    console.Write(true, "/dev/b: message\n");
    console.Finish(0, "done");
    EXPECT_EQ(out.str(), "/dev/a: data\n");
    EXPECT_EQ(err.str(), "/dev/b: message\n");
}

}  // namespace
}  // namespace vyr::cli

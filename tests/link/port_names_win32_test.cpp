// COM port names on Windows: the spellings a person types, the remembered index, and names
// that are no COM port.
#include <gtest/gtest.h>

#include "link/port_names.h"
#include "link/serial_port.h"

namespace serial_link {
namespace {

TEST(ComPortNames, EverySpellingMeansTheSamePort) {
    EXPECT_EQ(DevicePath("COM5"), "COM5");
    EXPECT_EQ(DevicePath("com5"), "COM5");
    EXPECT_EQ(DevicePath("\\\\.\\COM12"), "COM12");
    EXPECT_EQ(DevicePath("//./com256"), "COM256");
    // Not COM names: left as given.
    for (const char* name : {"COM0", "COM257", "COM05", "COM", "COMX", "/dev/ttyACM0", ""})
        EXPECT_EQ(DevicePath(name), name) << name;
}

TEST(ComPortNames, TheRememberedIndexIsTheComNumberLessOne) {
    EXPECT_EQ(PortIndex("COM1"), 0);
    EXPECT_EQ(PortIndex("COM5"), 4);
    EXPECT_EQ(PortIndex("com99"), 98);
    EXPECT_EQ(PortIndex("/dev/ttyACM0"), -1);
    EXPECT_EQ(PortForIndex(0), "COM1");
    EXPECT_EQ(PortForIndex(4), "COM5");
    EXPECT_EQ(PortForIndex(-1), "");
    EXPECT_EQ(PortForIndex(256), "");
}

TEST(ComPortNames, NoStableNamesAndNoByIdDirectory) {
    EXPECT_EQ(StableNamesDirectory(), "");
    EXPECT_TRUE(FindStableNames(StableNamesDirectory()).empty());
}

TEST(ComPortOpen, ANameThatIsNoComPortIsRefusedWithoutOpeningAFile) {
    PortError kind = PortError::Other;
    std::string reason;
    EXPECT_EQ(OpenSerialPort("C:\\windows\\win.ini", &kind, &reason), nullptr);
    EXPECT_EQ(kind, PortError::NotFound);
    EXPECT_EQ(reason, "not a COM port name (such as COM5)");
}

TEST(ComPortOpen, AnAbsentPortNamesTheSystemsReason) {
    PortError kind = PortError::Other;
    std::string reason;
    EXPECT_EQ(OpenSerialPort("COM250", &kind, &reason), nullptr);
    EXPECT_EQ(kind, PortError::NotFound);
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(reason.find('\n'), std::string::npos);
}

TEST(ComPortList, PortsAreComNamesInNumericOrder) {
    const std::vector<std::string> ports = ListSerialPorts();
    int previous = -1;
    for (const std::string& port : ports) {
        const int index = PortIndex(port);
        ASSERT_GE(index, 0) << port;
        EXPECT_EQ(DevicePath(port), port);
        EXPECT_GT(index, previous) << port;
        previous = index;
    }
}

}  // namespace
}  // namespace serial_link

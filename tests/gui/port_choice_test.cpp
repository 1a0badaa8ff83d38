// The window's port choice with stable names: each port shown with its by-id name, the
// selection kept by device path, the port remembered by its stable name so that it is
// selected again after the device came back under another number.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <wx/choice.h>

#include "app/port_choice.h"
#include "app/port_list.h"
#include "frame_fixture.h"

namespace vyr::test {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Two stand-in devices and a by-id directory, handed to the window through
// VYR_SERIAL_BY_ID; the variable is put back afterwards.
class PortNames : public testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::canonical(root_);
        fs::create_directories(root_ / "dev");
        fs::create_directories(root_ / "by-id");
        std::ofstream(Acm0()).put('\n');
        std::ofstream(Acm1()).put('\n');
        const char* saved = std::getenv("VYR_SERIAL_BY_ID");
        hadSaved_ = saved != nullptr;
        saved_ = saved ? saved : "";
        setenv("VYR_SERIAL_BY_ID", (root_ / "by-id").c_str(), 1);
    }
    void TearDown() override {
        if (hadSaved_)
            setenv("VYR_SERIAL_BY_ID", saved_.c_str(), 1);
        else
            unsetenv("VYR_SERIAL_BY_ID");
    }

    std::string Acm0() const { return (root_ / "dev" / "ttyACM0").string(); }
    std::string Acm1() const { return (root_ / "dev" / "ttyACM1").string(); }
    std::string Stable() const { return (root_ / "by-id" / kName).string(); }
    // Points the device's stable name at `device`, as the system does when it is plugged in.
    void PlugIn(const std::string& device) {
        fs::remove(Stable());
        fs::create_symlink(device, Stable());
    }
    std::string CfgFile() const { return config_.Path() + "/Corvanta/Vyr.cfg"; }

    static constexpr const char* kName = "usb-Vyr_Microphone_0123-if00";
    ConfigRoot scratch_;
    fs::path root_ = scratch_.Path();
    ConfigRoot config_;
    bool hadSaved_ = false;
    std::string saved_;
};

TEST_F(PortNames, EachPortShowsItsStableNameAndTheSelectionStaysByDevicePath) {
    PlugIn(Acm1());
    FrameWorld world({.ports = {Acm0(), Acm1()}, .configDir = config_.Path()});
    auto* choice = world.frame->ControlAs<wxChoice>("PortChoice");
    EXPECT_EQ(choice->GetString(0).utf8_string(), Acm0());
    EXPECT_EQ(choice->GetString(1).utf8_string(), Acm1() + " (" + kName + ")");
    EXPECT_EQ(choice->GetToolTipText(), choice->GetString(0));
    // Chosen by hand: the tool tip gives the whole label the closed choice cuts short.
    choice->SetSelection(1);
    wxCommandEvent chosen(wxEVT_CHOICE, choice->GetId());
    chosen.SetEventObject(choice);
    chosen.SetInt(1);
    choice->ProcessWindowEvent(chosen);
    EXPECT_EQ(choice->GetToolTipText().utf8_string(), Acm1() + " (" + kName + ")");
    EXPECT_EQ(world.frame->Ports().SelectedPath(), Acm1());

    // The name moves to the other device: the labels follow, the selection stays.
    PlugIn(Acm0());
    world.frame->Ports().Refresh();
    EXPECT_EQ(choice->GetString(0).utf8_string(), Acm0() + " (" + kName + ")");
    EXPECT_EQ(choice->GetString(1).utf8_string(), Acm1());
    EXPECT_EQ(world.frame->Ports().SelectedPath(), Acm1());
    EXPECT_EQ(choice->GetToolTipText().utf8_string(), Acm1());
}

TEST_F(PortNames, TheRememberedStableNameFindsTheDeviceUnderItsNewNumber) {
    PlugIn(Acm0());
    {
        FrameWorld first({.ports = {Acm0(), Acm1()}, .configDir = config_.Path()});
        first.frame->ControlAs<wxChoice>("PortChoice")->SetSelection(0);
        first.frame->Ports().Remember();
    }
    const std::string file = ReadAll(CfgFile());
    EXPECT_NE(file.find("LastPortPath=" + Stable() + "\n"), std::string::npos) << file;
    EXPECT_NE(file.find("LastCOMPort=0\n"), std::string::npos) << file;

    PlugIn(Acm1());  // unplugged and plugged in again: now ttyACM1
    FrameWorld second({.ports = {Acm0(), Acm1()}, .configDir = config_.Path()});
    EXPECT_EQ(second.frame->Ports().SelectedPath(), Acm1());
}

TEST_F(PortNames, AConfigurationWithADevicePathStillSelectsIt) {
    PlugIn(Acm1());
    fs::create_directories(config_.Path() + "/Corvanta");
    std::ofstream(CfgFile()) << "[Global]\nLastCOMPort=0\nLastPortPath=" << Acm1() << "\n";
    {
        FrameWorld world({.ports = {Acm0(), Acm1()}, .configDir = config_.Path()});
        EXPECT_EQ(world.frame->Ports().SelectedPath(), Acm1());
        world.frame->Ports().Remember();  // from now on by its stable name
    }
    EXPECT_NE(ReadAll(CfgFile()).find("LastPortPath=" + Stable() + "\n"), std::string::npos);
}

TEST_F(PortNames, AStableNameOnTheCommandLineIsListedOnceByDevicePath) {
    PlugIn(Acm1());
    FrameWorld world({.ports = {Stable(), Acm0(), Acm1()}, .configDir = config_.Path()});
    auto* choice = world.frame->ControlAs<wxChoice>("PortChoice");
    EXPECT_EQ(choice->GetString(0).utf8_string(), Acm1() + " (" + kName + ")");
    EXPECT_EQ(choice->GetString(1).utf8_string(), Acm0());
    for (unsigned i = 2; i < choice->GetCount(); ++i)
        EXPECT_EQ(choice->GetString(i).utf8_string().find(root_.string()), std::string::npos);
    EXPECT_EQ(world.frame->Ports().SelectedPath(), Acm1());
}

}  // namespace
}  // namespace vyr::test

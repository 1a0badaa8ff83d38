// The device information dialog against the simulator: what it shows before and after its
// first measurement, when it measures and when not, the clipboard text, and its closing
// whenever the connection ends or a user logs in.
#include <atomic>
#include <regex>

#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/stattext.h>

#include "app/menus.h"
#include "dialogs/dev_info_dialog.h"
#include "gui_events.h"
#include "modal_hook.h"
#include "gui_support.h"
#include "device_window.h"
#include "ui/accessible.h"

namespace vyr::test {
namespace {

using namespace std::chrono_literals;
using Line = DeviceInformation::Line;

class DevInfoTest : public DeviceWindowTest {
  protected:
    DevInfoDialog& Dialog() { return Frame().DeviceInformationDialog(); }
    std::string Value(Line line) { return Dialog().ValueControl(line)->GetLabel().utf8_string(); }
    int PowerReads() { return Requests("in  1 /tmp/accu_voltage"); }

    // Opens the dialog from the menu and waits for a measurement.
    void OpenAndMeasure() {
        const int reads = PowerReads();
        Command(&Frame(), menu::kDeviceInformation);
        ASSERT_TRUE(Dialog().IsShown());
        ASSERT_TRUE(PumpUntil([&] {
            return PowerReads() > reads && !Value(DeviceInformation::Capsule).empty();
        }));
    }
    void ExpectClosed() {
        EXPECT_FALSE(Dialog().IsShown());
        EXPECT_FALSE(Dialog().Measuring());
        const int reads = PowerReads();
        PumpFor(1500ms);
        EXPECT_EQ(PowerReads(), reads);
    }
};

TEST_F(DevInfoTest, ShowsDotsUntilTheFirstTickThenTheIdentityAndThePowerLines) {
    sim.WriteFile("/tmp/hw_type", "1");
    Connect();
    Command(&Frame(), menu::kDeviceInformation);
    EXPECT_EQ(Dialog().GetTitle(), "Device information");
    EXPECT_TRUE(Dialog().Measuring());
    EXPECT_FALSE(Dialog().HasFlag(wxCLOSE_BOX));
    EXPECT_EQ(Value(DeviceInformation::Firmware), "...");
    for (Line line : {DeviceInformation::Hardware, DeviceInformation::Serial,
                      DeviceInformation::Type, DeviceInformation::Internal,
                      DeviceInformation::Battery, DeviceInformation::Capsule}) {
        EXPECT_EQ(Value(line), "") << line;
    }
    // The timer's first tick comes after a second, not at once.
    PumpFor(300ms);
    EXPECT_EQ(Value(DeviceInformation::Firmware), "...");
    ASSERT_TRUE(PumpUntil([&] { return !Value(DeviceInformation::Capsule).empty(); }));

    EXPECT_EQ(Value(DeviceInformation::Firmware), "2.3 - 4.2.1");
    EXPECT_EQ(Value(DeviceInformation::Hardware), "C2");
    EXPECT_EQ(Value(DeviceInformation::Serial), "VYR-2417-0093");
    EXPECT_EQ(Value(DeviceInformation::Type), "Vyr Recorder");
    // Percent right-aligned in three places, voltage and calibration at least four hex digits.
    EXPECT_TRUE(std::regex_match(Value(DeviceInformation::Internal),
                                 std::regex(" [ 0-9][0-9]% :: 0x0a[0-9a-f]{2} :: 0x03e8")))
        << Value(DeviceInformation::Internal);
    EXPECT_TRUE(std::regex_match(Value(DeviceInformation::Battery),
                                 std::regex("[ 1][ 0-9][0-9]% :: 0x111[0-9a-f]{2} :: 0x0400")))
        << Value(DeviceInformation::Battery);
    EXPECT_TRUE(std::regex_match(Value(DeviceInformation::Capsule),
                                 std::regex("  B  :: 0x0c[d-f][0-9a-f] :: 0x0200")))
        << Value(DeviceInformation::Capsule);
    // Every text fits its control, and every control the dialog.
    const wxRect client(wxPoint(0, 0), Dialog().GetClientSize());
    EXPECT_GE(client.width, 380);
    EXPECT_GE(client.height, 315);
    for (int line = 0; line < DeviceInformation::kLineCount; ++line) {
        for (wxWindow* text : {static_cast<wxWindow*>(Dialog().CaptionControl(Line(line))),
                               static_cast<wxWindow*>(Dialog().ValueControl(Line(line)))}) {
            EXPECT_TRUE(client.Contains(text->GetRect())) << Where(text);
            EXPECT_LE(text->GetTextExtent(text->GetLabel()).x, text->GetSize().x) << Where(text);
        }
    }
    for (wxWindow* button : {Dialog().CopyButton(), Dialog().OkButton()}) {
        EXPECT_TRUE(client.Contains(button->GetRect())) << Where(button);
        EXPECT_GE(button->GetSize().x, button->GetBestSize().x) << Where(button);
    }
    // Screen readers name each value by its caption.
    EXPECT_EQ(AccessibleName(Dialog().ValueControl(DeviceInformation::Serial)), "Serial number:");
    EXPECT_TRUE(IsLabelledBy(Dialog().ValueControl(DeviceInformation::Serial),
                             Dialog().CaptionControl(DeviceInformation::Serial)));

    // Every tick measures again; the identity is read once.
    const int reads = PowerReads();
    ASSERT_TRUE(PumpUntil([&] { return PowerReads() > reads; }));
    EXPECT_EQ(Requests("in  1 /chroma/serialnumber"), 1);

    // OK hides the dialog and ends the measurements.
    ClickButton(Dialog().OkButton());
    ExpectClosed();
}

TEST_F(DevInfoTest, ATickIsSkippedWhileAnotherJobRunsAndWhenNotConnected) {
    EXPECT_FALSE(Dialog().Tick());
    Connect();
    std::atomic<bool> release = false;
    Frame().Connection().Session().Worker().Run(
        [&](DeviceConnection&, Progress&) {
            while (!release)
                std::this_thread::sleep_for(5ms);
        },
        [] {});
    EXPECT_FALSE(Dialog().Tick());
    release = true;
    ASSERT_TRUE(PumpUntil([&] { return !Frame().Connection().Session().Busy(); }));
    PumpFor(100ms);
    EXPECT_EQ(PowerReads(), 0);
    EXPECT_EQ(Value(DeviceInformation::Firmware), "...");

    EXPECT_TRUE(Dialog().Tick());
    ASSERT_TRUE(PumpUntil([&] { return PowerReads() == 1; }));
}

TEST_F(DevInfoTest, CopyToClipboardPutsTheSevenLines) {
    Connect();
    OpenAndMeasure();
    ClickButton(Dialog().CopyButton());
    ASSERT_TRUE(wxTheClipboard->Open());
    wxTextDataObject data;
    EXPECT_TRUE(wxTheClipboard->GetData(data));
    wxTheClipboard->Close();
    wxString expected;
    for (int line = 0; line < DeviceInformation::kLineCount; ++line) {
        if (line > 0)
            expected += "\n";
        expected += Dialog().CaptionControl(Line(line))->GetLabel() + " \t" +
                    Dialog().ValueControl(Line(line))->GetLabel();
    }
    EXPECT_EQ(data.GetText(), expected);
    EXPECT_TRUE(data.GetText().StartsWith("Firmware version: \t2.3 - 4.2.1\n"));
    EXPECT_EQ(data.GetText().Freq('\n'), 6);
}

TEST_F(DevInfoTest, ClosedOnDisconnectAndResetOnTheNextConnect) {
    Connect();
    OpenAndMeasure();
    Press(false);
    ExpectClosed();
    Connect();
    EXPECT_EQ(Value(DeviceInformation::Firmware), "...");
    EXPECT_EQ(Value(DeviceInformation::Serial), "");
}

TEST_F(DevInfoTest, ClosedWhenTheDeviceIsLost) {
    Connect();
    OpenAndMeasure();
    wxTEST_DIALOG(
        {
            sim.HangUp();
            EXPECT_TRUE(PumpUntil([&] { return !Frame().Connected(); }));
        },
        ExpectMessage("Communication error", "Connection to device lost"));
    EXPECT_FALSE(Dialog().IsShown());
    EXPECT_FALSE(Dialog().Measuring());
}

TEST_F(DevInfoTest, ClosedByEveryLogin) {
    Connect();
    // Refused: the dialog closes all the same.
    OpenAndMeasure();
    wxTEST_DIALOG(
        {
            SendLogin(L"admin", L"wrong");
            EXPECT_TRUE(PumpUntil([&] { return !Login().Busy(); }));
        },
        ExpectMessage("Authentication error", "Wrong username or password!"));
    ExpectClosed();
    OpenAndMeasure();
    SendLogin(L"admin", L"vyr-admin");
    ASSERT_TRUE(PumpUntil([&] { return !Login().IsShown(); }));
    ExpectClosed();
}

}  // namespace
}  // namespace vyr::test

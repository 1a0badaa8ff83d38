// The main window connected to an in-process simulator, for tests that drive the window
// through a connection. Every exchange runs on the worker thread; the tests pump the
// window's events until what they wait for shows.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include <wx/button.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include "app/session_controller.h"
#include "dialogs/auth_dialog.h"
#include "frame_fixture.h"
#include "sim/simulator.h"

namespace vyr::test {

using Clock = std::chrono::steady_clock;

// Pumps the window's events until `done` holds or ten seconds passed.
inline bool PumpUntil(const std::function<bool()>& done) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        wxYield();
        wxMilliSleep(10);
    }
    return true;
}

class DeviceWindowTest : public testing::Test {
  protected:
    vyrsim::Simulator sim;
    std::unique_ptr<FrameWorld> world;

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim.Start(&error)) << error;
        world = std::make_unique<FrameWorld>(StartOptions{{sim.PortPath()}, {}});
    }
    void TearDown() override { world.reset(); }

    AdminSWFrm& Frame() { return *world->frame; }
    wxToggleButton* Button() { return Frame().ControlAs<wxToggleButton>("ConnectButton"); }
    wxString Label() { return Button()->GetLabel(); }
    AuthDialog& Login() { return Frame().Connection().LoginDialog(); }

    void Press(bool pressed) {
        Button()->SetValue(pressed);
        wxCommandEvent event(wxEVT_TOGGLEBUTTON, Button()->GetId());
        event.SetEventObject(Button());
        event.SetInt(pressed ? 1 : 0);
        Button()->ProcessWindowEvent(event);
    }
    void ConnectAndLogIn(const wchar_t* user, const wchar_t* password) {
        Press(true);
        ASSERT_TRUE(PumpUntil([&] { return Login().IsShown(); })) << Label();
        Login().UserField()->ChangeValue(user);
        Login().PasswordField()->ChangeValue(password);
        wxCommandEvent ok(wxEVT_BUTTON, Login().OkButton()->GetId());
        ok.SetEventObject(Login().OkButton());
        Login().OkButton()->ProcessWindowEvent(ok);
    }
};

}  // namespace vyr::test

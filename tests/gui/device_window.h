// The main window on a port of the in-process simulator, with what the tests of a connected
// window share: pumping events until something shows, the connect button, the login.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include <wx/button.h>
#include <wx/evtloop.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include "app/session_controller.h"
#include "dialogs/auth_dialog.h"
#include "frame_fixture.h"
#include "gui_events.h"
#include "sim/simulator.h"

namespace vyr::test {

using SteadyClock = std::chrono::steady_clock;

// Pumps the window's events until `done` holds or `limit` passed.
inline bool PumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = SteadyClock::now() + limit;
    while (!done()) {
        if (SteadyClock::now() > deadline)
            return false;
        wxYield();
        wxMilliSleep(10);
    }
    return true;
}

// Pumps the window's events for `time`.
inline void PumpFor(std::chrono::milliseconds time) {
    PumpUntil([] { return false; }, time);
}

// The program runs its main loop while a progress dialog is up; without an active loop the
// dialog would make one of its own, and take it along when it goes.
struct ActiveEventLoop {
    wxEventLoop loop;
    wxEventLoopActivator active{&loop};
};

class DeviceWindowTest : public testing::Test {
  protected:
    vyrsim::Simulator sim;
    std::unique_ptr<FrameWorld> world;

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim.Start(&error)) << error;
        world = std::make_unique<FrameWorld>(StartOptions{.ports = {sim.PortPath()}});
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
    // Connects and waits for the login dialog.
    void Connect() {
        Press(true);
        ASSERT_TRUE(PumpUntil([&] { return Login().IsShown(); })) << Label();
    }
    // Sends the login; its result arrives later.
    void SendLogin(const wchar_t* user, const wchar_t* password) {
        Login().UserField()->ChangeValue(user);
        Login().PasswordField()->ChangeValue(password);
        ClickButton(Login().OkButton());
    }
    void ConnectAndLogIn(const wchar_t* user, const wchar_t* password) {
        Connect();
        SendLogin(user, password);
    }
    // Requests in the simulator's log whose line starts with `start` ("in  1 /tmp/...").
    int Requests(const std::string& start) const {
        int count = 0;
        for (const std::string& line : sim.Log())
            count += line.starts_with(start) ? 1 : 0;
        return count;
    }
};

}  // namespace vyr::test

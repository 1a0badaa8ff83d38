// vyrsim: a stand-in for the Vyr device. It owns a pseudo-terminal and answers command frames
// on its master side from a thread of its own, over a file tree in memory or in a directory.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/frame.h"
#include "sim/fault_plan.h"

namespace vyrsim {

struct Options {
    Faults faults;
    std::string logPath;   // one line per frame in each direction, when not empty
    std::string linkPath;      // symbolic link to the port, when not empty
    std::string wineLinkPath;  // a second one, Wine's COM port (dosdevices/comN), when not empty
    // Claim the port as this process's controlling terminal; the process must lead a session
    // that has none.
    bool controllingTerminal = false;
    // Directory that keeps the device's files across runs (filled with the factory state when
    // empty); in memory when empty.
    std::string treePath;
};

// Passwords of the accounts the device is delivered with.
struct Account {
    std::string name;
    std::string password;
    int level;
};
const std::vector<Account>& FactoryAccounts();

class Simulator {
public:
    explicit Simulator(Options options = {});
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Creates the pseudo-terminal and starts answering. False (with a reason) on failure.
    bool Start(std::string* error = nullptr);
    // Stops answering and closes the pseudo-terminal.
    void Stop();
    // The port path the tool opens (/dev/pts/N).
    const std::string& PortPath() const;

    void SetFaults(const Faults& faults);
    Faults GetFaults() const;

    // The device's files (thread-safe).
    std::optional<std::string> ReadFile(const std::string& path) const;
    void WriteFile(const std::string& path, const std::string& content);
    void RemoveFile(const std::string& path);

    // Frames seen so far, one line each: "in " for requests, "out" for replies, then the
    // command, the name and the payload ("text" and the quoted text, or "int" and the value):
    //   in  1 /chroma/settings/1/rec_mic_level text ""
    //   out 2 /chroma/settings/1/rec_mic_level text "25"
    // Passwords (the payload of login and set-password frames) show as ***.
    std::vector<std::string> Log() const;
    void ClearLog();
    int RequestsReceived() const;

    // Called on the device thread with every request before it is answered.
    void SetRequestObserver(std::function<void(const serial_link::CommandFrame&)> observer);

    // Closes the pseudo-terminal now, as a device that is unplugged.
    void HangUp();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vyrsim

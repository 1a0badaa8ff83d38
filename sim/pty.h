// The pseudo-terminal the simulator answers on: the master side for the device, the slave
// side (its path) for the tool.
#pragma once

#include <string>

namespace vyrsim {

class PseudoTerminal {
  public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Creates the pair: a non-blocking master, and a slave descriptor of our own in raw mode
    // that stays open so that the master never reads EIO while the tool is disconnected.
    bool Open(std::string* error);
    // Makes the slave side the controlling terminal of this process, which must lead a session
    // that has none. A program that opens the port later (wineserver, itself a session leader)
    // then cannot take it as its own, and so gets no SIGINT or SIGHUP from it.
    bool TakeAsControllingTerminal(std::string* error);
    // Closes both sides; the tool then sees a hang-up and the slave path disappears.
    void Close();

    bool IsOpen() const { return master_ >= 0; }
    int Master() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace vyrsim

namespace vyrsim {

// Makes `link` a symbolic link to `target`, replacing a symbolic link already there (but not
// any other kind of file).
bool ReplaceSymlink(const std::string& link, const std::string& target, std::string* error);
// Removes `link` if it is still a symbolic link to `target`.
void RemoveSymlink(const std::string& link, const std::string& target);

// The link that makes COM port `port` of Wine: $WINEPREFIX/dosdevices/com<port>, the prefix
// being $HOME/.wine when WINEPREFIX is unset or empty. False (with the reason) when that
// dosdevices folder is not there.
bool WineComLink(int port, std::string& link, std::string* error);

}  // namespace vyrsim

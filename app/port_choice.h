// The port choice of the header, over the port list's rules.
#pragma once

#include <string>
#include <vector>

class wxChoice;

namespace vyr {

class LocalConfig;

// The port choice of the header: the serial ports present by device path, each shown with its
// stable name, rescanned while not connected, the selection kept by device path; the port of
// a successful connection remembered by its stable name where it has one.
class PortChoice {
  public:
    PortChoice(wxChoice* choice, std::vector<std::string> commandLinePorts, LocalConfig& config);

    // Rescans the ports; an unchanged list is left alone (it may be open).
    void Refresh();
    // The path of the selected entry; empty when none.
    std::string SelectedPath() const;
    // Keeps the selected port in the local configuration.
    void Remember();

  private:
    wxChoice* choice_;
    std::vector<std::string> commandLinePorts_;
    LocalConfig& config_;
    std::vector<std::string> ports_;   // device paths behind the entries
    std::vector<std::string> labels_;  // what the entries show
};

}  // namespace vyr

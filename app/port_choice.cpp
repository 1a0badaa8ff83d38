// The port choice of the header: the serial ports present, rescanned while not connected.
#include <wx/choice.h>

#include "link/serial_port.h"
#include "local_config.h"
#include "main_frame.h"
#include "port_list.h"

namespace vyr {

void AdminSWFrm::RefreshPortList() {
    std::vector<std::string> entries = PortEntries(options_.ports, serial_link::ListSerialPorts());
    if (entries == ports_ && !ports_.empty())
        return;  // unchanged: leave an open list alone
    auto* choice = ControlAs<wxChoice>("PortChoice");
    const int selection =
        ports_.empty() ? ChoosePort(entries, config_->LastPortPath(), config_->LastPortIndex())
                       : KeepSelection(entries, SelectedPortPath());
    ports_ = std::move(entries);
    choice->Clear();
    for (const std::string& path : ports_)
        choice->Append(wxString::FromUTF8(path));
    choice->SetSelection(selection);
}

std::string AdminSWFrm::SelectedPortPath() const {
    const int selection = ControlAs<wxChoice>("PortChoice")->GetSelection();
    return selection >= 0 && selection < static_cast<int>(ports_.size()) ? ports_[selection]
                                                                         : std::string();
}

void AdminSWFrm::RememberPort() {
    const int selection = ControlAs<wxChoice>("PortChoice")->GetSelection();
    if (selection >= 0)
        config_->RememberPort(selection, SelectedPortPath());
}

}  // namespace vyr

#include <wx/choice.h>

#include "link/serial_port.h"
#include "local_config.h"
#include "port_list.h"

namespace vyr {

void PortChoice::Refresh() {
    std::vector<std::string> entries =
        PortEntries(commandLinePorts_, serial_link::ListSerialPorts());
    if (entries == ports_ && !ports_.empty())
        return;
    const int selection =
        ports_.empty() ? ChoosePort(entries, config_.LastPortPath(), config_.LastPortIndex())
                       : KeepSelection(entries, SelectedPath());
    ports_ = std::move(entries);
    choice_->Clear();
    for (const std::string& path : ports_)
        choice_->Append(wxString::FromUTF8(path));
    choice_->SetSelection(selection);
}

std::string PortChoice::SelectedPath() const {
    const int selection = choice_->GetSelection();
    return selection >= 0 && selection < static_cast<int>(ports_.size()) ? ports_[selection]
                                                                         : std::string();
}

void PortChoice::Remember() {
    const int selection = choice_->GetSelection();
    if (selection >= 0)
        config_.RememberPort(selection, SelectedPath());
}

}  // namespace vyr

#include <wx/choice.h>

#include "link/port_names.h"
#include "link/serial_port.h"
#include "local_config.h"
#include "port_choice.h"
#include "port_list.h"

namespace vyr {
namespace {

// The stable path of the device behind an entry (an entry named on the command line may be
// a link of its own); empty when it has none.
std::string StablePath(const serial_link::StableNames& names, const std::string& path) {
    return serial_link::StableNameOf(names, serial_link::DevicePath(path));
}

// The closed choice is narrower than a label with its stable name (the end is cut off with an
// ellipsis; the open list shows it whole): its tool tip gives the selected label in full.
void ShowWholeLabel(wxChoice* choice) {
    choice->SetToolTip(choice->GetStringSelection());
}

}  // namespace

PortChoice::PortChoice(wxChoice* choice, std::vector<std::string> commandLinePorts,
                       LocalConfig& config)
    : choice_(choice), commandLinePorts_(std::move(commandLinePorts)), config_(config) {
    choice_->Bind(wxEVT_CHOICE, [choice](wxCommandEvent& event) {
        event.Skip();
        ShowWholeLabel(choice);
    });
}

void PortChoice::Refresh() {
    const std::string byId = serial_link::StableNamesDirectory();
    const serial_link::StableNames names = serial_link::FindStableNames(byId);
    // A stable name given with --port stands for today's device: listed once, by device path.
    std::vector<std::string> named;
    for (const std::string& path : commandLinePorts_)
        named.push_back(serial_link::IsInDirectory(path, byId) ? serial_link::DevicePath(path)
                                                               : path);
    std::vector<std::string> entries = PortEntries(named, serial_link::ListSerialPorts());
    const serial_link::PortDescriptions descriptions = serial_link::FindPortDescriptions();
    std::vector<std::string> labels;
    for (const std::string& path : entries) {
        const auto described = descriptions.find(serial_link::DevicePath(path));
        labels.push_back(PortLabel(path, StablePath(names, path),
                                   described == descriptions.end() ? "" : described->second));
    }
    if (entries == ports_ && labels == labels_ && !ports_.empty())
        return;
    const std::string remembered = config_.LastPortPath();
    // Where ports have numbers (COM5), a remembered index names a port, not a position; with
    // none remembered the first entry (a port named with --port) is taken.
    const int index = config_.LastPortIndex();
    const std::string indexedPort =
        config_.RemembersPortIndex() ? serial_link::PortForIndex(index) : std::string();
    const int selection =
        ports_.empty() ? ChoosePort(entries, remembered, indexedPort.empty() ? index : -1,
                                    serial_link::DevicePath(remembered), indexedPort)
                       : KeepSelection(entries, SelectedPath());
    ports_ = std::move(entries);
    labels_ = std::move(labels);
    choice_->Clear();
    for (const std::string& label : labels_)
        choice_->Append(wxString::FromUTF8(label));
    choice_->SetSelection(selection);
    ShowWholeLabel(choice_);
}

std::string PortChoice::SelectedPath() const {
    const int selection = choice_->GetSelection();
    return selection >= 0 && selection < static_cast<int>(ports_.size()) ? ports_[selection]
                                                                         : std::string();
}

void PortChoice::Remember() {
    const int selection = choice_->GetSelection();
    if (selection < 0)
        return;
    // By its stable name the port is found again after the device was plugged in anew.
    const std::string path = SelectedPath();
    const std::string stable = StablePath(serial_link::FindStableNames(), path);
    const int number = serial_link::PortIndex(path);  // COM5 is 4
    config_.RememberPort(number >= 0 ? number : selection, stable.empty() ? path : stable);
}

}  // namespace vyr

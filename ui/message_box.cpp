#include "ui/message_box.h"

#include <wx/msgdlg.h>

#include "ui/wx_text.h"

namespace vyr {

void ShowStatusMessage(wxWindow* parent, const StatusMessage& message) {
    const long icon = message.icon == MessageIcon::Error ? wxICON_ERROR : wxICON_WARNING;
    wxMessageBox(Wx(message.text), Wx(message.title), wxOK | icon, parent);
}

bool AskYesNo(wxWindow* parent, std::string_view title, std::string_view text) {
    return wxMessageBox(Wx(text), Wx(title), wxYES_NO | wxNO_DEFAULT | wxICON_WARNING, parent) ==
           wxYES;
}

}  // namespace vyr

// What a person does to a control, as the toolkit reports it: the control's new state, then
// the events it sends, handled at once.
#pragma once

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>

namespace vyr::test {

inline void Send(wxWindow* control, wxEvent& event) {
    event.SetEventObject(control);
    control->ProcessWindowEvent(event);
}

inline void ClickButton(wxButton* button) {
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    Send(button, event);
}

inline void Click(wxToggleButton* button) {
    button->SetValue(!button->GetValue());
    wxCommandEvent event(wxEVT_TOGGLEBUTTON, button->GetId());
    event.SetInt(button->GetValue());
    Send(button, event);
}

inline void Tick(wxCheckBox* box, bool on) {
    box->SetValue(on);
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetInt(on);
    Send(box, event);
}

// False when the choice has no such entry (nothing is sent then).
inline bool Choose(wxChoice* choice, const wxString& entry) {
    if (!choice->SetStringSelection(entry))
        return false;
    wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
    event.SetInt(choice->GetSelection());
    event.SetString(entry);
    Send(choice, event);
    return true;
}

inline void Spin(wxSpinButton* spin, int value) {
    spin->SetValue(value);
    wxSpinEvent event(wxEVT_SPIN, spin->GetId());
    event.SetPosition(spin->GetValue());
    Send(spin, event);
}

inline void SpinTo(wxSpinCtrl* spin, int value) {
    spin->SetValue(value);
    wxSpinEvent event(wxEVT_SPINCTRL, spin->GetId());
    event.SetPosition(spin->GetValue());
    Send(spin, event);
}

// A drag to `value`: the scroll event first, then the change event with the position the
// slider then has.
inline void Slide(wxSlider* slider, int value) {
    slider->SetValue(value);
    wxScrollEvent scroll(wxEVT_SCROLL_THUMBTRACK, slider->GetId(), slider->GetValue());
    Send(slider, scroll);
    wxCommandEvent changed(wxEVT_SLIDER, slider->GetId());
    changed.SetInt(slider->GetValue());
    Send(slider, changed);
}

// Typing: the field's text changes, and the field reports it.
inline void Type(wxTextCtrl* field, const wxString& text) {
    field->SetValue(text);  // sends the text event itself
}

// Chooses a menu item; a check item changes its check first, as the toolkit does.
inline void Command(wxFrame* frame, int id) {
    wxMenuBar* bar = frame->GetMenuBar();
    wxMenuItem* item = bar->FindItem(id);
    wxCommandEvent event(wxEVT_MENU, id);
    if (item && item->IsCheckable()) {
        item->Check(!item->IsChecked());
        event.SetInt(item->IsChecked());
    }
    event.SetEventObject(frame);
    frame->ProcessWindowEvent(event);
}

}  // namespace vyr::test

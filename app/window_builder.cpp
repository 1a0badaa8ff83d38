#include "window_builder.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/datectrl.h>
#include <wx/dcmemory.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/spinctrl.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include "ui/accessible.h"
#include "ui/fonts.h"
#include "ui/gtk_style.h"
#include "settings/catalogue.h"
#include "ui/wx_text.h"

namespace vyr::layout {
namespace {

wxWindow* Create(const Control& c, wxWindow* parent) {
    const Rect r = Placement(c);
    const wxPoint pos(r.x, r.y);
    const wxSize size(r.width, r.height);
    const wxString name = Wx(c.name);
    switch (c.kind) {
        case Kind::Panel:
            return new wxPanel(parent, c.id, pos, size, wxTAB_TRAVERSAL, name);
        case Kind::Page: {
            auto* page = new wxPanel(parent, c.id, pos, size, wxTAB_TRAVERSAL, name);
            static_cast<wxNotebook*>(parent)->AddPage(page, Wx(c.text));
            return page;
        }
        case Kind::Notebook:
            return new wxNotebook(parent, c.id, pos, size, 0, name);
        case Kind::Label:
            return new wxStaticText(parent, c.id, Wx(c.text), pos, size, 0, name);
        case Kind::CheckBox: {
            auto* box =
                new wxCheckBox(parent, c.id, Wx(c.text), pos, size,
                               (c.flags & kTextLeft) ? wxALIGN_RIGHT : 0, wxDefaultValidator, name);
            box->SetValue(c.value != 0);
            return box;
        }
        case Kind::TextField: {
            // A bound field reports Enter, which ends an edit like leaving the field.
            const long style = (c.flags & kReadOnly)     ? wxTE_READONLY
                               : !c.parameter.empty() ? wxTE_PROCESS_ENTER
                                                      : 0;
            auto* field =
                new wxTextCtrl(parent, c.id, Wx(c.text), pos, size, style, wxDefaultValidator, name);
            if (!c.parameter.empty())
                field->SetMaxLength(kMaxValueLength);  // the capacity of a stored value
            if (c.flags & kReadOnly) {
                // A value display: plain text that Tab and clicks pass by.
                field->DisableFocusFromKeyboard();
                ShowAsValueField(field);
            }
            return field;
        }
        case Kind::Choice: {
            wxArrayString entries;
            for (std::string_view entry : SplitChoices(c.choices))
                entries.Add(Wx(entry));
            auto* choice =
                new wxChoice(parent, c.id, pos, size, entries, 0, wxDefaultValidator, name);
            if (c.selection != kNoSelection)
                choice->SetSelection(c.selection);
            return choice;
        }
        case Kind::SpinCtrl:
            return new wxSpinCtrl(parent, c.id, Wx(c.text), pos, size,
                                  wxSP_ARROW_KEYS | ((c.flags & kWrap) ? wxSP_WRAP : 0), c.min,
                                  c.max, c.value, name);
        case Kind::SpinButton: {
            auto* spin = new wxSpinButton(parent, c.id, pos, size, wxSP_VERTICAL, name);
            spin->SetRange(c.min, c.max);
            spin->SetValue(c.value);
            return spin;
        }
        case Kind::Slider:
            return new wxSlider(parent, c.id, c.value, c.min, c.max, pos, size,
                                wxSL_HORIZONTAL | wxSL_SELRANGE, wxDefaultValidator, name);
        case Kind::ToggleButton:
            return new wxToggleButton(parent, c.id, Wx(c.text), pos, size, wxBU_EXACTFIT,
                                      wxDefaultValidator, name);
        case Kind::Button:
            return new wxButton(parent, c.id, Wx(c.text), pos, size, wxBU_EXACTFIT,
                                wxDefaultValidator, name);
        case Kind::DatePicker:
            return new wxDatePickerCtrl(parent, c.id, wxDateTime::Today(), pos, size, wxDP_DROPDOWN,
                                        wxDefaultValidator, name);
        case Kind::VerticalLine:
            return new wxStaticLine(parent, c.id, pos, size, wxLI_VERTICAL, name);
    }
    return nullptr;
}

}  // namespace

WindowBuilder::WindowBuilder(wxWindow* frame) {
    windows_.emplace(std::string(kFrameKey), frame);
}

wxWindow* WindowBuilder::Build(const Control& control) {
    wxWindow* parent = Find(control.parent);
    wxCHECK_MSG(parent && windows_.count(control.key) == 0, nullptr,
                "layout table: unknown parent or duplicate key");
    wxWindow* window = Create(control, parent);
    wxCHECK_MSG(window, nullptr, "layout table: unknown kind");
    window->SetFont((control.flags & kHeading) ? fonts::Heading()
                    : (control.flags & kMark)  ? fonts::Mark()
                                               : fonts::Ui());
    // A label sized by its text is measured with its own font: the toolkit would report the
    // size in its default font until the label is first shown.
    if (control.kind == Kind::Label && Placement(control).width == kAuto) {
        wxMemoryDC dc;
        dc.SetFont(window->GetFont());
        // Two pixels for the toolkit's rounding of the text's width.
        window->SetSize(dc.GetMultiLineTextExtent(window->GetLabel()) + wxSize(2, 0));
    }
    if (control.flags & kTextCut)
        ShowBoxOnly(window);
    NameByCaption(control, window);
    if (control.flags & kHidden)
        window->Hide();
    if (control.flags & kDisabled)
        window->Disable();
    windows_.emplace(std::string(control.key), window);
    return window;
}

// A control with a separate caption is known to assistive technology by the caption's text,
// labelled by the caption's window (either may be built first); a check box by its text.
void WindowBuilder::NameByCaption(const Control& control, wxWindow* window) {
    // The toolkit shows the text of a check box with its text on the left as a label of its own.
    if (control.kind == Kind::CheckBox && (control.flags & kTextLeft))
        SetAccessibleName(window, Wx(control.text));
    if (const Control* caption = CaptionOf(control.key))
        SetAccessibleName(window, Wx(caption->text), Find(caption->key));
    if (const Control* captioned = CaptionedBy(control.key)) {
        if (wxWindow* built = Find(captioned->key))
            SetAccessibleName(built, Wx(control.text), window);
    }
}

wxWindow* WindowBuilder::Find(std::string_view key) const {
    const auto it = windows_.find(key);
    return it == windows_.end() ? nullptr : it->second;
}

}  // namespace vyr::layout

#include "ui/control_table.h"

#include <algorithm>
#include <array>

#include <wx/activityindicator.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/datectrl.h>
#include <wx/dcmemory.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
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
#include "ui/dialog_button.h"
#include "ui/fonts.h"
#include "ui/gtk_style.h"
#include "ui/wx_text.h"

namespace vyr::ctl {
namespace {

// The toolkit's style bits of the flags; each flag is set only on the kinds it is for.
struct StyleOf {
    unsigned flag;
    long style;
};
constexpr StyleOf kStyles[] = {
    {kReadOnly, wxTE_READONLY},
    {kPassword, wxTE_PASSWORD},
    {kMultiline, wxTE_MULTILINE},
    {kCentred, wxTE_CENTRE},
    {kAlignRight, wxTE_RIGHT},
    {kProcessEnter, wxTE_PROCESS_ENTER},
    {kWordWrap, wxTE_WORDWRAP},
    {kScrollBars, wxHSCROLL | wxVSCROLL},
    {kWrap, wxSP_WRAP},
    {kTextLeft, wxALIGN_RIGHT},
    {kNoAutoResize, wxST_NO_AUTORESIZE},
    {kEllipsizeEnd, wxST_ELLIPSIZE_END},
    {kEllipsizeMiddle, wxST_ELLIPSIZE_MIDDLE},
    {kExactFit, wxBU_EXACTFIT},
};

long Style(const Row& s) {
    long style = 0;
    for (const StyleOf& entry : kStyles) {
        if (s.flags & entry.flag)
            style |= entry.style;
    }
    return style;
}

// Where and how large a control is created, and the size a label takes from its text.
struct Place {
    wxPoint pos;
    wxSize size;
    wxSize text = wxDefaultSize;
};

using Maker = wxWindow* (*)(wxWindow* parent, const Row& s, const Place& at);

wxWindow* MakePanel(wxWindow* parent, const Row& s, const Place& at) {
    return new wxPanel(parent, s.id, at.pos, at.size, wxTAB_TRAVERSAL, Wx(s.name));
}

wxWindow* MakePage(wxWindow* parent, const Row& s, const Place& at) {
    wxWindow* page = MakePanel(parent, s, at);
    static_cast<wxNotebook*>(parent)->AddPage(page, Wx(s.text));
    return page;
}

wxWindow* MakeNotebook(wxWindow* parent, const Row& s, const Place& at) {
    return new wxNotebook(parent, s.id, at.pos, at.size, 0, Wx(s.name));
}

wxWindow* MakeLabel(wxWindow* parent, const Row& s, const Place& at) {
    return new wxStaticText(parent, s.id, Wx(s.text), at.pos, at.size, Style(s), Wx(s.name));
}

wxWindow* MakeTextField(wxWindow* parent, const Row& s, const Place& at) {
    auto* field = new wxTextCtrl(parent, s.id, Wx(s.text), at.pos, at.size, Style(s),
                                 wxDefaultValidator, Wx(s.name));
    if (s.limit != 0)
        field->SetMaxLength(static_cast<unsigned long>(s.limit));
    if (s.flags & kValueField) {
        field->DisableFocusFromKeyboard();
        ShowAsValueField(field);
    }
    return field;
}

wxWindow* MakeButton(wxWindow* parent, const Row& s, const Place& at) {
    return new wxButton(parent, s.id, Wx(s.text), at.pos, at.size, Style(s), wxDefaultValidator,
                        Wx(s.name));
}

wxWindow* MakeDialogButtonOf(wxWindow* parent, const Row& s, const Place& at) {
    return MakeDialogButton(parent, s.id, Wx(s.text), at.pos, at.size, Wx(s.name));
}

wxWindow* MakeToggleButton(wxWindow* parent, const Row& s, const Place& at) {
    return new wxToggleButton(parent, s.id, Wx(s.text), at.pos, at.size, Style(s),
                              wxDefaultValidator, Wx(s.name));
}

wxWindow* MakeCheckBox(wxWindow* parent, const Row& s, const Place& at) {
    auto* box = new wxCheckBox(parent, s.id, Wx(s.text), at.pos, at.size, Style(s),
                               wxDefaultValidator, Wx(s.name));
    box->SetValue(s.value != 0);
    return box;
}

wxWindow* MakeChoice(wxWindow* parent, const Row& s, const Place& at) {
    wxArrayString entries;
    for (std::string_view entry : s.choices)
        entries.Add(Wx(entry));
    auto* choice =
        new wxChoice(parent, s.id, at.pos, at.size, entries, 0, wxDefaultValidator, Wx(s.name));
    if (s.selection != kNoSelection)
        choice->SetSelection(s.selection);
    return choice;
}

wxWindow* MakeList(wxWindow* parent, const Row& s, const Place& at) {
    return new wxListBox(parent, s.id, at.pos, at.size, 0, nullptr, wxLB_SINGLE, wxDefaultValidator,
                         Wx(s.name));
}

wxWindow* MakeReportList(wxWindow* parent, const Row& s, const Place& at) {
    return new wxListCtrl(parent, s.id, at.pos, at.size,
                          wxLC_REPORT | wxLC_SINGLE_SEL | wxBORDER_SUNKEN, wxDefaultValidator,
                          Wx(s.name));
}

wxWindow* MakeSpinCtrl(wxWindow* parent, const Row& s, const Place& at) {
    return new wxSpinCtrl(parent, s.id, Wx(s.text), at.pos, at.size, wxSP_ARROW_KEYS | Style(s),
                          s.min, s.max, s.value, Wx(s.name));
}

wxWindow* MakeSpinButton(wxWindow* parent, const Row& s, const Place& at) {
    auto* spin = new wxSpinButton(parent, s.id, at.pos, at.size, wxSP_VERTICAL, Wx(s.name));
    spin->SetRange(s.min, s.max);
    spin->SetValue(s.value);
    return spin;
}

wxWindow* MakeSlider(wxWindow* parent, const Row& s, const Place& at) {
    return new wxSlider(parent, s.id, s.value, s.min, s.max, at.pos, at.size,
                        wxSL_HORIZONTAL | wxSL_SELRANGE, wxDefaultValidator, Wx(s.name));
}

wxWindow* MakeDatePicker(wxWindow* parent, const Row& s, const Place& at) {
    return new wxDatePickerCtrl(parent, s.id, wxDateTime::Today(), at.pos, at.size, wxDP_DROPDOWN,
                                wxDefaultValidator, Wx(s.name));
}

wxWindow* MakeVerticalLine(wxWindow* parent, const Row& s, const Place& at) {
    return new wxStaticLine(parent, s.id, at.pos, at.size, wxLI_VERTICAL, Wx(s.name));
}

wxWindow* MakeActivity(wxWindow* parent, const Row& s, const Place& at) {
    return new wxActivityIndicator(parent, s.id, at.pos, at.size, 0, Wx(s.name));
}

// In the order of Kind.
constexpr std::array<Maker, 18> kMakers = {
    MakePanel,      MakeNotebook,       MakePage,         MakeLabel,      MakeTextField,
    MakeButton,     MakeDialogButtonOf, MakeToggleButton, MakeCheckBox,   MakeChoice,
    MakeList,       MakeReportList,     MakeSpinCtrl,     MakeSpinButton, MakeSlider,
    MakeDatePicker, MakeVerticalLine,   MakeActivity,
};
static_assert(kMakers.size() == static_cast<std::size_t>(Kind::Activity) + 1);

// A label sized by its text is measured in its own font: the toolkit would report the size
// in its default font until the label is first shown. One of kAuto width is created at the
// toolkit's size and takes its own once it has its font, so that the toolkit's size stays
// its best one when its text changes later.
Place PlaceOf(wxWindow* parent, const Row& s) {
    Place at{wxPoint(s.x, s.y), wxSize(s.width, s.height)};
    if ((s.flags & kAfterPrevious) && !parent->GetChildren().empty())
        at.pos.x = parent->GetChildren().back()->GetRect().GetRight() + 1 + s.x;
    if (s.kind == Kind::Label && (s.width == kAuto || s.height == kAuto)) {
        const wxSize text = TextSize(FontOf(s.font), Wx(s.text));
        at.text = wxSize(s.width == kAuto ? text.x : s.width, text.y);
        if (s.width != kAuto)
            at.size = at.text;
    }
    return at;
}

// The size the control keeps once it has its font: a label's from its text, others grown
// to what the toolkit needs where the flags ask for it.
void Fit(wxWindow* window, const Row& s, const Place& at) {
    if (at.text != wxDefaultSize) {
        window->SetSize(at.text);
        return;
    }
    if (!(s.flags & (kFitSize | kFitHeight)))
        return;
    const wxSize best = window->GetBestSize();
    const wxSize size = window->GetSize();
    const wxSize fitted((s.flags & kFitSize) ? std::max(size.x, best.x) : size.x,
                        std::max(size.y, best.y));
    window->SetSize(fitted);
    // Also for a sizer: a size given at creation is the window's smallest.
    window->SetMinSize(fitted);
}

}  // namespace

const wxFont& FontOf(Font font) {
    switch (font) {
        case Font::Fixed:
            return fonts::Fixed();
        case Font::Bold:
            return fonts::BoldUi();
        case Font::Large:
            return fonts::LargeUi();
        case Font::Heading:
            return fonts::Heading();
        case Font::Mark:
            return fonts::Mark();
        case Font::Ui:
            break;
    }
    return fonts::Ui();
}

wxSize TextSize(const wxFont& font, const wxString& text) {
    wxMemoryDC dc;
    dc.SetFont(font);
    return dc.GetMultiLineTextExtent(text) + wxSize(2, 0);
}

void KeepCaptionBefore(wxWindow* caption, int end, int leftmost) {
    const wxRect r = caption->GetRect();
    caption->Move(std::max(leftmost, std::min(r.x, end - r.width)), r.y);
}

Table::Table(wxWindow* root, std::string_view rootKey) : root_(root) {
    if (!rootKey.empty())
        built_.push_back({root, std::string(rootKey), root->GetId(), 0});
}

wxWindow* Table::Add(const Row& s) {
    wxWindow* parent = s.parent.empty() ? root_ : Find(s.parent);
    wxCHECK_MSG(parent && (s.key.empty() || !Find(s.key)), nullptr,
                "control table: unknown parent or duplicate key");
    const Place at = PlaceOf(parent, s);
    wxWindow* window = kMakers[static_cast<std::size_t>(s.kind)](parent, s, at);
    window->SetFont(FontOf(s.font));
    Fit(window, s, at);
    if (s.flags & kBoxOnly)
        ShowBoxOnly(window);
    NameByCaption(s, window);
    if (s.flags & kHidden)
        window->Hide();
    if (s.flags & kDisabled)
        window->Disable();
    built_.push_back({window, std::string(s.key), s.id, s.flags});
    NameWaiting(built_.back());
    return window;
}

std::vector<wxWindow*> Table::Build(std::span<const Row> rows) {
    std::vector<wxWindow*> windows;
    for (const Row& s : rows)
        windows.push_back(Add(s));
    return windows;
}

wxWindow* Table::Find(std::string_view key) const {
    for (const Built& b : built_) {
        if (!key.empty() && b.key == key)
            return b.window;
    }
    return nullptr;
}

const Table::Built* Table::CaptionFor(int id, std::string_view key) const {
    for (const Built& b : built_) {
        if ((id != 0 && b.id == id) || (!key.empty() && b.key == key))
            return &b;
    }
    return nullptr;
}

// A caption is placed by its flags beside the control it names, and the control takes its
// text as its accessible name unless the table gives one.
void Table::Name(wxWindow* control, const Built& caption, const wxString& name) {
    wxWindow* label = caption.window;
    const wxRect named = control->GetRect();
    const wxSize size = label->GetSize();
    if (caption.flags & kOnCaptionedRow)
        label->Move(label->GetPosition().x, named.y + (named.height - size.y) / 2);
    if (caption.flags & kUnderCaptioned)
        label->Move(std::max(0, named.x + (named.width - size.x) / 2), label->GetPosition().y);
    SetAccessibleName(control, name.empty() ? label->GetLabel() : name, label);
}

// A check box with its text on the left shows that text as a label of its own: the box is
// named by it.
void Table::NameByCaption(const Row& s, wxWindow* window) {
    if (s.kind == Kind::CheckBox && (s.flags & kTextLeft))
        SetAccessibleName(window, Wx(s.text));
    const wxString name = Wx(s.accessibleName);
    if (s.caption == 0 && s.captionKey.empty()) {
        if (!name.empty())
            SetAccessibleName(window, name);
        return;
    }
    if (const Built* caption = CaptionFor(s.caption, s.captionKey))
        Name(window, *caption, name);
    else
        waiting_.push_back({window, s.caption, std::string(s.captionKey), name});
}

void Table::NameWaiting(const Built& caption) {
    const auto names = [&](const Waiting& w) {
        return (w.caption != 0 && w.caption == caption.id) ||
               (!w.captionKey.empty() && w.captionKey == caption.key);
    };
    for (const Waiting& w : waiting_) {
        if (names(w))
            Name(w.control, caption, w.name);
    }
    std::erase_if(waiting_, names);
}

}  // namespace vyr::ctl

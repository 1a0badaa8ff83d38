// The main window against its layout tables: every control present as described, bound to
// its parameter, nothing overlapping, no text cut off.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <wx/statusbr.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/datectrl.h>
#include <wx/dcmemory.h>
#include <wx/fontenum.h>
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
#include "app/layout_tables.h"
#include "app/value_display.h"
#include "app/window_builder.h"
#include "ui/wx_text.h"
#include "app/preset_bar.h"
#include "frame_fixture.h"

namespace vyr::test {
namespace {

using layout::Control;
using layout::Kind;

std::vector<const Control*> AllDescriptors() {
    std::vector<const Control*> all;
    for (const layout::Table& table : layout::Tables()) {
        for (const Control& c : table.controls)
            all.push_back(&c);
    }
    return all;
}

bool HasKind(wxWindow* w, Kind kind) {
    switch (kind) {
        case Kind::Panel:
        case Kind::Page:
            return dynamic_cast<wxPanel*>(w) != nullptr;
        case Kind::Notebook:
            return dynamic_cast<wxNotebook*>(w) != nullptr;
        case Kind::Label:
            return dynamic_cast<wxStaticText*>(w) != nullptr;
        case Kind::CheckBox:
            return dynamic_cast<wxCheckBox*>(w) != nullptr;
        case Kind::TextField:
            return dynamic_cast<wxTextCtrl*>(w) != nullptr;
        case Kind::Choice:
            return dynamic_cast<wxChoice*>(w) != nullptr;
        case Kind::SpinCtrl:
            return dynamic_cast<wxSpinCtrl*>(w) != nullptr;
        case Kind::SpinButton:
            return dynamic_cast<wxSpinButton*>(w) != nullptr;
        case Kind::Slider:
            return dynamic_cast<wxSlider*>(w) != nullptr;
        case Kind::ToggleButton:
            return dynamic_cast<wxToggleButton*>(w) != nullptr;
        case Kind::Button:
            return dynamic_cast<wxButton*>(w) != nullptr &&
                   dynamic_cast<wxToggleButton*>(w) == nullptr;
        case Kind::DatePicker:
            return dynamic_cast<wxDatePickerCtrl*>(w) != nullptr;
        case Kind::VerticalLine:
            return dynamic_cast<wxStaticLine*>(w) != nullptr;
    }
    return false;
}

using LayoutTest = FrameTest;

// The main window holds every control of the tables, with its kind, name, id and parent.
TEST_F(LayoutTest, MainWindowHoldsEveryControl) {
    int count = 0;
    for (const Control* c : AllDescriptors()) {
        SCOPED_TRACE(std::string(c->key));
        wxWindow* w = Frame().Control(c->key);
        ASSERT_NE(w, nullptr);
        ++count;
        EXPECT_TRUE(HasKind(w, c->kind));
        EXPECT_EQ(w->GetName(), Wx(c->name));
        if (c->id != -1) {
            EXPECT_EQ(w->GetId(), c->id);
        }
        wxWindow* parent = c->parent == layout::kFrameKey ? &Frame() : Frame().Control(c->parent);
        EXPECT_EQ(w->GetParent(), parent);
    }
    EXPECT_EQ(count, 16 + 22 + 16 + 35 + 15 + 12 + 12 + 11 + 8 + 53);
}

// The builder creates each control as its descriptor says, before the window's start-up
// shows values and decides the enabling.
TEST(LayoutBuilder, EveryControlIsBuiltAsDescribed) {
    auto* bare = new wxFrame(nullptr, wxID_ANY, "bare");
    layout::WindowBuilder builder(bare);
    for (const layout::Table& table : layout::Tables()) {
        for (const Control& c : table.controls)
            builder.Build(c);
    }
    for (const Control* c : AllDescriptors()) {
        SCOPED_TRACE(std::string(c->key));
        wxWindow* w = builder.Find(c->key);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(HasKind(w, c->kind));
        if (c->id != -1) {
            EXPECT_EQ(w->GetId(), c->id);
        }
        if (c->kind != Kind::Page) {  // only the selected page shows
            EXPECT_EQ(w->IsShown(), (c->flags & layout::kHidden) == 0);
        }
        EXPECT_EQ(w->IsThisEnabled(), (c->flags & layout::kDisabled) == 0);

        switch (c->kind) {
            case Kind::Label:
            case Kind::ToggleButton:
            case Kind::Button:
                EXPECT_EQ(w->GetLabel(), Wx(c->text));
                break;
            case Kind::CheckBox: {
                auto* box = static_cast<wxCheckBox*>(w);
                EXPECT_EQ(box->GetLabel(), Wx(c->text));
                EXPECT_EQ(box->GetValue(), c->value != 0);
                EXPECT_EQ((box->GetWindowStyle() & wxALIGN_RIGHT) != 0,
                          (c->flags & layout::kTextLeft) != 0);
                break;
            }
            case Kind::TextField: {
                auto* field = static_cast<wxTextCtrl*>(w);
                EXPECT_EQ(field->GetValue(), Wx(c->text));
                EXPECT_EQ(field->IsEditable(), (c->flags & layout::kReadOnly) == 0);
                break;
            }
            case Kind::Choice: {
                auto* choice = static_cast<wxChoice*>(w);
                const auto entries = layout::SplitChoices(c->choices);
                ASSERT_EQ(choice->GetCount(), entries.size());
                for (unsigned i = 0; i < entries.size(); ++i)
                    EXPECT_EQ(choice->GetString(i), Wx(entries[i]));
                EXPECT_EQ(choice->GetSelection(), c->selection);
                break;
            }
            case Kind::SpinCtrl: {
                auto* spin = static_cast<wxSpinCtrl*>(w);
                EXPECT_EQ(spin->GetMin(), c->min);
                EXPECT_EQ(spin->GetMax(), c->max);
                EXPECT_EQ(spin->GetValue(), c->value);
                EXPECT_EQ(spin->GetTextValue(), Wx(c->text));
                EXPECT_EQ((spin->GetWindowStyle() & wxSP_WRAP) != 0,
                          (c->flags & layout::kWrap) != 0);
                break;
            }
            case Kind::SpinButton: {
                auto* spin = static_cast<wxSpinButton*>(w);
                EXPECT_EQ(spin->GetMin(), c->min);
                EXPECT_EQ(spin->GetMax(), c->max);
                EXPECT_EQ(spin->GetValue(), c->value);
                break;
            }
            case Kind::Slider: {
                auto* slider = static_cast<wxSlider*>(w);
                EXPECT_EQ(slider->GetMin(), c->min);
                EXPECT_EQ(slider->GetMax(), c->max);
                EXPECT_EQ(slider->GetValue(), c->value);
                break;
            }
            default:
                break;
        }
    }
    bare->Destroy();
}

TEST_F(LayoutTest, TablesKeepTheDescribedTexts) {
    // A few rows checked against the texts as the device's owners know them.
    EXPECT_EQ(layout::Find("WxStaticText27")->text, "Locator position after record ");
    EXPECT_EQ(layout::Find("allow_set_filename_prefix")->text,
              "Allow changing File Name Prefix in User SW");
    EXPECT_EQ(layout::Find("pm_shutdown_onvar_checkbox")->text, "pm_shutdown_enable_checkbox");
    EXPECT_EQ(layout::Find("WxStaticText21")->text,
              "Data compression rate (kbit/s)\nPlease note that these values\nrefer to a mono "
              "file!");
    EXPECT_EQ(layout::Find("page_record")->text, "  Record  ");
    EXPECT_EQ(layout::Find("nothing_of_that_name"), nullptr);
}

TEST_F(LayoutTest, PagesHaveTheirTabsInOrder) {
    auto* notebook = dynamic_cast<wxNotebook*>(Frame().Control("notebook"));
    ASSERT_NE(notebook, nullptr);
    const char* tabs[] = {"User software", "  Record  ", "Encoding", "Playback",
                          "Messaging",     "Power",      "Clock",    "ALV"};
    const int ids[] = {1067, 1068, 1069, 1071, 1072, 1074, 1075, 1291};
    ASSERT_EQ(notebook->GetPageCount(), 8u);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(notebook->GetPageText(i), tabs[i]);
        EXPECT_EQ(notebook->GetPage(i)->GetId(), ids[i]);
    }
    EXPECT_EQ(notebook->GetSelection(), 0);
}

TEST_F(LayoutTest, BoundParametersFindTheirControls) {
    std::set<int> bound;
    for (const Control* c : AllDescriptors()) {
        if (c->parameter.empty())
            continue;
        SCOPED_TRACE(std::string(c->key));
        const int parameter = Catalogue().Find(c->parameter);
        ASSERT_TRUE(SettingCatalogue::IsValidParameter(parameter));
        EXPECT_TRUE(bound.insert(parameter).second) << "bound twice";
        EXPECT_EQ(Frame().BoundControl(parameter), Frame().Control(c->key));
    }
    EXPECT_EQ(bound.size(), 78u);
    // The metadata texts are edited elsewhere.
    for (int p = 0; p < kParameterCount; ++p) {
        if (bound.count(p) != 0)
            continue;
        const std::string_view key = Catalogue()[p].key;
        EXPECT_TRUE(key.starts_with("rec_meta_")) << key;
        EXPECT_EQ(Frame().BoundControl(p), nullptr) << key;
    }
}

TEST_F(LayoutTest, BoundTextFieldsHoldAtMostAStoredValue) {
    for (const char* key : {"mic_label", "preset_name", "rec_filename_prefix"}) {
        auto* field = dynamic_cast<wxTextCtrl*>(Frame().Control(key));
        ASSERT_NE(field, nullptr) << key;
        field->ChangeValue(wxString('x', 59));
        field->WriteText("y");
        EXPECT_EQ(field->GetValue().length(), 59u) << key;
        field->ChangeValue("");
    }
}

TEST_F(LayoutTest, PresetButtonsInOrder) {
    for (int n = 0; n < kPresetCount; ++n) {
        wxToggleButton* button = Frame().Presets().Button(n);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->GetName(), "BTN_PRESET" + std::to_string(n));
        EXPECT_EQ(Frame().Presets().PresetOf(button), n);
    }
}

// All windows below `w` (not `w` itself), depth first.
void Collect(wxWindow* w, std::vector<wxWindow*>& out) {
    for (wxWindow* child : w->GetChildren()) {
        out.push_back(child);
        Collect(child, out);
    }
}

// The windows whose children the tables place: the frame and the panels. (A notebook
// places its pages itself, and they share one area by design.)
std::vector<wxWindow*> LaidOutParents(AdminSWFrm& frame) {
    std::vector<wxWindow*> parents{&frame};
    for (const Control* c : AllDescriptors()) {
        if (c->kind == Kind::Panel || c->kind == Kind::Page)
            parents.push_back(frame.Control(c->key));
    }
    return parents;
}

// Hidden rows are shown to service users, so they count too.
TEST_F(LayoutTest, NoTwoSiblingsOverlap) {
    int pairs = 0;
    for (wxWindow* parent : LaidOutParents(Frame())) {
        std::vector<wxWindow*> children;
        for (wxWindow* child : parent->GetChildren()) {
            if (!child->IsTopLevel())
                children.push_back(child);
        }
        for (size_t i = 0; i < children.size(); ++i) {
            for (size_t j = i + 1; j < children.size(); ++j) {
                ++pairs;
                EXPECT_FALSE(children[i]->GetRect().Intersects(children[j]->GetRect()))
                    << Where(children[i]) << " overlaps " << Where(children[j]);
            }
        }
    }
    EXPECT_GT(pairs, 1000);
}

TEST_F(LayoutTest, ChildrenLieInsideTheirParents) {
    for (wxWindow* parent : LaidOutParents(Frame())) {
        if (parent == &Frame())
            continue;
        const wxRect area(parent->GetClientSize());
        for (wxWindow* child : parent->GetChildren()) {
            if (child->IsTopLevel())
                continue;
            EXPECT_TRUE(area.Contains(child->GetRect()))
                << Where(child) << " outside " << Where(parent) << " client "
                << Where(area);
        }
    }
    // The root panel fills the frame's client area.
    wxWindow* root = Frame().Control("root_panel");
    const wxRect client(Frame().GetClientSize());
    EXPECT_TRUE(client.Contains(Frame().Control("main_panel")->GetRect()))
        << Where(Frame().Control("main_panel")) << " outside client " << Where(client);
    EXPECT_EQ(root->GetPosition(), wxPoint(0, 0));
    EXPECT_EQ(root->GetSize(), Frame().GetClientSize());
    // Everything of the window shows below the menu bar.
    EXPECT_TRUE(client.Contains(
        Frame().ScreenToClient(Frame().Control("notebook")->GetScreenRect().GetBottomRight())));
}

// A control narrower or lower than its best size cuts its text (or, for GTK spin buttons,
// makes the toolkit complain on every layout).
TEST_F(LayoutTest, NoTextIsCutOff) {
    // Hidden rows are measured as shown, in their real font.
    std::vector<wxWindow*> hidden;
    for (const Control* c : AllDescriptors()) {
        if (c->flags & layout::kHidden) {
            hidden.push_back(Frame().Control(c->key));
            hidden.back()->Show();
        }
    }
    Settle();
    int checked = 0;
    for (const Control* c : AllDescriptors()) {
        if (c->flags & layout::kTextCut)
            continue;
        wxWindow* w = Frame().Control(c->key);
        ASSERT_NE(w, nullptr) << c->key;
        w->InvalidateBestSize();  // measured now, in the font the control shows
        const wxSize best = w->GetBestSize();
        const wxSize size = w->GetSize();
        switch (c->kind) {
            case Kind::Label:
            case Kind::CheckBox:
            case Kind::ToggleButton:
            case Kind::Button:
            case Kind::Choice:
            case Kind::SpinButton:
            case Kind::SpinCtrl:
            case Kind::DatePicker:
                ++checked;
                EXPECT_LE(best.x, size.x) << Where(w) << " best " << best.x << "x" << best.y;
                EXPECT_LE(best.y, size.y) << Where(w) << " best " << best.x << "x" << best.y;
                break;
            case Kind::TextField:
            case Kind::Slider:
                // Their best width is a default, not their content: only the height counts.
                ++checked;

                EXPECT_LE(best.y, size.y) << Where(w) << " best " << best.x << "x" << best.y;
                break;
            default:
                break;
        }
    }
    EXPECT_GT(checked, 150);
    for (wxWindow* w : hidden)
        w->Hide();
}

// Shows the rows created hidden (service staff see them) for the life of the object.
class HiddenRowsShown {
  public:
    explicit HiddenRowsShown(AdminSWFrm& frame) {
        for (const Control* c : AllDescriptors()) {
            if (c->flags & layout::kHidden) {
                shown_.push_back(frame.Control(c->key));
                shown_.back()->Show();
            }
        }
        Settle();
    }
    ~HiddenRowsShown() {
        for (wxWindow* w : shown_)
            w->Hide();
    }

  private:
    std::vector<wxWindow*> shown_;
};

// The notebook page a window sits on, or -1.
int PageOf(wxNotebook* notebook, wxWindow* w) {
    for (wxWindow* up = w; up; up = up->GetParent()) {
        const int page = notebook->FindPage(up);
        if (page != wxNOT_FOUND)
            return page;
    }
    return -1;
}

// Every text a value field can show: each position of its adjuster's whole range, at every
// sample rate offered and on either lineout.
std::set<std::string> TextsOf(const display::DisplayRow& row, const SettingConstraint& range) {
    std::set<std::string> texts;
    for (unsigned rate : {32000u, 44100u, 48000u}) {
        for (bool balanced : {false, true}) {
            const display::Context context{rate, balanced};
            for (int v = range.min; v <= range.max; ++v)
                texts.insert(display::Format(row.conversion, v, context));
        }
    }
    return texts;
}

// A value field narrower than its longest text shows "10.00 m" for "10.00 ms".
TEST_F(LayoutTest, ValueFieldsHoldTheirWidestText) {
    HiddenRowsShown shown(Frame());
    auto* notebook = dynamic_cast<wxNotebook*>(Frame().Control("notebook"));
    ASSERT_NE(notebook, nullptr);
    ASSERT_EQ(display::DisplayCount(), 21u);
    for (std::size_t i = 0; i < display::DisplayCount(); ++i) {
        const display::DisplayRow& row = display::DisplayAt(i);
        SCOPED_TRACE(std::string(row.field));
        auto* field = Frame().ControlAs<wxTextCtrl>(row.field);
        const Control* adjuster = layout::Find(row.adjuster);
        ASSERT_NE(field, nullptr);
        ASSERT_NE(adjuster, nullptr);
        const int parameter = Catalogue().Find(adjuster->parameter);
        ASSERT_TRUE(SettingCatalogue::IsValidParameter(parameter));
        // The look-ahead's range follows the sample rate: the catalogue's range covers all.
        SettingConstraint range = Catalogue()[parameter];
        range.min = std::min(range.min, adjuster->min);
        range.max = std::max(range.max, adjuster->max);

        const int page = PageOf(notebook, field);
        ASSERT_GE(page, 0);
        if (notebook->GetSelection() != page) {  // laid out once its page shows
            notebook->SetSelection(static_cast<size_t>(page));
            Settle();
        }
        const int room = TextAreaWidth(field);
        ASSERT_GT(room, 0) << Where(field);
        std::string widest;
        int widestWidth = 0;
        for (const std::string& text : TextsOf(row, range)) {
            const int width = field->GetTextExtent(wxString::FromUTF8(text)).x;
            if (width > widestWidth) {
                widest = text;
                widestWidth = width;
            }
        }
        EXPECT_LE(widestWidth, room) << Where(field) << ": \"" << widest << "\" needs "
                                     << widestWidth << " pixels";
    }
    notebook->SetSelection(0);
    Settle();
}

// The controls whose caption is a separate label, and those that have none at all.
bool ShowsNoCaptionOfItsOwn(const Control& c) {
    switch (c.kind) {
        case Kind::SpinCtrl:
        case Kind::SpinButton:
        case Kind::Slider:
        case Kind::Choice:
            return true;
        case Kind::TextField:
            return (c.flags & layout::kReadOnly) == 0;
        case Kind::CheckBox:
            return c.text.empty() || (c.flags & layout::kTextCut) != 0;
        default:
            return false;
    }
}
constexpr std::string_view kWithoutCaption[] = {"PortChoice", "spin_rtc_hour", "spin_rtc_minute"};

// Assistive technology (and the end-to-end tests) find a control by its caption's text.
TEST_F(LayoutTest, CaptionedControlsCarryTheirCaptionAsAccessibleName) {
    int named = 0;
    for (const Control* c : AllDescriptors()) {
        if (c->caption.empty())
            continue;
        SCOPED_TRACE(std::string(c->key));
        const Control* caption = layout::Find(c->caption);
        ASSERT_NE(caption, nullptr);
        ASSERT_EQ(caption->kind, Kind::Label);
        ASSERT_EQ(layout::CaptionOf(c->key), caption);
        ASSERT_EQ(layout::CaptionedBy(c->caption), c);
        wxWindow* control = Frame().Control(c->key);
        wxWindow* label = Frame().Control(c->caption);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(AccessibleName(control), label->GetLabel());
        EXPECT_TRUE(IsLabelledBy(control, label));
        ++named;
    }
    EXPECT_EQ(named, 57);
    // Every control that shows no caption of its own has one in the table (or none at all).
    for (const Control* c : AllDescriptors()) {
        if (!ShowsNoCaptionOfItsOwn(*c) ||
            std::ranges::find(kWithoutCaption, c->key) != std::end(kWithoutCaption))
            continue;
        EXPECT_NE(layout::CaptionOf(c->key), nullptr) << c->key << " has no caption";
    }
    // A control with its own text keeps it as its name.
    EXPECT_EQ(AccessibleName(Frame().Control("presets_enabled")), "Enable presets");
    EXPECT_EQ(AccessibleName(Frame().Control("messaging_enabled")), "Enable messaging");
    EXPECT_EQ(AccessibleName(Frame().Control("ConnectButton")), "Connect");
}

TEST_F(LayoutTest, FrameHasFixedSizeAndTitle) {
    AdminSWFrm& frame = Frame();
    EXPECT_EQ(frame.GetTitle(), "Vyr Administration Software v2.2.6");
    // The status bar adds its own height below the layout's room.
    ASSERT_NE(frame.GetStatusBar(), nullptr);
    const wxSize expected(layout::kFrameWidth,
                          layout::kFrameHeight + frame.GetStatusBar()->GetSize().y);
    EXPECT_EQ(frame.GetSize(), expected);
    EXPECT_EQ(frame.GetMinSize(), expected);
    EXPECT_EQ(frame.GetMaxSize(), expected);
    EXPECT_EQ(frame.GetWindowStyleFlag() & wxRESIZE_BORDER, 0);
    EXPECT_EQ(frame.GetWindowStyleFlag() & wxMAXIMIZE_BOX, 0);
    frame.SetSize(expected + wxSize(100, 80));
    Settle();
    EXPECT_EQ(frame.GetSize(), expected);
    frame.SetSize(expected - wxSize(100, 80));
    Settle();
    EXPECT_EQ(frame.GetSize(), expected);
}

TEST_F(LayoutTest, SharedFontsAreApplied) {
    for (const Control* c : AllDescriptors()) {
        wxWindow* w = Frame().Control(c->key);
        ASSERT_NE(w, nullptr);
        const wxFont& expected = (c->flags & layout::kHeading) ? fonts::Heading()
                                 : (c->flags & layout::kMark)  ? fonts::Mark()
                                                               : fonts::Ui();
        EXPECT_EQ(w->GetFont(), expected) << c->key;
    }
    EXPECT_EQ(Frame().Control("messaging_enabled")->GetFont(), fonts::Heading());
    for (const char* mark : {"Exclamation1", "Exclamation2", "Exclamation3"})
        EXPECT_EQ(Frame().Control(mark)->GetFont(), fonts::Mark()) << mark;
}

TEST(Fonts, SizedInPixelsUprightAndPresent) {
    struct Expected {
        const wxFont& font;
        int height;
        wxFontWeight weight;
    };
    const Expected all[] = {
        {fonts::Ui(), 11, wxFONTWEIGHT_NORMAL},    {fonts::Fixed(), 11, wxFONTWEIGHT_NORMAL},
        {fonts::BoldUi(), 11, wxFONTWEIGHT_BOLD},  {fonts::LargeUi(), 12, wxFONTWEIGHT_NORMAL},
        {fonts::Heading(), 16, wxFONTWEIGHT_BOLD}, {fonts::Mark(), 18, wxFONTWEIGHT_BOLD},
    };
    for (const Expected& e : all) {
        EXPECT_TRUE(e.font.IsOk());
        EXPECT_EQ(e.font.GetStyle(), wxFONTSTYLE_NORMAL);
        EXPECT_FALSE(e.font.GetUnderlined());
        EXPECT_EQ(e.font.GetWeight(), e.weight);
        EXPECT_TRUE(wxFontEnumerator::IsValidFacename(e.font.GetFaceName()))
            << e.font.GetFaceName();
        // Character height in pixels at 96 pixels per inch.
        EXPECT_DOUBLE_EQ(e.font.GetFractionalPointSize() * 96.0 / 72.0, e.height)
            << e.font.GetFaceName();
        // A line of text is taller than the character height, but not by half.
        wxMemoryDC dc;
        dc.SetFont(e.font);
        const int line = dc.GetTextExtent("Xg").y;
        EXPECT_GE(line, e.height) << e.font.GetFaceName();
        EXPECT_LE(line, e.height * 3 / 2) << e.font.GetFaceName();
    }
    EXPECT_EQ(&fonts::Ui(), &fonts::Ui());  // created once
    EXPECT_TRUE(fonts::Fixed().IsFixedWidth());
}

}  // namespace
}  // namespace vyr::test

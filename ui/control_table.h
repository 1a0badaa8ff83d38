// Controls from tables: one descriptor for every control the main window and the dialogs
// create, and one builder that makes each kind, gives it its font and size, and names it for
// assistive technology by its caption.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <wx/gdicmn.h>
#include <wx/string.h>

class wxFont;
class wxWindow;

namespace vyr::ctl {

enum class Kind {
    Panel,
    Notebook,
    Page,  // a notebook page; its text is the tab text
    Label,
    TextField,
    Button,        // a push button at its given size
    DialogButton,  // a push button of a dialog (MakeDialogButton): grows to its text
    ToggleButton,
    CheckBox,
    Choice,
    List,        // a list box of single choice
    ReportList,  // a list of rows with column headings
    SpinCtrl,
    SpinButton,
    Slider,
    DatePicker,
    VerticalLine,
    Activity,  // a spinning activity indicator
};

enum class Font { Ui, Fixed, Bold, Large, Heading, Mark };

// Flags of a descriptor. Each one means something for the kinds named.
enum : unsigned {
    kHidden = 1u << 0,         // created hidden
    kDisabled = 1u << 1,       // created disabled
    kReadOnly = 1u << 2,       // text field: not editable
    kPassword = 1u << 3,       // text field: shows no characters
    kMultiline = 1u << 4,      // text field
    kCentred = 1u << 5,        // text field: text centred
    kAlignRight = 1u << 6,     // text field: text at the right
    kProcessEnter = 1u << 7,   // text field: reports Enter
    kWordWrap = 1u << 8,       // multi-line text field: breaks lines between words
    kScrollBars = 1u << 9,     // multi-line text field: both scroll bars
    kValueField = 1u << 10,    // read-only text field shown as plain text that Tab and clicks pass
    kWrap = 1u << 11,          // spin control: wraps around
    kTextLeft = 1u << 12,      // check box: text left of the box
    kBoxOnly = 1u << 13,       // check box narrower than its text: only the box shows
    kNoAutoResize = 1u << 14,  // label: keeps its size when its text changes
    kEllipsizeEnd = 1u << 15,  // label: a text too long ends in an ellipsis
    kEllipsizeMiddle = 1u << 16,  // label: a text too long is shortened in its middle
    kExactFit = 1u << 17,         // button, toggle button: as narrow as its text allows
    kFitSize = 1u << 18,          // never smaller than the toolkit needs for it
    kFitHeight = 1u << 19,        // never lower than the toolkit needs for it
    kAfterPrevious = 1u << 20,    // x is the gap right of the control created before it
    kOnCaptionedRow = 1u << 21,   // caption: centred on the row of the control it names
    kUnderCaptioned = 1u << 22,   // caption: centred under the control it names
};

// A label of kAuto width takes its text's size, one of kAuto height only its text's height;
// other kinds take the toolkit's default.
inline constexpr int kAuto = -1;
inline constexpr int kNoSelection = -1;

struct Row {
    Kind kind = Kind::Label;
    int id = -1;                // wxID_ANY
    std::string_view name{};    // window name (not unique: "panel")
    std::string_view key{};     // unique within the table, when other rows refer to it
    std::string_view parent{};  // key of the parent window; empty: the table's root
    int x = 0;
    int y = 0;
    int width = kAuto;
    int height = kAuto;
    std::string_view text{};  // label, button text, tab text or initial content (UTF-8)
    unsigned flags = 0;
    std::size_t limit = 0;  // characters a text field takes; 0: no limit
    // The caption naming the control, by id or by key; it may be created before or after it.
    int caption = 0;
    std::string_view captionKey{};
    std::string_view accessibleName{};  // its name, before a caption's text
    Font font = Font::Ui;
    int min = 0;  // spin control, spin button, slider
    int max = 0;
    int value = 0;  // their initial number; 1 ticks a check box
    std::span<const std::string_view> choices{};
    int selection = kNoSelection;  // initially selected entry of a choice
};

const wxFont& FontOf(Font font);

// A text's size in `font`: two pixels more in width for the toolkit's rounding. Measured
// directly, because a control reports its size in the toolkit's default font until shown.
wxSize TextSize(const wxFont& font, const wxString& text);
inline wxSize TextSize(const wxString& text) {
    return TextSize(FontOf(Font::Ui), text);
}

// Moves `caption` left so that it ends before `end`, where its text is wider than the layout
// allows for, but not left of `leftmost`.
void KeepCaptionBefore(wxWindow* caption, int end, int leftmost);

// The builder. Creates the rows given, in order, under `root` or the row keyed as parent.
class Table {
  public:
    // `rootKey`, when given, names the root as a parent for the rows.
    explicit Table(wxWindow* root, std::string_view rootKey = {});

    // Creates the control of `row`: its window, font, size, state, and its accessible name
    // by its caption once both exist. Returns nullptr for an unknown parent or a key given
    // twice.
    wxWindow* Add(const Row& row);
    // Adds every row; returns their windows in order.
    std::vector<wxWindow*> Build(std::span<const Row> rows);

    // The window of a key, or nullptr.
    wxWindow* Find(std::string_view key) const;

  private:
    struct Built {
        wxWindow* window;
        std::string key;
        int id;
        unsigned flags;
    };
    // A control whose caption was not created yet.
    struct Waiting {
        wxWindow* control;
        int caption;
        std::string captionKey;
        wxString name;
    };

    const Built* CaptionFor(int id, std::string_view key) const;
    void Name(wxWindow* control, const Built& caption, const wxString& name);
    void NameByCaption(const Row& row, wxWindow* window);
    void NameWaiting(const Built& caption);

    wxWindow* root_;
    std::vector<Built> built_;
    std::vector<Waiting> waiting_;
};

}  // namespace vyr::ctl

// The main window's window tree and every control on it, as data. The window builder walks
// these tables once; nothing else creates the main window's controls.
#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace vyr::layout {

enum class Kind {
    Panel,
    Notebook,
    Page,  // a notebook page; its text is the tab text
    Label,
    CheckBox,
    TextField,
    Choice,
    SpinCtrl,
    SpinButton,
    Slider,
    ToggleButton,
    Button,
    DatePicker,
    VerticalLine,
};

// Flags of a descriptor.
enum : unsigned {
    kHidden = 1u << 0,    // created hidden
    kDisabled = 1u << 1,  // created disabled
    kReadOnly = 1u << 2,  // text field the user cannot edit
    kWrap = 1u << 3,      // spin control wraps around
    kTextLeft = 1u << 4,  // check box with its text left of the box
    kHeading = 1u << 5,   // heading font
    kMark = 1u << 6,      // mark font
    kTextCut = 1u << 7,   // deliberately narrower than its text: only the box shows
};

inline constexpr int kAuto = -1;  // toolkit's default size for the text
inline constexpr int kNoSelection = -1;

struct Rect {
    int x = 0;
    int y = 0;
    int width = kAuto;
    int height = kAuto;
};

// One row tells everything about one control. Its place (x, y, width, height) is the compact
// layout the window was designed in, which Windows uses as it is; where GTK's taller controls
// do not fit there, `gtk` is the place GTK uses instead.
struct Control {
    std::string_view key{};   // unique within the window; tables refer to parents by it
    std::string_view name{};  // window name (not unique: "panel", "wxSpinCtrl")
    Kind kind = Kind::Label;
    int id = -1;
    std::string_view text{};  // caption, tab text or initial text
    int x = 0;
    int y = 0;
    int width = kAuto;
    int height = kAuto;
    std::string_view parent{};     // key of the parent window; "frame" for the frame itself
    std::string_view parameter{};  // catalogue key of the bound parameter, or empty
    int min = 0;                   // spin control, spin button, slider
    int max = 0;
    int value = 0;                 // initial number; 1 ticks a check box
    std::string_view choices{};    // entries of a choice, separated by '|'
    int selection = kNoSelection;  // initially selected entry of a choice
    unsigned flags = 0;
    // The key of the separate label that names the control (spin buttons and controls, text
    // fields, choices, sliders, check boxes that show no text of their own), or empty: the
    // control takes the caption's text as its accessible name.
    std::string_view caption{};
    bool onGtk = false;  // `gtk` holds GTK's place
    Rect gtk{};

    constexpr Control CaptionedBy(std::string_view label) const {
        Control c = *this;
        c.caption = label;
        return c;
    }
    // GTK's place; a label keeps its size from its text.
    constexpr Control OnGtk(int gx, int gy, int gwidth = kAuto, int gheight = kAuto) const {
        Control c = *this;
        c.onGtk = true;
        c.gtk = {gx, gy, gwidth, gheight};
        return c;
    }
};

inline constexpr std::string_view kFrameKey = "frame";

// One table per panel or page, in window order: window tree, header, then the eight pages.
struct Table {
    std::string_view title;
    std::span<const Control> controls;
};
std::span<const Table> Tables();

// The frame's size and title.
inline constexpr int kFrameWidth = 710;
inline constexpr int kFrameHeight = 620;
inline constexpr std::string_view kTitleFormat = "Vyr Administration Software v%s";
inline constexpr std::string_view kVersion = "2.2.6";

// The entries of a choice descriptor, in order.
std::vector<std::string_view> SplitChoices(std::string_view choices);

// Place and size of a control on this toolkit.
Rect Placement(const Control& control);

// The descriptor with this key, or nullptr.
const Control* Find(std::string_view key);

// The caption descriptor of a control, or nullptr when it has none of its own.
const Control* CaptionOf(std::string_view control);
// The control a label captions, or nullptr.
const Control* CaptionedBy(std::string_view label);

}  // namespace vyr::layout

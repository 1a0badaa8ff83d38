#include "window_builder.h"

#include <array>
#include <vector>

#include "settings/catalogue.h"

namespace vyr::layout {
namespace {

// In the order of layout::Kind.
constexpr std::array<ctl::Kind, 14> kKinds = {
    ctl::Kind::Panel,      ctl::Kind::Notebook,     ctl::Kind::Page,         ctl::Kind::Label,
    ctl::Kind::CheckBox,   ctl::Kind::TextField,    ctl::Kind::Choice,       ctl::Kind::SpinCtrl,
    ctl::Kind::SpinButton, ctl::Kind::Slider,       ctl::Kind::ToggleButton, ctl::Kind::Button,
    ctl::Kind::DatePicker, ctl::Kind::VerticalLine,
};
static_assert(kKinds.size() == static_cast<std::size_t>(Kind::VerticalLine) + 1);

struct FlagOf {
    unsigned layout;
    unsigned control;
};
// A read-only text field is a value display: plain text that Tab and clicks pass by.
constexpr FlagOf kFlags[] = {
    {kHidden, ctl::kHidden},
    {kDisabled, ctl::kDisabled},
    {kReadOnly, ctl::kReadOnly | ctl::kValueField},
    {kWrap, ctl::kWrap},
    {kTextLeft, ctl::kTextLeft},
    {kTextCut, ctl::kBoxOnly},
};

unsigned Flags(const Control& c) {
    unsigned flags = 0;
    for (const FlagOf& f : kFlags) {
        if (c.flags & f.layout)
            flags |= f.control;
    }
    // Push buttons as narrow as their texts; a bound field reports Enter, which ends an edit
    // like leaving the field.
    if (c.kind == Kind::Button || c.kind == Kind::ToggleButton)
        flags |= ctl::kExactFit;
    if (c.kind == Kind::TextField && !c.parameter.empty() && !(c.flags & kReadOnly))
        flags |= ctl::kProcessEnter;
    return flags;
}

ctl::Font FontOf(const Control& c) {
    return (c.flags & kHeading) ? ctl::Font::Heading
           : (c.flags & kMark)  ? ctl::Font::Mark
                                : ctl::Font::Ui;
}

}  // namespace

WindowBuilder::WindowBuilder(wxWindow* frame) : table_(frame, kFrameKey) {}

wxWindow* WindowBuilder::Build(const Control& c) {
    const Rect r = Placement(c);
    const std::vector<std::string_view> entries = SplitChoices(c.choices);
    const Control* caption = CaptionOf(c.key);
    return table_.Add({.kind = kKinds[static_cast<std::size_t>(c.kind)],
                       .id = c.id,
                       .name = c.name,
                       .key = c.key,
                       .parent = c.parent,
                       .x = r.x,
                       .y = r.y,
                       .width = r.width,
                       .height = r.height,
                       .text = c.text,
                       .flags = Flags(c),
                       // A bound field holds at most what a stored value can.
                       .limit = c.parameter.empty() ? 0 : kMaxValueLength,
                       .captionKey = caption ? caption->key : std::string_view(),
                       .font = FontOf(c),
                       .min = c.min,
                       .max = c.max,
                       .value = c.value,
                       .choices = entries,
                       .selection = c.selection});
}

}  // namespace vyr::layout

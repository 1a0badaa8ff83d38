#include "ui/fonts.h"

#include <span>

#include <wx/font.h>
#include <wx/fontenum.h>

namespace vyr::fonts {
namespace {

// The named face if the system has it, else the first present face of the same family:
// Tahoma is narrow, so a condensed face stands in before the regular one; Bitstream Vera's
// own successor is DejaVu. Empty lets the toolkit choose by family alone.
wxString FaceOrStandIn(const wxString& face, wxFontFamily family) {
    if (wxFontEnumerator::IsValidFacename(face))
        return face;
    static constexpr const char* kTeletype[] = {"Liberation Mono", "DejaVu Sans Mono", "FreeMono"};
    static constexpr const char* kNarrowSwiss[] = {"Liberation Sans", "DejaVu Sans Condensed",
                                                   "DejaVu Sans", "FreeSans"};
    static constexpr const char* kSwiss[] = {"DejaVu Sans", "Liberation Sans", "FreeSans"};
    const std::span<const char* const> standIns =
        family == wxFONTFAMILY_TELETYPE ? std::span<const char* const>(kTeletype)
        : face == "Tahoma"              ? std::span<const char* const>(kNarrowSwiss)
                                        : std::span<const char* const>(kSwiss);
    for (const char* candidate : standIns) {
        if (wxFontEnumerator::IsValidFacename(candidate))
            return candidate;
    }
    return {};
}

// Kept for the life of the program: never destroyed, so no font outlives the toolkit.
// The height in the font table is the character (em) height in pixels, which the layout's
// places are measured against; wxGTK's own pixel size means the whole line and would come out
// a third smaller, so the size is given in points at the toolkit's 96 pixels per inch.
const wxFont& Make(const char* face, int pixelHeight, wxFontFamily family, wxFontWeight weight) {
    const double points = pixelHeight * 72.0 / 96.0;
    auto* font = new wxFont(wxFontInfo(points)
                                .Family(family)
                                .FaceName(FaceOrStandIn(face, family))
                                .Weight(weight)
                                .Style(wxFONTSTYLE_NORMAL)
                                .Underlined(false)
                                .Encoding(wxFONTENCODING_DEFAULT));
    return *font;
}

}  // namespace

const wxFont& Ui() {
    static const wxFont& font = Make("Tahoma", 11, wxFONTFAMILY_SWISS, wxFONTWEIGHT_NORMAL);
    return font;
}

const wxFont& Fixed() {
    static const wxFont& font = Make("Courier", 11, wxFONTFAMILY_TELETYPE, wxFONTWEIGHT_NORMAL);
    return font;
}

const wxFont& BoldUi() {
    static const wxFont& font = Make("Tahoma", 11, wxFONTFAMILY_SWISS, wxFONTWEIGHT_BOLD);
    return font;
}

const wxFont& LargeUi() {
    static const wxFont& font = Make("Tahoma", 12, wxFONTFAMILY_SWISS, wxFONTWEIGHT_NORMAL);
    return font;
}

const wxFont& Heading() {
    static const wxFont& font =
        Make("Bitstream Vera Sans", 16, wxFONTFAMILY_SWISS, wxFONTWEIGHT_BOLD);
    return font;
}

const wxFont& Mark() {
    static const wxFont& font =
        Make("Bitstream Vera Sans", 18, wxFONTFAMILY_SWISS, wxFONTWEIGHT_BOLD);
    return font;
}

}  // namespace vyr::fonts

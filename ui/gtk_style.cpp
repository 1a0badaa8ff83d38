#include "ui/gtk_style.h"

#include <wx/window.h>

#include "ui/gtk_lookup.h"

namespace vyr {

#ifdef __WXGTK__
namespace {

// Trims the theme's paddings and minimum sizes inside windows marked with the class.
constexpr char kCompactCss[] = R"css(
.vyr-compact entry { min-height: 0; padding-top: 0; padding-bottom: 0; padding-left: 3px;
    padding-right: 3px; }
.vyr-compact button { min-height: 0; min-width: 0; padding: 0 4px; }
.vyr-compact combobox button { padding-top: 0; padding-bottom: 0; }
.vyr-compact combobox box { min-height: 0; }
.vyr-compact spinbutton { min-height: 0; }
.vyr-compact spinbutton button { min-height: 0; min-width: 0; padding: 0 2px; }
.vyr-compact checkbutton { min-height: 0; padding: 0; }
.vyr-compact check { min-width: 13px; min-height: 13px; margin: 0; }
.vyr-compact checkbutton label { margin-left: 3px; margin-right: 3px; }
.vyr-compact notebook tab { min-height: 0; padding: 2px 8px; }
.vyr-compact scale { min-height: 0; padding-top: 0; padding-bottom: 0; }
entry.vyr-value, entry.vyr-value:disabled { background: transparent; border-color: transparent;
    box-shadow: none; }
)css";

constexpr unsigned kApplicationPriority = 600;  // GTK_STYLE_PROVIDER_PRIORITY_APPLICATION

using gtk::Lookup;

bool InstallProvider() {
    using NewProvider = void* (*)();
    using LoadData = int (*)(void*, const char*, long, void**);
    using DefaultScreen = void* (*)();
    using AddForScreen = void (*)(void*, void*, unsigned);
    const auto newProvider = Lookup<NewProvider>("gtk_css_provider_new");
    const auto loadData = Lookup<LoadData>("gtk_css_provider_load_from_data");
    const auto defaultScreen = Lookup<DefaultScreen>("gdk_screen_get_default");
    const auto addForScreen = Lookup<AddForScreen>("gtk_style_context_add_provider_for_screen");
    if (!newProvider || !loadData || !defaultScreen || !addForScreen)
        return false;
    void* screen = defaultScreen();
    if (!screen)
        return false;
    void* provider = newProvider();  // kept by the screen for the life of the program
    if (!loadData(provider, kCompactCss, -1, nullptr))
        return false;
    addForScreen(screen, provider, kApplicationPriority);
    return true;
}

}  // namespace

void UseCompactStyle(wxWindow* topLevel) {
    static const bool installed = InstallProvider();
    if (!installed || !topLevel || !topLevel->GetHandle())
        return;
    using StyleContext = void* (*)(void*);
    using AddClass = void (*)(void*, const char*);
    const auto styleContext = Lookup<StyleContext>("gtk_widget_get_style_context");
    const auto addClass = Lookup<AddClass>("gtk_style_context_add_class");
    if (styleContext && addClass)
        addClass(styleContext(topLevel->GetHandle()), "vyr-compact");
}

void ShowBoxOnly(wxWindow* checkBox) {
    using BinChild = void* (*)(void*);
    using HideWidget = void (*)(void*);
    const auto binChild = Lookup<BinChild>("gtk_bin_get_child");
    const auto hide = Lookup<HideWidget>("gtk_widget_hide");
    if (!binChild || !hide || !checkBox || !checkBox->GetHandle())
        return;
    if (void* label = binChild(checkBox->GetHandle()))
        hide(label);
}

void ShowAsValueField(wxWindow* field) {
    using StyleContext = void* (*)(void*);
    using AddClass = void (*)(void*, const char*);
    using SetCanFocus = void (*)(void*, int);
    const auto styleContext = Lookup<StyleContext>("gtk_widget_get_style_context");
    const auto addClass = Lookup<AddClass>("gtk_style_context_add_class");
    const auto setCanFocus = Lookup<SetCanFocus>("gtk_widget_set_can_focus");
    if (!field || !field->GetHandle())
        return;
    if (styleContext && addClass)
        addClass(styleContext(field->GetHandle()), "vyr-value");
    if (setCanFocus)
        setCanFocus(field->GetHandle(), 0);
}

int TextAreaWidth(wxWindow* field) {
    struct Rectangle {
        int x, y, width, height;
    };
    using TextArea = void (*)(void*, Rectangle*);
    const auto textArea = Lookup<TextArea>("gtk_entry_get_text_area");
    if (!textArea || !field || !field->GetHandle())
        return -1;
    Rectangle area{0, 0, -1, -1};
    textArea(field->GetHandle(), &area);
    return area.width;
}

#else

void UseCompactStyle(wxWindow*) {}
void ShowBoxOnly(wxWindow*) {}
void ShowAsValueField(wxWindow*) {}
int TextAreaWidth(wxWindow*) {
    return -1;
}

#endif

}  // namespace vyr

#include "ui/accessible.h"

#include <wx/window.h>

#include "ui/gtk_lookup.h"

namespace vyr {

#ifdef __WXGTK__
namespace {

using gtk::Lookup;

// The widget a person works with. A check box with its text on the left is a box holding a
// label and the check button; the check button is the control.
void* Widget(wxWindow* window) {
    using TypeGetter = unsigned long (*)();
    using IsA = int (*)(void*, unsigned long);
    using Children = void* (*)(void*);
    using CanFocus = int (*)(void*);
    using FreeList = void (*)(void*);
    struct List {
        void* data;
        List* next;
        List* prev;
    };
    static const auto boxType = Lookup<TypeGetter>("gtk_box_get_type");
    static const auto isA = Lookup<IsA>("g_type_check_instance_is_a");
    static const auto children = Lookup<Children>("gtk_container_get_children");
    static const auto canFocus = Lookup<CanFocus>("gtk_widget_get_can_focus");
    static const auto freeList = Lookup<FreeList>("g_list_free");
    void* widget = window ? window->GetHandle() : nullptr;
    if (!widget || !boxType || !isA || !children || !canFocus || !freeList ||
        !isA(widget, boxType()))
        return widget;
    auto* list = static_cast<List*>(children(widget));
    void* control = widget;
    for (List* item = list; item; item = item->next) {
        if (canFocus(item->data)) {
            control = item->data;
            break;
        }
    }
    freeList(list);
    return control;
}

// The toolkit's accessible object of a window, or nullptr.
void* Accessible(wxWindow* window) {
    using GetAccessible = void* (*)(void*);
    static const auto get = Lookup<GetAccessible>("gtk_widget_get_accessible");
    void* widget = Widget(window);
    if (!get || !widget)
        return nullptr;
    return get(widget);
}

// ATK's number for a relation ("labelled-by", "label-for"); 0 (none) when unknown.
int Relation(const char* name) {
    using ForName = int (*)(const char*);
    static const auto forName = Lookup<ForName>("atk_relation_type_for_name");
    return forName ? forName(name) : 0;
}

}  // namespace

void SetAccessibleName(wxWindow* control, const wxString& name, wxWindow* label) {
    using SetName = void (*)(void*, const char*);
    using AddRelationship = int (*)(void*, int, void*);
    static const auto setName = Lookup<SetName>("atk_object_set_name");
    static const auto addRelationship = Lookup<AddRelationship>("atk_object_add_relationship");
    void* object = Accessible(control);
    if (!object || !setName)
        return;
    setName(object, name.utf8_str());
    void* caption = Accessible(label);
    const int labelledBy = Relation("labelled-by");
    const int labelFor = Relation("label-for");
    if (caption && addRelationship && labelledBy != 0 && labelFor != 0) {
        addRelationship(object, labelledBy, caption);
        addRelationship(caption, labelFor, object);
    }
}

wxString AccessibleName(wxWindow* control) {
    using GetName = const char* (*)(void*);
    static const auto getName = Lookup<GetName>("atk_object_get_name");
    void* object = Accessible(control);
    if (!object || !getName)
        return {};
    const char* name = getName(object);
    return name ? wxString::FromUTF8(name) : wxString();
}

bool IsLabelledBy(wxWindow* control, wxWindow* label) {
    using RefRelationSet = void* (*)(void*);
    using ContainsTarget = int (*)(void*, int, void*);
    using Unref = void (*)(void*);
    static const auto refSet = Lookup<RefRelationSet>("atk_object_ref_relation_set");
    static const auto contains = Lookup<ContainsTarget>("atk_relation_set_contains_target");
    static const auto unref = Lookup<Unref>("g_object_unref");
    void* object = Accessible(control);
    void* caption = Accessible(label);
    const int labelledBy = Relation("labelled-by");
    if (!object || !caption || !refSet || !contains || !unref || labelledBy == 0)
        return false;
    void* relations = refSet(object);
    if (!relations)
        return false;
    const bool found = contains(relations, labelledBy, caption) != 0;
    unref(relations);
    return found;
}

#else

void SetAccessibleName(wxWindow*, const wxString&, wxWindow*) {}
wxString AccessibleName(wxWindow*) {
    return {};
}
bool IsLabelledBy(wxWindow*, wxWindow*) {
    return false;
}

#endif

}  // namespace vyr

#include "ui/accessible.h"

#include <wx/window.h>

#include "ui/gtk_lookup.h"

namespace vyr {

#ifdef __WXGTK__
namespace {

using gtk::Lookup;

// The toolkit's accessible object of a window, or nullptr.
void* Accessible(wxWindow* window) {
    using GetAccessible = void* (*)(void*);
    static const auto get = Lookup<GetAccessible>("gtk_widget_get_accessible");
    if (!get || !window || !window->GetHandle())
        return nullptr;
    return get(window->GetHandle());
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

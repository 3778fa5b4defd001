#include "engine/pdf/form_images.h"

#include <Object.h>
#include <XRef.h>

#include <set>

namespace {

// Forms within forms deeper than this are not looked into.
const int kDeepest = 32;

int CountFrom(XRef* xref, const Object& form, std::set<Ref>& visited, int depth) {
    if (!form.isStream() || depth > kDeepest)
        return 0;
    const Object resources = form.streamGetDict()->lookup("Resources");
    const Object xobjects = resources.isDict() ? resources.dictLookup("XObject") : Object(objNull);
    if (!xobjects.isDict())
        return 0;
    int count = 0;
    for (int i = 0; i < xobjects.dictGetLength(); ++i) {
        const Object& entry = xobjects.dictGetValNF(i);
        if (entry.isRef() && !visited.insert(entry.getRef()).second)
            continue; // met before, or a loop
        const Object xobject = entry.fetch(xref);
        if (!xobject.isStream())
            continue;
        const Object subtype = xobject.streamGetDict()->lookup("Subtype");
        if (subtype.isName("Image"))
            ++count;
        else if (subtype.isName("Form"))
            count += CountFrom(xref, xobject, visited, depth + 1);
    }
    return count;
}

} // namespace

int FormImageCount(XRef* xref, Ref form) {
    std::set<Ref> visited{form};
    return CountFrom(xref, xref->fetch(form), visited, 0);
}

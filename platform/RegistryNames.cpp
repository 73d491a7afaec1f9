// The registry's three roots by name: the same on every system, whichever store serves them.
#include "platform/Registry.h"

#include <algorithm>

namespace platform {

bool IsKnownRegistryRoot(HKEY root)
{
    return root == HKEY_CLASSES_ROOT || root == HKEY_CURRENT_USER || root == HKEY_LOCAL_MACHINE;
}

std::u16string RegistryRootName(HKEY root)
{
    if (root == HKEY_CLASSES_ROOT)
        return u"HKEY_CLASSES_ROOT";
    if (root == HKEY_CURRENT_USER)
        return u"HKEY_CURRENT_USER";
    if (root == HKEY_LOCAL_MACHINE)
        return u"HKEY_LOCAL_MACHINE";
    return {};
}

HKEY RegistryRootFromName(std::u16string_view name)
{
    std::u16string folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c; });
    if (folded == u"hklm" || folded == u"hkey_local_machine")
        return HKEY_LOCAL_MACHINE;
    if (folded == u"hkcu" || folded == u"hkey_current_user")
        return HKEY_CURRENT_USER;
    if (folded == u"hkcr" || folded == u"hkey_classes_root")
        return HKEY_CLASSES_ROOT;
    return HKEY{};
}

} // namespace platform

// The skin builder: the definition pass over the root's children, then the recursive control
// parse with includes, tree nodes, overlays and default attribute lists.
#include "ui/builder/SkinBuilder.h"

#include "ui/controls/Container.h"
#include "ui/controls/ListControls.h"
#include "ui/core/ValueParse.h"
#include "ui/core/Limits.h"
#include "ui/manager/WindowManager.h"
#include "ui/builder/ControlFactory.h"

#include <algorithm>
#include <vector>

namespace ui {

namespace {

// Longest Include source and "cover" value read, terminator included.
constexpr int kMaxIncludeSource = 500;
constexpr int kMaxCoverValue = 256;

ResourceReader& InstalledResourceReader()
{
    static ResourceReader reader;
    return reader;
}

// How deep Create calls are nested on this thread (includes and child layouts build recursively).
thread_local int t_nesting = 0;

// How deep elements are nested in the tree being built, across includes and child layouts.
thread_local int t_depth = 0;
// Controls and Include instances built without a window manager since the outermost build began;
// builds for a manager charge the manager's count instead (so that child layouts, which build when
// the tree is attached, share the budget of the skin that holds them).
thread_local int t_unmanagedBuilt = 0;

// Takes one unit of the build budget; false when it is spent and nothing more may be built.
bool ChargeBudget(CWindowManagerUI* manager)
{
    int& built = manager != nullptr ? manager->BuiltControlCount() : t_unmanagedBuilt;
    if (built >= limits::kMaxControls) {
        return false;
    }
    ++built;
    return true;
}

// Counts one level of a thread-local nesting counter for as long as it lives.
class CLevelGuard
{
public:
    CLevelGuard(int& level, int limit) : m_level(level), m_limit(limit) { ++m_level; }
    ~CLevelGuard() { --m_level; }
    CLevelGuard(const CLevelGuard&) = delete;
    CLevelGuard& operator=(const CLevelGuard&) = delete;
    bool TooDeep() const { return m_level > m_limit; }

private:
    int& m_level;
    int m_limit;
};

bool NameIs(const char16_t* name, const char16_t* expected)
{
    return markup::TextEqualsNoCase(name, expected);
}

bool IsDefinitionElement(const char16_t* name)
{
    return NameIs(name, u"Image") || NameIs(name, u"Font") || NameIs(name, u"Default") ||
           NameIs(name, u"MultiLanguage");
}

bool IsTrue(const char16_t* value)
{
    return markup::TextEqualsNoCase(value, u"true");
}

ResourceScope ScopeOf(bool shared)
{
    return shared ? ResourceScope::Shared : ResourceScope::Window;
}

// Hexadecimal with an optional leading '#'.
std::uint32_t ParseMask(const char16_t* value)
{
    if (value[0] == u'#') {
        ++value;
    }
    return markup::ParseHex(value);
}

void RegisterImage(const CXmlNode& node, CWindowManagerUI& manager)
{
    const char16_t* name = nullptr;
    const char16_t* type = nullptr;
    std::uint32_t mask = 0;
    bool shared = false;
    for (int i = 0; i < node.AttributeCount(); ++i) {
        const char16_t* attr = node.AttributeName(i);
        const char16_t* value = node.AttributeValue(i);
        if (markup::TextEquals(attr, u"name")) {
            name = value;
        } else if (markup::TextEquals(attr, u"restype")) {
            type = value;
        } else if (markup::TextEquals(attr, u"mask")) {
            mask = ParseMask(value);
        } else if (markup::TextEquals(attr, u"shared")) {
            shared = IsTrue(value);
        }
    }
    if (name != nullptr) {
        // A shared image goes to the process-wide table and keeps its pristine pixels, so that
        // the colour shift can recolour it for every window.
        manager.RegisterImage(name, type, mask, shared, ScopeOf(shared));
    }
}

void RegisterFont(const CXmlNode& node, CWindowManagerUI& manager)
{
    int id = -1;
    const char16_t* name = nullptr;
    int size = 12;
    bool bold = false, underline = false, italic = false, strikeout = false, isDefault = false, shared = false;
    for (int i = 0; i < node.AttributeCount(); ++i) {
        const char16_t* attr = node.AttributeName(i);
        const char16_t* value = node.AttributeValue(i);
        if (markup::TextEquals(attr, u"id")) {
            id = markup::ParseInt(value);
        } else if (markup::TextEquals(attr, u"name")) {
            name = value;
        } else if (markup::TextEquals(attr, u"size")) {
            size = markup::ParseCoordinate(value);
        } else if (markup::TextEquals(attr, u"bold")) {
            bold = IsTrue(value);
        } else if (markup::TextEquals(attr, u"underline")) {
            underline = IsTrue(value);
        } else if (markup::TextEquals(attr, u"italic")) {
            italic = IsTrue(value);
        } else if (markup::TextEquals(attr, u"strikeout")) {
            strikeout = IsTrue(value);
        } else if (markup::TextEquals(attr, u"default")) {
            isDefault = IsTrue(value);
        } else if (markup::TextEquals(attr, u"shared")) {
            shared = IsTrue(value);
        }
    }
    if (id < 0 || name == nullptr) {
        return;
    }
    manager.RegisterFont(id, name, size, bold, underline, italic, strikeout, ScopeOf(shared));
    if (isDefault) {
        manager.ChangeDefaultFont(name, size, bold, underline, italic, strikeout, ScopeOf(shared));
    }
}

void RegisterDefaultList(const CXmlNode& node, CWindowManagerUI& manager)
{
    const char16_t* name = nullptr;
    const char16_t* value = u"";
    bool shared = false;
    for (int i = 0; i < node.AttributeCount(); ++i) {
        const char16_t* attr = node.AttributeName(i);
        if (markup::TextEquals(attr, u"name")) {
            name = node.AttributeValue(i);
        } else if (markup::TextEquals(attr, u"value")) {
            value = node.AttributeValue(i);
        } else if (markup::TextEquals(attr, u"shared")) {
            shared = IsTrue(node.AttributeValue(i));
        }
    }
    if (name != nullptr) {
        manager.RegisterDefaultAttributes(name, value, ScopeOf(shared));
    }
}

void RegisterLanguageText(const CXmlNode& node)
{
    int id = -1;
    const char16_t* value = nullptr;
    for (int i = 0; i < node.AttributeCount(); ++i) {
        const char16_t* attr = node.AttributeName(i);
        if (markup::TextEquals(attr, u"id")) {
            id = markup::ParseInt(node.AttributeValue(i));
        } else if (markup::TextEquals(attr, u"value")) {
            value = node.AttributeValue(i);
        }
    }
    if (id >= 0 && value != nullptr) {
        CWindowManagerUI::RegisterLanguageText(id, value);
    }
}

void ApplyAttributes(const CXmlNode& node, CControlUI& control)
{
    for (int i = 0; i < node.AttributeCount(); ++i) {
        control.SetAttribute(node.AttributeName(i), node.AttributeValue(i));
    }
}

// The defaults registered for the element name as written in the markup.
void ApplyDefaultList(const char16_t* key, CWindowManagerUI* manager, CControlUI& control)
{
    if (manager == nullptr) {
        return;
    }
    control.SetManager(manager, nullptr, false);
    if (const char16_t* list = manager->LookupDefaultAttributes(key)) {
        control.ApplyAttributeList(list);
    }
}

bool WantsCover(const CXmlNode& node)
{
    char16_t value[kMaxCoverValue];
    return node.CopyAttributeValue(u"cover", value, kMaxCoverValue) && markup::TextEquals(value, u"true");
}

} // namespace

CSkinBuilder::CSkinBuilder() = default;

CSkinBuilder::~CSkinBuilder()
{
    m_markup.Clear();
}

void CSkinBuilder::SetResourceReader(ResourceReader reader)
{
    InstalledResourceReader() = std::move(reader);
}

CControlUI* CSkinBuilder::Create(const char16_t* source, const char16_t* resourceType, IBuilderCallbackUI* callback,
                                 CWindowManagerUI* manager, CControlUI* parent)
{
    if (t_nesting >= kMaxNesting) {
        return nullptr;
    }
    if (IS_INTRESOURCE(source)) {
        const ResourceReader& reader = InstalledResourceReader();
        if (!reader) {
            return nullptr;
        }
        CUIString id;
        id.FormatShort(u"%u", static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(source)));
        const std::vector<std::uint8_t> bytes = reader(resourceType, id.CStr());
        if (bytes.empty()) {
            return nullptr;
        }
        m_callback = callback;
        if (!m_markup.LoadBytes(bytes.data(), bytes.size(), MarkupEncoding::Utf8)) {
            return nullptr;
        }
        m_resourceType = resourceType;
        m_fromResource = true;
    } else if (source[0] == u'<') {
        if (!m_markup.LoadText(source)) {
            return nullptr;
        }
    } else if (!m_markup.LoadFile(source, MarkupEncoding::Utf8)) {
        return nullptr;
    }
    return Create(callback, manager, parent);
}

CControlUI* CSkinBuilder::Create(IBuilderCallbackUI* callback, CWindowManagerUI* manager, CControlUI* parent)
{
    CLevelGuard nesting(t_nesting, kMaxNesting);
    if (nesting.TooDeep()) {
        return nullptr;
    }
    if (t_nesting == 1) {
        t_unmanagedBuilt = 0;
    }
    m_callback = callback;
    const CXmlNode root = m_markup.Root();
    if (!root.IsValid()) {
        return nullptr;
    }
    if (manager != nullptr) {
        RegisterDefinitions(root, *manager);
        if (NameIs(root.Name(), u"Window") && manager->Window() != nullptr) {
            for (int i = 0; i < root.AttributeCount(); ++i) {
                manager->SetWindowAttribute(root.AttributeName(i), root.AttributeValue(i));
            }
        }
    }
    return ParseChildren(root, parent, manager);
}

void CSkinBuilder::RegisterDefinitions(const CXmlNode& root, CWindowManagerUI& manager)
{
    for (CXmlNode node = root.FirstChild(); node.IsValid(); node = node.NextSibling()) {
        const char16_t* name = node.Name();
        if (NameIs(name, u"Image")) {
            RegisterImage(node, manager);
        } else if (NameIs(name, u"Font")) {
            RegisterFont(node, manager);
        } else if (NameIs(name, u"Default")) {
            RegisterDefaultList(node, manager);
        } else if (NameIs(name, u"MultiLanguage")) {
            RegisterLanguageText(node);
        }
    }
}

CControlUI* CSkinBuilder::CreateControl(const char16_t* className) const
{
    if (CControlUI* control = CreateControlForClass(className)) {
        return control;
    }
    const CPtrArray& plugins = CWindowManagerUI::Plugins();
    for (int i = 0; i < plugins.GetSize(); ++i) {
        const auto factory = reinterpret_cast<PluginFactory>(plugins[i]);
        if (CControlUI* control = factory(className)) {
            return control;
        }
    }
    return m_callback != nullptr ? m_callback->CreateControl(className) : nullptr;
}

CControlUI* CSkinBuilder::ParseChildren(const CXmlNode& element, CControlUI* parent, CWindowManagerUI* manager)
{
    // Every level recurses once, here and in the layout and paint passes later: deeper levels are
    // left out rather than running the stack out.
    CLevelGuard depth(t_depth, limits::kMaxNestingDepth);
    if (depth.TooDeep()) {
        return nullptr;
    }
    CControlUI* first = nullptr;
    IContainerUI* container = nullptr;
    bool containerLooked = false;
    for (CXmlNode node = element.FirstChild(); node.IsValid(); node = node.NextSibling()) {
        const char16_t* name = node.Name();
        if (IsDefinitionElement(name)) {
            continue;
        }
        if (NameIs(name, u"Include")) {
            BuildInclude(node, parent, manager);
            continue;
        }
        if (NameIs(name, u"TreeNode")) {
            if (!BuildTreeNode(node, parent, manager)) {
                return nullptr;
            }
            continue;
        }
        // Without a parent only the first control has an owner (the caller); later ones would be
        // lost, so they are not built.
        if (parent == nullptr && first != nullptr) {
            continue;
        }
        if (!ChargeBudget(manager)) {
            break;
        }
        CControlUI* control = CreateControl(name);
        if (control == nullptr) {
            continue;
        }
        // Children are built and configured before their parent is attached and configured.
        if (node.HasChildren()) {
            ParseChildren(node, control, manager);
        }
        if (parent != nullptr) {
            if (WantsCover(node)) {
                parent->SetOverlay(control);
            } else if (auto* treeNode = static_cast<CTreeNodeUI*>(parent->CastTo(u"TreeNode"))) {
                if (!treeNode->Add(control)) {
                    control->DeleteSelf();
                    continue;
                }
            } else {
                if (!containerLooked) {
                    container = static_cast<IContainerUI*>(parent->CastTo(u"IContainer"));
                    containerLooked = true;
                }
                if (container == nullptr) {
                    // The parent cannot hold children: this level ends here.
                    control->DeleteSelf();
                    return nullptr;
                }
                if (!container->Add(control)) {
                    control->DeleteSelf();
                    continue;
                }
            }
        }
        ApplyDefaultList(name, manager, *control);
        ApplyAttributes(node, *control);
        if (manager != nullptr) {
            // The real attachment, with initialisation, comes when the finished tree is attached.
            control->SetManager(nullptr, nullptr, false);
        }
        if (first == nullptr) {
            first = control;
        }
    }
    return first;
}

void CSkinBuilder::BuildInclude(const CXmlNode& element, CControlUI* parent, CWindowManagerUI* manager)
{
    if (!element.HasAttributes()) {
        return;
    }
    int count = 1;
    if (element.HasAttribute(u"count")) {
        count = std::min(markup::ParseInt(element.AttributeValue(u"count")), limits::kMaxIncludeCount);
    }
    if (!element.HasAttribute(u"source")) {
        return;
    }
    char16_t source[kMaxIncludeSource];
    element.CopyAttributeValue(u"source", source, kMaxIncludeSource);

    CSkinBuilder nested;
    for (int i = 0; i < count; ++i) {
        if (!ChargeBudget(manager)) {
            return;
        }
        CControlUI* result = nullptr;
        if (i == 0) {
            if (m_fromResource) {
                const int id = markup::ParseInt(source);
                result = nested.Create(MAKEINTRESOURCEW(id), m_resourceType.CStr(), m_callback, manager, parent);
            } else {
                result = nested.Create(source, nullptr, m_callback, manager, parent);
            }
        } else {
            result = nested.Create(m_callback, manager, parent);
        }
        // A source that did not load gives nothing the next times either.
        if (i == 0 && !nested.m_markup.Root().IsValid()) {
            return;
        }
        // With a parent the included controls are attached to it; without one nothing would own them.
        if (parent == nullptr && result != nullptr) {
            result->DeleteSelf();
        }
    }
}

bool CSkinBuilder::BuildTreeNode(const CXmlNode& element, CControlUI* parent, CWindowManagerUI* manager)
{
    if (parent == nullptr) {
        return true;
    }
    auto* parentNode = static_cast<CTreeNodeUI*>(parent->CastTo(u"TreeNode"));
    CTreeViewUI* view = nullptr;
    if (parentNode == nullptr) {
        view = static_cast<CTreeViewUI*>(parent->CastTo(u"TreeView"));
        if (view == nullptr) {
            return false;
        }
    }
    CLevelGuard depth(t_depth, limits::kMaxNestingDepth);
    if (depth.TooDeep() || !ChargeBudget(manager)) {
        return true;
    }
    auto* node = new CTreeNodeUI;
    if (parentNode != nullptr && !parentNode->Add(node)) {
        node->DeleteSelf();
        return true;
    }
    ApplyDefaultList(u"TreeNode", manager, *node);
    ApplyAttributes(element, *node);
    if (element.HasChildren()) {
        ParseChildren(element, node, manager);
    }
    if (view != nullptr && !view->Add(node)) {
        node->DeleteSelf();
    }
    return true;
}

} // namespace ui

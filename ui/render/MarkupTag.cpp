// The tokens of markup text: tags written with angle brackets or braces, the four bracket escapes
// and the end of a raw section.
#include "ui/render/MarkupTag.h"

namespace ui {

namespace {

bool IsOpenBracket(char16_t c)
{
    return c == u'<' || c == u'{';
}

bool IsCloseBracket(char16_t c)
{
    return c == u'>' || c == u'}';
}

bool IsLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The first closing bracket at or after p, or null when the text ends first.
const char16_t* FindCloseBracket(const char16_t* p)
{
    for (; *p != 0; ++p) {
        if (IsCloseBracket(*p))
            return p;
    }
    return nullptr;
}

} // namespace

bool ParseMarkupTag(const char16_t* p, TMarkupTag& tag)
{
    if (!IsOpenBracket(p[0]))
        return false;
    if (p[1] == u'/') {
        // Closing tags carry no argument; whatever stands between the letter and the bracket is ignored.
        if (!IsLetter(p[2]))
            return false;
        const char16_t* end = FindCloseBracket(p + 3);
        if (!end)
            return false;
        tag = TMarkupTag{true, p[2], nullptr, 0, int(end - p) + 1};
        return true;
    }
    if (p[1] < u'a' || p[1] > u'z')
        return false;
    if (IsCloseBracket(p[2])) {
        tag = TMarkupTag{false, p[1], p + 2, 0, 3};
        return true;
    }
    if (p[2] != u' ')
        return false;
    const char16_t* end = FindCloseBracket(p + 3);
    if (!end)
        return false;
    tag = TMarkupTag{false, p[1], p + 3, int(end - (p + 3)), int(end - p) + 1};
    return true;
}

bool ParseMarkupEscape(const char16_t* p, char16_t& printed)
{
    if (p[0] == u'<' && (p[1] == u'{' || p[1] == u'}') && p[2] == u'>') {
        printed = p[1];
        return true;
    }
    if (p[0] == u'{' && (p[1] == u'<' || p[1] == u'>') && p[2] == u'}') {
        printed = p[1];
        return true;
    }
    return false;
}

int RawSectionEndAt(const char16_t* p)
{
    TMarkupTag tag;
    if (IsOpenBracket(p[0]) && p[1] == u'/' && p[2] == u'r' && ParseMarkupTag(p, tag))
        return tag.length;
    return 0;
}

bool IsMarkupTokenStart(const char16_t* p)
{
    if (!IsOpenBracket(*p))
        return false;
    TMarkupTag tag;
    char16_t printed;
    return ParseMarkupEscape(p, printed) || ParseMarkupTag(p, tag);
}

} // namespace ui

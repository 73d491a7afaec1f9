// CXmlDocument: loading, and the in-place markup parser that fills the element table.
#include "ui/skin/XmlDocument.h"

#include "ui/skin/MarkupChars.h"
#include "ui/skin/SkinSource.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ui {

using markup::IsNameChar;
using markup::IsWhitespace;
using markup::SkipWhitespace;

namespace {

// Characters that end a plain run of text: the terminator, '&', the end of text, and (when runs of
// whitespace are collapsed) the space. Only ASCII codes can be any of these.
template <char16_t T, bool Preserve> constexpr bool IsPlainTextChar(char16_t ch)
{
    return ch >= 0x80 || !(ch == 0 || ch == T || ch == u'&' || (!Preserve && ch == u' '));
}

template <char16_t T, bool Preserve> struct TPlainTable
{
    bool plain[128];
    constexpr TPlainTable() : plain()
    {
        for (int c = 0; c < 128; ++c) {
            plain[c] = IsPlainTextChar<T, Preserve>(static_cast<char16_t>(c));
        }
    }
};

template <char16_t T, bool Preserve> constexpr TPlainTable<T, Preserve> kPlain{};

template <char16_t T, bool Preserve> inline bool IsPlain(char16_t ch)
{
    return ch >= 0x80 || kPlain<T, Preserve>.plain[ch];
}

// Advances over plain text characters. The text is padded after its terminator, so eight units
// may be read from any position up to the terminator.
template <char16_t T, bool Preserve> inline char16_t* SkipPlain(char16_t* p)
{
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i term = _mm_set1_epi16(static_cast<short>(T));
    const __m128i amp = _mm_set1_epi16(u'&');
    const __m128i space = _mm_set1_epi16(u' ');
    for (;;) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i stop = _mm_or_si128(_mm_cmpeq_epi16(units, zero),
                                    _mm_or_si128(_mm_cmpeq_epi16(units, term), _mm_cmpeq_epi16(units, amp)));
        if (!Preserve) {
            stop = _mm_or_si128(stop, _mm_cmpeq_epi16(units, space));
        }
        const int mask = _mm_movemask_epi8(stop);
        if (mask != 0) {
            return p + __builtin_ctz(static_cast<unsigned>(mask)) / 2;
        }
        p += 8;
    }
#else
    while (IsPlain<T, Preserve>(*p)) {
        ++p;
    }
    return p;
#endif
}

// Name characters for every UTF-16 unit: one load per character in the parser's hottest loop, with
// no test for ASCII first. Skins' names are ASCII, so only the table's first two cache lines are
// ever read in practice.
struct TNameTable
{
    bool name[0x10000];
    constexpr TNameTable() : name()
    {
        for (int c = 0; c < 0x10000; ++c) {
            name[c] = IsNameChar(static_cast<char16_t>(c));
        }
    }
};

constexpr TNameTable kNameUnits{};

// Advances over name characters. Four a round (see SkipWhile) took about 9 % off the whole parse
// against one a round. (Classifying eight units at a time with SSE2 was tried here: fewer
// instructions, but slower on real skins, whose names are short.)
inline char16_t* SkipName(char16_t* p)
{
    return markup::SkipWhile(p, [](char16_t ch) { return kNameUnits.name[ch]; });
}

// Finds the '>' or the end of text after p, eight units at a time. The text is padded after its
// terminator, so eight units may be read from any position up to it.
inline char16_t* FindAngleOrEnd(char16_t* p)
{
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i angle = _mm_set1_epi16(u'>');
    for (;;) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(units, zero), _mm_cmpeq_epi16(units, angle)));
        if (mask != 0) {
            return p + __builtin_ctz(static_cast<unsigned>(mask)) / 2;
        }
        p += 8;
    }
#else
    while (*p != 0 && *p != u'>') {
        ++p;
    }
    return p;
#endif
}

// Skips a comment or declaration whose '!' or '?' is at p: up to and over the first closing
// followed by '>' ("->" or "?>", which for '?' may be the '?' at p itself), or to the end of text.
inline char16_t* SkipSection(char16_t* p, char16_t closing)
{
    char16_t* q = p + 1;
    for (;;) {
        q = FindAngleOrEnd(q);
        if (*q == 0) {
            return q;
        }
        if (q[-1] == closing) {
            return q + 1;
        }
        ++q;
    }
}

// Whether the length units at a equal those at b. a lies at or before the text's terminator and b
// before a, so with the padding sixteen units may be read from both. The loop over an end tag's
// name mispredicted its exit on nearly every end tag; names up to sixteen units are compared in
// one step.
inline bool SameUnits(const char16_t* a, const char16_t* b, std::size_t length)
{
#if defined(__SSE2__)
    if (length <= 16) {
        const __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
        const __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 8));
        const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
        const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 8));
        const auto equal = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi16(a0, b0))) |
                           static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi16(a1, b1))) << 16;
        // Two mask bits per unit; the shift by 32 for sixteen units is avoided.
        const std::uint32_t wanted = length == 16 ? 0xFFFFFFFFu : (1u << (2 * length)) - 1;
        return (equal & wanted) == wanted;
    }
#endif
    for (std::size_t i = 0; i < length; ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

// Decodes the entity after '&' (p points just after it) into *out; false for anything that is not
// one of the five named entities, which then stays literal.
inline bool DecodeEntity(char16_t*& p, char16_t* out)
{
    struct TEntity
    {
        const char16_t* name;
        int length;
        char16_t ch;
    };
    static constexpr TEntity kEntities[] = {
        {u"amp;", 4, u'&'}, {u"lt;", 3, u'<'}, {u"gt;", 3, u'>'}, {u"quot;", 5, u'"'}, {u"apos;", 5, u'\''},
    };
    for (const TEntity& e : kEntities) {
        if (p[0] == e.name[0] && std::memcmp(p, e.name, static_cast<std::size_t>(e.length) * sizeof(char16_t)) == 0) {
            *out = e.ch;
            p += e.length;
            return true;
        }
    }
    return false;
}

// Scans text up to the terminator T (or the end of text), decoding entities and, unless Preserve,
// collapsing whitespace runs that begin with a space. The decoded text is written over the source
// from where the scan starts; on return p is at T or at the end, the gap between the decoded text
// and p is filled with spaces, and the write position (where the caller puts the NUL) is returned.
template <char16_t T, bool Preserve> char16_t* ScanText(char16_t*& p)
{
    char16_t* r = p;
    // As long as nothing has been decoded, reading and writing positions coincide: just advance.
    for (;;) {
        r = SkipPlain<T, Preserve>(r);
        if (!Preserve && *r == u' ') {
            ++r;
            if (IsWhitespace(*r)) {
                break;
            }
            continue;
        }
        if (*r != u'&') {
            p = r;
            return r;
        }
        break;
    }
    char16_t* w = r;
    if (*r != u'&') {
        // Stopped inside a whitespace run that follows a space: the space stays, the run goes.
        while (IsWhitespace(*r)) {
            ++r;
        }
    }
    for (;;) {
        while (IsPlain<T, Preserve>(*r)) {
            *w++ = *r++;
        }
        const char16_t ch = *r;
        if (ch == 0 || ch == T) {
            break;
        }
        if (ch == u'&') {
            ++r;
            if (!DecodeEntity(r, w)) {
                *w = u'&';
            }
            ++w;
        } else {
            // A space while collapsing.
            *w++ = *r++;
            while (IsWhitespace(*r)) {
                ++r;
            }
        }
    }
    for (char16_t* q = w + 1; q < r; ++q) {
        *q = u' ';
    }
    p = r;
    return w;
}

} // namespace

// The parser proper. Nesting is handled with an explicit stack rather than recursion, so deeply
// nested input cannot exhaust the call stack; the order of every write and check is that of the
// recursive description (content of a parent, its elements, their end tags).
class CMarkupParser
{
public:
    explicit CMarkupParser(CXmlDocument& doc) : m_doc(doc), m_text(doc.m_text.get()) {}

    bool Run()
    {
        if (AppendElement(0, 0) == kNoElement) {
            return false;
        }
        return m_doc.m_preserveWhitespace ? ParseDocument<true>() : ParseDocument<false>();
    }

private:
    static constexpr std::uint32_t kNoElement = 0xFFFFFFFF;

    // An element whose content is being parsed, with what its end tag needs.
    struct TOpenElement
    {
        std::uint32_t index;     // 0 for the document level
        std::uint32_t lastChild; // element created last in this content, 0 = none yet
        char16_t* name;
        char16_t* nameEnd;
        char16_t* textEnd; // where the element text's terminator goes
    };

    std::uint32_t Offset(const char16_t* p) const { return static_cast<std::uint32_t>(p - m_text); }

    // element: the start of the name of the element the failure concerns, when it is not the
    // element at where (an end tag that does not match names the element it should close).
    bool Fail(const char16_t* message, const char16_t* where, const char16_t* element = nullptr)
    {
        m_doc.SetError(message, where);
        m_doc.m_errorOffset = Offset(where);
        m_doc.m_errorElementOffset = element != nullptr ? static_cast<std::int64_t>(Offset(element)) : -1;
        return false;
    }

    std::uint32_t AppendElement(std::uint32_t nameOffset, std::uint32_t parent)
    {
        CXmlDocument& d = m_doc;
        if (d.m_elementCount == d.m_elementCapacity) {
            const long long capacity = d.m_elementCapacity + d.m_elementCapacity / 2 + 500LL;
            void* block = capacity > 0x7FFFFFFF
                              ? nullptr
                              : std::realloc(d.m_elements, static_cast<std::size_t>(capacity) * sizeof(TXmlElement));
            if (block == nullptr) {
                m_doc.SetError(u"Out of memory", nullptr);
                return kNoElement;
            }
            d.m_elements = static_cast<TXmlElement*>(block);
            d.m_elementCapacity = static_cast<int>(capacity);
        }
        const auto index = static_cast<std::uint32_t>(d.m_elementCount++);
        d.m_elements[index] = TXmlElement{nameOffset, 0, 0, parent, 0};
        return index;
    }

    template <bool Preserve> bool ParseAttributes(char16_t*& position)
    {
        // The scan runs on a local pointer: written through the reference on every character, the
        // position would go to memory each time round the name loop.
        char16_t* p = position;
        const bool ok = ParseAttributesFrom<Preserve>(p);
        position = p;
        return ok;
    }

    template <bool Preserve> bool ParseAttributesFrom(char16_t*& p)
    {
        // A '/' right after the name is left for the "/>" test of the caller.
        if (*p == u'>' || *p == u'/') {
            return true;
        }
        *p = 0; // ends the element name
        char16_t* q = p;
        for (;;) {
            q = SkipWhitespace(q + 1);
            if (*q == 0 || *q == u'>' || *q == u'/') {
                p = q;
                return true;
            }
            q = SkipName(q);
            char16_t* nameEnd = q;
            q = SkipWhitespace(q);
            if (*q != u'=') {
                p = q;
                return Fail(u"Error while parsing attributes", q);
            }
            *q++ = u' ';
            *nameEnd = 0;
            q = SkipWhitespace(q);
            if (*q != u'"') {
                p = q;
                return Fail(u"Expected attribute value", q);
            }
            ++q;
            char16_t* valueEnd = ScanText<u'"', Preserve>(q);
            if (*q == 0) {
                p = q;
                return Fail(u"Error while parsing attribute string", q);
            }
            *valueEnd = 0;
            if (q > valueEnd) {
                *q = u' ';
            }
        }
    }

    // Reads the end tag of an element whose content is complete, if there is one (the root may end
    // with the text instead), and terminates the element's text and name.
    bool CloseElement(char16_t*& p, const TOpenElement& e)
    {
        const bool endTag = p[0] == u'<' && p[1] == u'/';
        *e.textEnd = 0;
        if (endTag) {
            *p = 0;
            p = SkipWhitespace(p + 2);
            const auto length = static_cast<std::size_t>(e.nameEnd - e.name);
            if (!SameUnits(p, e.name, length)) {
                return Fail(u"Unmatched closing tag", p, e.name);
            }
            p = SkipWhitespace(p + length);
            if (*p != u'>') {
                return Fail(u"Unmatched closing tag", p, e.name);
            }
            ++p;
        }
        *e.nameEnd = 0;
        return true;
    }

    template <bool Preserve> bool ParseDocument()
    {
        std::vector<TOpenElement> open;
        open.push_back(TOpenElement{0, 0, nullptr, nullptr, nullptr});
        char16_t* p = SkipWhitespace(m_text);
        for (;;) {
            TOpenElement& current = open.back();
            const std::uint32_t parent = current.index;
            bool contentEnds = false;
            if (*p == 0 && parent <= 1) {
                // At the top level and directly inside the root, the end of text ends the document.
                contentEnds = true;
            } else {
                p = SkipWhitespace(p);
                if (*p != u'<') {
                    return Fail(u"Expected start tag", p);
                }
                contentEnds = p[1] == u'/';
            }
            if (contentEnds) {
                const TOpenElement finished = current;
                open.pop_back();
                if (open.empty()) {
                    return true;
                }
                if (!CloseElement(p, finished)) {
                    return false;
                }
                p = SkipWhitespace(p);
                continue;
            }
            *p = 0;
            p = SkipWhitespace(p + 1);
            if (*p == u'!' || *p == u'?') {
                // Comments and declarations are skipped up to "->" or "?>".
                p = SkipSection(p, *p == u'!' ? u'-' : u'?');
                p = SkipWhitespace(p);
                continue;
            }
            const std::uint32_t index = AppendElement(Offset(p), parent);
            if (index == kNoElement) {
                return false;
            }
            if (current.lastChild != 0) {
                m_doc.m_elements[current.lastChild].nextSibling = index;
            } else if (parent != 0) {
                m_doc.m_elements[parent].firstChild = index;
            }
            current.lastChild = index;

            char16_t* name = p;
            p = SkipName(p);
            if (*p == 0) {
                return Fail(u"Error parsing element name", p);
            }
            char16_t* nameEnd = p;
            if (!ParseAttributes<Preserve>(p)) {
                return false;
            }
            p = SkipWhitespace(p);
            if (p[0] == u'/' && p[1] == u'>') {
                m_doc.m_elements[index].dataOffset = Offset(p);
                *p = 0;
                p += 2;
                *nameEnd = 0;
                p = SkipWhitespace(p);
                continue;
            }
            if (*p != u'>') {
                return Fail(u"Expected start-tag closing", p);
            }
            ++p;
            m_doc.m_elements[index].dataOffset = Offset(p);
            char16_t* textEnd = ScanText<u'<', Preserve>(p);
            if (*p == 0 && parent <= 1) {
                // The document ends inside this element, which is accepted at this depth; the
                // element's text and name still get their terminators.
                *textEnd = 0;
                *nameEnd = 0;
                const TOpenElement finished = open.back();
                open.pop_back();
                if (open.empty()) {
                    return true;
                }
                if (!CloseElement(p, finished)) {
                    return false;
                }
                p = SkipWhitespace(p);
                continue;
            }
            if (*p != u'<') {
                return Fail(u"Expected end-tag start", p);
            }
            const TOpenElement element{index, 0, name, nameEnd, textEnd};
            if (p[1] != u'/') {
                open.push_back(element);
                continue;
            }
            if (!CloseElement(p, element)) {
                return false;
            }
            p = SkipWhitespace(p);
        }
    }

    CXmlDocument& m_doc;
    char16_t* m_text;
};

// ---------------------------------------------------------------------------------------------
// CXmlDocument
// ---------------------------------------------------------------------------------------------

CXmlDocument::CXmlDocument(const char16_t* text)
{
    if (text != nullptr) {
        LoadText(text);
    }
}

CXmlDocument::~CXmlDocument()
{
    Clear();
}

void CXmlDocument::Clear()
{
    m_text.reset();
    std::free(m_elements);
    m_elements = nullptr;
    m_elementCount = 0;
    m_elementCapacity = 0;
}

CXmlNode CXmlDocument::Root() const
{
    // Index 0 is the placeholder: a document without elements has no root.
    if (m_elementCount > 1) {
        return CXmlNode(this, 1);
    }
    return CXmlNode();
}

bool CXmlDocument::LoadText(const char16_t* text)
{
    Clear();
    if (text == nullptr) {
        text = u"";
    }
    std::size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    m_text = AllocateMarkupText(length);
    std::memcpy(m_text.get(), text, length * sizeof(char16_t));
    std::fill_n(m_text.get() + length, 1 + kMarkupTextPadding, char16_t(0));
    return Parse();
}

bool CXmlDocument::LoadBytes(const void* bytes, std::size_t size, MarkupEncoding encoding)
{
    // Offsets into the text are 32-bit.
    if (size >= 0x7FFFFFFF) {
        SetError(u"File too large", nullptr);
        Clear();
        return false;
    }
    TDecodedText decoded = DecodeMarkup(bytes, size, encoding);
    if (!decoded.text) {
        SetError(u"Missing byte-order mark", nullptr);
        Clear();
        return false;
    }
    m_text = std::move(decoded.text);
    std::free(m_elements);
    m_elements = nullptr;
    m_elementCount = 0;
    m_elementCapacity = 0;
    return Parse();
}

// ---------------------------------------------------------------------------------------------
// Loading skin files
// ---------------------------------------------------------------------------------------------

bool CXmlDocument::FailLoad(const char16_t* message)
{
    SetError(message, nullptr);
    Clear();
    return false;
}

bool CXmlDocument::LoadFile(const char16_t* fileName, MarkupEncoding encoding)
{
    return LoadFile(CSkinSource::Process(), fileName, encoding);
}

bool CXmlDocument::LoadFile(const CSkinSource& source, const char16_t* fileName, MarkupEncoding encoding)
{
    Clear();
    if (fileName == nullptr) {
        fileName = u"";
    }
    std::vector<std::uint8_t> bytes;
    switch (source.ReadFile(fileName, kMaxFileSize, bytes)) {
    case SkinReadResult::Ok:
        return LoadBytes(bytes.data(), bytes.size(), encoding);
    case SkinReadResult::OpenFailed:
        return FailLoad(u"Error opening file");
    case SkinReadResult::ArchiveFailed:
        return FailLoad(u"Error opening zip file");
    case SkinReadResult::MemberNotFound:
        return FailLoad(u"Could not find ziped file");
    case SkinReadResult::Empty:
        return FailLoad(u"File is empty");
    case SkinReadResult::TooLarge:
        return FailLoad(u"File too large");
    case SkinReadResult::ReadFailed:
        break;
    }
    // Short reads of a folder file and members that do not extract.
    return FailLoad(source.ArchiveName()[0] == 0 ? u"Could not read file" : u"Could not unzip file");
}

bool CXmlDocument::Parse()
{
    m_elementCount = 0;
    m_errorMessage[0] = 0;
    m_errorLocation[0] = 0;
    CMarkupParser parser(*this);
    if (!parser.Run()) {
        Clear();
        return false;
    }
    return true;
}

void CXmlDocument::SetError(const char16_t* message, const char16_t* location)
{
    m_errorOffset = -1;
    m_errorElementOffset = -1;
    CopyTruncated(m_errorMessage, 100, message);
    CopyTruncated(m_errorLocation, 50, location != nullptr ? location : u"");
}

void CXmlDocument::ErrorMessage(char16_t* buffer, int max) const
{
    CopyTruncated(buffer, max, m_errorMessage);
}

void CXmlDocument::ErrorLocation(char16_t* buffer, int max) const
{
    CopyTruncated(buffer, max, m_errorLocation);
}

} // namespace ui

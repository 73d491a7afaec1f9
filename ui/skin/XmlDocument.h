// CXmlDocument: the skin markup parser. It converts the markup once into an owned UTF-16 buffer and
// parses it in place into a flat, index-linked element table that CXmlNode handles walk.
#pragma once

#include "ui/skin/MarkupDecoder.h"
#include "ui/skin/XmlNode.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace ui {

class CSkinSource;

// One element of the table; index 0 is a placeholder so that 0 means "none" in the link fields.
struct TXmlElement
{
    std::uint32_t nameOffset;  // characters from the start of the text to the element name
    std::uint32_t firstChild;  // 0 = none
    std::uint32_t nextSibling; // 0 = none
    std::uint32_t parent;      // 0 = top level
    std::uint32_t dataOffset;  // the element text (after '>'), or the '/' of "/>" overwritten by NUL
};

class CXmlDocument
{
public:
    // Largest markup file or archive member that is loaded.
    static constexpr std::size_t kMaxFileSize = 0x400000;

    explicit CXmlDocument(const char16_t* text = nullptr);
    ~CXmlDocument();
    CXmlDocument(const CXmlDocument&) = delete;
    CXmlDocument& operator=(const CXmlDocument&) = delete;

    // Each load replaces the document; a failed load leaves it empty with the error texts set.
    bool LoadText(const char16_t* text);
    // Converts bytes in the given encoding to UTF-16 and parses them. Does not clear first.
    bool LoadBytes(const void* bytes, std::size_t size, MarkupEncoding encoding);
    // Loads a file of the skin through the source: from its folder, or, when it names an archive,
    // the member of that name (case ignored) from the archive. Without a source, through the
    // process's skin source (the window managers' skin settings).
    bool LoadFile(const CSkinSource& source, const char16_t* fileName, MarkupEncoding encoding = MarkupEncoding::Utf8);
    bool LoadFile(const char16_t* fileName, MarkupEncoding encoding = MarkupEncoding::Utf8);

    void Clear();
    bool IsLoaded() const { return m_text != nullptr; }
    // Element 1, or an invalid node when the document holds no element.
    CXmlNode Root() const;
    // When false, element and attribute texts collapse each run of whitespace that starts with a
    // space character into one space.
    void SetPreserveWhitespace(bool preserve) { m_preserveWhitespace = preserve; }

    // Copy the last error's message / the text where it happened into buffer (always terminated,
    // at most max characters including the terminator).
    void ErrorMessage(char16_t* buffer, int max) const;
    void ErrorLocation(char16_t* buffer, int max) const;
    const char16_t* GetErrorMessage() const { return m_errorMessage; }
    const char16_t* GetErrorLocation() const { return m_errorLocation; }

    // Where the last parse error was found, in characters from the start of the decoded text, and
    // the start of the name of the element it concerns when that element began elsewhere (the
    // element an unmatched end tag should have closed); -1 when there is no such place.
    std::int64_t GetErrorOffset() const { return m_errorOffset; }
    std::int64_t GetErrorElementOffset() const { return m_errorElementOffset; }

    // Number of elements parsed (the placeholder at index 0 not counted).
    int GetElementCount() const { return m_elementCount > 1 ? m_elementCount - 1 : 0; }

    // Read access for CXmlNode.
    const char16_t* Text() const { return m_text.get(); }
    const TXmlElement& Element(std::uint32_t index) const { return m_elements[index]; }

private:
    friend class CMarkupParser;

    bool Parse();
    bool FailLoad(const char16_t* message);
    void SetError(const char16_t* message, const char16_t* location);

    std::unique_ptr<char16_t[]> m_text;
    TXmlElement* m_elements = nullptr;
    int m_elementCount = 0;
    int m_elementCapacity = 0;
    char16_t m_errorMessage[100] = {};
    char16_t m_errorLocation[50] = {};
    std::int64_t m_errorOffset = -1;
    std::int64_t m_errorElementOffset = -1;
    bool m_preserveWhitespace = true;
};

} // namespace ui

// CXmlNode: a copyable handle to one element of a CXmlDocument, with the element's attributes
// gathered lazily into the handle itself. Its strings point into the document's text.
#pragma once

#include <cstdint>

namespace ui {

class CXmlDocument;

class CXmlNode
{
public:
    // At most this many attributes of an element are visible.
    static constexpr int kMaxAttributes = 64;

    CXmlNode() {}
    CXmlNode(const CXmlDocument* document, std::uint32_t index) : m_document(document), m_index(index) {}
    CXmlNode(const CXmlNode& other);
    CXmlNode& operator=(const CXmlNode& other);

    bool IsValid() const { return m_document != nullptr; }
    std::uint32_t Index() const { return m_index; }

    CXmlNode Parent() const;
    CXmlNode NextSibling() const;
    CXmlNode FirstChild() const;
    // First child whose name equals name exactly (case-sensitive).
    CXmlNode FindChild(const char16_t* name) const;
    bool HasSiblings() const;
    bool HasChildren() const;

    const char16_t* Name() const;
    // Where the element's name / an attribute's name and value begin, in characters from the start
    // of the document's text (which the parser never moves); 0 for an invalid node or index.
    std::uint32_t NameOffset() const;
    std::uint32_t AttributeNameOffset(int index) const;
    std::uint32_t AttributeValueOffset(int index) const;
    // The element's text before its first child.
    const char16_t* Value() const;

    bool HasAttributes() const;
    bool HasAttribute(const char16_t* name) const;
    int AttributeCount() const;
    // Empty for an index outside 0..count-1.
    const char16_t* AttributeName(int index) const;
    const char16_t* AttributeValue(int index) const;
    // Value of the first attribute with that name (case-sensitive); empty when absent.
    const char16_t* AttributeValue(const char16_t* name) const;
    // Copy a value into buffer (always terminated, at most max characters with the terminator).
    bool CopyAttributeValue(int index, char16_t* buffer, int max) const;
    bool CopyAttributeValue(const char16_t* name, char16_t* buffer, int max) const;

private:
    struct TAttribute
    {
        std::uint32_t nameOffset;
        std::uint32_t valueOffset;
    };

    void BuildAttributes() const;
    int FindAttribute(const char16_t* name) const;
    CXmlNode At(std::uint32_t index) const;

    const CXmlDocument* m_document = nullptr;
    std::uint32_t m_index = 0;
    mutable std::uint32_t m_attributeCount = 0;
    mutable TAttribute m_attributes[kMaxAttributes];
};

// Copies at most max - 1 characters of text and a terminator into buffer; does nothing when max < 1.
void CopyTruncated(char16_t* buffer, int max, const char16_t* text);

} // namespace ui

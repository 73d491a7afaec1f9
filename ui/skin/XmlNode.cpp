// CXmlNode: navigation over the element table and the lazily gathered attribute table.
#include "ui/skin/XmlNode.h"

#include "ui/skin/MarkupChars.h"
#include "ui/skin/XmlDocument.h"

#include <cstring>

namespace ui {

namespace {

bool SameText(const char16_t* a, const char16_t* b)
{
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

std::uint32_t StringEnd(const char16_t* text, std::uint32_t pos)
{
    while (text[pos] != 0) {
        ++pos;
    }
    return pos;
}

} // namespace

void CopyTruncated(char16_t* buffer, int max, const char16_t* text)
{
    if (buffer == nullptr || max < 1) {
        return;
    }
    int i = 0;
    if (text != nullptr) {
        for (; i < max - 1 && text[i] != 0; ++i) {
            buffer[i] = text[i];
        }
    }
    buffer[i] = 0;
}

CXmlNode::CXmlNode(const CXmlNode& other)
    : m_document(other.m_document), m_index(other.m_index), m_attributeCount(other.m_attributeCount)
{
    // Only the gathered part of the table is copied: handles are copied freely.
    std::memcpy(m_attributes, other.m_attributes, m_attributeCount * sizeof(TAttribute));
}

CXmlNode& CXmlNode::operator=(const CXmlNode& other)
{
    if (this != &other) {
        m_document = other.m_document;
        m_index = other.m_index;
        m_attributeCount = other.m_attributeCount;
        std::memcpy(m_attributes, other.m_attributes, m_attributeCount * sizeof(TAttribute));
    }
    return *this;
}

CXmlNode CXmlNode::At(std::uint32_t index) const
{
    if (m_document == nullptr || index == 0) {
        return CXmlNode();
    }
    return CXmlNode(m_document, index);
}

CXmlNode CXmlNode::Parent() const
{
    return m_document == nullptr ? CXmlNode() : At(m_document->Element(m_index).parent);
}

CXmlNode CXmlNode::NextSibling() const
{
    return m_document == nullptr ? CXmlNode() : At(m_document->Element(m_index).nextSibling);
}

CXmlNode CXmlNode::FirstChild() const
{
    return m_document == nullptr ? CXmlNode() : At(m_document->Element(m_index).firstChild);
}

CXmlNode CXmlNode::FindChild(const char16_t* name) const
{
    if (m_document == nullptr || name == nullptr) {
        return CXmlNode();
    }
    for (std::uint32_t i = m_document->Element(m_index).firstChild; i != 0; i = m_document->Element(i).nextSibling) {
        if (SameText(m_document->Text() + m_document->Element(i).nameOffset, name)) {
            return CXmlNode(m_document, i);
        }
    }
    return CXmlNode();
}

bool CXmlNode::HasSiblings() const
{
    return m_document != nullptr && m_document->Element(m_index).nextSibling != 0;
}

bool CXmlNode::HasChildren() const
{
    return m_document != nullptr && m_document->Element(m_index).firstChild != 0;
}

const char16_t* CXmlNode::Name() const
{
    return m_document == nullptr ? nullptr : m_document->Text() + m_document->Element(m_index).nameOffset;
}

std::uint32_t CXmlNode::NameOffset() const
{
    return m_document == nullptr ? 0 : m_document->Element(m_index).nameOffset;
}

std::uint32_t CXmlNode::AttributeNameOffset(int index) const
{
    if (m_document == nullptr) {
        return 0;
    }
    BuildAttributes();
    return index < 0 || static_cast<std::uint32_t>(index) >= m_attributeCount ? 0 : m_attributes[index].nameOffset;
}

std::uint32_t CXmlNode::AttributeValueOffset(int index) const
{
    if (m_document == nullptr) {
        return 0;
    }
    BuildAttributes();
    return index < 0 || static_cast<std::uint32_t>(index) >= m_attributeCount ? 0 : m_attributes[index].valueOffset;
}

const char16_t* CXmlNode::Value() const
{
    return m_document == nullptr ? nullptr : m_document->Text() + m_document->Element(m_index).dataOffset;
}

// The parser left every attribute of the start tag as "name NUL ... \"value NUL" between the element
// name and the element text; walk those strings up to the text. Every step stays below the text's
// offset, which lies inside the buffer.
void CXmlNode::BuildAttributes() const
{
    if (m_attributeCount != 0 || m_document == nullptr) {
        return;
    }
    const char16_t* text = m_document->Text();
    const TXmlElement& element = m_document->Element(m_index);
    const std::uint32_t limit = element.dataOffset;
    std::uint32_t pos = element.nameOffset;
    while (m_attributeCount < kMaxAttributes) {
        pos = StringEnd(text, pos) + 1;
        if (pos >= limit) {
            break;
        }
        while (pos < limit && markup::IsWhitespace(text[pos])) {
            ++pos;
        }
        const std::uint32_t nameOffset = pos;
        pos = StringEnd(text, pos) + 1;
        if (pos >= limit) {
            break;
        }
        while (pos < limit && markup::IsWhitespace(text[pos])) {
            ++pos;
        }
        if (pos >= limit || text[pos] != u'"') {
            break;
        }
        ++pos;
        m_attributes[m_attributeCount++] = TAttribute{nameOffset, pos};
    }
}

bool CXmlNode::HasAttributes() const
{
    BuildAttributes();
    return m_attributeCount > 0;
}

int CXmlNode::AttributeCount() const
{
    BuildAttributes();
    return static_cast<int>(m_attributeCount);
}

int CXmlNode::FindAttribute(const char16_t* name) const
{
    if (m_document == nullptr || name == nullptr) {
        return -1;
    }
    BuildAttributes();
    for (std::uint32_t i = 0; i < m_attributeCount; ++i) {
        if (SameText(m_document->Text() + m_attributes[i].nameOffset, name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool CXmlNode::HasAttribute(const char16_t* name) const
{
    return FindAttribute(name) >= 0;
}

const char16_t* CXmlNode::AttributeName(int index) const
{
    if (m_document == nullptr) {
        return nullptr;
    }
    BuildAttributes();
    if (index < 0 || static_cast<std::uint32_t>(index) >= m_attributeCount) {
        return u"";
    }
    return m_document->Text() + m_attributes[index].nameOffset;
}

const char16_t* CXmlNode::AttributeValue(int index) const
{
    if (m_document == nullptr) {
        return nullptr;
    }
    BuildAttributes();
    if (index < 0 || static_cast<std::uint32_t>(index) >= m_attributeCount) {
        return u"";
    }
    return m_document->Text() + m_attributes[index].valueOffset;
}

const char16_t* CXmlNode::AttributeValue(const char16_t* name) const
{
    if (m_document == nullptr) {
        return nullptr;
    }
    const int index = FindAttribute(name);
    return index < 0 ? u"" : m_document->Text() + m_attributes[index].valueOffset;
}

bool CXmlNode::CopyAttributeValue(int index, char16_t* buffer, int max) const
{
    if (m_document == nullptr) {
        return false;
    }
    BuildAttributes();
    if (index < 0 || static_cast<std::uint32_t>(index) >= m_attributeCount) {
        return false;
    }
    CopyTruncated(buffer, max, m_document->Text() + m_attributes[index].valueOffset);
    return true;
}

bool CXmlNode::CopyAttributeValue(const char16_t* name, char16_t* buffer, int max) const
{
    const int index = FindAttribute(name);
    if (index < 0) {
        return false;
    }
    CopyTruncated(buffer, max, m_document->Text() + m_attributes[index].valueOffset);
    return true;
}

} // namespace ui

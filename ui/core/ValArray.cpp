// CValArray: growth (0 -> 11 -> doubling) and byte-wise element copies.
#include "ui/core/ValArray.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace ui {

CValArray::CValArray(int elementSize, int capacity) : m_elementSize(elementSize > 0 ? elementSize : 1)
{
    if (capacity > 0) {
        m_data = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(capacity) * m_elementSize));
        if (m_data != nullptr) {
            m_capacity = capacity;
        }
    }
}

CValArray::CValArray(const CValArray& other) : m_elementSize(other.m_elementSize)
{
    for (int i = 0; i < other.m_count; ++i) {
        Add(other[i]);
    }
}

CValArray& CValArray::operator=(const CValArray& other)
{
    if (this != &other) {
        std::free(m_data);
        m_data = nullptr;
        m_count = 0;
        m_capacity = 0;
        m_elementSize = other.m_elementSize;
        for (int i = 0; i < other.m_count; ++i) {
            Add(other[i]);
        }
    }
    return *this;
}

CValArray::~CValArray()
{
    std::free(m_data);
}

bool CValArray::Add(const void* element)
{
    ++m_count;
    if (m_count >= m_capacity) {
        const long long capacity = m_capacity == 0 ? 11 : 2LL * m_capacity;
        void* block =
            capacity > INT_MAX ? nullptr : std::realloc(m_data, static_cast<std::size_t>(capacity) * m_elementSize);
        if (block == nullptr) {
            --m_count;
            return false;
        }
        m_data = static_cast<unsigned char*>(block);
        m_capacity = static_cast<int>(capacity);
    }
    std::memcpy(m_data + static_cast<std::size_t>(m_count - 1) * m_elementSize, element, m_elementSize);
    return true;
}

bool CValArray::RemoveAt(int i, int n)
{
    if (i < 0 || n < 1 || i > m_count - n) {
        return false;
    }
    std::memmove(m_data + static_cast<std::size_t>(i) * m_elementSize,
                 m_data + static_cast<std::size_t>(i + n) * m_elementSize,
                 static_cast<std::size_t>(m_count - i - n) * m_elementSize);
    m_count -= n;
    return true;
}

void* CValArray::GetAt(int i) const
{
    if (i < 0 || i >= m_count) {
        return nullptr;
    }
    return m_data + static_cast<std::size_t>(i) * m_elementSize;
}

} // namespace ui

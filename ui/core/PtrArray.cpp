// CPtrArray: growth (0 -> 11 -> doubling) and element moves.
#include "ui/core/PtrArray.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace ui {

CPtrArray::CPtrArray(int capacity)
{
    if (capacity > 0) {
        m_items = static_cast<void**>(std::malloc(static_cast<std::size_t>(capacity) * sizeof(void*)));
        if (m_items != nullptr) {
            m_capacity = capacity;
        }
    }
}

CPtrArray::CPtrArray(const CPtrArray& other)
{
    for (int i = 0; i < other.m_count; ++i) {
        Add(other.m_items[i]);
    }
}

CPtrArray& CPtrArray::operator=(const CPtrArray& other)
{
    if (this != &other) {
        m_count = 0;
        for (int i = 0; i < other.m_count; ++i) {
            Add(other.m_items[i]);
        }
    }
    return *this;
}

CPtrArray::~CPtrArray()
{
    std::free(m_items);
}

void CPtrArray::Clear()
{
    std::free(m_items);
    m_items = nullptr;
    m_count = 0;
    m_capacity = 0;
}

void CPtrArray::Resize(int n)
{
    Clear();
    if (n <= 0) {
        return;
    }
    m_items = static_cast<void**>(std::calloc(static_cast<std::size_t>(n), sizeof(void*)));
    if (m_items != nullptr) {
        m_count = n;
        m_capacity = n;
    }
}

// Called after count has been increased: the storage must keep a free slot behind the last element.
bool CPtrArray::Grow()
{
    if (m_count < m_capacity) {
        return true;
    }
    if (m_capacity > INT_MAX / 2) {
        return false;
    }
    const int capacity = m_capacity == 0 ? 11 : m_capacity * 2;
    void* block = std::realloc(m_items, static_cast<std::size_t>(capacity) * sizeof(void*));
    if (block == nullptr) {
        return false;
    }
    m_items = static_cast<void**>(block);
    m_capacity = capacity;
    return true;
}

bool CPtrArray::Add(void* p)
{
    ++m_count;
    if (!Grow()) {
        --m_count;
        return false;
    }
    m_items[m_count - 1] = p;
    return true;
}

bool CPtrArray::InsertAt(int i, void* p)
{
    if (i == m_count) {
        return Add(p);
    }
    if (i < 0 || i > m_count) {
        return false;
    }
    ++m_count;
    if (!Grow()) {
        --m_count;
        return false;
    }
    std::memmove(m_items + i + 1, m_items + i, static_cast<std::size_t>(m_count - i - 1) * sizeof(void*));
    m_items[i] = p;
    return true;
}

bool CPtrArray::SetAt(int i, void* p)
{
    if (i < 0 || i >= m_count) {
        return false;
    }
    m_items[i] = p;
    return true;
}

bool CPtrArray::RemoveAt(int i, int n)
{
    if (i < 0 || n <= 0 || i > m_count - n) {
        return false;
    }
    std::memmove(m_items + i, m_items + i + n, static_cast<std::size_t>(m_count - i - n) * sizeof(void*));
    m_count -= n;
    return true;
}

int CPtrArray::IndexOf(const void* p) const
{
    for (int i = 0; i < m_count; ++i) {
        if (m_items[i] == p) {
            return i;
        }
    }
    return -1;
}

void* CPtrArray::GetAt(int i) const
{
    if (i < 0 || i >= m_count) {
        return nullptr;
    }
    return m_items[i];
}

} // namespace ui

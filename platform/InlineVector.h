// A vector of trivially copyable values that keeps its first N values inside itself. Regions are
// made and dropped many times a frame, and nearly all of them are one rectangle: held inline they
// cost no allocation, and a frame that starts on cold caches touches no heap blocks for them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <type_traits>

namespace platform {

template <typename T, std::size_t N> class InlineVector
{
    static_assert(std::is_trivially_copyable_v<T>, "values are moved as bytes");
    static_assert(N > 0);

public:
    InlineVector() = default;
    InlineVector(const InlineVector& other) { Assign(other.data(), other.size()); }
    InlineVector(InlineVector&& other) noexcept { Take(other); }
    InlineVector& operator=(const InlineVector& other)
    {
        if (this != &other) {
            m_size = 0;
            Assign(other.data(), other.size());
        }
        return *this;
    }
    InlineVector& operator=(InlineVector&& other) noexcept
    {
        if (this != &other) {
            m_heap.reset();
            m_capacity = N;
            m_size = 0;
            Take(other);
        }
        return *this;
    }
    ~InlineVector() = default;

    T* data() { return m_heap ? m_heap.get() : m_inline; }
    const T* data() const { return m_heap ? m_heap.get() : m_inline; }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T* begin() { return data(); }
    T* end() { return data() + m_size; }
    const T* begin() const { return data(); }
    const T* end() const { return data() + m_size; }
    T& operator[](std::size_t i) { return data()[i]; }
    const T& operator[](std::size_t i) const { return data()[i]; }
    T& front() { return data()[0]; }
    const T& front() const { return data()[0]; }
    T& back() { return data()[m_size - 1]; }
    const T& back() const { return data()[m_size - 1]; }

    void clear() { m_size = 0; }
    // Drops every value from index `size` on.
    void truncate(std::size_t size) { m_size = std::min(m_size, size); }
    void reserve(std::size_t capacity)
    {
        if (capacity > m_capacity)
            Grow(capacity);
    }
    void push_back(const T& value)
    {
        if (m_size == m_capacity) {
            const T copy = value; // the value may live in this vector
            Grow(m_capacity * 2);
            data()[m_size++] = copy;
            return;
        }
        data()[m_size++] = value;
    }

    friend bool operator==(const InlineVector& a, const InlineVector& b)
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    void Grow(std::size_t capacity)
    {
        auto heap = std::make_unique<T[]>(capacity);
        if (m_size != 0)
            std::memcpy(heap.get(), data(), m_size * sizeof(T));
        m_heap = std::move(heap);
        m_capacity = capacity;
    }
    void Assign(const T* values, std::size_t count)
    {
        reserve(count);
        if (count != 0)
            std::memcpy(data(), values, count * sizeof(T));
        m_size = count;
    }
    void Take(InlineVector& other)
    {
        if (other.m_heap) {
            m_heap = std::move(other.m_heap);
            m_capacity = other.m_capacity;
            m_size = other.m_size;
        } else {
            Assign(other.m_inline, other.m_size);
        }
        other.m_capacity = N;
        other.m_size = 0;
    }

    std::unique_ptr<T[]> m_heap; // the values once there are more than N
    std::size_t m_size = 0;
    std::size_t m_capacity = N;
    T m_inline[N];
};

} // namespace platform

// A string-keyed table that owns its values: the window manager's fonts, images and texts. It keeps
// the hash table's lookup and enumeration order (callers find "the first" font in that order) and
// frees a value whenever the table lets go of it: replaced, erased, cleared or destroyed.
#pragma once

#include "ui/core/StringPtrMap.h"

#include <memory>

namespace ui {

template <typename T, typename Free = std::default_delete<T>> class COwningStringMap
{
public:
    using Owned = std::unique_ptr<T, Free>;

    COwningStringMap() = default;
    ~COwningStringMap() { Clear(); }
    COwningStringMap(const COwningStringMap&) = delete;
    COwningStringMap& operator=(const COwningStringMap&) = delete;

    // See CStringPtrMap::Lookup.
    T* Lookup(const char16_t* key, bool moveToFront = true) { return static_cast<T*>(m_map.Lookup(key, moveToFront)); }
    // Stores value under key, freeing an entry it replaces; the stored value, or null (value freed)
    // when it cannot be stored.
    T* Replace(const char16_t* key, Owned value)
    {
        if (Lookup(key) != nullptr)
            Erase(key);
        if (!m_map.Insert(key, value.get()))
            return nullptr;
        return value.release();
    }
    // Stores value under key unless a value is there already; false (value freed) when it is not stored.
    bool Insert(const char16_t* key, Owned value)
    {
        if (!m_map.Insert(key, value.get()))
            return false;
        value.release();
        return true;
    }
    // Replaces the value of an existing entry in its place, or adds one; the old value is freed.
    void Set(const char16_t* key, Owned value)
    {
        T* stored = value.release();
        // Frees the replaced value, or `stored` itself when the table has no buckets to hold it.
        Owned{static_cast<T*>(m_map.Set(key, stored))}.reset();
    }
    // Frees and removes the entry of key; false when there is none.
    bool Erase(const char16_t* key)
    {
        T* value = Lookup(key);
        if (value == nullptr)
            return false;
        Owned{value}.reset();
        return m_map.Erase(key);
    }
    void Clear()
    {
        for (int i = 0; T* value = ValueAt(i); ++i)
            Owned{value}.reset();
        m_map.RemoveAll();
    }

    int GetCount() const { return m_map.GetCount(); }
    // The i-th entry in the table's enumeration order; null when i is out of range.
    const char16_t* KeyAt(int i) const { return m_map.KeyAt(i); }
    T* ValueAt(int i)
    {
        const char16_t* key = m_map.KeyAt(i);
        return key != nullptr ? Lookup(key, false) : nullptr;
    }

private:
    CStringPtrMap m_map;
};

} // namespace ui

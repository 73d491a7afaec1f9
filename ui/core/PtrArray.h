// CPtrArray: a growable array of untyped pointers that does not own what they point to.
#pragma once

namespace ui {

class CPtrArray
{
public:
    // With capacity > 0, storage for that many pointers is allocated up front (not cleared).
    explicit CPtrArray(int capacity = 0);
    CPtrArray(const CPtrArray& other);
    CPtrArray& operator=(const CPtrArray& other);
    ~CPtrArray();

    void Clear();
    // Frees everything, then holds n null pointers.
    void Resize(int n);
    bool IsEmpty() const { return m_count == 0; }
    int GetSize() const { return m_count; }
    int GetCapacity() const { return m_capacity; }
    void** GetData() const { return m_items; }

    // Insertions report an allocation failure as false and leave the array unchanged.
    bool Add(void* p);
    bool InsertAt(int i, void* p);
    bool SetAt(int i, void* p);
    bool RemoveAt(int i, int n = 1);
    int IndexOf(const void* p) const;

    // Null when i is out of range.
    void* GetAt(int i) const;
    // Unchecked.
    void* operator[](int i) const { return m_items[i]; }

private:
    bool Grow();

    void** m_items = nullptr;
    int m_count = 0;
    int m_capacity = 0;
};

} // namespace ui

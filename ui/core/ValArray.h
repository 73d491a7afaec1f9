// CValArray: a growable array of fixed-size, trivially copyable records, copied in and out byte-wise.
#pragma once

namespace ui {

class CValArray
{
public:
    CValArray(int elementSize, int capacity = 0);
    CValArray(const CValArray& other);
    CValArray& operator=(const CValArray& other);
    ~CValArray();

    // Forgets the elements and keeps the storage.
    void Clear() { m_count = 0; }
    bool IsEmpty() const { return m_count == 0; }
    int GetSize() const { return m_count; }
    int GetCapacity() const { return m_capacity; }
    int GetElementSize() const { return m_elementSize; }
    void* GetData() const { return m_data; }

    // Copies element-size bytes from element; false (array unchanged) when storage cannot grow.
    bool Add(const void* element);
    bool RemoveAt(int i, int n = 1);

    // Pointer to the i-th element, null when i is out of range.
    void* GetAt(int i) const;
    // Unchecked.
    void* operator[](int i) const { return m_data + static_cast<long>(i) * m_elementSize; }

private:
    unsigned char* m_data = nullptr;
    int m_elementSize;
    int m_count = 0;
    int m_capacity = 0;
};

} // namespace ui

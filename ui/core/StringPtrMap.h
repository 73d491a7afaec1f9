// CStringPtrMap: a string-keyed hash map of untyped pointers (values not owned) with chained
// buckets and move-to-front lookup; the name tables of windows and controls are kept in it.
#pragma once

#include "ui/core/UIString.h"

#include <cstdint>

namespace ui {

class CStringPtrMap
{
public:
    static constexpr int kDefaultBuckets = 83;

    // A bucket count below 16 is raised to 16.
    explicit CStringPtrMap(int buckets = kDefaultBuckets);
    ~CStringPtrMap();
    CStringPtrMap(const CStringPtrMap&) = delete;
    CStringPtrMap& operator=(const CStringPtrMap&) = delete;

    // Exact (case-sensitive) lookup; a found entry becomes the head of its chain when moveToFront
    // is set. Null when absent.
    void* Lookup(const char16_t* key, bool moveToFront = true);
    // False when a non-null value is already stored under key; a key stored with a null value counts
    // as absent, and inserting it again adds a second entry in front of the first.
    bool Insert(const char16_t* key, void* value);
    // Replaces the value of an existing entry and returns the old one; otherwise inserts and
    // returns null. Without buckets, stores nothing and returns value.
    void* Set(const char16_t* key, void* value);
    // Removes the first entry with key (the value is not touched).
    bool Erase(const char16_t* key);
    // Frees every entry and the buckets; with n > 0 allocates n empty buckets.
    void Resize(int n);
    void RemoveAll() { Resize(m_bucketCount); }

    int GetCount() const { return m_count; }
    int GetBucketCount() const { return m_bucketCount; }
    // Key of the i-th entry in enumeration order (buckets from the last down to the first, each
    // chain from head to tail), null when i is out of range.
    const char16_t* KeyAt(int i) const;

    // Hash of a key: h = h * 33 + code unit, from the last code unit to the first.
    static std::uint32_t Hash(const char16_t* key);

private:
    struct TNode
    {
        CUIString key;
        void* value;
        TNode* prev;
        TNode* next;
    };

    int BucketOf(const char16_t* key) const;
    TNode* Find(const char16_t* key, int bucket) const;
    void Unlink(TNode* node, int bucket);
    void PushFront(TNode* node, int bucket);
    void FreeAll();

    TNode** m_buckets = nullptr; // null until the first insertion, or without buckets
    int m_bucketCount = 0;
    int m_count = 0;
};

} // namespace ui

// CStringPtrMap: hashing, chain maintenance and enumeration.
#include "ui/core/StringPtrMap.h"

namespace ui {

CStringPtrMap::CStringPtrMap(int buckets)
{
    Resize(buckets < 16 ? 16 : buckets);
}

CStringPtrMap::~CStringPtrMap()
{
    FreeAll();
}

std::uint32_t CStringPtrMap::Hash(const char16_t* key)
{
    std::uint32_t h = 0;
    for (int i = TextLength(key) - 1; i >= 0; --i) {
        h = h * 33 + key[i];
    }
    return h;
}

int CStringPtrMap::BucketOf(const char16_t* key) const
{
    return static_cast<int>(Hash(key) % static_cast<std::uint32_t>(m_bucketCount));
}

CStringPtrMap::TNode* CStringPtrMap::Find(const char16_t* key, int bucket) const
{
    for (TNode* node = m_buckets[bucket]; node != nullptr; node = node->next) {
        if (node->key == key) {
            return node;
        }
    }
    return nullptr;
}

void CStringPtrMap::Unlink(TNode* node, int bucket)
{
    if (node->prev != nullptr) {
        node->prev->next = node->next;
    } else {
        m_buckets[bucket] = node->next;
    }
    if (node->next != nullptr) {
        node->next->prev = node->prev;
    }
    node->prev = node->next = nullptr;
}

void CStringPtrMap::PushFront(TNode* node, int bucket)
{
    node->prev = nullptr;
    node->next = m_buckets[bucket];
    if (node->next != nullptr) {
        node->next->prev = node;
    }
    m_buckets[bucket] = node;
}

void* CStringPtrMap::Lookup(const char16_t* key, bool moveToFront)
{
    if (m_buckets == nullptr || m_count == 0 || key == nullptr) {
        return nullptr;
    }
    const int bucket = BucketOf(key);
    TNode* node = Find(key, bucket);
    if (node == nullptr) {
        return nullptr;
    }
    if (moveToFront && node->prev != nullptr) {
        Unlink(node, bucket);
        PushFront(node, bucket);
    }
    return node->value;
}

bool CStringPtrMap::Insert(const char16_t* key, void* value)
{
    if (m_bucketCount == 0 || key == nullptr) {
        return false;
    }
    if (m_buckets == nullptr) {
        // Most maps (one per control) never get an entry: their buckets come with the first.
        m_buckets = new TNode* [m_bucketCount] {};
    }
    if (Lookup(key, true) != nullptr) {
        return false;
    }
    // The nodes are this map's own: it creates them here and frees them in Erase and FreeAll.
    TNode* node = new TNode{CUIString(key), value, nullptr, nullptr};
    PushFront(node, BucketOf(key));
    ++m_count;
    return true;
}

void* CStringPtrMap::Set(const char16_t* key, void* value)
{
    if (m_bucketCount == 0 || key == nullptr) {
        return value;
    }
    if (m_count > 0) {
        if (TNode* node = Find(key, BucketOf(key))) {
            void* old = node->value;
            node->value = value;
            return old;
        }
    }
    Insert(key, value);
    return nullptr;
}

bool CStringPtrMap::Erase(const char16_t* key)
{
    if (m_buckets == nullptr || m_count == 0 || key == nullptr) {
        return false;
    }
    const int bucket = BucketOf(key);
    TNode* node = Find(key, bucket);
    if (node == nullptr) {
        return false;
    }
    Unlink(node, bucket);
    delete node;
    --m_count;
    return true;
}

void CStringPtrMap::FreeAll()
{
    if (m_buckets != nullptr) {
        for (int i = 0; i < m_bucketCount; ++i) {
            TNode* node = m_buckets[i];
            while (node != nullptr) {
                TNode* next = node->next;
                delete node;
                node = next;
            }
        }
        delete[] m_buckets;
    }
    m_buckets = nullptr;
    m_bucketCount = 0;
    m_count = 0;
}

void CStringPtrMap::Resize(int n)
{
    FreeAll();
    if (n > 0) {
        m_bucketCount = n; // the bucket array itself is made by the first insertion
    }
}

const char16_t* CStringPtrMap::KeyAt(int i) const
{
    if (m_buckets == nullptr || i < 0 || i >= m_count) {
        return nullptr;
    }
    int index = 0;
    for (int b = m_bucketCount - 1; b >= 0; --b) {
        for (TNode* node = m_buckets[b]; node != nullptr; node = node->next) {
            if (index++ == i) {
                return node->key.CStr();
            }
        }
    }
    return nullptr;
}

} // namespace ui

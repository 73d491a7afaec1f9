// What an empty string map costs: every control has one for its unknown attributes and almost
// none gets an entry, so an empty map must not hold a bucket array. Counted through the global
// allocation functions, which this test program replaces.
#include <gtest/gtest.h>

#include "ui/core/StringPtrMap.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long long> g_allocated{0};

void* Allocate(std::size_t size)
{
    g_allocated += static_cast<long long>(size);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void* P(int n)
{
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(n));
}

} // namespace

void* operator new(std::size_t size)
{
    return Allocate(size);
}
void* operator new[](std::size_t size)
{
    return Allocate(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

TEST(StringPtrMapMemory, AMapWithoutEntriesAllocatesNothingAndTheFirstEntryMakesItsBuckets)
{
    const long long before = g_allocated;
    ui::CStringPtrMap map;
    EXPECT_EQ(map.GetBucketCount(), 83);
    EXPECT_EQ(map.Lookup(u"x"), nullptr);
    EXPECT_FALSE(map.Erase(u"x"));
    EXPECT_EQ(map.KeyAt(0), nullptr);
    map.RemoveAll();
    EXPECT_EQ(g_allocated - before, 0) << "an unused map holds no bucket array";

    // The first entry, made by Set as by Insert, brings all 83 buckets: the order of
    // enumeration is that of a map that had them from the start.
    EXPECT_EQ(map.Set(u"A", P(1)), nullptr);
    EXPECT_GE(g_allocated - before, static_cast<long long>(83 * sizeof(void*)));
    EXPECT_EQ(map.Lookup(u"A"), P(1));
    map.Insert(u"B", P(2));
    map.Insert(u"T", P(3)); // bucket 84 % 83 == 1, after A (65) and B (66) from the last down
    EXPECT_EQ(std::u16string(map.KeyAt(0)) + map.KeyAt(1) + map.KeyAt(2), u"BAT");

    // Emptied and resized, it is lazy again; without buckets it still takes nothing.
    map.Resize(20);
    const long long resized = g_allocated;
    EXPECT_EQ(map.GetBucketCount(), 20);
    EXPECT_EQ(map.GetCount(), 0);
    EXPECT_EQ(g_allocated - resized, 0);
    EXPECT_TRUE(map.Insert(u"A", P(4)));
    map.Resize(0);
    EXPECT_FALSE(map.Insert(u"A", P(5)));
    EXPECT_EQ(map.Set(u"A", P(6)), P(6));
    EXPECT_EQ(map.GetCount(), 0);
}

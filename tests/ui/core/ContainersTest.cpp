// CPtrArray, CValArray and CStringPtrMap: growth, element moves, hashing and enumeration order.
#include "ui/core/PtrArray.h"
#include "ui/core/StringPtrMap.h"
#include "ui/core/ValArray.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using ui::CPtrArray;
using ui::CStringPtrMap;
using ui::CValArray;

namespace {

void* P(std::intptr_t v)
{
    return reinterpret_cast<void*>(v);
}

std::vector<std::intptr_t> Values(const CPtrArray& a)
{
    std::vector<std::intptr_t> out;
    for (int i = 0; i < a.GetSize(); ++i) {
        out.push_back(reinterpret_cast<std::intptr_t>(a[i]));
    }
    return out;
}

} // namespace

TEST(PtrArray, GrowsFromElevenByDoubling)
{
    CPtrArray a;
    EXPECT_EQ(a.GetCapacity(), 0);
    std::vector<int> capacities;
    for (int i = 1; i <= 22; ++i) {
        ASSERT_TRUE(a.Add(P(i)));
        capacities.push_back(a.GetCapacity());
    }
    EXPECT_EQ(capacities[0], 11);  // first Add
    EXPECT_EQ(capacities[9], 11);  // 10th
    EXPECT_EQ(capacities[10], 22); // 11th
    EXPECT_EQ(capacities[20], 22); // 21st
    EXPECT_EQ(capacities[21], 44); // 22nd
    CPtrArray preset(5);
    for (int i = 0; i < 4; ++i) {
        preset.Add(P(i));
    }
    EXPECT_EQ(preset.GetCapacity(), 5);
    preset.Add(P(4));
    EXPECT_EQ(preset.GetCapacity(), 10);
}

TEST(PtrArray, InsertRemoveAndAccessChecks)
{
    CPtrArray a;
    EXPECT_TRUE(a.InsertAt(0, P(2))); // at count: an append
    EXPECT_TRUE(a.InsertAt(0, P(1)));
    EXPECT_TRUE(a.InsertAt(2, P(4)));
    EXPECT_TRUE(a.InsertAt(2, P(3)));
    EXPECT_FALSE(a.InsertAt(5, P(9)));
    EXPECT_FALSE(a.InsertAt(-1, P(9)));
    EXPECT_EQ(Values(a), (std::vector<std::intptr_t>{1, 2, 3, 4}));
    EXPECT_EQ(a.IndexOf(P(3)), 2);
    EXPECT_EQ(a.IndexOf(P(7)), -1);

    EXPECT_FALSE(a.RemoveAt(3, 2));
    EXPECT_FALSE(a.RemoveAt(0, 0));
    EXPECT_FALSE(a.RemoveAt(-1));
    EXPECT_TRUE(a.RemoveAt(1, 2));
    EXPECT_EQ(Values(a), (std::vector<std::intptr_t>{1, 4}));
    EXPECT_EQ(a.GetCapacity(), 11);

    EXPECT_TRUE(a.SetAt(1, P(5)));
    EXPECT_FALSE(a.SetAt(2, P(5)));
    EXPECT_EQ(a.GetAt(1), P(5));
    EXPECT_EQ(a.GetAt(2), nullptr);
    EXPECT_EQ(a.GetAt(-1), nullptr);

    CPtrArray copy(a);
    a.Clear();
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(a.GetCapacity(), 0);
    EXPECT_EQ(Values(copy), (std::vector<std::intptr_t>{1, 5}));

    copy.Resize(3);
    EXPECT_EQ(copy.GetSize(), 3);
    EXPECT_EQ(copy.GetCapacity(), 3);
    EXPECT_EQ(copy[2], nullptr);
    copy.Add(P(8));
    EXPECT_EQ(copy.GetCapacity(), 6);
}

TEST(ValArray, CopiesRecordsAndKeepsStorageOnClear)
{
    struct Rec
    {
        int a;
        double b;
    };
    CValArray v(sizeof(Rec));
    for (int i = 0; i < 12; ++i) {
        Rec r{i, i * 0.5};
        ASSERT_TRUE(v.Add(&r));
    }
    EXPECT_EQ(v.GetCapacity(), 22);
    EXPECT_EQ(static_cast<Rec*>(v.GetAt(11))->b, 5.5);
    EXPECT_EQ(v.GetAt(12), nullptr);
    EXPECT_TRUE(v.RemoveAt(0, 10));
    EXPECT_EQ(static_cast<Rec*>(v[0])->a, 10);
    EXPECT_FALSE(v.RemoveAt(1, 2));
    EXPECT_FALSE(v.RemoveAt(0, 0));
    CValArray copy(v);
    v.Clear();
    EXPECT_TRUE(v.IsEmpty());
    EXPECT_EQ(v.GetCapacity(), 22);
    EXPECT_EQ(copy.GetSize(), 2);
    EXPECT_EQ(static_cast<Rec*>(copy[1])->a, 11);
}

TEST(StringPtrMap, HashRunsFromTheLastCharacter)
{
    EXPECT_EQ(CStringPtrMap::Hash(u"A"), 65u);
    EXPECT_EQ(CStringPtrMap::Hash(u"AB"), 66u * 33 + 65);
    EXPECT_EQ(CStringPtrMap::Hash(u""), 0u);
    // Wraps modulo 2^32 and is taken unsigned.
    std::u16string longKey(40, u'\uffff');
    std::uint32_t h = 0;
    for (int i = 0; i < 40; ++i) {
        h = h * 33 + 0xFFFF;
    }
    EXPECT_EQ(CStringPtrMap::Hash(longKey.c_str()), h);
    CStringPtrMap map;
    EXPECT_TRUE(map.Insert(longKey.c_str(), P(1)));
    EXPECT_EQ(map.Lookup(longKey.c_str()), P(1));
}

TEST(StringPtrMap, InsertLookupSetErase)
{
    CStringPtrMap map;
    EXPECT_EQ(map.GetBucketCount(), 83);
    EXPECT_EQ(map.Lookup(u"x"), nullptr);
    EXPECT_TRUE(map.Insert(u"x", P(1)));
    EXPECT_FALSE(map.Insert(u"x", P(2)));
    EXPECT_EQ(map.Lookup(u"x"), P(1));
    EXPECT_EQ(map.Lookup(u"X"), nullptr);
    EXPECT_EQ(map.Set(u"y", P(3)), nullptr);
    EXPECT_EQ(map.Set(u"y", P(4)), P(3));
    EXPECT_EQ(map.GetCount(), 2);
    EXPECT_TRUE(map.Erase(u"x"));
    EXPECT_FALSE(map.Erase(u"x"));
    EXPECT_EQ(map.GetCount(), 1);

    // A null value counts as absent: a second entry with the same key goes in front.
    EXPECT_TRUE(map.Insert(u"n", nullptr));
    EXPECT_TRUE(map.Insert(u"n", P(5)));
    EXPECT_EQ(map.GetCount(), 3);
    EXPECT_EQ(map.Lookup(u"n"), P(5));
    EXPECT_TRUE(map.Erase(u"n"));
    EXPECT_EQ(map.Lookup(u"n"), nullptr);

    CStringPtrMap small(3);
    EXPECT_EQ(small.GetBucketCount(), 16);
    small.Resize(0);
    EXPECT_FALSE(small.Insert(u"a", P(1)));
    EXPECT_EQ(small.Set(u"a", P(6)), P(6));
    EXPECT_EQ(small.GetCount(), 0);
    EXPECT_EQ(small.KeyAt(0), nullptr);
}

TEST(StringPtrMap, EnumerationOrderAndMoveToFront)
{
    // With 16 buckets, "A" (65) and "Q" (81) share bucket 1, "B" (66) is in bucket 2.
    CStringPtrMap map(16);
    map.Insert(u"A", P(1));
    map.Insert(u"Q", P(2));
    map.Insert(u"B", P(3));
    auto keys = [&map] {
        std::u16string out;
        for (int i = 0; i < map.GetCount(); ++i) {
            out += map.KeyAt(i);
        }
        return out;
    };
    EXPECT_EQ(keys(), u"BQA"); // last bucket first, each chain from its head
    EXPECT_EQ(map.Lookup(u"A", false), P(1));
    EXPECT_EQ(keys(), u"BQA");
    EXPECT_EQ(map.Lookup(u"A"), P(1));
    EXPECT_EQ(keys(), u"BAQ");
    EXPECT_FALSE(map.Insert(u"Q", P(9))); // the failed insert still moves Q to the front
    EXPECT_EQ(keys(), u"BQA");
    EXPECT_EQ(map.Set(u"A", P(7)), P(1)); // Set does not reorder
    EXPECT_EQ(keys(), u"BQA");
    EXPECT_EQ(map.KeyAt(3), nullptr);
    map.RemoveAll();
    EXPECT_EQ(map.GetCount(), 0);
    EXPECT_EQ(map.GetBucketCount(), 16);
    EXPECT_TRUE(map.Insert(u"A", P(1)));
}

// Delegates and the owning delegate list.
#include "ui/core/Delegate.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using ui::CDelegate;
using ui::CDelegateList;
using ui::CDelegateStatic;

namespace {

std::string g_calls;

bool First(void*)
{
    g_calls += "1";
    return true;
}

bool Second(void*)
{
    g_calls += "2";
    return false;
}

bool Third(void*)
{
    g_calls += "3";
    return true;
}

struct Base
{
    virtual ~Base() = default;
    virtual bool OnEvent(void* p)
    {
        seen = *static_cast<int*>(p);
        return true;
    }
    bool Refuse(void*) { return false; }
    int seen = 0;
};

struct Derived : Base
{
    bool OnEvent(void* p) override
    {
        seen = *static_cast<int*>(p) * 10;
        return true;
    }
};

} // namespace

TEST(Delegate, InvokeAllStopsAtTheFirstFalse)
{
    g_calls.clear();
    CDelegateList list;
    EXPECT_TRUE(list.InvokeAll(nullptr));
    list.AddFunction(First);
    list.AddFunction(Second);
    list.AddFunction(Third);
    EXPECT_FALSE(list.InvokeAll(nullptr));
    EXPECT_EQ(g_calls, "12");
    list.RemoveFunction(Second);
    g_calls.clear();
    EXPECT_TRUE(list.InvokeAll(nullptr));
    EXPECT_EQ(g_calls, "13");
}

TEST(Delegate, EqualDelegatesAreAddedOnceAndRemovedOnce)
{
    CDelegateList list;
    EXPECT_FALSE(list.HasAny());
    list.AddFunction(First);
    list.AddDelegate(CDelegateStatic(First));
    EXPECT_EQ(list.GetSize(), 1);

    Base a;
    Base b;
    list.AddDelegate(CDelegate<Base, Base>(&a, &Base::OnEvent));
    list.AddDelegate(CDelegate<Base, Base>(&a, &Base::OnEvent));
    list.AddDelegate(CDelegate<Base, Base>(&b, &Base::OnEvent));
    list.AddDelegate(CDelegate<Base, Base>(&a, &Base::Refuse));
    EXPECT_EQ(list.GetSize(), 4);
    using BaseDelegate = CDelegate<Base, Base>;
    EXPECT_TRUE(BaseDelegate(&a, &Base::OnEvent).Equals(BaseDelegate(&a, &Base::OnEvent)));
    EXPECT_FALSE(BaseDelegate(&a, &Base::OnEvent).Equals(BaseDelegate(&b, &Base::OnEvent)));

    list.RemoveDelegate(CDelegate<Base, Base>(&a, &Base::Refuse));
    list.RemoveFunction(First);
    list.RemoveFunction(Third); // absent: nothing happens
    EXPECT_EQ(list.GetSize(), 2);
    int value = 4;
    EXPECT_TRUE(list.InvokeAll(&value));
    EXPECT_EQ(a.seen, 4);
    EXPECT_EQ(b.seen, 4);
}

TEST(Delegate, MemberDelegatesDispatchVirtuallyAndCopyTheirBinding)
{
    Derived d;
    CDelegate<Derived, Base> del(&d, &Base::OnEvent);
    std::unique_ptr<ui::CDelegateBase> copy(del.Copy());
    int value = 3;
    EXPECT_TRUE((*copy)(&value));
    EXPECT_EQ(d.seen, 30);
    EXPECT_TRUE(copy->Equals(del));
    EXPECT_EQ(copy->GetObject(), &d);
    EXPECT_EQ(CDelegateStatic(First).GetObject(), nullptr);
    EXPECT_FALSE(ui::MakeDelegate(First).Equals(ui::MakeDelegate(Third)));
}

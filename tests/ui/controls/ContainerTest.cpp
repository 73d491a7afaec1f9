// The container's child list and ownership, placement of the plain container, hit tests, mouse
// events it does not take, and lookups by name.
#include "ControlTestSupport.h"

using namespace ui;
using tvtest::ControlTest;

namespace {

// Counts destructions through the destroy delegates.
int g_destroyed = 0;

CControlUI* Tracked(const char16_t* name = nullptr)
{
    auto* c = new CControlUI;
    if (name)
        c->SetName(name);
    c->OnDestroyDelegates().AddFunction([](void*) {
        ++g_destroyed;
        return true;
    });
    return c;
}

CControlUI* HitTest(CControlUI* control, void*)
{
    return control;
}

std::vector<CControlUI*> Children(const CContainerUI& c)
{
    std::vector<CControlUI*> out;
    for (int i = 0; i < c.GetCount(); ++i)
        out.push_back(c.GetItemAt(i));
    return out;
}

} // namespace

class ContainerTest : public ControlTest
{
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        g_destroyed = 0;
    }
};

TEST_F(ContainerTest, RemovingKeepsOrDeletesTheChild)
{
    CContainerUI* root = AttachRoot();
    CControlUI* kept = Tracked();
    CControlUI* deleted = Tracked();
    root->Add(kept);
    root->Add(deleted);
    EXPECT_EQ(kept->GetParent(), root);
    EXPECT_EQ(kept->GetManager(), manager.get());

    EXPECT_TRUE(root->Remove(kept, true));
    EXPECT_EQ(g_destroyed, 0);
    EXPECT_EQ(root->GetItemIndex(kept), -1);
    EXPECT_FALSE(root->Remove(kept));
    delete kept;
    EXPECT_EQ(g_destroyed, 1);

    EXPECT_TRUE(root->RemoveAt(0));
    EXPECT_EQ(g_destroyed, 2);
    EXPECT_EQ(root->GetCount(), 0);
    EXPECT_FALSE(root->RemoveAt(0));
    (void)deleted;
}

TEST_F(ContainerTest, WithoutAutoDestroyRemovedChildrenSurvive)
{
    CContainerUI box;
    box.SetAutoDestroy(false);
    CControlUI* a = Tracked();
    CControlUI* b = Tracked();
    box.Add(a);
    box.Add(b);
    box.RemoveAll();
    EXPECT_EQ(box.GetCount(), 0);
    EXPECT_EQ(g_destroyed, 0);
    delete a;
    delete b;
}

TEST_F(ContainerTest, DelayedDestroyWaitsForTheManagersCleanUp)
{
    CContainerUI* root = AttachRoot();
    root->SetDelayedDestroy(true);
    CControlUI* child = Tracked();
    root->Add(child);
    EXPECT_TRUE(root->Remove(child));
    EXPECT_EQ(g_destroyed, 0);
    EXPECT_EQ(root->GetCount(), 0);
    windows->DispatchPending();
    EXPECT_EQ(g_destroyed, 1);

    // A dying container deletes its children at once even when it would delay.
    auto* inner = new CContainerUI;
    root->Add(inner);
    inner->SetDelayedDestroy(true);
    inner->Add(Tracked());
    inner->Add(Tracked());
    root->SetDelayedDestroy(false);
    root->Remove(inner);
    EXPECT_EQ(g_destroyed, 3);
}

TEST_F(ContainerTest, SetItemIndexReinsertsTheChild)
{
    CContainerUI box;
    CControlUI* c[3] = {new CControlUI, new CControlUI, new CControlUI};
    for (CControlUI* child : c)
        box.Add(child);
    EXPECT_TRUE(box.SetItemIndex(c[1], 1));
    EXPECT_EQ(Children(box), (std::vector<CControlUI*>{c[0], c[1], c[2]}));
    EXPECT_TRUE(box.SetItemIndex(c[0], 2));
    EXPECT_EQ(Children(box), (std::vector<CControlUI*>{c[1], c[2], c[0]}));
    CControlUI stranger;
    EXPECT_FALSE(box.SetItemIndex(&stranger, 0));
    // An index beyond the end leaves the child where it was instead of losing it.
    EXPECT_FALSE(box.SetItemIndex(c[2], 7));
    EXPECT_EQ(Children(box), (std::vector<CControlUI*>{c[1], c[2], c[0]}));
}

TEST_F(ContainerTest, MoveItemsMovesARun)
{
    CContainerUI box;
    CControlUI* c[5];
    for (auto*& child : c) {
        child = new CControlUI;
        box.Add(child);
    }
    EXPECT_TRUE(box.MoveItems(c[1], 2, 3));
    EXPECT_EQ(Children(box), (std::vector<CControlUI*>{c[0], c[3], c[4], c[1], c[2]}));
    EXPECT_TRUE(box.MoveItems(c[3], 3, 1));
    EXPECT_EQ(Children(box), (std::vector<CControlUI*>{c[0], c[3], c[4], c[1], c[2]}));
    EXPECT_TRUE(box.MoveItems(c[1], 2, 0));
    EXPECT_EQ(Children(box), (std::vector<CControlUI*>{c[1], c[2], c[0], c[3], c[4]}));

    const auto before = Children(box);
    EXPECT_FALSE(box.MoveItems(nullptr, 1, 0));
    EXPECT_FALSE(box.MoveItems(c[0], -1, 0));
    EXPECT_FALSE(box.MoveItems(c[0], 1, -1));
    EXPECT_FALSE(box.MoveItems(c[3], 3, 0));
    EXPECT_FALSE(box.MoveItems(c[1], 2, 4));
    CControlUI stranger;
    EXPECT_FALSE(box.MoveItems(&stranger, 1, 0));
    EXPECT_EQ(Children(box), before);
}

TEST_F(ContainerTest, AddingToAHiddenContainerHidesTheChild)
{
    CContainerUI box;
    box.SetVisible(false);
    auto* c = new CControlUI;
    EXPECT_FALSE(box.Add(nullptr));
    EXPECT_FALSE(box.AddAt(c, 3));
    EXPECT_TRUE(box.AddAt(c, 0));
    EXPECT_FALSE(c->IsVisible());
    box.SetVisible(true);
    EXPECT_TRUE(c->IsVisible());
}

TEST_F(ContainerTest, ThePlainContainerStacksChildrenOverItsContentArea)
{
    CContainerUI box;
    box.SetInset({5, 6, 7, 8});
    auto* wide = new CControlUI;
    auto* narrow = new CControlUI;
    narrow->SetMaxWidth(20);
    narrow->SetMinHeight(500);
    box.Add(wide);
    box.Add(narrow);
    box.SetPosition({0, 0, 100, 100});
    EXPECT_EQ(wide->GetPosition(), CUIRect(5, 6, 93, 92));
    EXPECT_EQ(narrow->GetPosition(), CUIRect(5, 6, 25, 506));
    EXPECT_EQ(box.GetContentRect(), CUIRect(5, 6, 93, 92));
}

TEST_F(ContainerTest, HitTestsUnderTheInsetFindOnlyFloatingChildren)
{
    CContainerUI* root = AttachRoot();
    root->SetInset({20, 20, 20, 20});
    auto* child = new CControlUI;
    auto* floating = new CControlUI;
    floating->SetFloat(true);
    root->Add(child);
    root->Add(floating);
    root->SetPosition({0, 0, 100, 100});
    child->SetPosition({0, 0, 50, 50}, false);
    floating->SetPosition({50, 0, 100, 50}, false);

    CUIPoint underInsetChild(10, 10);
    CUIPoint underInsetFloat(60, 10);
    CUIPoint inContent(30, 30);
    const std::uint32_t flags = FIND_VISIBLE | FIND_HITTEST | FIND_TOPFIRST;
    EXPECT_EQ(root->FindControl(HitTest, &underInsetChild, flags), root);
    EXPECT_EQ(root->FindControl(HitTest, &underInsetFloat, flags), floating);
    EXPECT_EQ(root->FindControl(HitTest, &inContent, flags), child);
    EXPECT_EQ(manager->ControlAt(inContent), child);

    root->SetMouseChildEnabled(false);
    EXPECT_EQ(root->FindControl(HitTest, &inContent, flags), root);
    root->SetMouseChildEnabled(true);
    root->SetMouseEnabled(false);
    EXPECT_EQ(root->FindControl(HitTest, &underInsetChild, flags), nullptr);
    EXPECT_EQ(root->FindControl(HitTest, &inContent, flags), child);
}

TEST_F(ContainerTest, TopFirstSearchesTheLastChildFirst)
{
    CContainerUI box;
    auto* a = new CControlUI;
    auto* b = new CControlUI;
    box.Add(a);
    box.Add(b);
    box.SetPosition({0, 0, 50, 50});
    CUIPoint p(10, 10);
    EXPECT_EQ(box.FindControl(HitTest, &p, FIND_HITTEST | FIND_TOPFIRST), b);
    EXPECT_EQ(box.FindControl(HitTest, &p, FIND_HITTEST), a);
    EXPECT_EQ(box.FindControl(HitTest, nullptr, FIND_MEFIRST), &box);
}

TEST_F(ContainerTest, MouseEventsOfAContainerThatIgnoresTheMouseGoToItsParent)
{
    auto* outer = new tvtest::CRecordingContainerUI;
    AttachRoot(outer);
    auto* inner = new tvtest::CRecordingContainerUI;
    outer->Add(inner);
    inner->SetMouseEnabled(false);
    TUIEvent move = tvtest::MakeEvent(EVT_MOUSE_MOVE, inner);
    inner->Event(move);
    // The inner container saw it first (its override records), then handed it on unprocessed.
    EXPECT_EQ(outer->kinds, std::vector<int>{EVT_MOUSE_MOVE});

    TUIEvent focus = tvtest::MakeEvent(EVT_SET_FOCUS, inner);
    inner->Event(focus);
    EXPECT_TRUE(inner->IsFocused());
    EXPECT_EQ(outer->kinds.size(), 1u);
}

TEST_F(ContainerTest, SubControlsAreFoundByName)
{
    CContainerUI* root = AttachRoot();
    auto* box = new CContainerUI;
    root->Add(box);
    auto* label = new CControlUI;
    label->SetName(u"label");
    box->Add(label);
    EXPECT_EQ(box->FindSubControl(u"label"), label);
    EXPECT_TRUE(box->SetSubControlText(u"label", u"hi"));
    EXPECT_EQ(box->GetSubControlText(u"label"), u"hi");
    EXPECT_TRUE(box->SetSubControlFixedWidth(u"label", 12));
    EXPECT_EQ(box->GetSubControlFixedWidth(u"label"), 12);
    EXPECT_TRUE(box->SetSubControlUserData(u"label", u"u"));
    EXPECT_EQ(box->GetSubControlUserData(u"label"), u"u");
    EXPECT_FALSE(box->SetSubControlFixedHeight(u"missing", 3));
    EXPECT_EQ(box->GetSubControlFixedHeight(u"missing"), -1);
    EXPECT_TRUE(box->GetSubControlText(u"missing").IsEmpty());
}

TEST_F(ContainerTest, CastsAndClassNames)
{
    CContainerUI box;
    EXPECT_EQ(CUIString(box.GetClassName()), u"Container");
    EXPECT_EQ(box.CastTo(u"IContainer"), static_cast<IContainerUI*>(&box));
    EXPECT_EQ(box.CastTo(u"Container"), &box);
    EXPECT_EQ(box.CastTo(u"Control"), static_cast<CControlUI*>(&box));
    EXPECT_EQ(box.CastTo(u"Button"), nullptr);
    EXPECT_EQ(box.FindSelectable(0), -1);
    box.Add(new CControlUI);
    EXPECT_EQ(box.FindSelectable(0), -1);
    EXPECT_EQ(box.FindSelectable(5, false), -1);
}

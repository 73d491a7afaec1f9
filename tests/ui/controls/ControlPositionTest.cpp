// The control base attached to a manager: placement and its repaint requests, floating anchors,
// overlays, visibility and focus, default event handling and search.
#include "ControlTestSupport.h"

using namespace ui;
using tvtest::ControlTest;

namespace {

struct Listener : INotifyUI
{
    void Notify(TNotifyMsg& msg) override
    {
        types.push_back(msg.type);
        wParams.push_back(msg.wParam);
    }
    std::vector<CUIString> types;
    std::vector<WPARAM> wParams;
};

CControlUI* MatchAll(CControlUI* control, void*)
{
    return control;
}

} // namespace

using ControlPositionTest = ControlTest;

TEST_F(ControlPositionTest, RectanglesAreNormalised)
{
    CContainerUI* root = AttachRoot();
    auto* c = new CControlUI;
    root->Add(c);
    c->SetPosition({10, 10, 5, 5});
    EXPECT_EQ(c->GetPosition(), CUIRect(10, 10, 10, 10));
    EXPECT_FALSE(c->IsLayoutPending());
}

TEST_F(ControlPositionTest, FirstPlacementRepaintsTheNewRectangleAndMovesRepaintTheUnion)
{
    CContainerUI* root = AttachRoot();
    auto* c = new CControlUI;
    root->Add(c);
    ClearDirty();
    c->SetPosition({20, 30, 60, 50});
    EXPECT_EQ(Dirty(), CUIRect(20, 30, 60, 50));
    ClearDirty();
    c->SetPosition({100, 40, 120, 70});
    EXPECT_EQ(Dirty(), CUIRect(20, 30, 120, 70));
    ClearDirty();
    c->SetPosition({0, 0, 10, 10}, false);
    EXPECT_TRUE(Dirty().IsEmpty());
}

TEST_F(ControlPositionTest, AControlOutsideItsParentRepaintsNothingAndLeavesItsOverlay)
{
    CContainerUI* root = AttachRoot();
    auto* inner = new CContainerUI;
    root->Add(inner);
    inner->SetPosition({0, 0, 100, 100});
    auto* c = new CControlUI;
    inner->Add(c);
    auto* overlay = new CControlUI;
    c->SetOverlay(overlay);
    EXPECT_EQ(overlay->GetParent(), c);
    ClearDirty();

    // First placed outside the parent: nothing to repaint, the overlay is not placed.
    c->SetPosition({200, 200, 220, 220});
    EXPECT_TRUE(Dirty().IsEmpty());
    EXPECT_EQ(c->GetPosition(), CUIRect(200, 200, 220, 220));
    EXPECT_EQ(overlay->GetPosition(), CUIRect());

    // Moved inside, both follow; moved from inside to outside, the old place is repainted.
    c->SetPosition({10, 10, 30, 30});
    EXPECT_EQ(overlay->GetPosition(), CUIRect(10, 10, 30, 30));
    ClearDirty();
    c->SetPosition({200, 200, 220, 220});
    EXPECT_EQ(Dirty(), CUIRect(10, 10, 100, 100));
    EXPECT_EQ(overlay->GetPosition(), CUIRect(200, 200, 220, 220));
    ClearDirty();
    c->SetPosition({300, 300, 320, 320});
    EXPECT_TRUE(Dirty().IsEmpty());
    EXPECT_EQ(overlay->GetPosition(), CUIRect(200, 200, 220, 220));
}

TEST_F(ControlPositionTest, InvalidationIsClippedThroughEveryAncestor)
{
    CContainerUI* root = AttachRoot();
    auto* inner = new CContainerUI;
    root->Add(inner);
    inner->SetPosition({50, 50, 100, 100});
    auto* c = new CControlUI;
    inner->Add(c);
    c->SetPosition({80, 80, 150, 150}, false);
    ClearDirty();
    c->Invalidate();
    EXPECT_EQ(Dirty(), CUIRect(80, 80, 100, 100));
    ClearDirty();
    c->SetVisible(false);
    ClearDirty();
    c->Invalidate();
    EXPECT_TRUE(Dirty().IsEmpty());
}

TEST_F(ControlPositionTest, FloatingControlsFollowTheirAnchors)
{
    CContainerUI* root = AttachRoot();
    auto* box = new CContainerUI;
    root->Add(box);
    auto* c = new CControlUI;
    c->SetAttribute(u"float", u"0.5,0,0.5,0");
    c->SetAttribute(u"pos", u"-20,0,20,30");
    box->Add(c);
    box->SetPosition({10, 20, 211, 120});
    // trunc(201 × 0.5) − 20 = 80 from the container's left edge.
    EXPECT_EQ(c->GetPosition(), CUIRect(10 + 80, 20, 10 + 120, 50));
    EXPECT_EQ(c->GetFloatOffset(), CUIPoint(-20, 0));
    EXPECT_EQ(c->GetFixedWidth(), 40);

    // Placing a floating control directly re-derives its offset and size.
    c->SetPosition({0, 5, 50, 25});
    EXPECT_EQ(c->GetPosition(), CUIRect(10, 25, 60, 45));
    EXPECT_EQ(c->GetFloatOffset(), CUIPoint(0 - 100, 5));
    EXPECT_EQ(c->GetFixedWidth(), 50);
    EXPECT_EQ(c->GetFixedHeight(), 20);

    // "float" "true" measures the offset from the parent's top-left corner.
    auto* d = new CControlUI;
    d->SetAttribute(u"float", u"true");
    d->SetAttribute(u"pos", u"5,6,15,26");
    box->Add(d);
    box->SetPosition({10, 20, 211, 120});
    EXPECT_EQ(d->GetPosition(), CUIRect(15, 26, 25, 46));
}

TEST_F(ControlPositionTest, AFloatingControlWithoutParentKeepsItsRectangle)
{
    CControlUI c;
    c.SetFloat(true);
    c.SetPosition({1, 2, 3, 4});
    EXPECT_EQ(c.GetPosition(), CUIRect());
}

TEST_F(ControlPositionTest, SizeDelegatesRunOnceEvenWhenTheyMoveTheControl)
{
    CContainerUI* root = AttachRoot();
    static int s_calls;
    s_calls = 0;
    auto* c = new CControlUI;
    root->Add(c);
    c->OnSizeDelegates().AddFunction([](void* param) {
        ++s_calls;
        static_cast<CControlUI*>(param)->SetPosition({0, 0, 5, 5});
        return true;
    });
    c->SetPosition({0, 0, 10, 10});
    EXPECT_EQ(s_calls, 1);
    EXPECT_EQ(c->GetPosition(), CUIRect(0, 0, 5, 5));

    // A detached control runs no size delegates and requests no repaint.
    CControlUI detached;
    detached.OnSizeDelegates().AddFunction([](void*) {
        ++s_calls;
        return true;
    });
    detached.SetPosition({0, 0, 10, 10});
    EXPECT_EQ(s_calls, 1);
    EXPECT_TRUE(detached.IsLayoutPending());
}

TEST_F(ControlPositionTest, OverlaysArePlacedWithTheirControl)
{
    CContainerUI* root = AttachRoot();
    auto* c = new CControlUI;
    root->Add(c);
    auto* plain = new CControlUI;
    plain->SetMaxWidth(30);
    c->SetOverlay(plain);
    EXPECT_EQ(plain->GetManager(), manager.get());
    c->SetPosition({10, 10, 110, 60});
    EXPECT_EQ(plain->GetPosition(), CUIRect(10, 10, 40, 60));

    auto* floating = new CControlUI;
    floating->SetAttribute(u"float", u"1,0,1,0");
    floating->SetAttribute(u"pos", u"-10,0,0,10");
    c->SetOverlay(floating);
    c->SetPosition({10, 10, 110, 60});
    EXPECT_EQ(floating->GetPosition(), CUIRect(100, 10, 110, 20));
    c->Offset(5, 5);
    EXPECT_EQ(floating->GetPosition(), CUIRect(105, 15, 115, 25));
}

TEST_F(ControlPositionTest, HidingTheFocusedControlClearsTheManagersFocus)
{
    CContainerUI* root = AttachRoot();
    auto* box = new CContainerUI;
    root->Add(box);
    auto* c = new CControlUI;
    box->Add(c);
    c->SetFocus();
    ASSERT_EQ(manager->FocusControl(), c);
    EXPECT_TRUE(c->IsFocused());
    c->SetVisible(false);
    EXPECT_EQ(manager->FocusControl(), nullptr);
    EXPECT_FALSE(c->IsFocused());

    c->SetVisible(true);
    c->SetFocus();
    ASSERT_EQ(manager->FocusControl(), c);
    box->SetVisible(false);
    EXPECT_EQ(manager->FocusControl(), nullptr);
    EXPECT_FALSE(c->IsVisible());
}

TEST_F(ControlPositionTest, UnhandledEventsGoToTheParentsHandlerNotItsDelegates)
{
    CContainerUI* root = AttachRoot(new tvtest::CRecordingContainerUI);
    auto* parent = static_cast<tvtest::CRecordingContainerUI*>(root);
    static int s_parentDelegates;
    s_parentDelegates = 0;
    parent->OnEventDelegates().AddFunction([](void*) {
        ++s_parentDelegates;
        return true;
    });
    auto* c = new CControlUI;
    parent->Add(c);
    Listener listener;
    manager->AddNotifyListener(&listener);

    TUIEvent menu = tvtest::MakeEvent(EVT_CONTEXT_MENU, c);
    c->Event(menu);
    ASSERT_EQ(parent->kinds.size(), 1u);
    EXPECT_EQ(parent->kinds[0], EVT_CONTEXT_MENU);
    EXPECT_EQ(s_parentDelegates, 0);
    EXPECT_TRUE(listener.types.empty());

    c->SetAttribute(u"menu", u"true");
    c->Event(menu);
    EXPECT_EQ(parent->kinds.size(), 1u);
    ASSERT_EQ(listener.types.size(), 1u);
    EXPECT_EQ(listener.types[0], u"menu");

    TUIEvent timer = tvtest::MakeEvent(EVT_TIMER, c, {}, 42);
    c->Event(timer);
    ASSERT_EQ(listener.types.size(), 2u);
    EXPECT_EQ(listener.types[1], u"timer");
    EXPECT_EQ(listener.wParams[1], 42u);
    manager->RemoveNotifyListener(&listener);
}

TEST_F(ControlPositionTest, AnEventDelegateCanRefuseTheEvent)
{
    tvtest::CRecordingUI c;
    c.OnEventDelegates().AddFunction([](void* param) { return static_cast<TUIEvent*>(param)->kind != EVT_CHAR; });
    TUIEvent ch = tvtest::MakeEvent(EVT_CHAR, &c);
    TUIEvent key = tvtest::MakeEvent(EVT_KEY_DOWN, &c);
    EXPECT_FALSE(c.Event(ch));
    EXPECT_TRUE(c.Event(key));
    ASSERT_EQ(c.kinds.size(), 1u);
    EXPECT_EQ(c.kinds[0], EVT_KEY_DOWN);
}

TEST_F(ControlPositionTest, RenamingAnAttachedControlUpdatesTheNameMap)
{
    CContainerUI* root = AttachRoot();
    auto* c = new CControlUI;
    c->SetName(u"first");
    root->Add(c);
    EXPECT_EQ(manager->ControlByName(u"first"), c);
    c->SetName(u"second");
    EXPECT_EQ(c->GetName(), u"second");
    EXPECT_EQ(manager->ControlByName(u"second"), c);
    EXPECT_EQ(manager->ControlByName(u"first"), nullptr);
}

TEST_F(ControlPositionTest, ARefusedRenameLeavesNoEntryBehind)
{
    CContainerUI* root = AttachRoot();
    auto* a = new CControlUI;
    auto* b = new CControlUI;
    a->SetName(u"a");
    b->SetName(u"b");
    root->Add(a);
    root->Add(b);
    a->SetName(u"b");
    EXPECT_EQ(a->GetName(), u"a");
    EXPECT_EQ(manager->ControlByName(u"a"), a);
    EXPECT_EQ(manager->ControlByName(u"b"), b);
    root->Remove(a);
    EXPECT_EQ(manager->ControlByName(u"a"), nullptr);

    // The manager's own rename goes through the control's setter once.
    EXPECT_TRUE(manager->RenameControl(b, u"c"));
    EXPECT_EQ(b->GetName(), u"c");
    EXPECT_EQ(manager->ControlByName(u"c"), b);

    // A control that is attached but not registered yet (as the skin builder makes them) stores a
    // name even when another control holds it.
    CControlUI loose;
    loose.SetManager(manager.get(), nullptr, false);
    loose.SetName(u"c");
    EXPECT_EQ(loose.GetName(), u"c");
    EXPECT_EQ(manager->ControlByName(u"c"), b);
    loose.SetManager(nullptr, nullptr, false);
}

TEST_F(ControlPositionTest, ADyingControlIsForgottenByTheManager)
{
    CContainerUI* root = AttachRoot();
    auto* c = new CControlUI;
    c->SetName(u"doomed");
    root->Add(c);
    c->SetFocus();
    ASSERT_EQ(manager->FocusControl(), c);
    EXPECT_TRUE(root->Remove(c));
    EXPECT_EQ(manager->FocusControl(), nullptr);
    EXPECT_EQ(manager->ControlByName(u"doomed"), nullptr);
}

TEST_F(ControlPositionTest, HitTestsSkipControlsThatIgnoreTheMouse)
{
    CContainerUI* root = AttachRoot();
    auto* c = new CControlUI;
    root->Add(c);
    c->SetPosition({10, 10, 20, 20});
    CUIPoint inside(15, 15);
    CUIPoint edge(20, 15);
    EXPECT_EQ(c->FindControl(MatchAll, &inside, FIND_HITTEST), c);
    EXPECT_EQ(c->FindControl(MatchAll, &edge, FIND_HITTEST), nullptr);
    c->SetMouseEnabled(false);
    EXPECT_EQ(c->FindControl(MatchAll, &inside, FIND_HITTEST), nullptr);
    EXPECT_EQ(c->FindControl(MatchAll, &inside, FIND_ALL), c);
    c->SetEnabled(false);
    EXPECT_EQ(c->FindControl(MatchAll, nullptr, FIND_ENABLED), nullptr);
    // With the update test a control the callback accepts is skipped.
    EXPECT_EQ(c->FindControl(MatchAll, nullptr, FIND_UPDATETEST), nullptr);
}

TEST_F(ControlPositionTest, LayoutRequestsFlagTheManager)
{
    CContainerUI* root = AttachRoot();
    auto* c = new CControlUI;
    root->Add(c);
    root->SetPosition({0, 0, kWidth, kHeight});
    manager->LayoutIfNeeded();
    ASSERT_FALSE(manager->IsLayoutNeeded());
    c->SetFixedWidth(30);
    EXPECT_TRUE(manager->IsLayoutNeeded());
    EXPECT_TRUE(root->IsLayoutPending());
    // An unchanged minimum is ignored.
    manager->LayoutIfNeeded();
    c->SetMinWidth(0);
    EXPECT_FALSE(manager->IsLayoutNeeded());
}

TEST_F(ControlPositionTest, OffsetRepaintsOldAndNewPlacesAndMovesTheOverlay)
{
    CContainerUI* root = AttachRoot();
    auto* c = new CControlUI;
    root->Add(c);
    c->SetPosition({10, 10, 20, 20});
    auto* overlay = new CControlUI;
    c->SetOverlay(overlay);
    c->SetPosition({10, 10, 20, 20});
    ClearDirty();
    c->Offset(30, 5);
    EXPECT_EQ(c->GetPosition(), CUIRect(40, 15, 50, 25));
    EXPECT_EQ(Dirty(), CUIRect(10, 10, 50, 25));
    EXPECT_EQ(overlay->GetPosition(), CUIRect(40, 15, 50, 25));
    ClearDirty();
    c->Offset(-5, 0, false);
    EXPECT_TRUE(Dirty().IsEmpty());
    EXPECT_EQ(overlay->GetPosition(), CUIRect(35, 15, 45, 25));
}

TEST_F(ControlPositionTest, VisibilityReachesOverlaysAndChildren)
{
    CContainerUI* root = AttachRoot();
    auto* box = new CContainerUI;
    root->Add(box);
    auto* child = new CControlUI;
    box->Add(child);
    auto* overlay = new CControlUI;
    child->SetOverlay(overlay);
    manager->LayoutIfNeeded();
    box->SetVisible(false);
    EXPECT_FALSE(child->IsVisible());
    EXPECT_FALSE(overlay->IsVisible());
    EXPECT_TRUE(manager->IsLayoutNeeded());
    box->SetVisible(true);
    EXPECT_TRUE(overlay->IsVisible());

    // An overlay given to a hidden control starts hidden.
    child->SetVisible(false);
    auto* second = new CControlUI;
    child->SetOverlay(second);
    EXPECT_FALSE(second->IsVisible());
}

TEST_F(ControlPositionTest, ColoursFollowTheColourShiftOnlyWhenAskedTo)
{
    CControlUI c;
    CWindowManagerUI::SetColorShift(true, 60, 100, 100);
    EXPECT_EQ(c.GetAdjustedColor(0xFFFF0000), 0xFFFF0000u);
    c.SetAttribute(u"colorhsl", u"true");
    EXPECT_EQ(c.GetAdjustedColor(0xFFFF0000), 0xFF0000FFu);
    CWindowManagerUI::SetColorShift(false, 180, 100, 100);
    EXPECT_EQ(c.GetAdjustedColor(0xFFFF0000), 0xFFFF0000u);
}

TEST_F(ControlPositionTest, OverlaysAreSearchedBeforeTheirControl)
{
    CContainerUI* root = AttachRoot();
    auto* c = new CControlUI;
    root->Add(c);
    auto* overlay = new CControlUI;
    c->SetOverlay(overlay);
    c->SetPosition({10, 10, 50, 50});
    CUIPoint p(20, 20);
    EXPECT_EQ(manager->ControlAt(p), overlay);
    EXPECT_EQ(c->FindControl(MatchAll, &p, FIND_HITTEST | FIND_MEFIRST), c);
    overlay->SetMouseEnabled(false);
    EXPECT_EQ(manager->ControlAt(p), c);
    // A container that keeps the mouse from its children keeps it from its overlay too.
    auto* boxOverlay = new CControlUI;
    root->SetOverlay(boxOverlay);
    root->SetPosition({0, 0, kWidth, kHeight});
    EXPECT_EQ(manager->ControlAt(p), boxOverlay);
    root->SetMouseChildEnabled(false);
    EXPECT_EQ(manager->ControlAt(p), root);
}

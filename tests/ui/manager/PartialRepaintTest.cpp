// What a layout after a change repaints and lays out again: the old and new places of what moved,
// nothing that kept its place, only the layouts below the change, and a picture that equals the
// one a full layout and repaint give.
#include "ManagerTestSupport.h"

#include "platform/PngFile.h"
#include "platform/Surface.h"
#include "ui/controls/HorizontalLayout.h"
#include "ui/controls/Label.h"
#include "ui/controls/TabLayout.h"
#include "ui/controls/VerticalLayout.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using mgrtest::ManagerTest;
using ui::CUIRect;

// Counts how often it is placed and painted.
class CountingControl : public ui::CControlUI
{
public:
    explicit CountingControl(std::uint32_t colour, int width = 0)
    {
        SetBackColor(colour);
        if (width > 0)
            SetFixedWidth(width);
    }
    void SetPosition(CUIRect rect, bool needInvalidate = true) override
    {
        ++placed;
        CControlUI::SetPosition(rect, needInvalidate);
    }
    bool PaintContent(ui::HDC dc, const CUIRect& paintRect, CControlUI* stop) override
    {
        ++painted;
        return CControlUI::PaintContent(dc, paintRect, stop);
    }
    int placed = 0;
    int painted = 0;
};

// A row that counts its layouts.
class CountingRow : public ui::CHorizontalLayoutUI
{
public:
    void SetPosition(CUIRect rect, bool needInvalidate = true) override
    {
        ++laidOut;
        CHorizontalLayoutUI::SetPosition(rect, needInvalidate);
    }
    int laidOut = 0;
};

CountingControl* Floating(std::uint32_t colour, int left, int top, int right, int bottom)
{
    auto* control = new CountingControl(colour);
    control->SetFloat(true);
    control->SetFloatOffset(left, top);
    control->SetFixedWidth(right - left);
    control->SetFixedHeight(bottom - top);
    return control;
}

class PartialRepaintTest : public ManagerTest
{
protected:
    // Lays out what waits and returns the rectangle the next paint will cover.
    CUIRect PendingDirty()
    {
        manager->LayoutIfNeeded();
        RECT r{};
        windows->GetUpdateRect(hwnd, r);
        return CUIRect(r.left, r.top, r.right, r.bottom);
    }
    std::vector<std::uint32_t> Picture() const
    {
        const platform::PixelBuffer px = windows->WindowPixels(hwnd);
        std::vector<std::uint32_t> out;
        for (int y = 0; y < px.height; ++y)
            out.insert(out.end(), px.Row(y), px.Row(y) + px.width);
        return out;
    }
    std::uint32_t Pixel(int x, int y) const { return windows->WindowPixels(hwnd).Row(y)[x]; }

    struct TLabelBetweenAndBar
    {
        CountingControl* label;
        CountingControl* between;
        CountingControl* bar;
    };
    // A red label and a blue bar far apart, as the progress display has them, and a green control in
    // the box around both but in neither, on white; laid out and painted.
    TLabelBetweenAndBar AttachLabelBetweenAndBar();
};

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kRed = 0xFFC02020;
constexpr std::uint32_t kBlue = 0xFF2040C0;
constexpr std::uint32_t kGreen = 0xFF20A040;

PartialRepaintTest::TLabelBetweenAndBar PartialRepaintTest::AttachLabelBetweenAndBar()
{
    const TLabelBetweenAndBar made{Floating(kRed, 150, 10, 190, 20), Floating(kGreen, 60, 40, 120, 60),
                                   Floating(kBlue, 10, 80, 30, 90)};
    auto* root = new ui::CContainerUI;
    root->SetBackColor(kWhite);
    root->Add(made.label);
    root->Add(made.between);
    root->Add(made.bar);
    manager->AttachRoot(root);
    windows->UpdateWindow(hwnd);
    return made;
}

TEST_F(PartialRepaintTest, AMovedControlRepaintsWhereItWasAndWhereItIsAndNothingElse)
{
    auto* mover = Floating(kRed, 10, 10, 30, 30);
    auto* still = Floating(kBlue, 150, 60, 190, 90);
    auto* root = new ui::CContainerUI;
    root->SetBackColor(kWhite);
    root->Add(mover);
    root->Add(still);
    manager->AttachRoot(root);
    windows->UpdateWindow(hwnd);
    ASSERT_EQ(Pixel(20, 20), kRed);
    mover->painted = still->painted = 0;

    mover->SetFloatOffset(100, 10);
    EXPECT_EQ(PendingDirty(), CUIRect(10, 10, 120, 30)) << "the union of the old and the new place";
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(Pixel(20, 20), kWhite) << "the old place shows what lies below";
    EXPECT_EQ(Pixel(110, 20), kRed);
    EXPECT_EQ(mover->painted, 1);
    EXPECT_EQ(still->painted, 0) << "a control that kept its place and content is not repainted";
    EXPECT_EQ(still->placed, 1) << "nor placed again";

    // A change that moves nothing repaints nothing.
    mover->SetFixedWidth(20);
    EXPECT_EQ(PendingDirty(), CUIRect(100, 10, 120, 30)) << "only the request's own rectangle";
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(still->painted, 0);
}

TEST_F(PartialRepaintTest, AFixedWidthChangeLaysOutOnlyItsRowAndRepaintsWhatMovedInIt)
{
    auto* root = new ui::CVerticalLayoutUI;
    root->SetBackColor(kWhite);
    std::vector<CountingRow*> rows;
    std::vector<std::vector<CountingControl*>> cells;
    for (int r = 0; r < 3; ++r) {
        auto* row = new CountingRow;
        row->SetFixedHeight(20);
        rows.push_back(row);
        cells.emplace_back();
        for (int c = 0; c < 3; ++c) {
            auto* cell = new CountingControl(c % 2 ? kRed : kBlue, 20);
            cells.back().push_back(cell);
            row->Add(cell);
        }
        // A last cell that stretches over the rest of the row: its left edge moves, its right not.
        auto* rest = new CountingControl(kGreen);
        cells.back().push_back(rest);
        row->Add(rest);
        root->Add(row);
    }
    manager->AttachRoot(root);
    windows->UpdateWindow(hwnd);
    ASSERT_EQ(cells[1][3]->GetPosition(), CUIRect(60, 20, 200, 40));
    for (int r = 0; r < 3; ++r) {
        rows[std::size_t(r)]->laidOut = 0;
        for (CountingControl* cell : cells[std::size_t(r)])
            cell->placed = cell->painted = 0;
    }

    cells[1][0]->SetFixedWidth(30);
    EXPECT_EQ(PendingDirty(), CUIRect(0, 20, 200, 40));
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(rows[0]->laidOut, 0);
    EXPECT_EQ(rows[1]->laidOut, 1);
    EXPECT_EQ(rows[2]->laidOut, 0);
    for (int r : {0, 2}) {
        for (CountingControl* cell : cells[std::size_t(r)]) {
            EXPECT_EQ(cell->placed, 0) << "row " << r;
            EXPECT_EQ(cell->painted, 0) << "row " << r;
        }
    }
    for (CountingControl* cell : cells[1])
        EXPECT_EQ(cell->placed, 1);
    EXPECT_EQ(cells[1][1]->GetPosition(), CUIRect(30, 20, 50, 40));
    EXPECT_EQ(cells[1][3]->GetPosition(), CUIRect(70, 20, 200, 40));
    EXPECT_EQ(Pixel(25, 30), kBlue) << "the wider first cell";
    EXPECT_EQ(Pixel(65, 30), kBlue) << "the third cell moved right";
}

TEST_F(PartialRepaintTest, SiblingsThatMoveAwayLeaveTheirOldPlaceRepainted)
{
    auto* root = new ui::CHorizontalLayoutUI;
    root->SetBackColor(kWhite);
    auto* first = new CountingControl(kRed, 20);
    auto* second = new CountingControl(kBlue, 20);
    auto* third = new CountingControl(kGreen, 20);
    root->Add(first);
    root->Add(second);
    root->Add(third);
    manager->AttachRoot(root);
    windows->UpdateWindow(hwnd);
    ASSERT_EQ(Pixel(55, 50), kGreen);

    first->SetFixedWidth(5);
    EXPECT_EQ(PendingDirty(), CUIRect(0, 0, 60, 100));
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(Pixel(3, 50), kRed);
    EXPECT_EQ(Pixel(10, 50), kBlue);
    EXPECT_EQ(Pixel(30, 50), kGreen);
    EXPECT_EQ(Pixel(55, 50), kWhite) << "where the third cell was";
}

TEST_F(PartialRepaintTest, PartialRepaintsAfterManyChangesEqualAFullLayoutAndRepaint)
{
    auto* root = new ui::CVerticalLayoutUI;
    root->SetBackColor(0xFFF0F0F0);
    auto* top = new ui::CHorizontalLayoutUI;
    top->SetFixedHeight(30);
    top->SetChildPadding(4);
    auto* a = new CountingControl(kRed, 30);
    auto* b = new CountingControl(kBlue, 40);
    b->SetAttribute(u"bordersize", u"2");
    b->SetAttribute(u"bordercolor", u"#FF000000");
    auto* hidden = new CountingControl(kGreen, 25);
    hidden->SetVisible(false);
    auto* label = new ui::CLabelUI;
    label->SetText(u"12%");
    label->SetAttribute(u"textcolor", u"#FF2F6FE4");
    top->Add(a);
    top->Add(b);
    top->Add(hidden);
    top->Add(label);
    auto* bottom = new ui::CHorizontalLayoutUI;
    auto* c = new CountingControl(kBlue, 50);
    auto* d = new CountingControl(kRed);
    bottom->Add(c);
    bottom->Add(d);
    auto* fill = Floating(kGreen, 10, 80, 15, 88);
    root->Add(top);
    root->Add(bottom);
    root->Add(fill);
    manager->AttachRoot(root);
    windows->UpdateWindow(hwnd);

    int partial = 0;
    const auto step = [&] {
        const CUIRect dirty = PendingDirty();
        if (!dirty.IsEmpty() && dirty != CUIRect(0, 0, 200, 100))
            ++partial;
        windows->UpdateWindow(hwnd);
    };
    a->SetFixedWidth(45);
    step();
    b->SetVisible(false);
    step();
    hidden->SetVisible(true);
    step();
    label->SetText(u"57%");
    step();
    c->SetPadding(CUIRect(6, 3, 0, 2));
    step();
    fill->SetFixedWidth(120);
    step();
    b->SetVisible(true);
    step();
    a->SetFixedWidth(10);
    step();
    EXPECT_EQ(partial, 8) << "every step repainted only a part of the window";
    const std::vector<std::uint32_t> afterPartial = Picture();
    const CUIRect hiddenRect = hidden->GetPosition();

    // A new size lays out everything and repaints the whole window.
    Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 100));
    EXPECT_EQ(PendingDirty(), CUIRect(0, 0, 200, 100));
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(hidden->GetPosition(), hiddenRect) << "the partial layouts placed it where a full one does";
    const std::vector<std::uint32_t> afterFull = Picture();
    ASSERT_EQ(afterPartial.size(), afterFull.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < afterFull.size(); ++i)
        differing += afterPartial[i] != afterFull[i];
    EXPECT_EQ(differing, 0u);
}

TEST_F(PartialRepaintTest, APageShownAgainIsLaidOutAfterChangesMadeWhileItWasHidden)
{
    auto* tabs = new ui::CTabLayoutUI;
    auto* first = new ui::CHorizontalLayoutUI;
    first->Add(new CountingControl(kRed, 50));
    // The changed control lies one layout deeper than the page, in a layout whose own rectangle
    // does not change when the page shows again.
    auto* second = new ui::CHorizontalLayoutUI;
    auto* inner = new ui::CHorizontalLayoutUI;
    auto* narrow = new CountingControl(kBlue, 20);
    auto* after = new CountingControl(kGreen, 20);
    inner->Add(narrow);
    inner->Add(after);
    second->Add(inner);
    tabs->Add(first);
    tabs->Add(second);
    manager->AttachRoot(tabs);
    tabs->SelectItem(1, false);
    windows->UpdateWindow(hwnd);
    ASSERT_EQ(after->GetPosition(), CUIRect(20, 0, 40, 100));

    tabs->SelectItem(0, false);
    windows->UpdateWindow(hwnd);
    narrow->SetFixedWidth(70); // while its page is hidden
    windows->UpdateWindow(hwnd);
    tabs->SelectItem(1, false);
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(after->GetPosition(), CUIRect(70, 0, 90, 100));
    EXPECT_EQ(Pixel(60, 50), kBlue);
    EXPECT_EQ(Pixel(80, 50), kGreen);
}

TEST_F(PartialRepaintTest, AHiddenControlsPlaceIsRepaintedWithoutItsSiblings)
{
    auto* root = new ui::CContainerUI;
    root->SetBackColor(kWhite);
    auto* gone = Floating(kRed, 10, 10, 40, 40);
    auto* other = Floating(kBlue, 100, 50, 140, 90);
    root->Add(gone);
    root->Add(other);
    manager->AttachRoot(root);
    windows->UpdateWindow(hwnd);
    other->painted = 0;

    gone->SetVisible(false);
    EXPECT_EQ(PendingDirty(), CUIRect(10, 10, 40, 40));
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(Pixel(20, 20), kWhite);
    EXPECT_EQ(other->painted, 0);

    gone->SetVisible(true);
    EXPECT_EQ(PendingDirty(), CUIRect(10, 10, 40, 40));
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(Pixel(20, 20), kRed);
    EXPECT_EQ(other->painted, 0);
}

} // namespace

TEST_F(PartialRepaintTest, TwoChangesFarApartLeaveWhatLiesBetweenThemUnpainted)
{
    // A label and a bar far apart change together, as the progress display's do; a control in the
    // box around both, but in neither, keeps its pixels and is not painted.
    auto [label, between, bar] = AttachLabelBetweenAndBar();
    ASSERT_EQ(Pixel(90, 50), kGreen);
    label->painted = between->painted = bar->painted = 0;

    label->SetBackColor(kBlue);
    bar->SetFixedWidth(40);
    EXPECT_EQ(PendingDirty(), CUIRect(10, 10, 190, 90)) << "the bounding box of both changes";
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(label->painted, 1);
    EXPECT_EQ(bar->painted, 1);
    EXPECT_EQ(between->painted, 0) << "what lies only between the changes is not painted";
    EXPECT_EQ(Pixel(170, 15), kBlue);
    EXPECT_EQ(Pixel(45, 85), kBlue);
    EXPECT_EQ(Pixel(90, 50), kGreen);

    // The picture is the one a full repaint gives.
    const std::vector<std::uint32_t> partial = Picture();
    windows->InvalidateRect(hwnd, nullptr, false);
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(Picture(), partial);
}

TEST_F(PartialRepaintTest, APaintInTwoPiecesIsRecordedAsOneFrameShowingBoth)
{
    // The recorder keeps what the screen shows after each paint: two pieces presented one after the
    // other are one frame, and that frame holds both changes.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tvu-frames-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    headless->SetFrames(folder.string(), 100);
    auto [label, between, bar] = AttachLabelBetweenAndBar();
    const int framesBefore = headless->FramesWritten();
    const int presentsBefore = headless->PresentCount();
    ASSERT_GE(framesBefore, 1);

    label->SetBackColor(kBlue);
    bar->SetFixedWidth(40);
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(headless->PresentCount(), presentsBefore + 2) << "each piece is still presented";
    ASSERT_EQ(headless->FramesWritten(), framesBefore + 1) << "one frame for the paint";
    char name[32];
    std::snprintf(name, sizeof name, "%06d.png", framesBefore + 1);
    const platform::Surface frame = platform::ReadPng((folder / name).string());
    EXPECT_EQ(frame.GetPixel(170, 15), kBlue) << "the first piece";
    EXPECT_EQ(frame.GetPixel(45, 85), kBlue) << "the second piece";
    EXPECT_EQ(frame.GetPixel(90, 50), kGreen);
    std::snprintf(name, sizeof name, "%06d.png", framesBefore + 2);
    EXPECT_FALSE(std::filesystem::exists(folder / name));

    // A paint of one rectangle still writes its frame.
    label->SetBackColor(kRed);
    windows->UpdateWindow(hwnd);
    EXPECT_EQ(headless->FramesWritten(), framesBefore + 2);
    headless->SetFrames("", 100);
    std::filesystem::remove_all(folder);
}

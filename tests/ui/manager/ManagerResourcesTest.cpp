// Tests of the manager's resource tables and shared settings: fonts, images, default lists,
// colours, colour shift, language texts, window attributes and extras, option groups, the name
// map and searches, plug-ins.
#include "ManagerTestSupport.h"

#include "platform/PngFile.h"
#include "platform/Surface.h"
#include "tests/ui/skin/ZipTestSupport.h"

using namespace mgrtest;
using ui::CUIRect;
using ui::CUIString;
using ui::CWindowManagerUI;
using ui::ResourceScope;

namespace {

std::u16string Wide(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

TEST_F(ManagerTest, RegisteringAFontIdAgainReplacesTheFirst)
{
    const platform::Font first = manager->RegisterFont(3, u"DejaVu Sans", 14, false, false, false, false);
    const platform::Font second = manager->RegisterFont(3, u"DejaVu Sans", 20, true, false, false, false);
    ASSERT_FALSE(first.IsNull());
    ASSERT_FALSE(second.IsNull());
    EXPECT_EQ(manager->FontCount(ResourceScope::Window), 1);
    EXPECT_TRUE(manager->LookupFont(3) == second);
    ui::TFontInfo* info = manager->LookupFontInfo(3);
    EXPECT_EQ(info->size, 20);
    EXPECT_TRUE(info->bold);
    EXPECT_GT(info->metrics.height, 0); // measured at once: the window exists
    EXPECT_EQ(manager->FindFontId(second, ResourceScope::Window), 3);
    EXPECT_EQ(manager->FindFontId(u"DejaVu Sans", 20, true, false, false, false, ResourceScope::Window), 3);
    EXPECT_EQ(manager->FindFontId(first, ResourceScope::Window), -1);
    EXPECT_TRUE(manager->FindFont(u"DejaVu Sans", 20, true, false, false, false) == second);
    EXPECT_TRUE(manager->FindFont(u"DejaVu Sans", 14, false, false, false, false).IsNull());
    EXPECT_TRUE(manager->LookupFontInfo(second) == info);
    EXPECT_TRUE(manager->DropFontById(3, ResourceScope::Window));
    EXPECT_FALSE(manager->DropFontById(3, ResourceScope::Window));
}

TEST_F(ManagerTest, FontLookupsFallBackWindowSharedDefault)
{
    const platform::Font shared =
        manager->RegisterFont(5, u"DejaVu Sans", 11, false, false, false, false, ResourceScope::Shared);
    const platform::Font local = manager->RegisterFont(5, u"DejaVu Sans", 17, false, false, false, false);
    ui::CWindowManagerUI other;
    EXPECT_TRUE(manager->LookupFont(5) == local);
    EXPECT_TRUE(other.LookupFont(5) == shared);

    const platform::Font byDefault = manager->DefaultFontInfo()->font;
    EXPECT_TRUE(manager->LookupFont(-1) == byDefault);
    EXPECT_TRUE(manager->LookupFont(7) == byDefault);
    EXPECT_TRUE(manager->LookupFontInfo(7) == manager->DefaultFontInfo());
    EXPECT_GT(manager->DefaultFontInfo()->metrics.height, 0);

    // A window default font replaces the shared one for this window only.
    ASSERT_TRUE(manager->ChangeDefaultFont(u"DejaVu Sans", 19, false, false, true, false));
    EXPECT_EQ(manager->DefaultFontInfo()->size, 19);
    EXPECT_TRUE(manager->LookupFont(7) == manager->DefaultFontInfo()->font);
    EXPECT_FALSE(other.DefaultFontInfo()->size == 19);

    // forceShared sends registrations to the shared table.
    other.SetForceShared(true);
    other.RegisterFont(6, u"DejaVu Sans", 9, false, false, false, false);
    EXPECT_EQ(manager->LookupFontInfo(6)->size, 9);
    manager->DropAllFonts(ResourceScope::Shared);
    EXPECT_EQ(manager->FontCount(ResourceScope::Shared), 0);
}

TEST_F(ManagerTest, SharedColourSettersLeaveColoursTheSkinSet)
{
    ui::CWindowManagerUI other;
    const std::uint32_t sharedBefore = CWindowManagerUI::SharedDefaultFontColor();
    other.SetWindowAttribute(u"defaultfontcolor", u"#FF112233");
    EXPECT_EQ(other.FontColor(), 0xFF112233u);

    manager->SetFontColor(0xFF445566, ResourceScope::Shared);
    EXPECT_EQ(manager->FontColor(), 0xFF445566u); // followed the shared colour
    EXPECT_EQ(other.FontColor(), 0xFF112233u);    // set by its skin: left alone
    EXPECT_EQ(CWindowManagerUI::SharedDefaultFontColor(), 0xFF445566u);
    // New managers start from the shared colours.
    ui::CWindowManagerUI third;
    EXPECT_EQ(third.FontColor(), 0xFF445566u);

    manager->SetFontColor(0xFF000001);
    EXPECT_EQ(CWindowManagerUI::SharedDefaultFontColor(), 0xFF445566u);
    manager->SetFontColor(sharedBefore, ResourceScope::Shared);

    ui::CWindowManagerUI defaults;
    EXPECT_EQ(defaults.DisabledColor(), 0xFFA7A6AAu);
    EXPECT_EQ(defaults.LinkColor(), 0xFF0000FFu);
    EXPECT_EQ(defaults.LinkHoverColor(), 0xFFD3215Fu);
    EXPECT_EQ(defaults.SelectedColor(), 0xFFBAE4FFu);
}

class ImageTableTest : public ManagerTest
{
protected:
    void SetUp() override
    {
        ManagerTest::SetUp();
        platform::Surface red = platform::Surface::Create(2, 1);
        red.SetPixel(0, 0, 0xFFFF0000);
        red.SetPixel(1, 0, 0xFF808080);
        ASSERT_TRUE(platform::WritePng(red.Pixels(), (dir / "red.png").string()));
        CWindowManagerUI::SetSkinFolder(Wide(dir.Path().string()).c_str());
    }
    void TearDown() override
    {
        CWindowManagerUI::SetColorShift(false, 180, 100, 100);
        manager->DropAllImages(ResourceScope::Shared);
        CWindowManagerUI::SetSkinFolder(nullptr);
        ManagerTest::TearDown();
    }
    ziptest::TempDir dir;
};

TEST_F(ImageTableTest, ImagesAreLookedUpWindowFirstThenShared)
{
    EXPECT_EQ(manager->RegisterImage(u""), nullptr);
    EXPECT_EQ(manager->RegisterImage(u"missing.png"), nullptr);
    ui::TImageRecord* shared = manager->RegisterImage(u"red.png", nullptr, 0, false, ResourceScope::Shared);
    ASSERT_NE(shared, nullptr);
    ui::CWindowManagerUI other;
    EXPECT_EQ(other.LookupImage(u"red.png"), shared);
    ui::TImageRecord* local = manager->RegisterImage(u"red.png", nullptr, 0xFFFF0000);
    ASSERT_NE(local, nullptr);
    EXPECT_EQ(local->maskColor, 0xFFFF0000u);
    EXPECT_EQ(local->pixels[0], 0u);
    EXPECT_EQ(manager->LookupImage(u"red.png"), local);
    EXPECT_EQ(manager->LookupOrLoadImage(u"red.png"), local);

    // LookupOrLoadImage loads into the window table once.
    ui::TImageRecord* colour = other.LookupOrLoadImage(u"#FF00FF00", u"*COLOR*");
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(colour->resourceType, u"*COLOR*");
    EXPECT_EQ(other.LookupOrLoadImage(u"#FF00FF00", u"*COLOR*"), colour);
    EXPECT_EQ(manager->LookupImage(u"#FF00FF00"), nullptr);

    EXPECT_TRUE(manager->DropImage(u"red.png", ResourceScope::Window));
    EXPECT_EQ(manager->LookupImage(u"red.png"), shared);

    EXPECT_EQ(manager->RegisterBitmap(u"bm", nullptr, 1, 1, false), nullptr);
    ui::HBITMAP bitmap = ui::CreateBitmap32(3, 2);
    EXPECT_EQ(manager->RegisterBitmap(u"bm", bitmap, 0, 2, false), nullptr);
    ui::TImageRecord* wrapped = manager->RegisterBitmap(u"bm", bitmap, 3, 2, true);
    ASSERT_NE(wrapped, nullptr);
    EXPECT_EQ(wrapped->pixels, nullptr);
    EXPECT_TRUE(wrapped->hasAlpha);

    const std::uint8_t bgra[4] = {1, 2, 3, 255};
    ui::TImageRecord* raw = manager->RegisterPixels(u"raw", bgra, 1, 1);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(other.LookupImage(u"raw"), raw); // always shared
}

TEST_F(ImageTableTest, ColourShiftRecoloursPristineImagesAndClamps)
{
    ui::TImageRecord* shifting = manager->RegisterImage(u"red.png", nullptr, 0, true);
    ui::TImageRecord* fixed = manager->RegisterImage(u"red.png", nullptr, 0, false, ResourceScope::Shared);
    ASSERT_NE(shifting, nullptr);
    ASSERT_NE(fixed, nullptr);
    ASSERT_TRUE(shifting->pristinePixels);
    EXPECT_FALSE(fixed->pristinePixels);

    CWindowManagerUI::SetColorShift(true, 400, -5, 250);
    short h = 0, s = 0, l = 0;
    EXPECT_TRUE(CWindowManagerUI::ColorShift(h, s, l));
    EXPECT_EQ(h, 360);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(l, 200);

    CWindowManagerUI::SetColorShift(true, 60, 100, 100);
    EXPECT_EQ(shifting->pixels[0], 0xFF0000FFu);
    EXPECT_EQ(fixed->pixels[0], 0xFFFF0000u);

    // An image registered while the shift is on is shifted at once.
    ui::CWindowManagerUI other;
    ui::TImageRecord* late = other.RegisterImage(u"red.png", nullptr, 0, true);
    EXPECT_EQ(late->pixels[0], 0xFF0000FFu);

    // Switching off restores the pristine pixels even with the same values.
    CWindowManagerUI::SetColorShift(false, 60, 100, 100);
    EXPECT_FALSE(CWindowManagerUI::IsColorShiftOn());
    EXPECT_EQ(shifting->pixels[0], 0xFFFF0000u);

    // Reloading keeps the record and the shift.
    CWindowManagerUI::SetColorShift(true, 300, 100, 100);
    manager->ReloadImages();
    EXPECT_EQ(manager->LookupImage(u"red.png"), shifting);
    EXPECT_EQ(shifting->pixels[0], 0xFF00FF00u);
}

TEST_F(ManagerTest, LanguageTokens)
{
    CWindowManagerUI::RegisterLanguageText(12, u"abc");
    CUIString text(u"x %{12} y %{12} %{12 %{99} %{} %%{12}");
    CWindowManagerUI::ExpandLanguageTokens(text);
    EXPECT_EQ(std::u16string(text.CStr()), u"x abc y abc %{12 %{99} %{} %abc");
    EXPECT_EQ(std::u16string(CWindowManagerUI::LookupLanguageText(12)), u"abc");

    // A text holding its own token ends.
    CWindowManagerUI::RegisterLanguageText(13, u"a%{13}");
    CUIString self(u"%{13}");
    CWindowManagerUI::ExpandLanguageTokens(self);
    EXPECT_GT(self.Length(), 0);

    EXPECT_TRUE(CWindowManagerUI::DropLanguageText(12));
    EXPECT_EQ(CWindowManagerUI::LookupLanguageText(12), nullptr);
    CWindowManagerUI::DropAllLanguageTexts();
    EXPECT_EQ(CWindowManagerUI::LookupLanguageText(13), nullptr);
}

TEST_F(ManagerTest, WindowAttributesAndExtras)
{
    manager->SetWindowAttribute(u"Size", u"320,240");
    EXPECT_EQ(manager->InitialSize(), ui::CUISize(320, 240));
    EXPECT_EQ(manager->ClientSize(), ui::CUISize(320, 240)); // no root yet: the window follows
    manager->SetWindowAttribute(u"caption", u"0,0,0,-1");
    EXPECT_EQ(manager->CaptionRect(), CUIRect(0, 0, 0, 240));
    manager->SetWindowAttribute(u"roundcorner", u"5,6");
    EXPECT_EQ(manager->RoundCorner(), ui::CUISize(5, 6));
    manager->SetWindowAttribute(u"sizebox", u"1,2,3,4");
    EXPECT_EQ(manager->SizeBox(), CUIRect(1, 2, 3, 4));
    manager->SetWindowAttribute(u"maxinfo", u"800 600");
    EXPECT_EQ(manager->MaxTrackSize(), ui::CUISize(800, 600));
    manager->SetWindowAttribute(u"shadowcolor", u"#80102030");
    EXPECT_EQ(manager->ShadowColor(), 0x80102030u);
    manager->SetWindowAttribute(u"shadowfocusscales", u"0.5");
    EXPECT_FLOAT_EQ(manager->ShadowFocusScale(), 0.5f);
    manager->SetWindowAttribute(u"opacity", u"300");
    EXPECT_EQ(manager->Opacity(), 255);
    manager->SetWindowAttribute(u"opacity", u"200");
    EXPECT_EQ(manager->Opacity(), 200);
    EXPECT_NE(windows->GetWindowLongPtr(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    EXPECT_EQ(windows->WindowOpacity(hwnd), 200) << "the opacity reaches the window";
    manager->SetOpacity(255);
    EXPECT_EQ(windows->GetWindowLongPtr(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    EXPECT_EQ(windows->WindowOpacity(hwnd), 255) << "a window that stops being layered is opaque";
    manager->SetWindowAttribute(u"linkfontcolor", u"FF00AA00");
    EXPECT_EQ(manager->LinkColor(), 0xFF00AA00u);

    // "noactivate" is matched exactly; other spellings become extras.
    manager->SetWindowAttribute(u"NoActivate", u"true");
    EXPECT_FALSE(manager->IsNoActivate());
    EXPECT_EQ(std::u16string(manager->LookupWindowExtra(u"NoActivate")), u"true");
    manager->SetWindowAttribute(u"noactivate", u"True");
    EXPECT_TRUE(manager->IsNoActivate());

    // Extras keep the first value.
    manager->SetWindowAttribute(u"theme", u"dark");
    manager->SetWindowAttribute(u"theme", u"light");
    EXPECT_EQ(std::u16string(manager->LookupWindowExtra(u"theme")), u"dark");
    EXPECT_FALSE(manager->RegisterWindowExtra(u"empty", u""));
    EXPECT_EQ(manager->LookupWindowExtra(u"empty"), nullptr);
    EXPECT_TRUE(manager->DropWindowExtra(u"theme"));
    EXPECT_EQ(manager->LookupWindowExtra(u"theme"), nullptr);
}

TEST_F(ManagerTest, DefaultAttributeListsAndOptionGroups)
{
    manager->RegisterDefaultAttributes(u"Button", u"height=\"20\"", ResourceScope::Shared);
    ui::CWindowManagerUI other;
    EXPECT_EQ(std::u16string(other.LookupDefaultAttributes(u"Button")), u"height=\"20\"");
    manager->RegisterDefaultAttributes(u"Button", u"height=\"30\"");
    manager->RegisterDefaultAttributes(u"Button", u"height=\"40\"");
    EXPECT_EQ(std::u16string(manager->LookupDefaultAttributes(u"Button")), u"height=\"40\"");
    EXPECT_TRUE(manager->DropDefaultAttributes(u"Button", ResourceScope::Window));
    EXPECT_EQ(std::u16string(manager->LookupDefaultAttributes(u"Button")), u"height=\"20\"");
    manager->DropAllDefaultAttributes(ResourceScope::Shared);
    EXPECT_EQ(manager->LookupDefaultAttributes(u"Button"), nullptr);

    ProbeControl a(u"a"), b(u"b");
    EXPECT_TRUE(manager->JoinOptionGroup(u"g", &a));
    EXPECT_TRUE(manager->JoinOptionGroup(u"g", &a));
    EXPECT_TRUE(manager->JoinOptionGroup(u"g", &b));
    ASSERT_NE(manager->OptionGroup(u"g"), nullptr);
    EXPECT_EQ(manager->OptionGroup(u"g")->GetSize(), 2);
    EXPECT_GE(manager->OptionGroup(u"g")->GetCapacity(), 6);
    manager->LeaveOptionGroup(u"g", &a);
    manager->LeaveOptionGroup(u"g", &b);
    EXPECT_EQ(manager->OptionGroup(u"g"), nullptr);
}

TEST_F(ManagerTest, RenameControlRefusesATakenName)
{
    auto* a = new ProbeControl(u"a");
    auto* b = new ProbeControl(u"b");
    AttachTree({a, b});
    EXPECT_FALSE(manager->RenameControl(b, u"a"));
    EXPECT_EQ(b->GetName(), u"b");
    EXPECT_EQ(manager->ControlByName(u"a"), a);
    EXPECT_EQ(manager->ControlByName(u"b"), b);

    EXPECT_TRUE(manager->RenameControl(b, u"b"));
    EXPECT_FALSE(manager->RenameControl(b, u""));
    EXPECT_FALSE(manager->RenameControl(nullptr, u"c"));
    ProbeControl stranger(u"s");
    EXPECT_FALSE(manager->RenameControl(&stranger, u"c"));

    EXPECT_TRUE(manager->RenameControl(b, u"c"));
    EXPECT_EQ(b->GetName(), u"c");
    EXPECT_EQ(manager->ControlByName(u"c"), b);
    EXPECT_EQ(manager->ControlByName(u"b"), nullptr);
}

TEST_F(ManagerTest, SearchesAndTheNameMap)
{
    auto* a = FloatingProbe(u"Alpha", 0, 0, 50, 50);
    auto* b = FloatingProbe(u"beta", 10, 10, 40, 40);
    auto* inner = new ui::CContainerUI;
    inner->SetName(u"inner");
    auto* deep = new ProbeControl(u"deep", 0, u"Deep");
    inner->Add(deep);
    ui::CContainerUI* root = AttachTree({a, b, inner});
    EXPECT_EQ(manager->Root(), root);
    EXPECT_EQ(manager->ControlByName(u"deep"), deep);
    EXPECT_EQ(manager->ControlByName(u"DEEP"), nullptr);
    EXPECT_EQ(manager->SubControlByName(nullptr, u"ALPHA"), a);
    EXPECT_EQ(manager->SubControlByName(inner, u"alpha"), nullptr);
    EXPECT_EQ(manager->SubControlByClass(nullptr, u"Deep", 0), deep);
    EXPECT_EQ(manager->SubControlByClass(nullptr, u"Deep", 1), nullptr);
    EXPECT_EQ(manager->SubControlsByClass(nullptr, u"Probe")->GetSize(), 2);
    EXPECT_EQ(manager->SubControlsByClass(nullptr, u"*")->GetSize(), 5);
    // The topmost control under a point: the last child that holds it, and inside it the deepest.
    EXPECT_EQ(manager->ControlAt(ui::CUIPoint(20, 20)), deep);
    inner->SetVisible(false);
    EXPECT_EQ(manager->ControlAt(ui::CUIPoint(20, 20)), b);
    b->SetMouseEnabled(false);
    EXPECT_EQ(manager->ControlAt(ui::CUIPoint(20, 20)), a);

    EXPECT_EQ(CWindowManagerUI::FindManager(u"test"), manager.get());
    EXPECT_EQ(CWindowManagerUI::FindManager(u""), nullptr);
}

TEST_F(ManagerTest, AttachingToASecondWindowListsTheManagerOnce)
{
    const int before = CWindowManagerUI::Managers().GetSize();
    HWND second = windows->CreateWindowEx(0, u"ManagerTestWnd", u"two", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                          nullptr, nullptr);
    manager->AttachWindow(second);
    EXPECT_EQ(CWindowManagerUI::Managers().GetSize(), before);
    manager->AttachWindow(hwnd);
    {
        ui::CWindowManagerUI temporary;
        temporary.AttachWindow(second, u"two");
        EXPECT_EQ(CWindowManagerUI::Managers().GetSize(), before + 1);
    }
    EXPECT_EQ(CWindowManagerUI::Managers().GetSize(), before);
}

TEST_F(ManagerTest, PluginsExportAControlFactory)
{
    EXPECT_FALSE(CWindowManagerUI::LoadPluginLibrary(nullptr));
    EXPECT_FALSE(CWindowManagerUI::LoadPluginLibrary(u"/no/such/library.so"));
    EXPECT_FALSE(CWindowManagerUI::LoadPluginLibrary(Wide(TVU_TEST_PLUGIN_NOFACTORY).c_str()));
    const int before = CWindowManagerUI::Plugins().GetSize();
    ASSERT_TRUE(CWindowManagerUI::LoadPluginLibrary(Wide(TVU_TEST_PLUGIN).c_str()));
    ASSERT_TRUE(CWindowManagerUI::LoadPluginLibrary(Wide(TVU_TEST_PLUGIN).c_str()));
    ASSERT_EQ(CWindowManagerUI::Plugins().GetSize(), before + 1);
    auto factory = reinterpret_cast<ui::PluginFactory>(CWindowManagerUI::Plugins()[before]);
    EXPECT_NE(factory(u"P"), nullptr);
    EXPECT_EQ(factory(u"Q"), nullptr);
}

TEST_F(ManagerTest, SkinFolderAndDirectories)
{
    CWindowManagerUI::SetSkinFolder(u"skins");
    EXPECT_EQ(std::u16string(CWindowManagerUI::SkinFolder()), u"skins\\");
    CWindowManagerUI::SetSkinFolder(nullptr);
    EXPECT_TRUE(CWindowManagerUI::AppDirectory().IsEmpty());
    CWindowManagerUI::SetAppInstance(reinterpret_cast<ui::HINSTANCE>(1));
    const CUIString dir = CWindowManagerUI::AppDirectory();
    EXPECT_EQ(dir[dir.Length() - 1], u'/');
    CWindowManagerUI::SetAppInstance(nullptr);
    EXPECT_FALSE(CWindowManagerUI::CurrentDirectory().IsEmpty());
}

} // namespace

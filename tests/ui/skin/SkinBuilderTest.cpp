// The skin builder: definitions, the control parse with defaults, includes, overlays and tree
// nodes, the class table and callback, and the child layout's nested build.
#include "ui/controls/ChildLayout.h"
#include "ui/controls/HorizontalLayout.h"
#include "ui/controls/ListControls.h"
#include "ui/controls/VerticalLayout.h"
#include "ui/manager/WindowManager.h"
#include "ui/builder/SkinBuilder.h"

#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace ui {

namespace {

// Stands in for the button class, which the table does not create yet.
class CFakeButtonUI : public CControlUI
{
public:
    const char16_t* GetClassName() const override { return u"Button"; }
};

class CFakeButtonFactory : public IBuilderCallbackUI
{
public:
    CControlUI* CreateControl(const char16_t* className) override
    {
        asked.push_back(className);
        return CUIString(className).CompareNoCase(u"Button") == 0 ? new CFakeButtonUI : nullptr;
    }
    std::vector<std::u16string> asked;
};

class SkinBuilderTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        CSkinBuilder::SetResourceReader(nullptr);
        m_manager.DropAllDefaultAttributes(ResourceScope::Shared);
        CWindowManagerUI::DropAllLanguageTexts();
    }

    // Builds markup text with the fixture's manager and no parent; the caller owns the result.
    std::unique_ptr<CControlUI> Build(const char16_t* markup, IBuilderCallbackUI* callback = nullptr)
    {
        CSkinBuilder builder;
        return std::unique_ptr<CControlUI>(builder.Create(markup, nullptr, callback, &m_manager, nullptr));
    }

    // Serves resources from a table and counts the reads of each id.
    void ServeResources(std::map<std::u16string, std::string> resources)
    {
        m_resources = std::move(resources);
        CSkinBuilder::SetResourceReader([this](const char16_t* type, const char16_t* name) {
            EXPECT_EQ(std::u16string(type), u"SKIN");
            ++m_reads[name];
            const auto it = m_resources.find(name);
            if (it == m_resources.end()) {
                return std::vector<std::uint8_t>();
            }
            return std::vector<std::uint8_t>(it->second.begin(), it->second.end());
        });
    }

    CWindowManagerUI m_manager;
    std::map<std::u16string, std::string> m_resources;
    std::map<std::u16string, int> m_reads;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Definitions
// ---------------------------------------------------------------------------------------------

TEST_F(SkinBuilderTest, FontWithDefaultSetsTheDefaultFontAndTheControlFollows)
{
    CFakeButtonFactory factory;
    auto root = Build(u"<Window><Font id=\"0\" name=\"DejaVu Sans\" size=\"15\" bold=\"TRUE\" default=\"true\"/>"
                      u"<Button/></Window>",
                      &factory);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(CUIString(root->GetClassName()), u"Button");
    EXPECT_EQ(m_manager.FontCount(ResourceScope::Window), 1);
    const TFontInfo* font = m_manager.LookupFontInfo(0);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->size, 15);
    EXPECT_TRUE(font->bold);
    EXPECT_EQ(m_manager.DefaultFontInfo()->faceName, u"DejaVu Sans");
    EXPECT_EQ(m_manager.DefaultFontInfo()->size, 15);
}

TEST_F(SkinBuilderTest, FontWithoutIdAddsNothingAndKeepsTheDefault)
{
    const CUIString before = m_manager.DefaultFontInfo()->faceName;
    auto root = Build(u"<Window><Font name=\"DejaVu Serif\" default=\"true\"/><Font id=\"2\" default=\"true\"/>"
                      u"<Control/></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(m_manager.FontCount(ResourceScope::Window), 0);
    EXPECT_EQ(m_manager.DefaultFontInfo()->faceName, before);
}

TEST_F(SkinBuilderTest, LanguageTextsAndColourImagesAreRegistered)
{
    auto root = Build(u"<Window><MultiLanguage id=\"7\" value=\"seven\"/><MultiLanguage id=\"-1\" value=\"x\"/>"
                      u"<Image name=\"#FF00FF00\" restype=\"*COLOR*\" shared=\"true\"/>"
                      u"<Image name=\"#FF0000FF\" restype=\"*COLOR*\"/><Control/></Window>");
    ASSERT_NE(root, nullptr);
    ASSERT_NE(CWindowManagerUI::LookupLanguageText(7), nullptr);
    EXPECT_EQ(CUIString(CWindowManagerUI::LookupLanguageText(7)), u"seven");
    EXPECT_EQ(CWindowManagerUI::LookupLanguageText(-1), nullptr);
    // shared="true" selects the process-wide table.
    EXPECT_TRUE(m_manager.DropImage(u"#FF00FF00", ResourceScope::Shared));
    EXPECT_TRUE(m_manager.DropImage(u"#FF0000FF", ResourceScope::Window));
}

TEST_F(SkinBuilderTest, WindowAttributesApplyOnlyToAManagerWithAWindow)
{
    const char16_t* markup = u"<window roundcorner=\"4,5\" caption=\"0,0,0,30\" flavour=\"mint\"><Control/></window>";
    auto detached = Build(markup);
    ASSERT_NE(detached, nullptr);
    EXPECT_EQ(m_manager.RoundCorner(), CUISize(0, 0));
    EXPECT_EQ(m_manager.LookupWindowExtra(u"flavour"), nullptr);

    platform::WindowSystem::Install(std::make_unique<platform::HeadlessBackend>());
    WNDCLASSEXW wc;
    wc.lpfnWndProc = [](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        return platform::Windows().DefWindowProc(hwnd, msg, w, l);
    };
    wc.lpszClassName = platform::Win32Text(u"BuilderTestWnd");
    platform::Windows().RegisterClassEx(wc);
    HWND window = platform::Windows().CreateWindowEx(0, u"BuilderTestWnd", u"t", WS_POPUP, 0, 0, 100, 80, nullptr,
                                                     nullptr, nullptr, nullptr);
    {
        CWindowManagerUI attached;
        attached.AttachWindow(window);
        CSkinBuilder builder;
        std::unique_ptr<CControlUI> root(builder.Create(markup, nullptr, nullptr, &attached));
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(attached.RoundCorner(), CUISize(4, 5));
        EXPECT_EQ(attached.CaptionRect(), CUIRect(0, 0, 0, 30));
        ASSERT_NE(attached.LookupWindowExtra(u"flavour"), nullptr);
        EXPECT_EQ(CUIString(attached.LookupWindowExtra(u"flavour")), u"mint");
    }
    platform::WindowSystem::Shutdown();
}

// ---------------------------------------------------------------------------------------------
// Default attribute lists
// ---------------------------------------------------------------------------------------------

TEST_F(SkinBuilderTest, DefaultListComesBeforeTheElementsOwnAttributes)
{
    auto root = Build(u"<Window><Default name=\"Control\" value=\"width=&quot;10&quot; height=&quot;20&quot;\"/>"
                      u"<Control width=\"30\"/></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetFixedWidth(), 30);
    EXPECT_EQ(root->GetFixedHeight(), 20);
}

TEST_F(SkinBuilderTest, DefaultListIsKeyedByTheNameAsWrittenWindowTableFirst)
{
    CFakeButtonFactory factory;
    m_manager.RegisterDefaultAttributes(u"button", u"height=\"5\" width=\"6\"", ResourceScope::Shared);
    auto root = Build(u"<Window><Default name=\"Button\" value=\"height=&quot;1&quot;\"/>"
                      u"<Default name=\"button\" value=\"height=&quot;2&quot;\"/>"
                      u"<VBox><button/><Button/></VBox></Window>",
                      &factory);
    ASSERT_NE(root, nullptr);
    auto* box = static_cast<CContainerUI*>(root->CastTo(u"Container"));
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->GetCount(), 2);
    EXPECT_EQ(box->GetItemAt(0)->GetFixedHeight(), 2);
    EXPECT_EQ(box->GetItemAt(0)->GetFixedWidth(), 0); // the shared "button" list is not merged in
    EXPECT_EQ(box->GetItemAt(1)->GetFixedHeight(), 1);
    // "Button" is a built-in class, so the table creates both elements and the callback is never asked.
    EXPECT_TRUE(factory.asked.empty());

    CFakeButtonFactory second;
    CWindowManagerUI other;
    CSkinBuilder builder;
    std::unique_ptr<CControlUI> fromShared(builder.Create(u"<Window><button/></Window>", nullptr, &second, &other));
    ASSERT_NE(fromShared, nullptr);
    EXPECT_EQ(fromShared->GetFixedWidth(), 6);
}

// ---------------------------------------------------------------------------------------------
// The control parse
// ---------------------------------------------------------------------------------------------

TEST_F(SkinBuilderTest, ClassNamesMatchIgnoringCaseAndShortNamesCreateLayouts)
{
    auto root = Build(u"<Window><vbox><HBOX/><horizontalLayout/><tree/><comboBox/><TileLayout/></vbox></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_NE(root->CastTo(u"VerticalLayout"), nullptr);
    auto* box = static_cast<CContainerUI*>(root->CastTo(u"Container"));
    ASSERT_EQ(box->GetCount(), 5);
    EXPECT_EQ(CUIString(box->GetItemAt(0)->GetClassName()), u"HorizontalLayout");
    EXPECT_EQ(CUIString(box->GetItemAt(1)->GetClassName()), u"HorizontalLayout");
    EXPECT_EQ(CUIString(box->GetItemAt(2)->GetClassName()), u"TreeView");
    EXPECT_EQ(CUIString(box->GetItemAt(3)->GetClassName()), u"Combo");
    EXPECT_EQ(CUIString(box->GetItemAt(4)->GetClassName()), u"TileLayout");
}

// Least-form classes that show text keep it and answer as labels; animated buttons answer as buttons.
TEST_F(SkinBuilderTest, LeastFormTextClassesAreLabelsAndAnimatedButtonsAreButtons)
{
    auto root =
        Build(u"<Window><VerticalLayout><Edit text=\"e\"/><Progress text=\"p\"/><DateTime text=\"d\"/>"
              u"<ListHeaderItem text=\"h\"/><GifButton text=\"g\"/><Slider/><ActiveX/></VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    auto* box = static_cast<CContainerUI*>(root->CastTo(u"Container"));
    ASSERT_EQ(box->GetCount(), 7);
    const char16_t* texts[] = {u"e", u"p", u"d", u"h", u"g"};
    for (int i = 0; i < 5; ++i) {
        CControlUI* item = box->GetItemAt(i);
        EXPECT_NE(item->CastTo(u"Label"), nullptr) << i;
        EXPECT_EQ(CUIString(item->GetText()), texts[i]) << i;
    }
    EXPECT_NE(box->GetItemAt(4)->CastTo(u"Button"), nullptr);
    EXPECT_NE(box->GetItemAt(5)->CastTo(u"Progress"), nullptr);
    EXPECT_NE(box->GetItemAt(5)->CastTo(u"Label"), nullptr);
    EXPECT_EQ(box->GetItemAt(6)->CastTo(u"Label"), nullptr);
}

TEST_F(SkinBuilderTest, UnknownElementIsSkippedWithItsSubtreeAfterAskingTheCallback)
{
    CFakeButtonFactory factory;
    auto root = Build(u"<Window><VerticalLayout><Bogus><Button/><Control/></Bogus><Control name=\"kept\"/>"
                      u"</VerticalLayout></Window>",
                      &factory);
    ASSERT_NE(root, nullptr);
    auto* box = static_cast<CContainerUI*>(root->CastTo(u"Container"));
    ASSERT_EQ(box->GetCount(), 1);
    EXPECT_EQ(box->GetItemAt(0)->GetName(), u"kept");
    EXPECT_EQ(factory.asked, (std::vector<std::u16string>{u"Bogus"}));
}

TEST_F(SkinBuilderTest, CoverIsComparedExactly)
{
    auto root = Build(u"<Window><VerticalLayout><Control name=\"over\" cover=\"true\"/>"
                      u"<Control name=\"child\" cover=\"TRUE\"/></VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    ASSERT_NE(root->GetOverlay(), nullptr);
    EXPECT_EQ(root->GetOverlay()->GetName(), u"over");
    auto* box = static_cast<CContainerUI*>(root->CastTo(u"Container"));
    ASSERT_EQ(box->GetCount(), 1);
    EXPECT_EQ(box->GetItemAt(0)->GetName(), u"child");
}

TEST_F(SkinBuilderTest, BuiltControlsAreLeftDetachedWithTheirChildrenInOrder)
{
    auto root = Build(u"<Window><HorizontalLayout><Control name=\"a\"/><Control name=\"b\"/></HorizontalLayout>"
                      u"<Control name=\"second-root\"/></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetManager(), nullptr);
    auto* box = static_cast<CContainerUI*>(root->CastTo(u"Container"));
    ASSERT_EQ(box->GetCount(), 2);
    EXPECT_EQ(box->GetItemAt(1)->GetName(), u"b");
    EXPECT_EQ(box->GetItemAt(1)->GetManager(), nullptr);
}

TEST_F(SkinBuilderTest, ParentThatHoldsNoChildrenEndsItsLevel)
{
    auto root = Build(u"<Window><Control name=\"plain\"><Control/><Control/></Control></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), u"plain");
}

TEST_F(SkinBuilderTest, MarkupErrorReturnsNullWithTheParsersMessage)
{
    CSkinBuilder builder;
    EXPECT_EQ(builder.Create(u"<Window><Control name='x'/></Window>", nullptr, nullptr, &m_manager), nullptr);
    char16_t message[100];
    builder.ErrorMessage(message, 100);
    EXPECT_EQ(CUIString(message), u"Expected attribute value");

    CSkinBuilder missing;
    EXPECT_EQ(missing.Create(u"no-such-skin-file.xml", nullptr, nullptr, &m_manager), nullptr);
    missing.ErrorMessage(message, 100);
    EXPECT_EQ(CUIString(message), u"Error opening file");
}

// ---------------------------------------------------------------------------------------------
// Includes
// ---------------------------------------------------------------------------------------------

TEST_F(SkinBuilderTest, IncludeWithCountBuildsRepeatedlyFromOneLoad)
{
    ServeResources({{u"1", "<Window><VerticalLayout><Include source=\"2\" count=\"3\"/><Control name=\"last\"/>"
                           "</VerticalLayout></Window>"},
                    {u"2", "<Window><Control name=\"inc\"/></Window>"}});
    CSkinBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(MAKEINTRESOURCEW(1), u"SKIN", nullptr, &m_manager));
    ASSERT_NE(root, nullptr);
    auto* box = static_cast<CContainerUI*>(root->CastTo(u"Container"));
    ASSERT_EQ(box->GetCount(), 4);
    EXPECT_EQ(box->GetItemAt(0)->GetName(), u"inc");
    EXPECT_EQ(box->GetItemAt(2)->GetName(), u"inc");
    EXPECT_EQ(box->GetItemAt(3)->GetName(), u"last");
    EXPECT_EQ(m_reads[u"2"], 1);
}

TEST_F(SkinBuilderTest, IncludeOfMarkupTextAndIncludesWithoutSourceOrAttributes)
{
    auto root = Build(u"<Window><HBox><Include source=\"&lt;X&gt;&lt;Control/&gt;&lt;Control/&gt;&lt;/X&gt;\" "
                      u"count=\"2\"/><Include/><Include count=\"4\"/></HBox></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(static_cast<CContainerUI*>(root->CastTo(u"Container"))->GetCount(), 4);
}

TEST_F(SkinBuilderTest, SelfIncludingSkinStopsAtTheNestingLimit)
{
    ServeResources({{u"3", "<Window><VBox><Include source=\"3\"/></VBox></Window>"}});
    CSkinBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(MAKEINTRESOURCEW(3), u"SKIN", nullptr, &m_manager));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(m_reads[u"3"], CSkinBuilder::kMaxNesting);
}

TEST_F(SkinBuilderTest, MissingResourceOrReaderGivesNull)
{
    CSkinBuilder builder;
    EXPECT_EQ(builder.Create(MAKEINTRESOURCEW(9), u"SKIN", nullptr, &m_manager), nullptr);
    ServeResources({});
    EXPECT_EQ(builder.Create(MAKEINTRESOURCEW(9), u"SKIN", nullptr, &m_manager), nullptr);
    EXPECT_EQ(m_reads[u"9"], 1);
}

// ---------------------------------------------------------------------------------------------
// Tree nodes
// ---------------------------------------------------------------------------------------------

TEST_F(SkinBuilderTest, TreeNodesNestInsideATreeView)
{
    m_manager.RegisterDefaultAttributes(u"TreeNode", u"height=\"18\"");
    auto root = Build(u"<Window><TreeView><TreeNode name=\"top\"><TreeNode name=\"leaf\" height=\"20\"/>"
                      u"<Control name=\"c\"/></TreeNode></TreeView></Window>");
    ASSERT_NE(root, nullptr);
    auto* view = static_cast<CTreeViewUI*>(root->CastTo(u"TreeView"));
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->GetCount(), 1);
    auto* top = static_cast<CTreeNodeUI*>(view->GetItemAt(0)->CastTo(u"TreeNode"));
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->GetName(), u"top");
    EXPECT_EQ(top->GetFixedHeight(), 18);
    ASSERT_EQ(top->GetCount(), 2);
    EXPECT_EQ(top->GetItemAt(0)->GetFixedHeight(), 20);
    EXPECT_EQ(top->GetItemAt(1)->GetName(), u"c");
}

TEST_F(SkinBuilderTest, TreeNodeOutsideATreeIsSkippedOrEndsTheLevel)
{
    auto root = Build(u"<Window><TreeNode/><Control name=\"first\"/></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), u"first");

    auto box = Build(u"<Window><VBox><Control/><TreeNode/><Control/></VBox></Window>");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(static_cast<CContainerUI*>(box->CastTo(u"Container"))->GetCount(), 1);
}

// ---------------------------------------------------------------------------------------------
// Child layout
// ---------------------------------------------------------------------------------------------

TEST_F(SkinBuilderTest, ChildLayoutBuildsItsContentWhenAttached)
{
    CSkinBuilder builder;
    CControlUI* root = builder.Create(u"<Window><VBox><ChildLayout name=\"child\" xmlfile=\"&lt;W&gt;&lt;HBox "
                                      u"name=&quot;inner&quot;/&gt;&lt;/W&gt;\"/>"
                                      u"<ChildLayout name=\"broken\" xmlfile=\"&lt;W&gt;&lt;HBox\"/></VBox></Window>",
                                      nullptr, nullptr, &m_manager);
    ASSERT_NE(root, nullptr);
    auto* child = static_cast<CChildLayoutUI*>(static_cast<CContainerUI*>(root->CastTo(u"Container"))->GetItemAt(0));
    EXPECT_EQ(child->GetCount(), 0);
    EXPECT_EQ(child->CastTo(u"IContainer"), nullptr);
    EXPECT_EQ(child->CastTo(u"Container"), nullptr);
    EXPECT_EQ(child->CastTo(u"Control"), static_cast<void*>(static_cast<CControlUI*>(child)));

    ASSERT_TRUE(m_manager.AttachRoot(root));
    ASSERT_EQ(child->GetCount(), 1);
    EXPECT_EQ(child->GetItemAt(0)->GetName(), u"inner");
    EXPECT_EQ(m_manager.ControlByName(u"inner"), child->GetItemAt(0));
    auto* broken = static_cast<CChildLayoutUI*>(static_cast<CContainerUI*>(root)->GetItemAt(1));
    EXPECT_EQ(broken->GetCount(), 0);
}

} // namespace ui

// A second copy of the uninstaller, started while the first one asks its question, raises the
// first one's window above whatever covers it and exits: two real processes on the SDL backend
// under a private Xvfb server, where the stacking order of the windows can be read back. The
// question's own loop must serve the raise request, or the second copy would take it for no
// window and run a removal of its own beside the first.
#include "XDisplay.h"

#include <algorithm>

namespace e2e {
namespace {

// The window's ancestor that is a child of the root: without a window manager the window itself.
Window TopLevelOf(::Display* display, Window window)
{
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count))
            return window;
        if (children)
            XFree(children);
        if (parent == root || parent == 0)
            return window;
        window = parent;
    }
}

// The place of a top-level window in the root's stacking order (bottom first); -1 when missing.
int StackingIndex(::Display* display, Window topLevel)
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return -1;
    int index = -1;
    for (unsigned i = 0; i < count; ++i) {
        if (children[i] == topLevel)
            index = int(i);
    }
    if (children)
        XFree(children);
    return index;
}

using SecondInstance = RealDisplayTest;

TEST_F(SecondInstance, ASecondCopyRaisesTheFirstCopysCoveredWindowAndExits)
{
    ASSERT_NO_FATAL_FAILURE(box.Stage(200));

    fs::copy_file(UninstallerPath(), box.TempCopy());
    const int first = box.Spawn(box.TempCopy().string(), {}, SdlEnv(box, server.Name()));
    Placed main, dialog;
    ASSERT_TRUE(WaitForWindowAndBox(display, main, dialog)) << "the first copy shows no window and question";
    // A window of another program over the uninstaller's.
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = 0xFF00FF;
    const Window cover =
        XCreateWindow(display, DefaultRootWindow(display), main.x, main.y, unsigned(main.width), unsigned(main.height),
                      0, CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(display, cover);
    XSync(display, False);
    const Window mainTop = TopLevelOf(display, main.window);
    ASSERT_GT(StackingIndex(display, cover), StackingIndex(display, mainTop)) << "the cover is not on top";

    const int second = box.Spawn(box.TempCopy().string(), {}, SdlEnv(box, server.Name()));
    EXPECT_EQ(box.WaitExit(second, 5s), 0) << "the second copy did not leave at once";
    EXPECT_TRUE(WaitFor(
        [&] {
            XSync(display, False);
            return StackingIndex(display, mainTop) > StackingIndex(display, cover);
        },
        2s))
        << "the first copy's window was not raised above the cover";

    XDestroyWindow(display, cover);
    XSync(display, False);
    // The first copy's question is still open, and its answer starts the one removal.
    XSetInputFocus(display, dialog.window, RevertToParent, CurrentTime);
    XSync(display, False);
    fake.Press(display, XK_Return);
    EXPECT_EQ(box.WaitExit(first, 60s), 0);
    EXPECT_FALSE(fs::exists(box.Install())) << "the first copy did not finish the removal";
}

} // namespace
} // namespace e2e

// The window manager: the per-window hub of the framework. It owns a window's control tree, its
// resource tables (fonts, images, default attribute lists, colours) and its timers, routes window
// messages to controls as events, keeps focus and Tab order, delivers notifications and paints.
// Process-wide settings and the shared resource tables live here too, as statics. The class is
// implemented in one file per part: WindowManager.cpp (settings, attachment, the tree and its
// lists), WindowManagerResources.cpp, WindowManagerDispatch.cpp, WindowManagerFocus.cpp,
// WindowManagerNotify.cpp, WindowManagerTimers.cpp, WindowManagerTooltip.cpp, WindowManagerPaint.cpp.
#pragma once

#include "platform/DeviceContext.h"
#include "platform/Font.h"
#include "platform/Win32Defs.h"
#include "ui/core/ModuleHandle.h"
#include "ui/core/PtrArray.h"
#include "ui/core/StringPtrMap.h"
#include "ui/core/UIRect.h"
#include "ui/core/UIString.h"
#include "ui/manager/OwningStringMap.h"
#include "ui/manager/UIEvent.h"
#include "ui/render/ImageLoader.h"
#include "ui/render/RenderKit.h"
#include "ui/render/RenderResources.h"
#include "ui/skin/SkinSource.h"
#include "ui/skin/ZipArchive.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform {
class Surface;
}

namespace ui {

class CControlUI;

// What SetSkinArchive does with the archive: open it once and keep it open, or leave it to every load.
enum class ArchiveMode
{
    OpenPerLoad,
    KeepOpen,
};

// A factory exported as "CreateControl" by a plug-in library: a control for a class name the skin
// builder does not know, or null.
using PluginFactory = CControlUI* (*)(const char16_t* className);

// Drawing looks fonts and images up through IRenderResources, which the manager implements.

// The owning tables of fonts, images and texts a manager (or the process) registers.
struct TImageRecordFree
{
    void operator()(TImageRecord* record) const { CImageLoader::FreeImageRecord(record, true); }
};
using CFontTable = COwningStringMap<TFontInfo>;
using CImageTable = COwningStringMap<TImageRecord, TImageRecordFree>;
using CTextTable = COwningStringMap<CUIString>;

class CWindowManagerUI final : public IRenderResources
{
public:
    CWindowManagerUI();
    ~CWindowManagerUI();
    CWindowManagerUI(const CWindowManagerUI&) = delete;
    CWindowManagerUI& operator=(const CWindowManagerUI&) = delete;

    // -----------------------------------------------------------------------------------------
    // Process-wide settings, shared by every manager and set once at start-up on the UI thread.
    // -----------------------------------------------------------------------------------------

    static void SetAppInstance(HINSTANCE instance);
    static HINSTANCE AppInstance();
    // The directory of the program's executable with its trailing separator; empty without instance.
    static CUIString AppDirectory();
    static CUIString CurrentDirectory();
    static bool SetCurrentDirectory(const char16_t* path);
    // The module whose resources hold skins; falls back to the app instance when not set.
    static void SetResourceInstance(HINSTANCE instance);
    static HINSTANCE ResourceInstance();

    // The path prefix of every skin file; a separator is appended when the path does not end in one.
    static void SetSkinFolder(const char16_t* path);
    static const char16_t* SkinFolder();

    // Names an archive file inside the skin folder. With KeepOpen the archive is opened at once and
    // stays open; with OpenPerLoad every load opens it anew.
    static void SetSkinArchive(const char16_t* name, ArchiveMode mode, const char* password);
    // Uses an archive held in memory (named "membuffer"). The block is read in place: it must stay
    // valid while the archive is open. A memory archive is always kept open.
    static void SetSkinArchiveMemory(const void* data, std::size_t size, const char* password);

    // Empty when no archive is configured.
    static const char16_t* SkinArchiveName();
    // Null when no password is set.
    static const char* SkinArchivePassword();
    static bool IsArchiveKeptOpen();
    // The kept-open archive, or null.
    static zip::HARCHIVE OpenArchive();
    static void CloseArchive();

    // Capacity of the stored password, terminating zero included.
    static constexpr std::size_t kPasswordCapacity = CSkinSource::kPasswordCapacity;

    // Every manager attached to a window, in attach order (CWindowManagerUI*).
    static const CPtrArray& Managers();
    // The first manager of that name; null for an empty name.
    static CWindowManagerUI* FindManager(const char16_t* name);

    // Loads a shared library and keeps its "CreateControl" export; false when the name is null or
    // empty, or the library or the export is missing.
    static bool LoadPluginLibrary(const char16_t* file);
    // The plug-in factories (PluginFactory values), in load order.
    static const CPtrArray& Plugins();

    // Recolouring of images and colours: hue 0..360 (180 = unchanged), saturation and lightness
    // 0..200 (100 = unchanged). Values are clamped into those ranges.
    static void SetColorShift(bool enabled, short hue, short saturation, short lightness);
    // The stored values; returns whether the shift is on.
    static bool ColorShift(short& hue, short& saturation, short& lightness);
    static bool IsColorShiftOn();
    // Reloads every shared image, then every manager's own images.
    static void ReloadAllSkins();
    static void ReloadSharedImages();

    // Texts for the %{n} tokens of control texts.
    static bool RegisterLanguageText(int id, const char16_t* text);
    static const char16_t* LookupLanguageText(int id);
    static bool DropLanguageText(int id);
    static void DropAllLanguageTexts();
    // Replaces every %{n} token whose id has a text; others stay as written.
    static void ExpandLanguageTokens(CUIString& text);
    void ExpandTextTokens(CUIString& text) const override { ExpandLanguageTokens(text); }

    // Private fonts for this process (from memory or a file); handles are 0 on failure.
    static int AddFontData(const void* data, std::size_t size);
    static int LoadFontFile(const char16_t* path);
    static bool RemoveFontData(int handle);
    static void RemoveAllFontData();

    // Shared colours as the shared tables hold them.
    static std::uint32_t SharedDefaultFontColor();

    // -----------------------------------------------------------------------------------------
    // Attachment and the control tree
    // -----------------------------------------------------------------------------------------

    void AttachWindow(HWND window, const char16_t* name = nullptr);
    HWND Window() const { return m_window; }
    // A device context for measuring text outside painting; null while no window is attached.
    platform::DeviceContext* WindowDC() const { return m_measureDC.get(); }
    CControlUI* Root() const { return m_root; }
    const CUIString& Name() const { return m_name; }

    // Takes ownership of the tree; the previous root is deleted through the delayed clean-up.
    bool AttachRoot(CControlUI* root);
    // Controls built for this manager since its root was last attached; the skin builder stops at
    // the limit of ui/core/Limits.h.
    int& BuiltControlCount() { return m_builtControls; }
    // Attaches a subtree to this manager (initialising it) and registers its names.
    bool InitControlTree(CControlUI* control, CControlUI* parent);
    bool RenameControl(CControlUI* control, const char16_t* newName);
    // Drops every reference to a dying control: pointers, timers, its name, queued notifications.
    void ForgetControl(CControlUI* control);

    CControlUI* ControlByName(const char16_t* name);
    // The topmost visible, mouse-enabled control at a client point.
    CControlUI* ControlAt(CUIPoint point) const;
    CControlUI* SubControlAt(CControlUI* parent, CUIPoint point) const;
    CControlUI* SubControlByName(CControlUI* parent, const char16_t* name) const;
    CControlUI* SubControlByClass(CControlUI* parent, const char16_t* className, int index);
    // Every control of the class ("*": every control) below parent; the list is the manager's own.
    CPtrArray* SubControlsByClass(CControlUI* parent, const char16_t* className);

    bool JoinOptionGroup(const char16_t* group, CControlUI* control);
    CPtrArray* OptionGroup(const char16_t* group);
    void LeaveOptionGroup(const char16_t* group, CControlUI* control);
    void DropAllOptionGroups();

    // Listeners, filters and translators are called in the order they were added; null is refused
    // and removal takes the first equal entry.
    bool AddNotifyListener(INotifyUI* listener);
    bool RemoveNotifyListener(INotifyUI* listener);
    bool AddPreMessageFilter(IMessageFilterUI* filter);
    bool RemovePreMessageFilter(IMessageFilterUI* filter);
    bool AddMessageFilter(IMessageFilterUI* filter);
    bool RemoveMessageFilter(IMessageFilterUI* filter);
    bool AddAcceleratorTranslator(ITranslateAccelerator* translator);
    bool RemoveAcceleratorTranslator(ITranslateAccelerator* translator);

    // Controls whose PostPaint runs after every paint.
    bool AddPostPaint(CControlUI* control);
    bool RemovePostPaint(CControlUI* control);
    bool SetPostPaintIndex(CControlUI* control, int index);

    // Native child windows hosted by controls.
    bool AddNativeWindow(CControlUI* control, HWND window);
    bool RemoveNativeWindow(HWND window);
    CUIRect NativeWindowRect(HWND window) const;

    // Detaches the control and deletes it when the manager's queued delivery runs next.
    void QueueForDeletion(CControlUI* control);

    // Controls that see every EVT_MOUSE_LEAVE the hover control gets.
    bool WantMouseLeave(CControlUI* control);
    void StopMouseLeave(CControlUI* control);

    // -----------------------------------------------------------------------------------------
    // Resource tables: window-local first, then shared
    // -----------------------------------------------------------------------------------------

    bool ChangeDefaultFont(const char16_t* name, int size, bool bold, bool underline, bool italic, bool strikeout,
                           ResourceScope scope = ResourceScope::Window);
    // The window default font when it has a name, else the shared one; measured on first use.
    TFontInfo* DefaultFontInfo() override;
    platform::Font RegisterFont(int id, const char16_t* name, int size, bool bold, bool underline, bool italic,
                                bool strikeout, ResourceScope scope = ResourceScope::Window) override;
    // The font of that id; the default font when there is none (or id < 0).
    platform::Font LookupFont(int id) override;
    TFontInfo* LookupFontInfo(int id) override;
    TFontInfo* LookupFontInfo(const platform::Font& font);
    // A registered font with exactly these attributes; null if none.
    platform::Font FindFont(const char16_t* name, int size, bool bold, bool underline, bool italic,
                            bool strikeout) override;
    int FindFontId(const platform::Font& font, ResourceScope scope) const;
    int FindFontId(const char16_t* name, int size, bool bold, bool underline, bool italic, bool strikeout,
                   ResourceScope scope) const;
    bool DropFont(const platform::Font& font, ResourceScope scope);
    bool DropFontById(int id, ResourceScope scope);
    void DropAllFonts(ResourceScope scope);
    int FontCount(ResourceScope scope) const override;

    // Loads and stores an image; type null: skin file, else an embedded resource of that type
    // (names beginning with a digit are numeric ids). Null on failure.
    TImageRecord* RegisterImage(const char16_t* name, const char16_t* type = nullptr, std::uint32_t mask = 0,
                                bool keepPristine = false, ResourceScope scope = ResourceScope::Window);
    // Stores a bitmap made elsewhere (ownership passes to the table).
    TImageRecord* RegisterBitmap(const char16_t* name, HBITMAP bitmap, int width, int height, bool alpha,
                                 ResourceScope scope = ResourceScope::Window);
    // Straight B, G, R, A pixels, always into the shared table.
    TImageRecord* RegisterPixels(const char16_t* name, const std::uint8_t* pixels, int width, int height);
    TImageRecord* LookupImage(const char16_t* name);
    TImageRecord* LookupOrLoadImage(const char16_t* name, const char16_t* type = nullptr, std::uint32_t mask = 0,
                                    bool keepPristine = false) override;
    bool DropImage(const char16_t* name, ResourceScope scope);
    void DropAllImages(ResourceScope scope);
    void ReloadImages();

    void RegisterDefaultAttributes(const char16_t* className, const char16_t* text,
                                   ResourceScope scope = ResourceScope::Window);
    const char16_t* LookupDefaultAttributes(const char16_t* className);
    bool DropDefaultAttributes(const char16_t* className, ResourceScope scope);
    void DropAllDefaultAttributes(ResourceScope scope);

    // One attribute of the skin's window element.
    void SetWindowAttribute(const char16_t* name, const char16_t* value);
    // Extras: window attributes nothing else knows. The first value of a name wins.
    bool RegisterWindowExtra(const char16_t* name, const char16_t* value);
    const char16_t* LookupWindowExtra(const char16_t* name);
    bool DropWindowExtra(const char16_t* name);
    void DropAllWindowExtras();

    std::uint32_t DisabledColor() const { return m_disabledColor; }
    std::uint32_t FontColor() const { return m_fontColor; }
    std::uint32_t LinkColor() const override { return m_linkColor; }
    std::uint32_t LinkHoverColor() const override { return m_linkHoverColor; }
    std::uint32_t SelectedColor() const override { return m_selectedColor; }
    // The window colour; with Shared also the shared one, and the window colour only when it
    // still followed the shared colour.
    void SetDisabledColor(std::uint32_t color, ResourceScope scope = ResourceScope::Window);
    void SetFontColor(std::uint32_t color, ResourceScope scope = ResourceScope::Window);
    void SetLinkColor(std::uint32_t color, ResourceScope scope = ResourceScope::Window);
    void SetLinkHoverColor(std::uint32_t color, ResourceScope scope = ResourceScope::Window);
    void SetSelectedColor(std::uint32_t color, ResourceScope scope = ResourceScope::Window);

    // Every registration goes to the shared tables while set.
    void SetForceShared(bool force) { m_forceShared = force; }
    bool IsForceShared() const { return m_forceShared; }

    // -----------------------------------------------------------------------------------------
    // Window geometry and appearance
    // -----------------------------------------------------------------------------------------

    void SetInitialSize(int cx, int cy);
    CUISize InitialSize() const { return m_initialSize; }
    CUISize ClientSize() const;
    void SetMinTrackSize(int cx, int cy) { m_minTrack = CUISize(cx, cy); }
    CUISize MinTrackSize() const { return m_minTrack; }
    void SetMaxTrackSize(int cx, int cy) { m_maxTrack = CUISize(cx, cy); }
    CUISize MaxTrackSize() const { return m_maxTrack; }
    void SetSizeBox(const CUIRect& box) { m_sizeBox = box; }
    const CUIRect& SizeBox() const { return m_sizeBox; }
    // A bottom of -1 stands for the window's height; it is replaced on the first read.
    void SetCaptionRect(const CUIRect& rect) { m_captionRect = rect; }
    CUIRect& CaptionRect();
    void SetRoundCorner(int cx, int cy) { m_roundCorner = CUISize(cx, cy); }
    CUISize RoundCorner() const { return m_roundCorner; }
    void SetShowDirty(bool show) { m_showDirty = show; }
    bool IsShowDirty() const { return m_showDirty; }
    void SetNoActivate(bool noActivate) { m_noActivate = noActivate; }
    bool IsNoActivate() const { return m_noActivate; }
    void SetHoverTime(int ms) { m_hoverTime = ms; }
    int HoverTime() const { return m_hoverTime; }
    CUIPoint LastMousePos() const override { return m_lastMousePos; }

    // Window shadow and layering. The shadow is stored for the skin's sake; this platform draws none.
    void SetShadowSize(int size) { m_shadowSize = size; }
    int ShadowSize() const { return m_shadowSize; }
    void SetShadowColor(std::uint32_t color) { m_shadowColor = color; }
    std::uint32_t ShadowColor() const { return m_shadowColor; }
    void SetShadowFocusScale(float scale) { m_shadowFocusScale = scale; }
    float ShadowFocusScale() const { return m_shadowFocusScale; }
    // Whole-window opacity (255 = opaque); below 255 the window is painted layered.
    void SetOpacity(int opacity);
    int Opacity() const { return m_opacity; }
    void SetLayered(bool layered);
    bool IsLayered() const { return m_layered; }
    // Opacity of the layered image behind the tree.
    void SetLayeredOpacity(int opacity);
    int LayeredOpacity() const { return m_layeredOpacity; }
    // An image descriptor text drawn behind the tree in layered mode.
    void SetLayeredImage(const char16_t* descriptor);
    const CUIString& LayeredImage() const { return m_layeredImage.text; }
    void SetLayeredInset(const CUIRect& inset) { m_layeredInset = inset; }
    const CUIRect& LayeredInset() const { return m_layeredInset; }

    // The mouse cursor, by system cursor id (IDC_ARROW, IDC_HAND, ...). Controls set it when asked
    // with EVT_SET_CURSOR. The cursor is the UI thread's, not one window's, so a control that is not
    // attached to a manager can set it too.
    static void SetCursor(int cursorId);

    // -----------------------------------------------------------------------------------------
    // Messages: the window's messages become events for the controls
    // -----------------------------------------------------------------------------------------

    bool HandleWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Runs before translation: pre-message filters, Tab, Alt shortcuts.
    bool PreHandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Offers a queued message to the managers before dispatch; true consumes it.
    static bool PreTranslate(const MSG& msg);
    static void RunMessageLoop();

    CControlUI* HoverControl() const { return m_hover; }
    CControlUI* CaptureControl() const { return m_capture; }
    CControlUI* KeyTarget() const { return m_keyTarget; }
    void CaptureMouse();
    void ReleaseMouse();
    bool IsMouseCaptured() const { return m_mouseCaptured; }

    // -----------------------------------------------------------------------------------------
    // Focus and Tab order
    // -----------------------------------------------------------------------------------------

    CControlUI* FocusControl() const { return m_focus; }
    void SetFocusControl(CControlUI* control, bool focusWindow = true);
    // Moves the focus to the control once the pending layout has run.
    void SetFocusNeeded(CControlUI* control);
    bool MoveFocus(bool forward);

    // -----------------------------------------------------------------------------------------
    // Notifications, delivered at once or through the posted queue
    // -----------------------------------------------------------------------------------------

    void SendNotify(CControlUI* control, const char16_t* type, WPARAM wParam = 0, LPARAM lParam = 0, bool async = false,
                    bool allowRepeat = true);
    void SendNotify(TNotifyMsg& msg, bool async = false, bool allowRepeat = true);
    // Queued notifications name the virtual window of their sender.
    void SetVirtualWindowOption(bool use) { m_virtualWindowOption = use; }
    bool IsVirtualWindowOption() const { return m_virtualWindowOption; }

    // -----------------------------------------------------------------------------------------
    // Control timers
    // -----------------------------------------------------------------------------------------

    bool SetControlTimer(CControlUI* control, std::uint32_t key, UINT elapseMs);
    bool KillControlTimer(CControlUI* control, std::uint32_t key);
    void KillControlTimers(CControlUI* control);
    void KillAllTimers();
    // The native timer id of a control timer, 0 when there is none (diagnostics and benchmarks
    // that fire a control's timer by hand).
    UINT_PTR ControlTimerId(CControlUI* control, std::uint32_t key) const;

    // -----------------------------------------------------------------------------------------
    // Layout and painting
    // -----------------------------------------------------------------------------------------

    // Asks for a repaint of a rectangle in client coordinates (negative coordinates are clamped).
    void Invalidate(const CUIRect& rect);
    // Asks for the tree to be laid out before the next paint.
    void SetLayoutNeeded() { m_layoutNeeded = true; }
    bool IsLayoutNeeded() const { return m_layoutNeeded; }
    // Whether the layout running now places every control and repaints the whole window (after
    // attaching a root, a size change or a focus request); otherwise a layout places only what
    // moved or waits for a layout, and repaints only where controls moved.
    bool IsFullLayoutPass() const { return m_fullLayoutPass; }
    // Lays the tree out now when a layout is pending (the paint path does this itself).
    void LayoutIfNeeded();

private:
    // Looks at queue lengths that no caller of the manager needs (tests/ui/manager).
    friend class CWindowManagerProbe;

    // The state of the parts. Each part is one source file, named in the comments below; the members
    // after them are grouped the same way.

    // A control's timer key bound to a native timer of the window. A killed entry stays, so that
    // restarting it reuses its native id.
    struct TimerEntry
    {
        CControlUI* control = nullptr;
        std::uint32_t key = 0;
        HWND window = nullptr;
        UINT_PTR id = 0;
        bool killed = false;
    };

    struct TimerTable
    {
        std::vector<TimerEntry> entries;
        // The last native id handed out; ids cycle below 255, so the first one is 17.
        std::uint32_t lastId = 0x1000;
    };

    // The tip window, made on the first hover over a control that has a tip.
    struct TooltipState
    {
        HWND window = nullptr;
        TOOLINFOW toolInfo;
        CUIString text; // the tool record points into it
        int width = -1; // the maximum width last applied
        CControlUI* owner = nullptr;
    };

    // Deletes a control the way a control must be deleted.
    struct ControlDeleter
    {
        void operator()(CControlUI* control) const;
    };

    // What the posted message (WM_APP + 1) delivers: queued notifications, then delayed deletions.
    struct AsyncQueue
    {
        std::deque<TNotifyMsg> notifications;
        std::vector<std::unique_ptr<CControlUI, ControlDeleter>> deletions;
        bool posted = false;
    };

    // A hosted native child window and the control that hosts it.
    struct NativeWindow
    {
        CControlUI* control = nullptr;
        HWND window = nullptr;
    };

    // WindowManager.cpp
    void ResetWindowTables();

    // WindowManagerResources.cpp
    void MeasureFont(TFontInfo& info) const;
    TFontInfo* DefaultFontLevel(ResourceScope scope);
    bool IsShared(ResourceScope scope) const { return scope == ResourceScope::Shared || m_forceShared; }
    CFontTable& FontTable(ResourceScope scope);
    CImageTable& ImageTable(ResourceScope scope);
    CTextTable& DefaultListTable(ResourceScope scope);
    void SetColor(std::uint32_t& windowColor, std::uint32_t& sharedColor, std::uint32_t color, ResourceScope scope);

    // WindowManagerDispatch.cpp
    TUIEvent MakeEvent(int kind, CControlUI* sender, CUIPoint point, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void SendEvent(CControlUI* control, TUIEvent& event);
    CControlUI* OwnControlAt(CUIPoint point) const;
    CUIPoint ScreenToClientPoint(LPARAM lParam) const;
    std::uint16_t KeyStateNow() const;
    void SendKeyEvent(int kind, CControlUI* target, WPARAM wParam, LPARAM lParam);
    bool RunFilters(const std::vector<IMessageFilterUI*>& filters, UINT msg, WPARAM wParam, LPARAM lParam,
                    LRESULT& result);
    void OnSize(WPARAM wParam, LPARAM lParam);
    void OnMouseMove(WPARAM wParam, LPARAM lParam);
    void OnMouseLeave();
    bool OnSetCursor(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnKillFocus(WPARAM wParam);
    void OnClose();
    void OnTimer(WPARAM wParam, LPARAM lParam);
    void OnButtonDown(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnButtonUp(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnMouseWheel(WPARAM wParam, LPARAM lParam);
    void OnContextMenu(LPARAM lParam);
    CControlUI* FindShortcutTarget(char16_t shortcut);

    // WindowManagerFocus.cpp
    bool HasNativeFocus() const;
    void TakeNativeFocus();
    // The focus control gets EVT_KILL_FOCUS naming the control to come, then "killfocus".
    void DropFocus(CControlUI* next);
    CControlUI* FindTabStop(CControlUI* current, bool forward);

    // WindowManagerNotify.cpp
    void PostAsyncMessage();
    void DeliverQueuedNotifications();
    void DeleteQueuedControls();
    void DropPendingNotifications();

    // WindowManagerTimers.cpp
    TimerEntry* FindTimer(CControlUI* control, std::uint32_t key);
    UINT_PTR NextFreeTimerId();

    // WindowManagerTooltip.cpp
    bool OnMouseHover(WPARAM wParam, LPARAM lParam);
    DWORD HoverDelay() const;
    void HideTooltip();
    void DestroyTooltip();

    // WindowManagerPaint.cpp
    void Paint();
    void PaintTree(platform::DeviceContext& dc, const CUIRect& dirty);
    void ApplyLayeredStyle();
    // Forgets the layered image's resolved record (the tables that own it are changing).
    void UnresolveLayeredImage();

    // ---- attachment ----
    CUIString m_name;
    HWND m_window = nullptr;
    std::unique_ptr<platform::Surface> m_measureSurface;
    std::unique_ptr<platform::DeviceContext> m_measureDC;

    // ---- the tree and the lists of its controls (none owned but the root) ----
    CControlUI* m_root = nullptr;
    int m_builtControls = 0;
    std::unordered_map<std::u16string, CControlUI*> m_nameMap;
    CPtrArray m_foundControls; // the last class search's result
    std::map<std::u16string, CPtrArray> m_optionGroups;
    std::vector<NativeWindow> m_nativeWindows;
    std::vector<CControlUI*> m_mouseLeaveControls;
    std::vector<CControlUI*> m_postPaint; // in paint order

    // ---- dispatch: the controls the messages go to ----
    CControlUI* m_hover = nullptr;     // under the mouse
    CControlUI* m_capture = nullptr;   // got the button press
    CControlUI* m_keyTarget = nullptr; // got the last key press
    CUIPoint m_lastMousePos{-1, -1};
    std::vector<IMessageFilterUI*> m_preMessageFilters;
    std::vector<IMessageFilterUI*> m_messageFilters;
    std::vector<ITranslateAccelerator*> m_translators;
    bool m_noActivate = false;
    bool m_mouseTracking = false;
    bool m_mouseCaptured = false;
    bool m_hoverRearm = false; // a hover was delivered: the next move asks for another

    // ---- focus, notifications, timers, tooltip ----
    CControlUI* m_focus = nullptr;
    bool m_focusNeeded = false;
    std::vector<INotifyUI*> m_notifyListeners;
    AsyncQueue m_async;
    bool m_virtualWindowOption = false;
    TimerTable m_timers;
    TooltipState m_tooltip;
    int m_hoverTime = 1000;

    // ---- paint, geometry and layering ----
    bool m_firstLayout = true;
    bool m_layoutNeeded = false;
    bool m_fullLayoutNeeded = false;
    bool m_fullLayoutPass = false;
    bool m_painting = false;
    bool m_showDirty = false;
    CUISize m_minTrack;
    CUISize m_maxTrack;
    CUISize m_initialSize;
    CUIRect m_sizeBox;
    CUISize m_roundCorner;
    CUIRect m_captionRect;
    int m_shadowSize = 0;
    std::uint32_t m_shadowColor = 0xFF000000;
    float m_shadowFocusScale = -1.0f;
    int m_opacity = 255;
    int m_layeredOpacity = 255;
    bool m_layered = false;
    CUIRect m_layeredDirty;
    TImageDescriptor m_layeredImage;
    CUIRect m_layeredInset;

    // ---- resources ----
    bool m_forceShared = false;
    std::uint32_t m_disabledColor;
    std::uint32_t m_fontColor;
    std::uint32_t m_linkColor;
    std::uint32_t m_linkHoverColor;
    std::uint32_t m_selectedColor;
    TFontInfo m_defaultFont;
    CFontTable m_fonts;        // by decimal id
    CImageTable m_images;      // by name
    CTextTable m_defaultLists; // by class name
    CTextTable m_windowExtras; // by attribute name
};

} // namespace ui

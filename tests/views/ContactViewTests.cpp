// The contact view in a real 480 x 640 window with the Silver theme and the
// English texts, over a device store of the test's own: taps on its buttons
// reach the phone and messaging stand-ins, the favourite toggle the store,
// and changes of the shown contact come in as the contacts source signals
// them, from another thread as on the phone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "MainViewTestKit.h"
#include "TestDeviceStore.h"
#include "TestImages.h"
#include "VelButtonWindowLess.h"
#include "VelContactItem.h"
#include "VelContactView.h"
#include "VelControlCore.h"
#include "VelDevStore.h"
#include "VelKlTheme.h"
#include "VelLocalizedStrings.h"
#include "VelMainWindow.h"
#include "VelMessageSource.h"
#include "VelPoomSession.h"
#include "VelScheduler.h"
#include "VelStaticText.h"
#include "VelThemeLibrary.h"
#include "VelToolbar.h"
#include "VelToolbarButton.h"
#include "FakeTick.h"
#include "Taps.h"
#include "ViewTestSupport.h"

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const DWORD kRedPng = 0xFFFF0000;  // as blue, green, red, alpha bytes

// The contacts session wants a window for its notifications; the view's own
// serves, as the signals are raised by the tests themselves.
class ViewWindowSource : public VelMessageSource {
public:
    explicit ViewWindowSource(HWND window) : m_window(window) {}
    HWND GetHandle() const override { return m_window; }
    void AddHandler(Handler) override {}

private:
    HWND m_window;
};

// A window handle as the contacts stand-in records it.
std::wstring OwnerText(HWND window)
{
    wchar_t text[16];
    _snwprintf(text, 16, L"0x%08lx", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
    text[15] = 0;
    return text;
}

bool Near(COLORREF colour, int r, int g, int b, int tolerance)
{
    return std::abs(GetRValue(colour) - r) <= tolerance && std::abs(GetGValue(colour) - g) <= tolerance &&
           std::abs(GetBValue(colour) - b) <= tolerance;
}

class ContactViewTest : public ::testing::Test {
protected:
    ContactViewTest(int width = 480, int height = 640)
        : folder(L"vel-contact-view"), screen(width, height), width(width), height(height)
    {
    }

    void SetUp() override
    {
        ASSERT_NE(LoadTheme(L"Silver"), nullptr);
        ASSERT_TRUE(LoadLanguage(L"English"));
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);

        view = new VelContactView(nullptr, "contact-view");
        view->Create(nullptr, kVelStyleVisible, VelRect(0, 0, width, height));
        source.reset(new ViewWindowSource(view->GetHandle()));
        ASSERT_TRUE(SUCCEEDED(LogonPoom(source.get())));
        Settle();
    }
    void TearDown() override
    {
        LogoffPoom();
        delete view;
        ::CoUninitialize();
    }

    VelDevStore& Store() { return folder.Store(); }
    DWORD AddContact(const wchar_t* name, const wchar_t* mobile, const wchar_t* home, const wchar_t* work,
                     const wchar_t* categories = L"")
    {
        VelDevContact contact;
        contact.fileAs = name;
        contact.mobile = mobile;
        contact.home = home;
        contact.work = work;
        contact.categories = categories;
        return Store().AddContact(contact);
    }
    void Show(DWORD id)
    {
        std::unique_ptr<VelContactItem> item(CreateContactItem(static_cast<int32_t>(id)));
        ASSERT_TRUE(item);
        view->ShowContact(item.get());
        Settle();
    }

    void Send(UINT message, const VelPoint& at, WPARAM keys)
    {
        ::SendMessageW(view->GetHandle(), message, keys, MAKELPARAM(at.x, at.y));
    }
    void Tap(const VelPoint& at)
    {
        TapWindow(view->GetHandle(), at, &tick);
        Settle();
    }
    void TapButton(int id)
    {
        VelButtonWindowLess* button = view->GetButton(id);
        ASSERT_NE(button, nullptr);
        const VelRect r = button->GetBounds();
        Tap(VelPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }
    void TapFavorite() { Tap(VelPoint(width - view->GetTitleBarHeight() / 2, view->GetTitleBarHeight() / 2)); }

    std::vector<std::wstring> Dialled() { return Store().ReadLog(L"dialled.log"); }
    // The messaging stand-in runs as a program of its own: wait for its line.
    std::vector<std::wstring> Outbox(size_t lines) { return folder.WaitForLog(L"outbox.log", lines); }
    static bool Holds(const std::wstring& line, const std::wstring& field)
    {
        return (line + L"\t").find(L"\t" + field + L"\t") != std::wstring::npos;
    }

    VelToolbarButton* Favorite() const
    {
        return dynamic_cast<VelToolbarButton*>(view->FindTitleBarItem(VelContactView::kFavoriteButtonId));
    }
    // The favourite button's normal and pressed images, as image ids.
    std::pair<UINT, UINT> FavoriteImages() const
    {
        VelKlTheme* theme = GetCurrentTheme();
        auto id = [theme](VelBitmap* image) -> UINT {
            for (UINT candidate : {176u, 179u})
                if (image == theme->GetImage(candidate))
                    return candidate;
            return 0;
        };
        return std::make_pair(id(Favorite()->GetImage()), id(Favorite()->GetHighlightedImage()));
    }
    std::wstring SubText(int id) const { return view->GetButton(id)->GetSubText(); }
    std::wstring Caption(int id) const { return view->GetButton(id)->GetText(); }

    void Settle() { SettleWindow(view->GetHandle()); }
    COLORREF Pixel(int x, int y) { return ::GetPixel(view->GetCanvas()->GetDC(), x, y); }

    TestDeviceStore folder;
    VelApplication app{L"Velmora KL contact view test"};
    ScreenScope screen;
    FakeTick tick{900000};
    int width;
    int height;
    VelContactView* view = nullptr;
    std::unique_ptr<ViewWindowSource> source;
};

class SmallScreenContactViewTest : public ContactViewTest {
protected:
    SmallScreenContactViewTest() : ContactViewTest(240, 320) {}
};

}  // namespace

TEST_F(ContactViewTest, BuildsItsButtonsAndPicturesWithTheirTextsAndImages)
{
    EXPECT_STREQ(view->GetClassName(), L"VelContactView");
    EXPECT_EQ(view->GetViewId(), 1);
    EXPECT_EQ(view->GetList(), nullptr);
    EXPECT_EQ(view->GetTitle(), L"Contact");
    EXPECT_EQ(view->FindTitleBarItem(6)->GetName(), "view-top-left-button");
    EXPECT_EQ(FavoriteImages(), std::make_pair(176u, 179u));

    VelKlTheme* theme = GetCurrentTheme();
    struct Case {
        int id;
        const char* name;
        const wchar_t* caption;
        UINT image;
        UINT pressed;
    } const cases[] = {
        {0, "button-mobile", L"Call mobile", 196, 195},  {1, "button-send-sms", L"Send text message", 188, 187},
        {2, "button-send-mms", L"Send MMS", 190, 189},   {3, "button-call-home", L"Call home", 192, 191},
        {4, "button-call-work", L"Call work", 194, 193}, {5, "button-contact-name", L"", 184, 184},
        {6, "button-contact-name", L"", 232, 229},       {7, "button-contact-name", L"", 230, 231},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        VelButtonWindowLess* button = view->GetButton(c.id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->GetParent(), view);
        EXPECT_EQ(button->GetButtonId(), c.id);
        EXPECT_EQ(button->GetName(), c.name);
        EXPECT_EQ(button->GetText(), c.caption);
        ASSERT_NE(theme->GetImage(c.image), nullptr);
        EXPECT_EQ(button->GetImage(), theme->GetImage(c.image));
        EXPECT_EQ(button->GetPressedImage(), theme->GetImage(c.pressed));
        // Each takes its image's size.
        EXPECT_EQ(button->GetWidth(), theme->GetImage(c.image)->GetWidth());
        EXPECT_EQ(button->GetHeight(), theme->GetImage(c.image)->GetHeight());
        EXPECT_EQ(button->GetTextFormat(), c.id < 5 ? 0x8002u : c.id == 5 ? 0x8025u : button->GetTextFormat());
    }
    EXPECT_EQ(view->GetButton(8), nullptr);

    VelStaticText* frame = view->GetPictureControl(9);
    VelStaticText* picture = view->GetPictureControl(8);
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(frame->GetName(), "static-contact-frame-picture");
    EXPECT_EQ(picture->GetName(), "static-contact-picture");
    EXPECT_EQ(frame->GetImage(), theme->GetImage(185));
    EXPECT_EQ(picture->GetImage(), nullptr);
    // The picture lies above its frame.
    const auto& children = view->GetChildren();
    EXPECT_EQ(children.back(), picture);
}

TEST_F(ContactViewTest, TheTitleBarFollowsImage175AndTheChildrenTheScreen)
{
    VelKlTheme* theme = GetCurrentTheme();
    const int T = theme->GetImage(175)->GetHeight() + 640 / 160;
    EXPECT_EQ(view->GetTitleBarHeight(), T);
    EXPECT_EQ(view->GetTitleBar()->GetHeight(), T);

    const int m = 480 / 30, g = 480 / 20;
    const int BW = (480 - 3 * m) / 2, BH = (640 - T - 6 * g) / 5;
    const VelRect frame = view->GetPictureControl(9)->GetBounds();
    EXPECT_EQ(frame,
              VelRect(m, T + g, m + theme->GetImage(185)->GetWidth(), T + g + theme->GetImage(185)->GetHeight()));
    EXPECT_EQ(view->GetPictureControl(8)->GetBounds(), frame);

    const VelRect name = view->GetButton(5)->GetBounds();
    EXPECT_EQ(name.right, 480 - m);
    EXPECT_EQ(name.top, T + g + (frame.GetHeight() - name.GetHeight()) / 8);
    // The card and editor buttons sit under the name, flush with its edges, just above the frame's bottom.
    const VelRect card = view->GetButton(6)->GetBounds();
    const VelRect edit = view->GetButton(7)->GetBounds();
    EXPECT_EQ(edit.left, name.left);
    EXPECT_EQ(card.right, name.right);
    EXPECT_EQ(card.top, frame.bottom - 480 / 48 - card.GetHeight());
    EXPECT_EQ(edit.top, card.top);
    EXPECT_GE(card.top, name.bottom);

    const int B = frame.bottom;
    struct Case {
        int id;
        VelPoint at;
    } const grid[] = {
        {1, VelPoint(m, B + g)},
        {2, VelPoint(BW + 2 * m, B + g)},
        {3, VelPoint(m, B + 2 * g + BH)},
        {4, VelPoint(BW + 2 * m, B + 2 * g + BH)},
        {0, VelPoint(m, B + 3 * g + 2 * BH)},
    };
    for (const Case& c : grid) {
        SCOPED_TRACE(c.id);
        const VelRect r = view->GetButton(c.id)->GetBounds();
        EXPECT_EQ(VelPoint(r.left, r.top), c.at);
        EXPECT_LE(r.bottom, 640);
        EXPECT_LE(r.right, 480);
    }
}

TEST_F(SmallScreenContactViewTest, OnAPhoneScreenTheMarginIs8AndTheGap12)
{
    const int T = GetCurrentTheme()->GetImage(175)->GetHeight() + 2;
    EXPECT_EQ(view->GetTitleBarHeight(), T);
    const VelRect frame = view->GetPictureControl(9)->GetBounds();
    EXPECT_EQ(VelPoint(frame.left, frame.top), VelPoint(8, T + 12));
    EXPECT_EQ(view->GetButton(1)->GetBounds().top, frame.bottom + 12);
    EXPECT_EQ(view->GetButton(5)->GetBounds().right, 240 - 8);
}

TEST_F(ContactViewTest, ShowsTheNameAndEachNumberUnderItsActions)
{
    const DWORD id = AddContact(L"Anna Berg", L"+46 70 111", L"08 222", L"08 333", L"Favorites");
    Show(id);
    EXPECT_EQ(view->GetContactName(), L"Anna Berg");
    EXPECT_EQ(Caption(5), L"Anna Berg");
    EXPECT_EQ(SubText(0), L"+46 70 111");
    EXPECT_EQ(SubText(1), L"+46 70 111");
    EXPECT_EQ(SubText(2), L"+46 70 111");
    EXPECT_EQ(SubText(3), L"08 222");
    EXPECT_EQ(SubText(4), L"08 333");
    EXPECT_EQ(FavoriteImages(), std::make_pair(179u, 176u)) << "a favourite";
    ASSERT_NE(view->GetContact(), nullptr);
    EXPECT_EQ(view->GetContact()->GetId(), int32_t(id));
}

TEST_F(ContactViewTest, EachActionUsesItsNumberAndTheContactsName)
{
    const DWORD id = AddContact(L"Anna Berg", L"+46 70 111", L"08 222", L"08 333");
    Show(id);
    struct Case {
        int button;
        const wchar_t* number;
    } const calls[] = {{0, L"+46 70 111"}, {3, L"08 222"}, {4, L"08 333"}};
    for (const Case& c : calls) {
        SCOPED_TRACE(c.button);
        const size_t before = Dialled().size();
        TapButton(c.button);
        const std::vector<std::wstring> lines = Dialled();
        ASSERT_EQ(lines.size(), before + 1);
        EXPECT_TRUE(Holds(lines.back(), std::wstring(L"number=") + c.number)) << lines.back();
        EXPECT_TRUE(Holds(lines.back(), L"calledParty=Anna Berg")) << lines.back();
    }

    // The MMS button opens the same SMS composer as the SMS button.
    TapButton(1);
    ASSERT_EQ(Outbox(1).size(), 1u);
    TapButton(2);
    const std::vector<std::wstring> outbox = Outbox(2);
    ASSERT_EQ(outbox.size(), 2u);
    for (const std::wstring& line : outbox)
        EXPECT_EQ(line, L"-service \"SMS\" -to \"Anna Berg <+46 70 111>\"");
    EXPECT_EQ(Dialled().size(), 3u) << "no message places a call";
}

TEST_F(ContactViewTest, WithOnlyAHomeNumberOnlyTheHomeButtonActs)
{
    const DWORD id = AddContact(L"Bo Ek", L"", L"08 555", L"");
    Show(id);
    for (int button : {0, 1, 2, 4, 5})
        TapButton(button);
    EXPECT_TRUE(Dialled().empty());
    TapButton(3);
    const std::vector<std::wstring> lines = Dialled();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(Holds(lines[0], L"number=08 555")) << lines[0];
    EXPECT_TRUE(Holds(lines[0], L"calledParty=Bo Ek")) << lines[0];
    ::Sleep(300);  // a messaging program, had one been started, writes by now
    EXPECT_TRUE(Store().ReadLog(L"outbox.log").empty());
}

TEST_F(ContactViewTest, TheCardAndEditorButtonsOpenThePlatformsOnTheViewsWindow)
{
    const DWORD id = AddContact(L"Anna Berg", L"+1", L"", L"");
    Show(id);
    TapButton(6);
    TapButton(7);
    const std::vector<std::wstring> lines = Store().ReadLog(L"poom-ui.log");
    ASSERT_EQ(lines.size(), 2u);
    const std::wstring owner = OwnerText(view->GetHandle());
    EXPECT_EQ(lines[0].find(L"Display oid=" + std::to_wstring(id) + L" owner=" + owner), 0u) << lines[0];
    EXPECT_EQ(lines[1].find(L"Edit oid=" + std::to_wstring(id) + L" owner=" + owner), 0u) << lines[1];
}

TEST_F(ContactViewTest, BeforeAnyContactNothingActs)
{
    for (int button : {0, 1, 3, 4, 6, 7})
        TapButton(button);
    TapFavorite();
    EXPECT_TRUE(Dialled().empty());
    EXPECT_TRUE(Store().ReadLog(L"poom-ui.log").empty());
    EXPECT_EQ(FavoriteImages(), std::make_pair(176u, 179u));
}

TEST_F(ContactViewTest, TheFavouriteToggleMarksAndUnmarksTheContactInTheStore)
{
    const DWORD id = AddContact(L"Anna Berg", L"+1", L"", L"", L"Work");
    Show(id);
    EXPECT_EQ(FavoriteImages(), std::make_pair(176u, 179u));

    TapFavorite();
    VelDevContact stored;
    ASSERT_TRUE(Store().FindContact(id, &stored));
    EXPECT_EQ(stored.categories, L"Work, Favorites");
    EXPECT_EQ(FavoriteImages(), std::make_pair(179u, 176u));

    TapFavorite();
    ASSERT_TRUE(Store().FindContact(id, &stored));
    EXPECT_EQ(stored.categories, L"Work");
    EXPECT_EQ(FavoriteImages(), std::make_pair(176u, 179u));

    // The back button leaves the mark alone.
    Tap(VelPoint(view->GetTitleBarHeight() / 2, view->GetTitleBarHeight() / 2));
    ASSERT_TRUE(Store().FindContact(id, &stored));
    EXPECT_EQ(stored.categories, L"Work");
}

TEST_F(ContactViewTest, AFavouriteTheStoreRefusesIsNotShownAsMarked)
{
    const DWORD id = AddContact(L"Anna Berg", L"+1", L"", L"");
    Show(id);
    // Gone from the store before the view heard of it: the mark cannot be saved.
    ASSERT_TRUE(Store().DeleteContact(id));
    TapFavorite();
    EXPECT_EQ(FavoriteImages(), std::make_pair(176u, 179u));
}

TEST(ContactViewPicture, ThePictureIsReducedToFit70PixelsKeepingItsShape)
{
    struct Case {
        UINT width, height;
        LONG cx, cy;
    } const cases[] = {{100, 50, 70, 35}, {50, 100, 35, 70}, {70, 70, 70, 70}, {40, 40, 70, 70},
                       {300, 7, 70, 1},   {3, 1000, 0, 70},  {0, 10, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        const SIZE size = VelContactView::FitPicture(c.width, c.height);
        EXPECT_EQ(size.cx, c.cx);
        EXPECT_EQ(size.cy, c.cy);
    }
}

TEST_F(ContactViewTest, ThePictureShowsCentredInTheFrameUntilTheClear)
{
    const DWORD id = AddContact(L"Anna Berg", L"+1", L"", L"");
    const std::string png = MakePng(100, 50, kRedPng);
    ASSERT_FALSE(png.empty());
    ASSERT_TRUE(Store().SetContactPicture(id, png, L"png"));
    Show(id);
    ASSERT_NE(view->GetPicture(), nullptr);
    EXPECT_EQ(view->GetPicture()->GetWidth(), 70);
    EXPECT_EQ(view->GetPicture()->GetHeight(), 35);
    EXPECT_EQ(view->GetPictureControl(8)->GetImage(), view->GetPicture());

    const VelRect frame = view->GetPictureControl(9)->GetBounds();
    const int cx = (frame.left + frame.right) / 2, cy = (frame.top + frame.bottom) / 2;
    EXPECT_EQ(Pixel(cx, cy), kRed);
    EXPECT_EQ(Pixel(cx - 34, cy), kRed);
    EXPECT_NE(Pixel(cx, cy - 25), kRed) << "a 35-pixel-high picture is centred";

    view->OnClear();
    Settle();
    EXPECT_EQ(view->GetPicture(), nullptr);
    EXPECT_EQ(view->GetPictureControl(8)->GetImage(), nullptr);
    EXPECT_NE(Pixel(cx, cy), kRed);

    // A contact without a picture leaves the frame empty.
    const DWORD plain = AddContact(L"Bo Ek", L"+2", L"", L"");
    Show(id);
    ASSERT_NE(view->GetPicture(), nullptr);
    Show(plain);
    EXPECT_EQ(view->GetPicture(), nullptr);
    EXPECT_NE(Pixel(cx, cy), kRed);
}

TEST_F(ContactViewTest, ChangesFromTheDataThreadReachTheScreenOnTheViewsThread)
{
    const DWORD id = AddContact(L"Anna Berg", L"+1", L"", L"");
    Show(id);
    ASSERT_TRUE(Store().ChangeContact(id, [](VelDevContact& c) {
        c.fileAs = L"Anna Lind";
        c.mobile = L"+9";
        return true;
    }));
    std::thread data([id] { ContactChanged.Emit(int32_t(id)); });
    data.join();
    EXPECT_EQ(Caption(5), L"Anna Berg") << "not touched from the other thread";
    Settle();
    EXPECT_EQ(Caption(5), L"Anna Lind");
    EXPECT_EQ(SubText(0), L"+9");
    TapButton(0);
    ASSERT_EQ(Dialled().size(), 1u);
    EXPECT_TRUE(Holds(Dialled()[0], L"number=+9")) << Dialled()[0];
}

TEST_F(ContactViewTest, OnlyTheShownContactsDisappearanceEmptiesTheView)
{
    const DWORD shown = AddContact(L"Anna Berg", L"+1", L"", L"");
    const DWORD other = AddContact(L"Bo Ek", L"+2", L"", L"");
    Show(shown);
    ASSERT_TRUE(Store().DeleteContact(other));
    ContactChanged.Emit(int32_t(other));
    ContactDeleted.Emit(int32_t(other));
    ContactChanged.Emit(int32_t(12345));
    Settle();
    EXPECT_EQ(Caption(5), L"Anna Berg");

    struct Case {
        const char* name;
        bool deletedSignal;
    } const cases[] = {{"changed, then gone", false}, {"deleted", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DWORD id = AddContact(L"Cleo Dahl", L"+3", L"08 3", L"08 4", L"Favorites");
        Show(id);
        ASSERT_EQ(FavoriteImages(), std::make_pair(179u, 176u));
        ASSERT_TRUE(Store().DeleteContact(id));
        std::thread data([&] {
            if (c.deletedSignal)
                ContactDeleted.Emit(int32_t(id));
            else
                ContactChanged.Emit(int32_t(id));
        });
        data.join();
        Settle();
        const std::wstring placeholder = LoadLocalizedString(138);
        ASSERT_FALSE(placeholder.empty());
        EXPECT_EQ(Caption(5), placeholder);
        for (int button : {0, 1, 2, 3, 4})
            EXPECT_EQ(SubText(button), placeholder) << button;
        EXPECT_EQ(FavoriteImages(), std::make_pair(176u, 176u));

        // Nothing acts on the placeholder texts or the vanished contact.
        for (int button : {0, 3, 4, 6})
            TapButton(button);
        TapFavorite();
        EXPECT_TRUE(Dialled().empty());
        EXPECT_TRUE(Store().ReadLog(L"poom-ui.log").empty());
        EXPECT_EQ(FavoriteImages(), std::make_pair(176u, 176u));
    }
}

TEST_F(ContactViewTest, TheNameSitsInTheMiddleOfItsButton)
{
    // The name's rows are those that change when it is written on the button.
    const VelRect button = view->GetButton(5)->GetBounds();
    std::vector<COLORREF> blank;
    for (int y = button.top; y < button.bottom; ++y)
        for (int x = button.left; x < button.right; ++x)
            blank.push_back(Pixel(x, y));
    Show(AddContact(L"Agnes Berg", L"+46 70 111", L"", L""));
    ASSERT_EQ(Caption(5), L"Agnes Berg");
    int top = button.bottom, bottom = button.top - 1;
    size_t i = 0;
    for (int y = button.top; y < button.bottom; ++y) {
        for (int x = button.left; x < button.right; ++x) {
            if (Pixel(x, y) != blank[i++]) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    ASSERT_LE(top, bottom) << "no name seen";
    const int aboveLessBelow = (top - button.top) - (button.bottom - 1 - bottom);
    EXPECT_LE(std::abs(aboveLessBelow), button.GetHeight() / 8);
}

TEST_F(ContactViewTest, PaintsItsGradientBehindTheChildren)
{
    const DWORD id = AddContact(L"Anna Berg", L"+46 70 111", L"08 222", L"08 333");
    Show(id);
    // Down the right margin beside the name, and in the bottom corner below the work button.
    const int T = view->GetTitleBarHeight();
    for (int y : {T + 1, T + 20, height / 2, height - 1}) {
        SCOPED_TRACE(y);
        auto along = [&](int top, int bottom) { return top + (bottom - top) * y / (height - 1); };
        const COLORREF pixel = Pixel(width - 2, y);
        EXPECT_TRUE(Near(pixel, along(73, 43), along(87, 54), along(100, 60), 2)) << std::hex << pixel;
    }
    // The action buttons' images lie over it.
    const VelRect mobile = view->GetButton(0)->GetBounds();
    EXPECT_NE(LitBounds(view->GetCanvas()->GetDC(), mobile, Pixel(width - 2, mobile.top)), VelRect(0, 0, 0, 0));
}

TEST_F(ContactViewTest, AsTheMainWindowsContactScreenItActsOnTheWindowItSlidesInto)
{
    VelMainWindowViews views;
    int filtersMade = 0;
    views.tabs = TestTabs(&filtersMade);
    views.contact = [](VelMainWindow* p, const std::string& n) -> VelKlView* { return new VelContactView(p, n); };
    VelMainWindow* window = new VelMainWindow(nullptr, "main-window", views);
    window->Open();
    VelContactView* screen = dynamic_cast<VelContactView*>(window->GetView(VelMainWindow::kContactViewId));
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->GetName(), "contact-view");
    ASSERT_NE(screen->GetButton(0), nullptr) << "built when the window was made";

    const DWORD id = AddContact(L"Anna Berg", L"+46 70 111", L"", L"");
    std::unique_ptr<VelContactItem> item(CreateContactItem(int32_t(id)));
    ASSERT_TRUE(item);
    screen->ShowContact(item.get());
    window->ShowView(VelMainWindow::kContactViewId, VelMainWindow::kSlideFromRight);
    RunSlides(window, tick);
    ASSERT_EQ(window->GetCurrentView(), screen);
    ASSERT_EQ(screen->GetLeft(), 0);

    const VelRect r = screen->GetButton(0)->GetBounds();
    const VelPoint at((r.left + r.right) / 2, screen->GetTop() + (r.top + r.bottom) / 2);
    TapWindow(window->GetHandle(), at, &tick, 20, 0);
    ASSERT_EQ(Dialled().size(), 1u);
    EXPECT_TRUE(Holds(Dialled()[0], L"number=+46 70 111")) << Dialled()[0];

    // The contact card opens on the program's one window.
    screen->OnActionClicked(screen->GetButton(6), nullptr);
    const std::vector<std::wstring> lines = Store().ReadLog(L"poom-ui.log");
    ASSERT_EQ(lines.size(), 1u);
    const std::wstring owner = OwnerText(window->GetHandle());
    EXPECT_NE(lines[0].find(L"owner=" + owner), std::wstring::npos) << lines[0];
    delete window;
}

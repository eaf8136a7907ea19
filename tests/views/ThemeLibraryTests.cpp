#include <gtest/gtest.h>

#include "TestFiles.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "VelFiles.h"
#include "VelKlTheme.h"
#include "VelThemeLibrary.h"
#include "ViewTestSupport.h"

namespace {

// What the views ask the theme library for.
const UINT kTabImages[] = {155, 156, 157, 158, 159, 160, 161, 162, 163, 164, 165, 166, 200, 201, 202,
                           203, 204, 205, 206, 207, 208, 209, 211, 212, 214, 215, 217, 235, 236};
const UINT kTitleButtons[] = {175, 178, 176, 179, 177, 180, 220, 221, 222, 223, 233, 234};
const UINT kActionButtons[] = {187, 188, 189, 190, 191, 192, 193, 194, 195, 196};
const UINT kOtherImages[] = {167, 169, 170, 184, 185, 218, 219, 224, 225, 229, 230, 231, 232};

// Whether a library's mapping is still there; a library mapped for its
// resources is no loaded module, so the loader does not know it by name.
bool IsMapped(HMODULE module)
{
    void* base = reinterpret_cast<void*>(reinterpret_cast<ULONG_PTR>(module) & ~ULONG_PTR(3));
    MEMORY_BASIC_INFORMATION region = {};
    return module && ::VirtualQuery(base, &region, sizeof(region)) && region.State == MEM_COMMIT &&
           region.AllocationBase == base;
}

SIZE SizeOf(VelKlTheme* theme, UINT id)
{
    const VelBitmap* image = theme->GetImage(id);
    return image ? image->GetSize() : SIZE{-1, -1};
}

TEST_F(ThemeLibraryTest, AMissingLibraryChangesNothing)
{
    if (GetThemeModule())
        GTEST_SKIP() << "needs a process in which no theme library has loaded yet";
    VelTheme* before = CurrentTheme;
    EXPECT_EQ(LoadTheme(L"NoSuchTheme"), nullptr);
    EXPECT_EQ(CurrentTheme, before);
    EXPECT_EQ(GetThemeModule(), nullptr);

    // The views still find the program's fonts, and no image.
    VelKlTheme* imageless = GetCurrentTheme();
    ASSERT_NE(imageless, nullptr);
    EXPECT_NE(static_cast<VelTheme*>(imageless), CurrentTheme);
    EXPECT_EQ(imageless, GetCurrentTheme());
    EXPECT_EQ(imageless->GetImage(175), nullptr);
    SIZE key;
    EXPECT_EQ(imageless->GetKeySize(key).cx, 0);
    EXPECT_EQ(key.cy, 0);
    EXPECT_EQ(imageless->GetMediumFont()->GetPointSize(), 11);
    imageless->DrawKeyFace(canvas.get(), VelRect(0, 0, 50, 50), 0, nullptr);
    imageless->DrawCollapsedGroupMark(canvas.get(), VelRect(0, 0, 50, 50));
    EXPECT_EQ(Lit(VelRect(0, 0, 50, 50)), VelRect(0, 0, 0, 0));
}

TEST_F(ThemeLibraryTest, SilverIsTheLibraryBesideTheProgram)
{
    VelKlTheme* theme = LoadTheme(L"Silver");
    ASSERT_NE(theme, nullptr);
    EXPECT_EQ(static_cast<VelTheme*>(theme), CurrentTheme);
    EXPECT_EQ(GetCurrentTheme(), theme);
    EXPECT_TRUE(IsMapped(GetThemeModule()));
    EXPECT_EQ(::GetModuleHandleW(LibraryPath(L"Silver").c_str()), nullptr) << "mapped for its images, never run";
    EXPECT_EQ(SizeOf(theme, 175).cy, 60) << "the one drawn for 480 x 640";
}

// Each screen size has a Silver of its own, which the run command lays out
// with the program: every image the views ask for, sized so that the views'
// fractions of that screen hold.
TEST_F(ThemeLibraryTest, EachScreenSizesSilverFitsItsScreen)
{
    // The action and name faces are those the controls' text-fit tests
    // measure the contact view's texts on at the phone's DPI.
    const struct {
        int width, height;
        const wchar_t* library;
        SIZE action, name;
    } screens[] = {
        {480, 640, L"Themes\\Silver.dll", {212, 76}, {300, 40}},
        {240, 320, L"Screens\\240x320\\Themes\\Silver.dll", {106, 38}, {128, 32}},
    };
    for (const auto& screen : screens) {
        SCOPED_TRACE(testing::Message() << screen.width << "x" << screen.height);
        ScreenScope metrics(screen.width, screen.height);
        VelKlTheme* theme = LoadTheme(InstallLibrary(screen.library, L"Sized" + std::to_wstring(screen.width)));
        ASSERT_NE(theme, nullptr);
        const int l = screen.height;
        const int s = screen.width;

        auto all = [](auto visit) {
            for (UINT id : kTabImages)
                visit(id);
            for (UINT id : kTitleButtons)
                visit(id);
            for (UINT id : kActionButtons)
                visit(id);
            for (UINT id : kOtherImages)
                visit(id);
        };
        all([&](UINT id) { EXPECT_NE(theme->GetImage(id), nullptr) << id; });

        const int titleBar = l / 10;
        const SIZE tab = SizeOf(theme, 161);
        // The tab bar is at least a title bar high; a key's label and
        // sub-label (8 points each) need 26 pixels of the row.
        EXPECT_GE(l / 24 + tab.cy, titleBar);
        EXPECT_GE(tab.cy, 28) << "a keypad row holds two caption lines";
        for (UINT id : kTabImages) {
            EXPECT_EQ(SizeOf(theme, id).cy, tab.cy) << id;
            EXPECT_LE(SizeOf(theme, id).cx, s / 5) << id;
        }
        const SIZE title = SizeOf(theme, 175);
        EXPECT_EQ(title.cy + l / 160, titleBar) << "the list tabs' title bar as high as the others'";
        for (UINT id : kTitleButtons) {
            EXPECT_LE(SizeOf(theme, id).cy, title.cy) << id;
            EXPECT_LE(SizeOf(theme, id).cx, title.cy) << id;
        }
        for (UINT id : {167u, 169u, 170u})
            EXPECT_LE(l / 40 + SizeOf(theme, id).cx, l / 10) << "icon " << id << " ends before the text";
        for (UINT id : {224u, 225u}) {
            EXPECT_LE(s / 30 + SizeOf(theme, id).cx, s / 10) << "mark " << id << " ends before the header text";
            EXPECT_LE(s / 33 + SizeOf(theme, id).cy, l / 12) << "mark " << id << " within its header row";
        }

        // The contact view: frame and name button side by side, the two small
        // buttons under the name button, the actions on the grid's pitch and
        // the last row on the screen.
        const int margin = s / 30;
        const int gap = s / 20;
        const SIZE frame = SizeOf(theme, 185);
        const SIZE name = SizeOf(theme, 184);
        EXPECT_GE(frame.cx, 74) << "a 70 x 70 picture fits the frame";
        EXPECT_LE(margin + frame.cx + margin + name.cx + margin, s);
        EXPECT_LE(name.cy, frame.cy);
        EXPECT_LE(SizeOf(theme, 232).cx + SizeOf(theme, 230).cx, name.cx);
        EXPECT_LE(name.cy + SizeOf(theme, 232).cy + s / 48, frame.cy) << "the small buttons clear the name";
        EXPECT_EQ(name.cx, screen.name.cx);
        EXPECT_EQ(name.cy, screen.name.cy);
        const int pitch = (l - titleBar - 6 * gap) / 5;
        for (UINT id : kActionButtons) {
            EXPECT_LE(SizeOf(theme, id).cx, (s - 3 * margin) / 2) << id;
            EXPECT_LE(SizeOf(theme, id).cy, pitch) << id;
            EXPECT_EQ(SizeOf(theme, id).cx, screen.action.cx) << id;
            EXPECT_EQ(SizeOf(theme, id).cy, screen.action.cy) << id;
        }
        EXPECT_LE(titleBar + gap + frame.cy + 3 * gap + 2 * pitch + SizeOf(theme, 196).cy, l)
            << "the last action on the screen";

        SIZE key;
        theme->GetKeySize(key);
        EXPECT_EQ(key.cx, SizeOf(theme, 219).cx);
        EXPECT_EQ(key.cy, SizeOf(theme, 219).cy);
        EXPECT_EQ(SizeOf(theme, 218).cx, key.cx);
        EXPECT_EQ(SizeOf(theme, 218).cy, key.cy);
        EXPECT_LE(key.cx, s / 4);
        EXPECT_LE(key.cy, tab.cy) << "a key fits a keypad row";

        // The keypad's faces are bitmaps, the rest PNG images that let the
        // gradients behind them show through their margins.
        EXPECT_NE(theme->GetImage(219)->GetHandle(), nullptr);
        ASSERT_NE(theme->GetImage(175)->GetImage(), nullptr);
        canvas->DrawBitmap(*theme->GetImage(175), VelPoint(0, 0), SRCCOPY);
        EXPECT_EQ(Pixel(1, 1), ground);
        EXPECT_GT(GetGValue(Pixel(title.cx / 2, title.cy / 5)), 150) << "a silver plate";
        canvas->SetBackColor(VelColor::FromColorRef(ground));
        canvas->FillRect(VelRect(0, 0, title.cx, title.cy));
    }
}

TEST_F(ThemeLibraryTest, ImagesAreKeptAndABitmapWinsOverAPng)
{
    VelKlTheme* theme = LoadTheme(InstallProbeLibrary(L"Probe"));
    ASSERT_NE(theme, nullptr);

    VelBitmap* both = theme->GetImage(500);
    ASSERT_NE(both, nullptr);
    EXPECT_NE(both->GetHandle(), nullptr);
    EXPECT_EQ(both->GetImage(), nullptr);
    EXPECT_EQ(both->GetWidth(), 4) << "the bitmap, not the 8 x 8 PNG";
    EXPECT_EQ(theme->GetImage(500), both) << "kept, not loaded again";

    VelBitmap* png = theme->GetImage(501);
    ASSERT_NE(png, nullptr);
    EXPECT_NE(png->GetImage(), nullptr);
    EXPECT_EQ(png->GetWidth(), 7);
    EXPECT_EQ(png->GetHeight(), 3);
    EXPECT_EQ(theme->GetImage(501), png);

    EXPECT_EQ(theme->GetImage(502), nullptr) << "bytes that are no image";
    EXPECT_EQ(theme->GetImage(502), nullptr);
    EXPECT_EQ(theme->GetImage(9999), nullptr);
}

TEST_F(ThemeLibraryTest, KeyFacesAndGroupMarksComeFromTheLibrary)
{
    ScreenScope screen(240, 320);
    VelKlTheme* theme = LoadTheme(InstallProbeLibrary(L"Probe"));
    ASSERT_NE(theme, nullptr);
    SIZE key;
    EXPECT_EQ(theme->GetKeySize(key).cx, 10);
    EXPECT_EQ(key.cy, 6);

    // Centred in a larger key: 10 x 6 in 20 x 10.
    theme->DrawKeyFace(canvas.get(), VelRect(20, 10, 40, 20), 0, nullptr);
    EXPECT_EQ(Lit(VelRect(20, 10, 40, 20)), VelRect(25, 12, 35, 18));
    EXPECT_EQ(Pixel(25, 12), RGB(200, 40, 40));
    theme->DrawKeyFace(canvas.get(), VelRect(20, 10, 40, 20), 2, nullptr);
    EXPECT_EQ(Pixel(25, 12), RGB(40, 200, 40)) << "the pressed face";
    // A key smaller than its face: drawn from the corner, never shifted out.
    theme->DrawKeyFace(canvas.get(), VelRect(60, 10, 66, 14), 1, nullptr);
    EXPECT_EQ(Lit(VelRect(50, 0, 80, 30)), VelRect(60, 10, 70, 16));

    // At (left + s / 30, top + s / 33); the probe has no collapsed mark.
    theme->DrawExpandedGroupMark(canvas.get(), VelRect(100, 50, 200, 80));
    EXPECT_EQ(Lit(VelRect(100, 50, 200, 80)), VelRect(108, 57, 114, 62));
    EXPECT_EQ(Pixel(108, 57), RGB(40, 40, 200));
    theme->DrawCollapsedGroupMark(canvas.get(), VelRect(100, 80, 200, 110));
    EXPECT_EQ(Lit(VelRect(100, 80, 200, 110)), VelRect(0, 0, 0, 0));
}

TEST_F(ThemeLibraryTest, ASecondLibraryIsTakenOnlyOnceTheFirstsThemeIsGone)
{
    VelKlTheme* first = LoadTheme(L"Silver");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(first->GetImage(175), nullptr);
    const HMODULE silver = GetThemeModule();
    ASSERT_TRUE(IsMapped(silver));

    struct Watch : VelObject {
        void OnGone(VelObject*, const VelObjectDestroyEventArgs*)
        {
            gone = true;
            libraryLoaded = IsMapped(library);
        }
        HMODULE library = nullptr;
        bool gone = false;
        bool libraryLoaded = false;
    } watch;
    watch.library = silver;
    first->Destroying += VelBind(&watch, &Watch::OnGone);

    const std::wstring probe = InstallProbeLibrary(L"Second");
    VelKlTheme* second = LoadTheme(probe);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(watch.gone);
    EXPECT_TRUE(watch.libraryLoaded) << "the old theme's images went before their library";
    EXPECT_FALSE(IsMapped(silver)) << "then the library was freed";
    EXPECT_EQ(static_cast<VelTheme*>(second), CurrentTheme);
    const HMODULE probeModule = GetThemeModule();
    EXPECT_NE(probeModule, silver);
    EXPECT_TRUE(IsMapped(probeModule));
    EXPECT_EQ(second->GetImage(175), nullptr) << "images come from the new library";
    EXPECT_NE(second->GetImage(500), nullptr);

    // A failing load leaves the second one in place.
    EXPECT_EQ(LoadTheme(L"NoSuchTheme"), nullptr);
    EXPECT_EQ(static_cast<VelTheme*>(second), CurrentTheme);
    EXPECT_EQ(GetThemeModule(), probeModule);
}

TEST_F(ThemeLibraryTest, OnlyAPlainNameIsLoaded)
{
    VelKlTheme* silver = LoadTheme(L"Silver");
    ASSERT_NE(silver, nullptr);
    const HMODULE module = GetThemeModule();
    const std::wstring names[] = {
        L"..\\Themes\\Silver",
        L"../Themes/Silver",
        GetThemesDirectory() + L"Silver",
        L"Silver.",
        L"Sil ver",
        L"Silver:x",
        L"",
        std::wstring(65, L'S'),
    };
    for (const std::wstring& name : names) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        EXPECT_EQ(LoadTheme(name), nullptr);
        EXPECT_EQ(static_cast<VelTheme*>(silver), CurrentTheme);
        EXPECT_EQ(GetThemeModule(), module);
    }
}

namespace {

// Where a resource's directory entry lies in the file: mapped as a plain data
// file, a library keeps the file's layout, and the platform's resource handle
// points at that entry (offset, size, code page, reserved).
size_t DataEntryOffset(const std::wstring& path, UINT id, LPCWSTR type)
{
    HMODULE flat = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!flat)
        return 0;
    HRSRC entry = ::FindResourceW(flat, MAKEINTRESOURCEW(id), type);
    const BYTE* base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(flat) & ~ULONG_PTR(3));
    const size_t offset = entry ? static_cast<size_t>(reinterpret_cast<const BYTE*>(entry) - base) : 0;
    ::FreeLibrary(flat);
    return offset;
}

// A damaged copy of Silver in the themes folder, gone with the test.
class DamagedThemeTest : public ThemeLibraryTest {
protected:
    DamagedThemeTest()
        : m_silver(ReadFileBytes(LibraryPath(L"Silver"))), m_name(L"Damaged" + std::to_wstring(::GetCurrentProcessId()))
    {
    }
    ~DamagedThemeTest() override
    {
        LoadTheme(L"Silver");
        ::DeleteFileW(LibraryPath(m_name).c_str());
    }

    // Loads the damaged copy (when it loads at all) and asks for and draws
    // every image the views use.
    void UseEveryImage(const std::string& damaged)
    {
        LoadTheme(L"Silver");
        ASSERT_TRUE(WriteFileBytes(LibraryPath(m_name), damaged));
        VelKlTheme* theme = LoadTheme(m_name);
        if (!theme)
            return;
        for (UINT id = 150; id <= 240; ++id) {
            if (VelBitmap* image = theme->GetImage(id))
                canvas->DrawBitmap(*image, VelPoint(0, 0), SRCCOPY);
        }
    }

    std::string m_silver;
    std::wstring m_name;
};

}  // namespace

TEST_F(DamagedThemeTest, SizesThatOverrunTheLibraryLoseOnlyTheirImage)
{
    ASSERT_GT(m_silver.size(), 1024u);
    const size_t png = DataEntryOffset(LibraryPath(L"Silver"), 175, L"PNG");
    const size_t bitmap = DataEntryOffset(LibraryPath(L"Silver"), 219, MAKEINTRESOURCEW(2));
    ASSERT_NE(png, 0u);
    ASSERT_NE(bitmap, 0u);
    std::string damaged = m_silver;
    const DWORD overlong = 0x7FFFFFF0;
    memcpy(&damaged[png + 4], &overlong, sizeof(overlong));
    memcpy(&damaged[bitmap + 4], &overlong, sizeof(overlong));
    // A bitmap whose header promises more rows than the resource holds.
    const size_t keyFace = DataEntryOffset(LibraryPath(L"Silver"), 218, MAKEINTRESOURCEW(2));
    ASSERT_NE(keyFace, 0u);
    HMODULE flat = ::LoadLibraryExW(LibraryPath(L"Silver").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(flat, nullptr);
    HRSRC keyFaceEntry = ::FindResourceW(flat, MAKEINTRESOURCEW(218), MAKEINTRESOURCEW(2));
    const BYTE* base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(flat) & ~ULONG_PTR(3));
    const size_t keyFaceBits =
        static_cast<size_t>(static_cast<const BYTE*>(::LockResource(::LoadResource(flat, keyFaceEntry))) - base);
    ::FreeLibrary(flat);
    const LONG rows = 4000;
    memcpy(&damaged[keyFaceBits + offsetof(BITMAPINFOHEADER, biHeight)], &rows, sizeof(rows));

    ASSERT_TRUE(WriteFileBytes(LibraryPath(m_name), damaged));
    VelKlTheme* theme = LoadTheme(m_name);
    ASSERT_NE(theme, nullptr);
    EXPECT_EQ(theme->GetImage(175), nullptr);
    EXPECT_EQ(theme->GetImage(219), nullptr);
    EXPECT_EQ(theme->GetImage(218), nullptr);
    ASSERT_NE(theme->GetImage(176), nullptr) << "the others are whole";
    canvas->DrawBitmap(*theme->GetImage(176), VelPoint(0, 0), SRCCOPY);
    SIZE key;
    EXPECT_EQ(theme->GetKeySize(key).cx, 0);
}

TEST_F(DamagedThemeTest, RandomDamageNeverCrashes)
{
    size_t start = 0;
    size_t size = 0;
    ASSERT_TRUE(ResourceSection(m_silver, &start, &size));
    ASSERT_GT(size, 4096u);
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        std::string damaged = m_silver;
        // Half of it in the directory, where one byte says most; the rest in
        // the images and their headers.
        std::uniform_int_distribution<size_t> directory(start, start + 2047);
        std::uniform_int_distribution<size_t> anywhere(start, start + size - 1);
        const int hits = 1 + static_cast<int>(random() % 24);
        for (int i = 0; i < hits; ++i)
            damaged[i % 2 ? directory(random) : anywhere(random)] = static_cast<char>(random() & 0xFF);
        UseEveryImage(damaged);
    }
    EXPECT_NE(LoadTheme(L"Silver"), nullptr);
}

TEST(ThemeFolder, ListsTheLibrariesBesideTheProgram)
{
    EXPECT_EQ(GetThemesDirectory(), GetModuleDirectory() + L"Themes\\");
    const std::vector<std::wstring> names = ListThemes();
    EXPECT_NE(std::find(names.begin(), names.end(), L"Silver.dll"), names.end());
}

}  // namespace

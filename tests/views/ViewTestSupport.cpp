#include "ViewTestSupport.h"

#include "VelFiles.h"
#include "VelThemeLibrary.h"

namespace {

int s_width = 0;
int s_height = 0;

int WINAPI FakeScreen(int index) { return index == SM_CXSCREEN ? s_width : index == SM_CYSCREEN ? s_height : 0; }

}  // namespace

void SettleWindow(HWND window)
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&msg);
    ::UpdateWindow(window);
}

ScreenScope::ScreenScope(int width, int height)
{
    s_width = width;
    s_height = height;
    VelScreenMetrics::SetMetricSource(FakeScreen);
}

ScreenScope::~ScreenScope() { VelScreenMetrics::SetMetricSource(nullptr); }

CanvasTest::CanvasTest(int width, int height, COLORREF ground)
    : canvas(renderer.CreateCanvas(width, height)), ground(ground)
{
    const VelColor previous = canvas->GetBackColor();
    canvas->SetBackColor(VelColor::FromColorRef(ground));
    canvas->FillRect(VelRect(0, 0, width, height));
    canvas->SetBackColor(previous);
}

VelRect LitBounds(HDC dc, const RECT& area, COLORREF ground)
{
    RECT lit = {area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (::GetPixel(dc, x, y) == ground)
                continue;
            lit.left = std::min<LONG>(lit.left, x);
            lit.top = std::min<LONG>(lit.top, y);
            lit.right = std::max<LONG>(lit.right, x + 1);
            lit.bottom = std::max<LONG>(lit.bottom, y + 1);
        }
    }
    return lit.left < lit.right ? VelRect(lit) : VelRect(0, 0, 0, 0);
}

ThemeLibraryTest::ThemeLibraryTest() : app(L"Velmora KL views test") {}

ThemeLibraryTest::~ThemeLibraryTest()
{
    // A loaded library cannot be deleted: Silver takes the copy's place first.
    if (!m_copies.empty())
        LoadTheme(L"Silver");
    for (const std::wstring& name : m_copies)
        ::DeleteFileW(LibraryPath(name).c_str());
}

std::wstring ThemeLibraryTest::InstallProbeLibrary(const std::wstring& stem)
{
    return InstallLibrary(L"testdata\\ProbeTheme.dll", stem);
}

std::wstring ThemeLibraryTest::InstallLibrary(const std::wstring& path, const std::wstring& stem)
{
    const std::wstring name = stem + std::to_wstring(::GetCurrentProcessId());
    const std::wstring source = GetModuleDirectory() + path;
    EXPECT_TRUE(::CopyFileW(source.c_str(), LibraryPath(name).c_str(), FALSE)) << ::GetLastError();
    m_copies.push_back(name);
    return name;
}

std::wstring ThemeLibraryTest::LibraryPath(const std::wstring& name) { return GetThemesDirectory() + name + L".dll"; }

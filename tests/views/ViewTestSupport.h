#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "VelApplication.h"
#include "VelBitmap.h"
#include "VelDevStore.h"
#include "VelGDICanvas.h"
#include "VelGDIRenderer.h"
#include "VelScreenMetrics.h"
#include "TestImages.h"

// The screen size the layout fractions are taken of, for one scope.
class ScreenScope {
public:
    ScreenScope(int width, int height);
    ScreenScope(const ScreenScope&) = delete;
    ScreenScope& operator=(const ScreenScope&) = delete;
    ~ScreenScope();
};

// The smallest rectangle holding every pixel of the area that differs from the
// ground colour; empty when there is none.
VelRect LitBounds(HDC dc, const RECT& area, COLORREF ground);

// Runs what is queued for this thread, then paints the window's pending area.
void SettleWindow(HWND window);

// An off-screen canvas filled with one colour, read back pixel by pixel.
class CanvasTest : public ::testing::Test {
protected:
    explicit CanvasTest(int width = 200, int height = 120, COLORREF ground = RGB(0, 0, 0));

    COLORREF Pixel(int x, int y) const { return ::GetPixel(canvas->GetDC(), x, y); }
    VelGDICanvas* Gdi() const { return static_cast<VelGDICanvas*>(canvas.get()); }
    VelRect Lit(const RECT& area) const { return LitBounds(canvas->GetDC(), area, ground); }
    // True when some pixel of the area passes the test.
    template <typename Test>
    bool Holds(const RECT& area, Test test) const
    {
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (test(Pixel(x, y)))
                    return true;
        return false;
    }

    VelGDIRenderer renderer;
    std::unique_ptr<VelCanvas> canvas;
    COLORREF ground;
};

// The application object owns the current theme, as in the program.
class ThemeLibraryTest : public CanvasTest {
protected:
    ThemeLibraryTest();
    ~ThemeLibraryTest() override;

    // Copies the test library into "Themes" under a name of this process's own
    // and returns that name; the file goes when the test ends.
    std::wstring InstallProbeLibrary(const std::wstring& stem);
    // The same for a library at that path under the program's folder.
    std::wstring InstallLibrary(const std::wstring& source, const std::wstring& stem);
    static std::wstring LibraryPath(const std::wstring& name);

    VelApplication app;

private:
    std::vector<std::wstring> m_copies;
};

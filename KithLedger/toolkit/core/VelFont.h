#pragma once
#include "VelPlatform.h"
#include "VelUniqueHandle.h"

// A font described by a LOGFONTW and a size in points, with its handle. Every
// change makes a new handle; a refused one throws VelWinException "VelFont ctor"
// and leaves the font as it was.
class VelFont {
public:
    enum Style : unsigned {
        Plain = 0,
        Italic = 0x1,
        Underline = 0x2,
        StrikeOut = 0x4,
        ClearType = 0x8,
    };

    // 8 points, the system's default face, ClearType.
    VelFont();
    VelFont(const wchar_t* face, int points, int weight = 0, unsigned style = ClearType);
    // Same description, new handle.
    VelFont(const VelFont& other);
    VelFont& operator=(const VelFont& other);
    ~VelFont();

    void SetFace(const wchar_t* face);
    void SetPointSize(int points);
    void SetWeight(int weight);
    void SetItalic(bool italic);
    void SetUnderline(bool underline);
    void SetStrikeOut(bool strikeOut);
    void SetClearType(bool clearType);
    // Copies the other's description, the height recomputed for this screen.
    void Assign(const VelFont& other);

    // Recompute lfHeight for a resolution; the handle stays as it is until the
    // next change.
    void UpdateHeightForScreen();
    void UpdateHeightForDC(HDC dc);
    void UpdateHeightForDpi(int dpiY);

    HFONT GetHandle() const { return m_handle.Get(); }
    int GetPointSize() const { return m_points; }
    const LOGFONTW& GetLogFont() const { return m_logFont; }
    // Deletes the handle; the description stays.
    void Release();

    // The lfHeight of a font of `points` at `dpiY` dots per inch.
    static int HeightForDpi(int points, int dpiY);
    static int GetScreenDpiY();
    // Test seam: the screen's dots per inch as a value (0 reads the screen
    // again); fonts made or resized afterwards follow it.
    static void SetScreenDpiY(int dpiY);

private:
    template <typename Change>
    void Recreate(Change change);

    static int s_screenDpiY;

    LOGFONTW m_logFont;
    VelGdiObject<HFONT> m_handle;
    int m_points;
};

#include "VelKlTheme.h"

#include "VelContactItem.h"
#include "VelKlResourceIds.h"
#include "VelCanvasTextState.h"
#include "VelThemeLibrary.h"
#include "VelResourceLibrary.h"

#include <cstdint>
#include <climits>
#include <cstring>
#include <memory>

namespace {

const unsigned kGradientLevels = 32;
const float kPressedLightening = 0.15f;
const float kMatchDarkening = 0.4f;
const int kKeyPressedState = 2;

const wchar_t kFace[] = L"verdana";
const int kBold = 700;

const VelColor kSlate(58, 69, 85);
const VelColor kWhite(255, 255, 255);
const VelColor kSelectionTop(100, 121, 149);
const VelColor kSelectionBottom(64, 77, 95);
// The rows' first lines: warm for a favourite or a missed call, pale tints
// for the rest.
const VelColor kFavoriteName(222, 125, 57);
const VelColor kMissedCall(222, 85, 49);
const VelColor kPaleGreen(222, 255, 222);
const VelColor kPaleYellow(255, 255, 222);
const VelColor kPaleCyan(222, 255, 255);

VelColor& Set(VelColor& color, const VelColor& value)
{
    color = value;
    return color;
}

VelColor Lightened(VelColor color, float f)
{
    color.Lighten(f);
    return color;
}

// A two-stop ramp, top to bottom.
void AddStops(VelGradient& gradient, const VelColor& top, const VelColor& bottom)
{
    gradient.AddColorPoint(0, top);
    gradient.AddColorPoint(100, bottom);
}

// Saves the canvas's state for one scope.
class SavedState {
public:
    explicit SavedState(VelCanvas* canvas) : m_canvas(canvas) { m_canvas->SaveState(); }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;
    ~SavedState() { m_canvas->RestoreState(); }

private:
    VelCanvas* m_canvas;
};

}  // namespace

// Every level of the gradients is computed, the group header's too: a canvas
// that fills in bands reads every level, and an uncomputed one is black.
VelKlTheme::VelKlTheme()
    : m_smallFont(kFace, 9, 0), m_smallBoldFont(kFace, 9, kBold), m_tinyFont(kFace, 8, 0),
      m_tinyBoldFont(kFace, 8, kBold), m_mediumFont(kFace, 11, 0), m_mediumBoldFont(kFace, 11, kBold),
      m_hugeFont(kFace, 24, 0), m_pen(PS_SOLID, 1, kWhite), m_groupHeaderGradient(kGradientLevels, false),
      m_selectionGradient(kGradientLevels, false), m_pressedGradient(kGradientLevels, false), m_mediumMetrics()
{
    AddStops(m_groupHeaderGradient, VelColor(106, 130, 166), VelColor(59, 70, 88));
    AddStops(m_selectionGradient, kSelectionTop, kSelectionBottom);
    AddStops(m_pressedGradient, Lightened(kSelectionTop, kPressedLightening),
             Lightened(kSelectionBottom, kPressedLightening));
    m_mediumMetrics.stale = 1;
    // The data side makes the contact pictures to fit the row's picture column.
    VelContactItem::SetThumbnailSide(GetMetrics().GetPictureColumnWidth());
}

VelKlTheme::~VelKlTheme() {}

VelColor& VelKlTheme::GetBackgroundColor(VelColor& c) { return Set(c, kSlate); }
VelColor& VelKlTheme::GetGridBackgroundColor(VelColor& c) { return Set(c, kSlate); }
VelColor& VelKlTheme::GetStaticTextColor(VelColor& c) { return Set(c, VelColor(0, 0, 0)); }
VelColor& VelKlTheme::GetButtonFaceColor(VelColor& c) { return Set(c, VelColor(206, 235, 206)); }
VelColor& VelKlTheme::GetButtonPressedFaceColor(VelColor& c) { return Set(c, VelColor(226, 255, 226)); }
VelColor& VelKlTheme::GetButtonAltFaceColor(VelColor& c) { return Set(c, VelColor(164, 188, 164)); }
VelColor& VelKlTheme::GetButtonDisabledFaceColor(VelColor& c) { return Set(c, VelColor(76, 76, 76)); }
VelColor& VelKlTheme::GetItemColor(VelColor& c) { return Set(c, kSlate); }
VelColor& VelKlTheme::GetItemTextColor(VelColor& c) { return Set(c, VelColor(245, 245, 245)); }
VelColor& VelKlTheme::GetMenuItemColor(VelColor& c) { return Set(c, VelColor(233, 238, 238)); }
VelColor& VelKlTheme::GetMenuItemTextColor(VelColor& c) { return Set(c, VelColor(0, 0, 187)); }
VelColor& VelKlTheme::GetMenuPressedItemColor(VelColor& c) { return Set(c, VelColor(199, 121, 75)); }
VelColor& VelKlTheme::GetMenuPressedItemTextColor(VelColor& c) { return Set(c, VelColor(79, 79, 79)); }
VelColor& VelKlTheme::GetMenuDisabledItemColor(VelColor& c) { return Set(c, VelColor(233, 238, 238)); }
VelColor& VelKlTheme::GetMenuDisabledItemTextColor(VelColor& c) { return Set(c, VelColor(119, 119, 255)); }
VelColor& VelKlTheme::GetDimTextColor(VelColor& c) { return Set(c, VelColor(179, 179, 179)); }
VelColor& VelKlTheme::GetMenuBorderColor(VelColor& c) { return Set(c, VelColor(101, 147, 207)); }
VelColor& VelKlTheme::GetGroupHeaderColor(VelColor& c) { return Set(c, VelColor(44, 52, 63)); }
VelColor& VelKlTheme::GetGroupHeaderTextColor(VelColor& c) { return Set(c, kWhite); }
VelColor& VelKlTheme::GetToolbarButtonColor(VelColor& c) { return Set(c, VelColor(0, 58, 19)); }
VelColor& VelKlTheme::GetToolbarButtonTextColor(VelColor& c) { return Set(c, kWhite); }
VelColor& VelKlTheme::GetToolbarColor(VelColor& c) { return Set(c, kSlate); }
VelColor& VelKlTheme::GetToolbarTextColor(VelColor& c) { return Set(c, kWhite); }
VelColor& VelKlTheme::GetGridLineColor(VelColor& c) { return Set(c, VelColor(82, 94, 110)); }
VelColor& VelKlTheme::GetScrollTrackColor(VelColor& c) { return Set(c, VelColor(214, 217, 220)); }
VelColor& VelKlTheme::GetScrollTrackActiveColor(VelColor& c) { return GetScrollTrackColor(c); }
VelColor& VelKlTheme::GetScrollThumbColor(VelColor& c) { return Set(c, VelColor(84, 102, 130)); }
VelColor& VelKlTheme::GetScrollThumbActiveColor(VelColor& c) { return GetScrollThumbColor(c); }
VelColor& VelKlTheme::GetKeypadColor(VelColor& c) { return Set(c, VelColor(58, 70, 86)); }
VelColor& VelKlTheme::GetMenuSeparatorColor(VelColor& c) { return Set(c, VelColor(154, 198, 255)); }
VelColor& VelKlTheme::GetGridLabelColor(VelColor& c) { return Set(c, kWhite); }
VelColor& VelKlTheme::GetFavoriteNameColor(VelColor& c) { return Set(c, kFavoriteName); }

VelColor& VelKlTheme::GetMatchedTextColor(const VelColor& lineColor, VelColor& c)
{
    c = lineColor;
    c.Darken(kMatchDarkening);
    return c;
}

VelColor& VelKlTheme::GetMissedCallColor(VelColor& c) { return Set(c, kMissedCall); }
VelColor& VelKlTheme::GetOutgoingCallColor(VelColor& c) { return Set(c, kPaleGreen); }
VelColor& VelKlTheme::GetIncomingCallColor(VelColor& c) { return Set(c, kPaleYellow); }
VelColor& VelKlTheme::GetReceivedMessageColor(VelColor& c) { return Set(c, kPaleGreen); }
VelColor& VelKlTheme::GetSentMessageColor(VelColor& c) { return Set(c, kPaleCyan); }
VelColor& VelKlTheme::GetTitleBarTopColor(VelColor& c) { return Set(c, VelColor(70, 85, 103)); }
VelColor& VelKlTheme::GetTitleBarBottomColor(VelColor& c) { return Set(c, VelColor(46, 52, 62)); }
VelColor& VelKlTheme::GetTabBarTopColor(VelColor& c) { return Set(c, VelColor(72, 85, 104)); }
VelColor& VelKlTheme::GetTabBarBottomColor(VelColor& c) { return Set(c, VelColor(44, 50, 57)); }
VelColor& VelKlTheme::GetContactBackgroundTopColor(VelColor& c) { return Set(c, VelColor(73, 87, 100)); }
VelColor& VelKlTheme::GetContactBackgroundBottomColor(VelColor& c) { return Set(c, VelColor(43, 54, 60)); }
VelColor& VelKlTheme::GetContactCaptionColor(VelColor& c) { return Set(c, kWhite); }

// The scroll bar overlays the whole control.
RECT& VelKlTheme::GetScrollbarRect(RECT& result, const RECT& rect)
{
    result = rect;
    return result;
}

VelFont* VelKlTheme::GetGroupHeaderFont() { return &m_mediumFont; }
VelFont* VelKlTheme::GetKeyFont() { return &m_tinyBoldFont; }
VelFont* VelKlTheme::GetKeySubFont() { return &m_tinyFont; }
VelFont* VelKlTheme::GetToolbarItemFont() { return &m_tinyFont; }
VelFont* VelKlTheme::GetLargeFont() { return &m_hugeFont; }
VelFont* VelKlTheme::GetMediumFont() { return &m_mediumFont; }
VelFont* VelKlTheme::GetMediumBoldFont() { return &m_mediumBoldFont; }
VelFont* VelKlTheme::GetSmallFont() { return &m_smallFont; }
VelFont* VelKlTheme::GetSmallBoldFont() { return &m_smallBoldFont; }
VelFont* VelKlTheme::GetTinyFont() { return &m_tinyFont; }
VelFont* VelKlTheme::GetTinyBoldFont() { return &m_tinyBoldFont; }

SIZE& VelKlTheme::GetKeySize(SIZE& size)
{
    const VelBitmap* face = GetImage(kImageKeyFace);
    size = face ? face->GetSize() : SIZE{0, 0};
    return size;
}

// The separator stops short of both ends of the row, which keep the item colour.
void VelKlTheme::DrawGridLine(VelCanvas* canvas, const VelPoint& start, const VelPoint& end)
{
    const int bottom = start.y + GetMetrics().GetGridLineHeight();
    const int inset = GetMetrics().GetGridLineInset();
    VelColor item;
    VelColor line;
    GetItemColor(item);
    GetGridLineColor(line);
    FillWith(canvas, RECT{start.x, start.y, start.x + inset, bottom}, item);
    FillWith(canvas, RECT{start.x + inset, start.y, end.x - inset, bottom}, line);
    FillWith(canvas, RECT{end.x - inset, start.y, end.x, bottom}, item);
}

void VelKlTheme::DrawGridThickLine(VelCanvas* canvas, const VelPoint& start, const VelPoint& end)
{
    VelColor line;
    FillWith(canvas, RECT{start.x, start.y, end.x, start.y + GetMetrics().GetGridLineHeight()}, GetGridLineColor(line));
}

void VelKlTheme::DrawGridLabel(VelCanvas* canvas, const std::wstring& text, const VelPoint& point)
{
    VelColor color;
    DrawTextWith(canvas, GetLargeFont(), GetGridLabelColor(color), point, text, nullptr, true);
}

void VelKlTheme::DrawSelectedItemBackground(VelCanvas* canvas, const RECT& rect)
{
    canvas->FillGradient(rect, m_selectionGradient, kGradientVertical);
}

void VelKlTheme::DrawPressedItemBackground(VelCanvas* canvas, const RECT& rect)
{
    canvas->FillGradient(rect, m_pressedGradient, kGradientVertical);
}

void VelKlTheme::DrawItemBackground(VelCanvas* canvas, const RECT& rect)
{
    VelColor color;
    canvas->SetBackColor(GetItemColor(color));
    canvas->FillRect(rect);
}

void VelKlTheme::DrawGroupHeaderBackground(VelCanvas* canvas, const RECT& rect)
{
    SavedState saved(canvas);
    canvas->FillGradient(rect, m_groupHeaderGradient, kGradientVertical);
}

void VelKlTheme::DrawGroupHeaderText(VelCanvas* canvas, const VelPoint& point, const std::wstring& text,
                                     const SIZE& size)
{
    const int y = point.y + (size.cy - GetMediumTextMetrics(canvas)->metrics.tmHeight) / 2;
    VelColor color;
    DrawTextWith(canvas, GetMediumFont(), GetGroupHeaderTextColor(color),
                 VelPoint(point.x + GetMetrics().GetGroupHeaderIndent(), y), text, nullptr, true);
}

void VelKlTheme::DrawGroupMark(VelCanvas* canvas, const RECT& rect, UINT imageId)
{
    const POINT offset = GetMetrics().GetGroupMarkOffset();
    if (const VelBitmap* mark = GetImage(imageId))
        canvas->DrawBitmap(*mark, VelPoint(rect.left + offset.x, rect.top + offset.y), SRCCOPY);
}

void VelKlTheme::DrawCollapsedGroupMark(VelCanvas* canvas, const RECT& rect)
{
    DrawGroupMark(canvas, rect, kImageGroupCollapsed);
}

void VelKlTheme::DrawExpandedGroupMark(VelCanvas* canvas, const RECT& rect)
{
    DrawGroupMark(canvas, rect, kImageGroupExpanded);
}

void VelKlTheme::DrawButtonFace(VelCanvas*, const RECT&, int, const VelVisualObject*) {}

void VelKlTheme::DrawKeyBackground(VelCanvas* canvas, const RECT& rect, int, const VelVisualObject*)
{
    SavedState saved(canvas);
    VelColor color;
    FillWith(canvas, rect, GetKeypadColor(color));
}

void VelKlTheme::DrawKeyFace(VelCanvas* canvas, const RECT& rect, int state, const VelVisualObject*)
{
    const VelBitmap* face = GetImage(state == kKeyPressedState ? kImageKeyFacePressed : kImageKeyFace);
    if (!face)
        return;
    const VelRect area(rect);
    VelPoint at(rect.left, rect.top);
    if (face->GetWidth() < area.GetWidth())
        at.x += (area.GetWidth() - face->GetWidth()) / 2;
    if (face->GetHeight() < area.GetHeight())
        at.y += (area.GetHeight() - face->GetHeight()) / 2;
    canvas->DrawBitmap(*face, at, SRCCOPY);
}

namespace {

int LineHeight(VelCanvas* canvas)
{
    const TEXTMETRICW metrics = canvas->GetTextMetrics(nullptr).metrics;
    return metrics.tmHeight + metrics.tmExternalLeading;
}

}  // namespace

// With a sub-label the two lines stack from just below the top; without one
// the label is centred in the whole key.
void VelKlTheme::DrawKeyCaption(VelCanvas* canvas, const RECT& rect, const std::wstring& label,
                                const std::wstring& subLabel, const VelVisualObject*)
{
    const VelRect key(rect);
    VelCanvasTextState text(canvas);
    SavedState saved(canvas);
    canvas->SetOpaque(false);
    canvas->SetFont(GetKeyFont());
    canvas->SetTextFormat(DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (subLabel.empty()) {
        canvas->DrawText(label, VelPoint(key.left, key.top), key.GetSize());
        return;
    }
    const int top = key.top + GetMetrics().GetKeyCaptionTop();
    const int labelHeight = LineHeight(canvas);
    canvas->DrawText(label, VelPoint(key.left, top), SIZE{key.GetWidth(), labelHeight});
    canvas->SetFont(GetKeySubFont());
    canvas->DrawText(subLabel, VelPoint(key.left, top + labelHeight), SIZE{key.GetWidth(), LineHeight(canvas)});
}

namespace {

// Larger images are refused, as the image decoder refuses them.
const LONG kMaxImageSidePixels = 4096;

// A bitmap resource is a DIB without its file header. Its header's sizes
// come from the file and must be borne out by the resource's own size before
// the platform's loader reads the pixels they promise.
bool IsSoundDib(const BYTE* data, DWORD size)
{
    DWORD headerSize = 0;
    if (size < sizeof(headerSize))
        return false;
    std::memcpy(&headerSize, data, sizeof(headerSize));
    LONG width = 0;
    LONG height = 0;
    WORD planes = 0;
    WORD bits = 0;
    DWORD compression = BI_RGB;
    DWORD colours = 0;
    uint64_t colourBytes = 0;
    uint64_t maskBytes = 0;
    if (headerSize == sizeof(BITMAPCOREHEADER) && size >= headerSize) {
        BITMAPCOREHEADER core;
        std::memcpy(&core, data, sizeof(core));
        width = core.bcWidth;
        height = core.bcHeight;
        planes = core.bcPlanes;
        bits = core.bcBitCount;
        colourBytes = sizeof(RGBTRIPLE);
    } else if (headerSize >= sizeof(BITMAPINFOHEADER) && headerSize <= size) {
        BITMAPINFOHEADER info;
        std::memcpy(&info, data, sizeof(info));
        width = info.biWidth;
        height = info.biHeight < 0 && info.biHeight != LONG_MIN ? -info.biHeight : info.biHeight;
        planes = info.biPlanes;
        bits = info.biBitCount;
        compression = info.biCompression;
        colours = info.biClrUsed;
        colourBytes = sizeof(RGBQUAD);
        if (compression == BI_BITFIELDS && headerSize == sizeof(BITMAPINFOHEADER))
            maskBytes = 3 * sizeof(DWORD);
    } else {
        return false;
    }
    if (width <= 0 || height <= 0 || width > kMaxImageSidePixels || height > kMaxImageSidePixels || planes != 1)
        return false;
    if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bits == 16 || bits == 32)))
        return false;
    uint64_t palette = colours;
    switch (bits) {
    case 1:
    case 4:
    case 8:
        if (colours > (1u << bits))
            return false;
        palette = colours ? colours : (1u << bits);
        break;
    case 16:
    case 24:
    case 32:
        if (colours > 256)
            return false;
        break;
    default:
        return false;
    }
    const uint64_t stride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    return headerSize + maskBytes + palette * colourBytes + stride * static_cast<uint64_t>(height) <= size;
}

// A bitmap first, then a "PNG" image; null when neither is there whole.
VelBitmap* LoadLibraryImage(HMODULE library, UINT resourceId)
{
    const BYTE* data = nullptr;
    DWORD size = 0;
    if (VelResourceLibrary::Find(library, RT_BITMAP, MAKEINTRESOURCEW(resourceId), &data, &size) &&
        IsSoundDib(data, size)) {
        if (HANDLE bitmap = ::LoadImageW(library, MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, 0))
            return new VelBitmap(static_cast<HBITMAP>(bitmap));
    }
    if (!VelResourceLibrary::Find(library, L"PNG", MAKEINTRESOURCEW(resourceId), &data, &size))
        return nullptr;
    std::unique_ptr<VelBitmap> image(new VelBitmap(data, size));
    return image->GetImage() ? image.release() : nullptr;
}

}  // namespace

VelBitmap* VelKlTheme::GetImage(UINT resourceId)
{
    auto cached = m_images.find(resourceId);
    if (cached != m_images.end())
        return cached->second.get();
    // Without a library the program's own module would be searched instead.
    HMODULE library = GetThemeModule();
    VelBitmap* image = library ? LoadLibraryImage(library, resourceId) : nullptr;
    if (image)
        m_images[resourceId].reset(image);
    return image;
}

const VelTextMetrics* VelKlTheme::GetMediumTextMetrics(VelCanvas* canvas)
{
    if (m_mediumMetrics.stale)
        m_mediumMetrics = canvas->GetTextMetrics(GetMediumFont());
    return &m_mediumMetrics;
}

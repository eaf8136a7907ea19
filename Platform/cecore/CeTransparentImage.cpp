#include <windows.h>

// Exported through the definition below, not the header, whose declaration is
// the importers'.
extern "C" __declspec(dllexport) BOOL
    TransparentImage(HDC destination, LONG destinationX, LONG destinationY, LONG destinationWidth,
                     LONG destinationHeight, HANDLE source, LONG sourceX, LONG sourceY, LONG sourceWidth,
                     LONG sourceHeight, COLORREF key)
{
    if (!destination || !source) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The desktop's TransparentBlt takes only a DC: a bitmap goes into one of ours.
    if (::GetObjectType(source) == OBJ_DC)
        return ::TransparentBlt(destination, destinationX, destinationY, destinationWidth, destinationHeight,
                                static_cast<HDC>(source), sourceX, sourceY, sourceWidth, sourceHeight, key);
    if (::GetObjectType(source) != OBJ_BITMAP) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    HDC dc = ::CreateCompatibleDC(destination);
    HGDIOBJ previous = ::SelectObject(dc, source);
    const BOOL drawn = ::TransparentBlt(destination, destinationX, destinationY, destinationWidth, destinationHeight,
                                        dc, sourceX, sourceY, sourceWidth, sourceHeight, key);
    ::SelectObject(dc, previous);
    ::DeleteDC(dc);
    return drawn;
}

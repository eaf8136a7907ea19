#include "SHLoadDIBitmap.h"

HBITMAP SHLoadDIBitmap(LPCWSTR path)
{
    ::SetLastError(ERROR_SUCCESS);
    HBITMAP bitmap =
        static_cast<HBITMAP>(::LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    // LoadImageW does not always say why it failed; the caller reports the last error.
    // A missing file gets its error from GetFileAttributesW, a bad one ERROR_INVALID_DATA.
    if (!bitmap && ::GetLastError() == ERROR_SUCCESS && ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
        ::SetLastError(ERROR_INVALID_DATA);
    return bitmap;
}

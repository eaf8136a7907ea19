#pragma once
#include "VelPlatform.h"

// What the twelve keys of a keypad show and type, by position: column =
// position mod 4, row = position / 4. The strings are not copied by the
// record, so a custom layout must outlive the keypads that use it.
struct VelKeypadLayout {
    enum : int { kKeyCount = 12 };

    struct Key {
        int keyId;
        const wchar_t* label;
        const wchar_t* subLabel;
        // Typed in turn by quick taps of the key; the first one on a new tap.
        const wchar_t* multiTapChars;
    };

    const wchar_t* name;
    DWORD reserved;
    Key keys[kKeyCount];

    // The built-in layout of a kind (0 uppercase, 1 lowercase, 2 symbols),
    // or null for any other kind. They are constant data, so they are ready
    // before any static initialiser runs, whatever the order of those.
    static const VelKeypadLayout* GetBuiltIn(int kind);
};

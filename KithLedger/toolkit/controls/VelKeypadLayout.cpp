#include "VelKeypadLayout.h"

namespace {

// Constant-initialised: no constructor runs for them, so they take no place in
// the start-up order of the toolkit's objects (the control core comes first).
constexpr VelKeypadLayout kUppercase = {
    L"Standard built-in uppercase",
    0,
    {
        {0, L"1", L"-->", L"1 "},
        {1, L"2", L"ABC", L"2ABC\u00C0\u00C1\u00C2\u00C3\u00C4\u00C5\u00C7"},
        {2, L"3", L"DEF", L"3DEF\u00C8\u00C9\u00CA\u00CB"},
        {3, L"<--", L"CE", L"\b"},
        {4, L"4", L"GHI", L"4GHI\u00CC\u00CD\u00CE\u00CF"},
        {5, L"5", L"JKL", L"5JKL"},
        {6, L"6", L"MNO", L"6MNO\u00D2\u00D3\u00D4\u00D5\u00D6\u00D1"},
        {7, L"0", L"+-*@", L"0+-*@"},
        {8, L"7", L"PQRS", L"7PQRS"},
        {9, L"8", L"TUV", L"8TUV\u00D9\u00DA\u00DB\u00DC"},
        {10, L"9", L"WXYZ", L"9WXYZ\u00DD"},
        {11, L"Dock", L"", L""},
    },
};

// Some capitals stand among the small letters on purpose: the lists are the
// ones users of this keypad know.
constexpr VelKeypadLayout kLowercase = {
    L"Standard built-in lowercase",
    0,
    {
        {0, L"1", L"-->", L"1 "},
        {1, L"2", L"abc", L"2abc\u00E0\u00E1\u00E2\u00C3\u00E4\u00C5\u00C7"},
        {2, L"3", L"def", L"3def\u00E8\u00E9\u00CA\u00EB"},
        {3, L"<--", L"CE", L"\b"},
        {4, L"4", L"ghi", L"4ghi\u00EC\u00ED\u00CE\u00EF"},
        {5, L"5", L"jkl", L"5jkl"},
        {6, L"6", L"mno", L"6mno\u00F2\u00F3\u00D4\u00D5\u00F6\u00F1"},
        {7, L"0", L"!?/-", L"0!?/-"},
        {8, L"7", L"pqrs", L"7pqrs"},
        {9, L"8", L"tuv", L"8tuv\u00F9\u00FA\u00DB\u00FC"},
        {10, L"9", L"wxyz", L"9wxyz\u00FD"},
        {11, L"Dock", L"", L""},
    },
};

constexpr VelKeypadLayout kSymbols = {
    L"Standard built-in symbols",
    0,
    {
        {0, L"1", L"-->", L"1 "},
        {1, L"2", L"()[]", L"2()[]"},
        {2, L"3", L"#%&", L"3#%&"},
        {3, L"<--", L"CE", L"\b"},
        {4, L"4", L"{}<>", L"4{}<>"},
        {5, L"5", L",;.:", L"5,;.:"},
        {6, L"6", L"\u00B0\u00AA|", L"6\u00B0\u00AA|"},
        {7, L"0", L"\u00A8~`", L"0\u00A8~`"},
        {8, L"7", L"\u00A3\u00A5$", L"7\u00A3\u00A5$"},
        {9, L"8", L"\u00B1\u2211\u222B\u221E", L"8\u00B1\u2211\u222B\u221E"},
        {10, L"9", L"\u2248\u2264\u2265\u2260", L"9\u2248\u2264\u2265\u2260"},
        {11, L"Dock", L"", L""},
    },
};

}  // namespace

const VelKeypadLayout* VelKeypadLayout::GetBuiltIn(int kind)
{
    switch (kind) {
    case 0:
        return &kUppercase;
    case 1:
        return &kLowercase;
    case 2:
        return &kSymbols;
    default:
        return nullptr;
    }
}

#include "VelTextSearch.h"

#include <wctype.h>

#include <atomic>

namespace {

// Lower cases, made a block of 256 characters at a time when a text first
// holds one of them: most address books touch two or three blocks.
const unsigned kFoldBlock = 256;
const unsigned kFoldBlocks = 0x10000 / kFoldBlock;
enum : unsigned char { kBlockMissing = 0, kBlockFilling = 1, kBlockReady = 2 };
wchar_t g_folded[0x10000];
std::atomic<unsigned char> g_foldState[kFoldBlocks];

wchar_t RuntimeLower(unsigned c) { return static_cast<wchar_t>(towlower(static_cast<wint_t>(c))); }

wchar_t Fold(wchar_t c)
{
    const unsigned block = unsigned(c) / kFoldBlock;
    unsigned char state = g_foldState[block].load(std::memory_order_acquire);
    if (state == kBlockReady)
        return g_folded[unsigned(c)];
    if (state == kBlockMissing && g_foldState[block].compare_exchange_strong(state, kBlockFilling)) {
        for (unsigned at = block * kFoldBlock; at < (block + 1) * kFoldBlock; ++at)
            g_folded[at] = RuntimeLower(at);
        g_foldState[block].store(kBlockReady, std::memory_order_release);
        return g_folded[unsigned(c)];
    }
    // Another thread is filling the block.
    return RuntimeLower(unsigned(c));
}

bool RunMatches(const std::wstring& text, size_t start, const std::vector<std::wstring>& keys)
{
    if (text.size() - start < keys.size())
        return false;
    for (size_t k = 1; k < keys.size(); ++k) {
        if (keys[k].find(text[start + k]) == std::wstring::npos)
            return false;
    }
    return true;
}

}  // namespace

bool FindNoCase(const std::wstring& text, const std::vector<std::wstring>& keys, size_t* position)
{
    if (keys.empty())
        return false;
    std::wstring upper(text);
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(towupper(c));

    const std::wstring& first = keys.front();
    for (size_t start = upper.find_first_of(first); start != std::wstring::npos;
         start = upper.find_first_of(first, start + 1)) {
        if (RunMatches(upper, start, keys)) {
            if (position)
                *position = start;
            return true;
        }
    }
    return false;
}

int CompareNoCase(const std::wstring& first, const std::wstring& second)
{
    const wchar_t* a = first.c_str();
    const wchar_t* b = second.c_str();
    for (;; ++a, ++b) {
        const wchar_t ca = *a == *b ? *a : Fold(*a);
        const wchar_t cb = *a == *b ? *b : Fold(*b);
        if (ca == 0 || ca != cb)
            return int(ca) - int(cb);
    }
}

uint64_t CompareNoCasePrefix(const wchar_t* text, size_t length)
{
    // Past the first null the text counts as ended, and an end as a zero.
    uint64_t prefix = 0;
    bool ended = false;
    for (size_t i = 0; i < 4; ++i) {
        ended = ended || i >= length || text[i] == 0;
        const wchar_t c = ended ? 0 : Fold(text[i]);
        prefix = (prefix << 16) | uint64_t(uint16_t(c));
    }
    return prefix;
}

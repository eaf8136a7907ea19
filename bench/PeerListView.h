#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The peer: the platform's own list control in report view, in a window of
// its own over the same rectangle as our list, holding the same rows' text.
class PeerListView {
public:
    enum class Kind { kOwnerData, kInserted };

    PeerListView(Kind kind, const RECT& screenRect, const RECT& listRect);
    PeerListView(const PeerListView&) = delete;
    PeerListView& operator=(const PeerListView&) = delete;
    ~PeerListView();

    // The rows' two columns; the owner-data list reads them as it paints.
    void SetRows(const std::vector<std::wstring>* first, const std::vector<std::wstring>* second);
    // What an owner-data list shows, when not every row in order: entry i is
    // row order[i], or, below 0, the header headers[-1 - order[i]]. Null for every row.
    void SetOrder(const std::vector<int>* order, const std::vector<std::wstring>* headers);
    // Owner data: the count, then the first frame. Inserted: every row, then the frame.
    void Fill();
    void Clear();
    // Scrolls by dy pixels and paints what that exposed.
    void ScrollBy(int dy);
    void BringToTop();
    void Paint();
    HWND GetList() const { return m_list; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    Kind m_kind;
    HWND m_frame;
    HWND m_list;
    const std::vector<std::wstring>* m_first;
    const std::vector<std::wstring>* m_second;
    const std::vector<int>* m_order;
    const std::vector<std::wstring>* m_headers;
};

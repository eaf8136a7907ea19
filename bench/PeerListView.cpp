#include "PeerListView.h"

#include <commctrl.h>

namespace {

const wchar_t kFrameClass[] = L"KlBenchPeerFrame";
const int kFirstColumnWidth = 300;

void RegisterFrame()
{
    static bool done = false;
    if (done)
        return;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kFrameClass;
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    ::RegisterClassW(&wc);
    done = true;
}

}  // namespace

PeerListView::PeerListView(Kind kind, const RECT& screenRect, const RECT& listRect)
    : m_kind(kind), m_frame(nullptr), m_list(nullptr), m_first(nullptr), m_second(nullptr), m_order(nullptr),
      m_headers(nullptr)
{
    RegisterFrame();
    m_frame = ::CreateWindowExW(0, kFrameClass, L"peer", WS_POPUP | WS_VISIBLE, screenRect.left, screenRect.top,
                                screenRect.right - screenRect.left, screenRect.bottom - screenRect.top, nullptr,
                                nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(m_frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrW(m_frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PeerListView::WindowProc));
    DWORD style = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL;
    if (kind == Kind::kOwnerData)
        style |= LVS_OWNERDATA;
    m_list = ::CreateWindowExW(0, WC_LISTVIEWW, L"", style, listRect.left, listRect.top, listRect.right - listRect.left,
                               listRect.bottom - listRect.top, m_frame, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH;
    column.cx = kFirstColumnWidth;
    ::SendMessageW(m_list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    column.cx = (listRect.right - listRect.left) - kFirstColumnWidth;
    ::SendMessageW(m_list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
    ::UpdateWindow(m_frame);
}

PeerListView::~PeerListView()
{
    if (m_frame)
        ::DestroyWindow(m_frame);
}

void PeerListView::SetRows(const std::vector<std::wstring>* first, const std::vector<std::wstring>* second)
{
    m_first = first;
    m_second = second;
}

void PeerListView::SetOrder(const std::vector<int>* order, const std::vector<std::wstring>* headers)
{
    m_order = order;
    m_headers = headers;
}

void PeerListView::Fill()
{
    const int count = m_order ? int(m_order->size()) : m_first ? int(m_first->size()) : 0;
    if (m_kind == Kind::kOwnerData) {
        ::SendMessageW(m_list, LVM_SETITEMCOUNT, count, 0);
    } else {
        ::SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
        for (int i = 0; i < count; ++i) {
            LVITEMW item = {};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = const_cast<wchar_t*>((*m_first)[size_t(i)].c_str());
            const int at = int(::SendMessageW(m_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
            item.iItem = at;
            item.iSubItem = 1;
            item.pszText = const_cast<wchar_t*>((*m_second)[size_t(i)].c_str());
            ::SendMessageW(m_list, LVM_SETITEMTEXTW, at, reinterpret_cast<LPARAM>(&item));
        }
        ::SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
    }
    Paint();
}

void PeerListView::Clear()
{
    if (m_kind == Kind::kOwnerData)
        ::SendMessageW(m_list, LVM_SETITEMCOUNT, 0, 0);
    else
        ::SendMessageW(m_list, LVM_DELETEALLITEMS, 0, 0);
    Paint();
}

void PeerListView::ScrollBy(int dy)
{
    ::SendMessageW(m_list, LVM_SCROLL, 0, dy);
    ::UpdateWindow(m_list);
}

void PeerListView::BringToTop()
{
    ::SetWindowPos(m_frame, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    Paint();
}

void PeerListView::Paint()
{
    ::InvalidateRect(m_list, nullptr, TRUE);
    ::UpdateWindow(m_list);
}

LRESULT CALLBACK PeerListView::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    PeerListView* self = reinterpret_cast<PeerListView*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NOTIFY && self) {
        NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == LVN_GETDISPINFOW) {
            NMLVDISPINFOW* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
            if (!(info->item.mask & LVIF_TEXT))
                return 0;
            const std::vector<std::wstring>* column = info->item.iSubItem == 0 ? self->m_first : self->m_second;
            long row = info->item.iItem;
            if (self->m_order) {
                if (row < 0 || size_t(row) >= self->m_order->size())
                    return 0;
                row = (*self->m_order)[size_t(row)];
                if (row < 0) {
                    static wchar_t none[] = L"";
                    const size_t header = size_t(-1 - row);
                    const bool shown = info->item.iSubItem == 0 && self->m_headers && header < self->m_headers->size();
                    info->item.pszText = shown ? const_cast<wchar_t*>((*self->m_headers)[header].c_str()) : none;
                    return 0;
                }
            }
            if (column && row >= 0 && size_t(row) < column->size())
                info->item.pszText = const_cast<wchar_t*>((*column)[size_t(row)].c_str());
            return 0;
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

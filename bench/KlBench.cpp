// klbench: the lists against the platform's own list control, alternated in
// one process. See tools/bench.sh for how it is run and what it writes.
#include <windows.h>
#include <objbase.h>

#include <boost/shared_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchData.h"
#include "BenchStats.h"
#include "PeerListView.h"
#include "PeerWork.h"
#include "ProcessCounters.h"

#include "VelApplication.h"
#include "VelCallItem.h"
#include "VelCallListView.h"
#include "VelCallListViewItem.h"
#include "VelContactItem.h"
#include "VelContactItemFilter.h"
#include "VelContactListView.h"
#include "VelContactListViewItem.h"
#include "VelContactView.h"
#include "VelDateGroupItem.h"
#include "VelDetailItem.h"
#include "VelControlCore.h"
#include "VelCreateDataTable.h"
#include "VelDataTable.h"
#include "VelDevStore.h"
#include "VelGroupItem.h"
#include "VelKeypad.h"
#include "VelKlViews.h"
#include "VelKeypadButton.h"
#include "VelListView.h"
#include "VelLocalizedStrings.h"
#include "VelMainView.h"
#include "VelMessageSource.h"
#include "VelPoomSession.h"
#include "VelSmsItem.h"
#include "VelSmsListView.h"
#include "VelSmsListViewItem.h"
#include "VelSmsStore.h"
#include "VelTabBar.h"
#include "VelThemeLibrary.h"
#include "VelToolbar.h"
#include "VelToolbarButton.h"

// The contacts session's notifications go nowhere: the benchmark adds rows itself.
#include "tests/support/QuietWindow.h"

#ifndef KLBENCH_FLAGS
#define KLBENCH_FLAGS ""
#endif

namespace {

typedef boost::shared_ptr<VelItem> RowPtr;

const uint32_t kSeed = 20261210;
const int kContactPart = 1000;  // contacts are read from stores of this many
const DWORD kFrameMs = 30;      // the fling timer's step on the benchmark's clock
const int kScrollFrames = 300;
const int kFlingFrames = 30;
const int kReloads = 100;
const int kCallPart = 1000;
const double kReadBudgetMs = 10000;

struct Options {
    bool smoke = false;
    int repeats = 12;
    int warmup = 2;
    // The contact counts of the fill, keypad and grouping cases and of the
    // load's store sets; the calls cases run at the same counts.
    std::vector<int> sizes = {1000, 10000, 50000};
    int memoryContacts = 10000;
    std::string json = "klbench.json";
    std::string table = "klbench.txt";
    std::string wine = "unknown";
    std::string cpu = "unknown";
    std::string only;  // run only the cases whose names begin with this

    int Largest() const { return sizes.back(); }
    // Fewer rounds at the largest sizes, where one round takes long enough.
    int Repeats(int n) const { return n >= 50000 ? std::max(3, repeats / 3) : repeats; }
};

// Whether a case, or a group of cases named by a prefix, is to run.
bool Wants(const Options& o, const std::string& name)
{
    if (o.only.empty())
        return true;
    const size_t n = std::min(name.size(), o.only.size());
    return name.compare(0, n, o.only, 0, n) == 0;
}

DWORD& Now()
{
    static DWORD now = 1000000;
    return now;
}
DWORD WINAPI FakeTick() { return Now(); }

void Pump()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void Settle(HWND window)
{
    Pump();
    ::UpdateWindow(window);
    Pump();
}

// The run's own folder in the temporary folder. Wine gives process ids out
// again in a new session, so one left by an earlier run is emptied first.
const std::wstring& RunFolder()
{
    static const std::wstring folder = [] {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        return std::wstring(temp) + L"klbench-" + std::to_wstring(::GetCurrentProcessId());
    }();
    return folder;
}

std::wstring TempFolder(const std::wstring& stem)
{
    ::CreateDirectoryW(RunFolder().c_str(), nullptr);
    const std::wstring folder = RunFolder() + L"\\" + stem;
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// Points the stand-ins at a store folder for one scope.
class StoreScope {
public:
    explicit StoreScope(const std::wstring& folder) { ::SetEnvironmentVariableW(VEL_DEVICE_STORE_ENV, folder.c_str()); }
    ~StoreScope() { ::SetEnvironmentVariableW(VEL_DEVICE_STORE_ENV, nullptr); }
};

// Reads up to `limit` entries of a table kind; the time per entry in µs.
// Stops early past the budget: the figure is per entry either way.
template <typename Item>
double ReadTable(int kind, int limit, std::vector<Item*>* out, double budgetMs = 1e12, int* count = nullptr)
{
    const double start = NowMs();
    std::unique_ptr<VelDataTable> table(CreateDataTable(kind));
    int read = 0;
    if (table) {
        table->GetCount();
        while (read < limit && NowMs() - start < budgetMs) {
            VelDataItem* entry = table->GetEntry();
            if (!entry)
                break;
            ++read;
            Item* item = dynamic_cast<Item*>(entry);
            if (out && item)
                out->push_back(item);
            else
                delete entry;
            if (kind != kMessagesTable)
                table->Seek(1, VelDataTable::kSeekCurrent);
        }
    }
    const double ms = NowMs() - start;
    if (count)
        *count = read;
    return read ? ms * 1000.0 / read : -1;
}

// The program's screen: the main view with its real tabs, at the screen's size.
class Screen {
public:
    Screen()
    {
        // The program's tabs but the favourites, which the cases never show.
        VelMainViewTabs tabs = MakeKlViews().tabs;
        tabs.favorites = nullptr;
        view = new VelMainView(nullptr, "main-view", tabs);
        view->Create(nullptr, kVelStyleVisible,
                     VelRect(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)));
        Settle(view->GetHandle());
    }
    ~Screen() { delete view; }

    HWND Window() const { return view->GetHandle(); }
    VelListView* List(int page) const { return view->GetListTabView(page)->GetList(); }
    VelContactListView* Contacts() const
    {
        return dynamic_cast<VelContactListView*>(view->GetListTabView(VelMainView::kContactsPageId));
    }
    VelCallListView* Calls() const
    {
        return dynamic_cast<VelCallListView*>(view->GetListTabView(VelMainView::kCallsPageId));
    }

    // Makes the page current; a tap on the current tab would move it to its
    // next tab state, so that one is left alone.
    void Show(int page)
    {
        VelKlView* tab = view->GetListTabView(page);
        if (view->GetCurrentTabPage() != dynamic_cast<VelTabPage*>(tab))
            TapTab(page);
    }
    // The contacts grouped by name, the calls unfiltered: what the fills and the keypad start from.
    void ShowFirstStates(int page)
    {
        Show(page);
        for (int i = 0;
             i < 4 && page == VelMainView::kContactsPageId && Contacts()->GetTabState() != VelContactListView::kByName;
             ++i)
            TapTab(page);
        for (int i = 0;
             i < 4 && page == VelMainView::kCallsPageId && Calls()->GetFilterIndex() != VelCallListView::kAllCalls; ++i)
            TapTab(page);
    }
    // A tap on the page's tab, timed from the press to the frame presented
    // after what it set off.
    double TapTab(int page)
    {
        VelTabBar* bar = view->GetTabBar();
        VelRect r = bar->FindButton(page)->GetRect();
        r.Offset(bar->GetToolbar()->GetLeft(), bar->GetToolbar()->GetTop());
        const int x = (r.left + r.right) / 2;
        const int y = (r.top + r.bottom) / 2;
        const double start = NowMs();
        ::SendMessageW(Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        Now() += 20;
        ::SendMessageW(Window(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        Settle(Window());
        const double ms = NowMs() - start;
        Now() += 400;
        Settle(Window());
        return ms;
    }
    void BringToTop()
    {
        ::SetWindowPos(Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        ::InvalidateRect(Window(), nullptr, FALSE);
        Settle(Window());
    }
    RECT ListRect(int page) const
    {
        VelListView* list = List(page);
        return list->GetAbsoluteBounds();
    }

    VelMainView* view;
};

void Empty(VelListView* list)
{
    list->RemoveAllItems();
    list->RemoveAllGroups();
}

// Our fill: the rows into the list in one loading cycle, to the presented frame.
double FillOurs(Screen& screen, VelListView* list, const std::vector<RowPtr>& rows, size_t count)
{
    Empty(list);
    screen.BringToTop();
    const double start = NowMs();
    list->BeginLoading();
    for (size_t i = 0; i < count; ++i)
        list->AddItem(rows[i].get());
    list->EndLoading();
    ::UpdateWindow(screen.Window());
    return NowMs() - start;
}

double FillPeer(PeerListView& peer)
{
    peer.Clear();
    peer.BringToTop();
    const double start = NowMs();
    peer.Fill();
    return NowMs() - start;
}

struct RowTexts {
    std::vector<std::wstring> first, second;
};

RowTexts ContactTexts(const std::vector<VelContactItem*>& items, size_t count)
{
    RowTexts t;
    for (size_t i = 0; i < count; ++i) {
        t.first.push_back(items[i]->GetDisplayNameText());
        t.second.push_back(items[i]->GetPrimaryNumberText());
    }
    return t;
}

// A fling over the contacts: a posted drag, then the kinetic run on the
// benchmark's clock; each frame is one input or one fling tick, painted and
// presented. The positions after each frame are replayed on the peer.
void ScrollCase(Report& report, const Options& o, Screen& screen, const std::vector<RowPtr>& rows,
                const RowTexts& texts, size_t count)
{
    const RECT screenRect = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    screen.ShowFirstStates(VelMainView::kContactsPageId);
    VelListView* list = screen.List(VelMainView::kContactsPageId);
    FillOurs(screen, list, rows, count);
    const RECT listRect = screen.ListRect(VelMainView::kContactsPageId);
    RowTexts shown;
    shown.first.assign(texts.first.begin(), texts.first.begin() + long(count));
    shown.second.assign(texts.second.begin(), texts.second.begin() + long(count));
    PeerListView peer(PeerListView::Kind::kOwnerData, screenRect, listRect);
    peer.SetRows(&shown.first, &shown.second);
    peer.Fill();

    CaseResult r;
    r.name = "scroll.contacts." + std::to_string(count);
    r.unit = "ms/frame";
    const int x = (listRect.left + listRect.right) / 2;
    const int bottom = listRect.bottom - 20;
    int frames = 0;
    bool down = true;
    for (int run = 0; frames < kScrollFrames || run < o.warmup + 10; ++run) {
        if (o.smoke && run > 0)
            break;
        screen.BringToTop();
        std::vector<double> ours;
        std::vector<int> positions;
        positions.push_back(list->GetScrollPosition());
        auto frame = [&](UINT message, WPARAM w, int y) {
            const double start = NowMs();
            ::SendMessageW(screen.Window(), message, w, MAKELPARAM(x, y));
            ::UpdateWindow(screen.Window());
            ours.push_back(NowMs() - start);
            positions.push_back(list->GetScrollPosition());
        };
        // A quick stroke of 240 px in six moves, released at speed.
        const int step = down ? -40 : 40;
        int y = down ? bottom : listRect.top + 260;
        frame(WM_LBUTTONDOWN, MK_LBUTTON, y);
        for (int m = 0; m < 6; ++m) {
            Now() += 10;
            y += step;
            frame(WM_MOUSEMOVE, MK_LBUTTON, y);
        }
        Now() += 5;
        frame(WM_LBUTTONUP, 0, y);
        for (int f = 0; f < kFlingFrames && list->IsScrolling(); ++f) {
            Now() += kFrameMs;
            const double start = NowMs();
            VelTimerEventArgs tick(list->GetTimerId());
            list->OnTimer(&tick);
            ::UpdateWindow(screen.Window());
            ours.push_back(NowMs() - start);
            positions.push_back(list->GetScrollPosition());
        }
        list->StopScrolling();
        const int position = list->GetScrollPosition();
        if (position <= 0)
            down = true;
        else if (position + (listRect.bottom - listRect.top) >= list->GetContentHeight() - 10)
            down = false;
        else if (run % 8 == 7)
            down = !down;

        peer.BringToTop();
        std::vector<double> theirs;
        for (size_t i = 1; i < positions.size(); ++i) {
            const double start = NowMs();
            peer.ScrollBy(positions[i] - positions[i - 1]);
            theirs.push_back(NowMs() - start);
        }
        if (run < o.warmup)
            continue;
        for (double v : ours)
            r.ours.Add(v);
        for (double v : theirs)
            r.peer.Add(v);
        frames += int(ours.size());
    }
    r.target = "p95 <= 2 ms, <= 0.25x peer";
    r.met = r.ours.P95() <= 2 && r.ours.Median() <= 0.25 * r.peer.Median();
    report.Add(r);
    list->ScrollTo(0, false);
    screen.BringToTop();
}

// The keypad's digit for a letter as the uppercase layout has it; 0 for none.
wchar_t DigitOf(wchar_t c)
{
    static const wchar_t* const keys[] = {L"2ABCÀÁÂÃÄÅÇ", L"3DEFÈÉÊË", L"4GHIÌÍÎÏ", L"5JKL",
                                          L"6MNOÒÓÔÕÖÑ",  L"7PQRS",    L"8TUVÙÚÛÜ", L"9WXYZÝ"};
    const wchar_t upper = wchar_t(towupper(c));
    if (upper >= L'0' && upper <= L'9')
        return upper;
    for (const wchar_t* key : keys)
        if (std::wcschr(key + 1, upper))
            return key[0];
    return 0;
}

std::wstring Digits(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t c : text) {
        const wchar_t d = DigitOf(c);
        out += d ? d : L'.';
    }
    return out;
}

int KeyPosition(wchar_t digit)
{
    static const wchar_t order[] = L"123-4560789";
    const wchar_t* at = std::wcschr(order, digit);
    return at ? int(at - order) : 0;
}

// The medians of a case family by size, for how each grows.
class Growth {
public:
    void Note(const std::string& family, int size, const CaseResult& r)
    {
        m_points[family][size] = {r.ours.Median(), r.peer.values.empty() ? -1 : r.peer.Median()};
    }
    // The exponent k of time ~ size^k between the two largest sizes, ours and the peer's.
    void AddTo(Report& report) const
    {
        for (const auto& family : m_points) {
            if (family.second.size() < 2)
                continue;
            auto large = family.second.rbegin();
            auto small = std::next(large);
            const double sizes = std::log(double(large->first) / double(small->first));
            CaseResult r;
            r.name = "growth." + family.first;
            r.unit = "exponent";
            r.ours.Add(std::log(large->second.first / small->second.first) / sizes);
            if (large->second.second > 0 && small->second.second > 0)
                r.peer.Add(std::log(large->second.second / small->second.second) / sizes);
            r.target = "(reported)";
            r.met = true;
            r.note = std::to_string(small->first) + " to " + std::to_string(large->first);
            report.Add(r);
        }
    }

private:
    std::map<std::string, std::map<int, std::pair<double, double>>> m_points;
};

// The limit a case's target sets at a size: the 10,000 one, the 50,000 one,
// or none below 10,000, where the figures are only reported.
double LimitAt(size_t n, double at10k, double at50k) { return n >= 50000 ? at50k : n >= 10000 ? at10k : -1; }

std::string Figure(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

// Sets a case's target as at most `ratio` times the peer's median.
void PeerTarget(CaseResult& r, double ratio)
{
    r.peerRequired = true;
    if (ratio < 0) {
        r.target = "(reported)";
        r.met = true;
        return;
    }
    r.target = "<= " + Figure(ratio) + "x peer";
    r.met = !r.ours.values.empty() && !r.peer.values.empty() && r.ours.Median() <= ratio * r.peer.Median();
}

// Our fill: the rows into the list in one loading cycle against the
// platform's list with the same rows, owner data (the peer) and inserted
// one by one (a reference, up to 10,000 rows: far slower past them).
void FillCase(Report& report, const Options& o, Screen& screen, int page, const std::string& name,
              const std::vector<RowPtr>& rows, const RowTexts& texts, size_t count, double ratio, Growth& growth)
{
    const RECT screenRect = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    screen.ShowFirstStates(page);
    const RECT listRect = screen.ListRect(page);
    RowTexts shown;
    shown.first.assign(texts.first.begin(), texts.first.begin() + long(count));
    shown.second.assign(texts.second.begin(), texts.second.begin() + long(count));
    PeerListView ownerData(PeerListView::Kind::kOwnerData, screenRect, listRect);
    std::unique_ptr<PeerListView> inserted;
    if (count <= 10000) {
        inserted.reset(new PeerListView(PeerListView::Kind::kInserted, screenRect, listRect));
        inserted->SetRows(&shown.first, &shown.second);
    }
    ownerData.SetRows(&shown.first, &shown.second);
    CaseResult r;
    r.name = name + "." + std::to_string(count);
    r.unit = "ms";
    for (int i = 0; i < o.warmup + o.Repeats(int(count)); ++i) {
        const double a = FillOurs(screen, screen.List(page), rows, count);
        const double b = FillPeer(ownerData);
        const double c = inserted ? FillPeer(*inserted) : -1;
        if (i < o.warmup)
            continue;
        r.ours.Add(a);
        r.peer.Add(b);
        if (c >= 0)
            r.reference.Add(c);
    }
    PeerTarget(r, ratio);
    screen.BringToTop();
    report.Add(r);
    growth.Note(name, int(count), r);
}

// The contacts as the peer keeps them, made once before the cases time anything.
PeerContacts MakePeerContacts(const std::vector<VelContactItem*>& items, size_t count)
{
    PeerContacts c;
    for (size_t i = 0; i < count; ++i) {
        const VelContactItem* item = items[i];
        c.names.push_back(item->GetDisplayNameText());
        c.numbers.push_back(item->GetPrimaryNumberText());
        c.companies.push_back(item->GetCompanyText());
        c.categories.push_back(item->GetCategoryList());
        c.nameDigits.push_back(Digits(c.names.back()));
        c.numberDigits.push_back(Digits(c.numbers.back()));
    }
    return c;
}

// The keypad search: seven keys that spell the start of a name in the list,
// two backspaces and the clear key, each to the presented frame, against the
// peer filtering its list by the same digits and repainting it.
void KeypadCase(Report& report, const Options& o, Screen& screen, const std::vector<RowPtr>& rows,
                const std::vector<VelContactItem*>& items, size_t count, Growth& growth)
{
    const RECT screenRect = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    screen.ShowFirstStates(VelMainView::kContactsPageId);
    VelListView* list = screen.List(VelMainView::kContactsPageId);
    FillOurs(screen, list, rows, count);
    PeerContacts contacts = MakePeerContacts(items, count);
    PeerListView peerList(PeerListView::Kind::kOwnerData, screenRect, screen.ListRect(VelMainView::kContactsPageId));
    peerList.SetRows(&contacts.names, &contacts.numbers);
    PeerShown peer(peerList);
    PeerByName(contacts, peer, &contacts.byName, &contacts.byNameLabels);
    std::wstring word;
    for (size_t i = count / 3; i < count && word.size() < 7; ++i) {
        const std::wstring& digits = contacts.nameDigits[i];
        if (digits.find(L'.') >= 7 && digits.size() >= 7)
            word = digits.substr(0, 7);
    }
    if (word.size() < 7)
        word = L"5278436";
    VelKeypad* keypad = screen.view->GetKeypad();
    enum { kFirst, kLater, kBackspace, kClear, kKinds };
    static const char* const kindNames[kKinds] = {"first", "later", "backspace", "clear"};
    CaseResult r[kKinds];
    for (int k = 0; k < kKinds; ++k) {
        r[k].name = std::string("keypad.") + kindNames[k] + "." + std::to_string(count);
        r[k].unit = "ms/key";
    }
    for (int i = 0; i < o.warmup + o.Repeats(int(count)); ++i) {
        screen.BringToTop();
        std::wstring typed;
        auto press = [&](int kind, int position) {
            const double start = NowMs();
            if (kind == kClear) {
                screen.view->ClearKeypadSearch(keypad, nullptr);
            } else {
                VelKeypadButtonEventArgs args(keypad->GetKey(position));
                screen.view->OnKeypadButton(keypad, &args);
            }
            ::UpdateWindow(screen.Window());
            const double ours = NowMs() - start;
            peerList.BringToTop();
            const double peerStart = NowMs();
            PeerKeypad(contacts, typed, peer);
            const double theirs = NowMs() - peerStart;
            screen.BringToTop();
            if (i >= o.warmup) {
                r[kind].ours.Add(ours);
                r[kind].peer.Add(theirs);
            }
        };
        for (wchar_t d : word) {
            typed += d;
            press(typed.size() == 1 ? kFirst : kLater, KeyPosition(d));
        }
        for (int b = 0; b < 2; ++b) {
            typed.pop_back();
            press(kBackspace, VelKeypad::kBackspaceKeyId);
        }
        typed.clear();
        press(kClear, 0);
    }
    const double limit = LimitAt(count, 5, 8);
    for (int k = 0; k < kKinds; ++k) {
        r[k].peerRequired = true;
        if (limit < 0) {
            r[k].target = "(reported)";
            r[k].met = true;
        } else {
            r[k].target = "p95 <= " + Figure(limit) + " ms";
            r[k].met = r[k].ours.P95() <= limit;
        }
        report.Add(r[k]);
        growth.Note(std::string("keypad.") + kindNames[k], int(count), r[k]);
    }
}

// The contacts tab tapped while current, through its three groupings and
// back to by name, each switch to the presented frame, against the peer
// regrouping its list the same way.
void GroupingCase(Report& report, const Options& o, Screen& screen, const std::vector<RowPtr>& rows,
                  const std::vector<VelContactItem*>& items, size_t count, Growth& growth)
{
    const RECT screenRect = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    screen.ShowFirstStates(VelMainView::kContactsPageId);
    FillOurs(screen, screen.List(VelMainView::kContactsPageId), rows, count);
    const PeerContacts contacts = MakePeerContacts(items, count);
    PeerListView peerList(PeerListView::Kind::kOwnerData, screenRect, screen.ListRect(VelMainView::kContactsPageId));
    peerList.SetRows(&contacts.names, &contacts.numbers);
    PeerShown peer(peerList);
    PeerByName(contacts, peer);
    struct Switch {
        const char* name;
        void (*peer)(const PeerContacts&, PeerShown&);
    };
    const Switch switches[] = {{"name-to-company", &PeerByCompany},
                               {"company-to-category", &PeerByCategory},
                               {"category-to-name", [](const PeerContacts& c, PeerShown& s) { PeerByName(c, s); }}};
    CaseResult r[3];
    for (int s = 0; s < 3; ++s) {
        r[s].name = std::string("grouping.") + switches[s].name + "." + std::to_string(count);
        r[s].unit = "ms";
    }
    for (int i = 0; i < o.warmup + o.Repeats(int(count)); ++i) {
        for (int s = 0; s < 3; ++s) {
            screen.BringToTop();
            const double ours = screen.TapTab(VelMainView::kContactsPageId);
            peerList.BringToTop();
            const double start = NowMs();
            switches[s].peer(contacts, peer);
            const double theirs = NowMs() - start;
            if (i < o.warmup)
                continue;
            r[s].ours.Add(ours);
            r[s].peer.Add(theirs);
        }
    }
    for (int s = 0; s < 3; ++s) {
        PeerTarget(r[s], LimitAt(count, 1, 1));
        report.Add(r[s]);
        growth.Note(std::string("grouping.") + switches[s].name, int(count), r[s]);
    }
    screen.BringToTop();
}

// The calls tab tapped while current, through its four filters and back to
// every call, against the peer filtering its list the same way.
void CallFilterCase(Report& report, const Options& o, Screen& screen, const std::vector<RowPtr>& rows,
                    const RowTexts& texts, size_t count, Growth& growth)
{
    const RECT screenRect = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    screen.ShowFirstStates(VelMainView::kCallsPageId);
    FillOurs(screen, screen.List(VelMainView::kCallsPageId), rows, count);
    // The peer's calls newest first, as ours shows them, with their date labels.
    std::vector<size_t> order(count);
    for (size_t i = 0; i < count; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return CompareItemsByDate(rows[a], rows[b]); });
    PeerCalls calls;
    for (size_t i : order) {
        const VelCallItem* call = static_cast<VelCallListViewItem*>(rows[i].get())->GetCall();
        calls.first.push_back(texts.first[i]);
        calls.second.push_back(texts.second[i]);
        const std::vector<std::pair<std::wstring, std::wstring>> keys = DateGroupKey(rows[i].get());
        calls.labels.push_back(keys.empty() ? std::wstring() : keys.front().first);
        calls.missed.push_back(IsMissedCall(rows[i].get()) ? 1 : 0);
        calls.outgoing.push_back(call->IsOutgoing() ? 1 : 0);
    }
    PeerListView peerList(PeerListView::Kind::kOwnerData, screenRect, screen.ListRect(VelMainView::kCallsPageId));
    peerList.SetRows(&calls.first, &calls.second);
    PeerShown peer(peerList);
    PeerCallFilter(calls, 0, peer);
    CaseResult r;
    r.name = "calls.filter." + std::to_string(count);
    r.unit = "ms";
    for (int i = 0; i < o.warmup + o.Repeats(int(count)); ++i) {
        for (int filter = 1; filter <= 4; ++filter) {
            screen.BringToTop();
            const double ours = screen.TapTab(VelMainView::kCallsPageId);
            peerList.BringToTop();
            const double start = NowMs();
            PeerCallFilter(calls, filter % 4, peer);
            const double theirs = NowMs() - start;
            if (i < o.warmup)
                continue;
            r.ours.Add(ours);
            r.peer.Add(theirs);
        }
    }
    PeerTarget(r, LimitAt(count, 1, 1));
    r.note = "every filter switch: all, outgoing, incoming, missed, all";
    report.Add(r);
    growth.Note("calls.filter", int(count), r);
    screen.BringToTop();
}

// ---- start and load: the program itself, started as a user would

std::wstring ModuleFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::string ReadFileText(const std::wstring& path)
{
    std::string text;
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return text;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(f, buffer, sizeof buffer, &read, nullptr) && read)
        text.append(buffer, read);
    ::CloseHandle(f);
    return text;
}

// The milliseconds a milestone line gives, or -1 when the log has none yet.
double Milestone(const std::string& log, const std::string& what)
{
    const std::string key = " " + what + " ";
    const size_t at = log.find(key);
    if (at == std::string::npos)
        return -1;
    return std::atof(log.c_str() + at + key.size());
}

BOOL CALLBACK CloseWindowsOf(HWND window, LPARAM process)
{
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == DWORD(process))
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

struct Milestones {
    double firstFrame = -1;
    double allLoaded = -1;
    double firstRows = -1;    // the first loaded rows painted
    double longestTick = -1;  // the longest loader tick, in ms
    double loaderTicks = -1;

    void Read(const std::string& log)
    {
        firstFrame = Milestone(log, "first frame");
        allLoaded = Milestone(log, "all lists loaded");
        firstRows = Milestone(log, "first rows painted");
        longestTick = Milestone(log, "longest loader tick");
        loaderTicks = Milestone(log, "loader ticks");
    }
};

// Starts a program of the build's folder with the store and waits for its
// start-up milestones in the debug log, then closes it.
Milestones RunProgram(const std::wstring& program, const std::wstring& arguments, const std::wstring& store,
                      bool waitForLoad, double timeoutMs)
{
    static int runs = 0;
    const std::wstring log = TempFolder(L"runs") + L"\\run-" + std::to_wstring(++runs) + L".log";
    ::DeleteFileW(log.c_str());
    StoreScope scope(store);
    ::SetEnvironmentVariableW(VEL_DEBUG_LOG_ENV, log.c_str());
    const std::wstring folder = ModuleFolder();
    std::wstring command = L"\"" + folder + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    Milestones m;
    const BOOL started =
        ::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &process);
    ::SetEnvironmentVariableW(VEL_DEBUG_LOG_ENV, nullptr);
    if (!started)
        return m;
    const double start = NowMs();
    while (NowMs() - start < timeoutMs) {
        m.Read(ReadFileText(log));
        if (m.firstFrame >= 0 && (!waitForLoad || m.allLoaded >= 0))
            break;
        if (::WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) {
            // Gone: what it wrote before it left is all there is.
            m.Read(ReadFileText(log));
            break;
        }
    }
    ::EnumWindows(CloseWindowsOf, LPARAM(process.dwProcessId));
    if (::WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 1);
    ::WaitForSingleObject(process.hProcess, 5000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return m;
}

// A store set of the start and load cases: contacts, calls and messages.
struct StoreSet {
    std::string name;
    std::wstring folder;
    int contacts, calls, messages;  // 0 for the demo set
    int Rows() const { return contacts + calls + messages; }
};

int CallsFor(int contacts) { return contacts > 10000 ? contacts * 2 / 5 : contacts / 2; }

// The program started as a user would, with every store set, alternated
// with the minimal program started and timed the same way: its first frame
// against that one's, and its own loading, timed from inside, the program
// logging its first rows painted and its longest loader tick.
void StartAndLoadCases(Report& report, const Options& o)
{
    std::vector<StoreSet> sets;
    {
        // The demo set, as the phone's radio and PIM tool writes it.
        const std::wstring demo = TempFolder(L"start-demo");
        StoreScope scope(demo);
        std::wstring command = L"\"" + ModuleFolder() + L"kldevice.exe\" seed";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, ModuleFolder().c_str(),
                             &startup, &process)) {
            ::WaitForSingleObject(process.hProcess, 60000);
            ::CloseHandle(process.hThread);
            ::CloseHandle(process.hProcess);
        }
        sets.push_back(StoreSet{"demo", demo, 0, 0, 0});
    }
    for (int n : o.sizes) {
        StoreSet set{std::to_string(n) + "-" + std::to_string(CallsFor(n)) + "-" + std::to_string(CallsFor(n)),
                     TempFolder(L"load-" + std::to_wstring(n)), n, CallsFor(n), CallsFor(n)};
        const double start = NowMs();
        boost::shared_ptr<VelDevStore> store = VelDevStore::OpenAt(set.folder);
        BenchData data(kSeed + 9);
        data.AddContacts(*store, set.contacts);
        data.AddCalls(*store, set.calls);
        data.AddMessages(*store, set.messages);
        std::fprintf(stderr, "klbench: store %s written in %.0f ms\n", set.name.c_str(), NowMs() - start);
        sets.push_back(set);
    }
    const double timeoutMs = o.smoke ? 120000 : 600000;
    struct PerRow {
        int rows;
        double ms;
    };
    std::vector<PerRow> perRow;
    struct SetResults {
        CaseResult first, loaded, firstRows, tick;
        double ticks = 0;
        int runs = 0;
    };
    std::vector<SetResults> results(sets.size());
    for (size_t s = 0; s < sets.size(); ++s) {
        SetResults& r = results[s];
        r.first.name = "start.first-frame." + sets[s].name;
        r.loaded.name = "load.all-lists." + sets[s].name;
        r.firstRows.name = "load.first-rows." + sets[s].name;
        r.tick.name = "load.longest-tick." + sets[s].name;
        r.first.unit = r.loaded.unit = r.firstRows.unit = r.tick.unit = "ms";
    }
    // Round by round over the sets, so that a busy spell of the machine
    // falls on every size alike and the ratios between them hold.
    const int warmup = o.smoke ? 0 : 1;
    auto repeatsOf = [&](const StoreSet& set) {
        return o.smoke ? 1 : set.contacts >= 50000 ? 3 : std::max(8, o.repeats);
    };
    int rounds = 0;
    for (const StoreSet& set : sets)
        rounds = std::max(rounds, warmup + repeatsOf(set));
    for (int i = 0; i < rounds; ++i) {
        for (size_t s = 0; s < sets.size(); ++s) {
            const StoreSet& set = sets[s];
            if (i >= warmup + repeatsOf(set))
                continue;
            SetResults& r = results[s];
            const Milestones ours = RunProgram(L"KithLedger.exe", L"", set.folder, true, timeoutMs);
            const Milestones minimal = RunProgram(L"klminimal.exe", L"", set.folder, false, timeoutMs);
            std::fprintf(stderr,
                         "klbench: start %s: first frame %.0f ms (minimal %.0f), first rows %.0f ms, all loaded "
                         "%.0f ms, longest tick %.2f ms of %.0f\n",
                         set.name.c_str(), ours.firstFrame, minimal.firstFrame, ours.firstRows, ours.allLoaded,
                         ours.longestTick, ours.loaderTicks);
            if (i < warmup)
                continue;
            // A run that never reached its milestone counts as missing, not as a time.
            if (ours.firstFrame >= 0)
                r.first.ours.Add(ours.firstFrame);
            if (minimal.firstFrame >= 0)
                r.first.peer.Add(minimal.firstFrame);
            if (ours.allLoaded >= 0)
                r.loaded.ours.Add(ours.allLoaded);
            if (ours.firstRows >= 0 && ours.firstFrame >= 0)
                r.firstRows.ours.Add(ours.firstRows - ours.firstFrame);
            if (ours.longestTick >= 0)
                r.tick.ours.Add(ours.longestTick);
            r.ticks = std::max(r.ticks, ours.loaderTicks);
        }
    }
    for (size_t s = 0; s < sets.size(); ++s) {
        const StoreSet& set = sets[s];
        CaseResult& first = results[s].first;
        CaseResult& loaded = results[s].loaded;
        CaseResult& firstRows = results[s].firstRows;
        CaseResult& tick = results[s].tick;
        const double ticks = results[s].ticks;
        first.target = "<= 1.5x the minimal program";
        first.peerRequired = true;
        first.met = !first.ours.values.empty() && !first.peer.values.empty() &&
                    first.ours.Median() <= 1.5 * first.peer.Median();
        report.Add(first);
        const double limit = set.contacts >= 50000 ? 8000 : set.contacts >= 10000 ? 1500 : -1;
        loaded.target = limit < 0 ? "(reported)" : "< " + Figure(limit / 1000) + " s";
        loaded.met = !loaded.ours.values.empty() && (limit < 0 || loaded.ours.Median() < limit);
        if (set.contacts && !loaded.ours.values.empty()) {
            perRow.push_back(PerRow{set.Rows(), loaded.ours.Median()});
            char note[96];
            std::snprintf(note, sizeof note, "%.1f us per row, up to %.0f loader ticks",
                          loaded.ours.Median() * 1000 / set.Rows(), ticks);
            loaded.note = note;
        }
        report.Add(loaded);
        firstRows.target = "< 100 ms after the first frame, every run";
        firstRows.met = !firstRows.ours.values.empty() && firstRows.ours.Max() < 100;
        report.Add(firstRows);
        tick.target = "<= 8 ms, every run";
        tick.met = !tick.ours.values.empty() && tick.ours.Max() <= 8;
        report.Add(tick);
    }
    if (perRow.size() >= 2) {
        // The time per row at the largest set against the one before it.
        const PerRow& large = perRow.back();
        const PerRow& small = perRow[perRow.size() - 2];
        CaseResult r;
        r.name = "growth.load.per-row";
        r.unit = "x";
        r.ours.Add((large.ms / large.rows) / (small.ms / small.rows));
        r.target = "<= 1.3x";
        r.met = r.ours.Median() <= 1.3;
        char note[128];
        std::snprintf(note, sizeof note, "%d to %d rows; exponent %.2f", small.rows, large.rows,
                      std::log(large.ms / small.ms) / std::log(double(large.rows) / double(small.rows)));
        r.note = note;
        report.Add(r);
    }
}

// The heap the program holds for n contacts: the contacts session logged on
// and left open, as the program leaves it, the contacts read from one store
// of n, their rows made and listed. Private bytes beside it.
void MemoryCase(Report& report, Screen& screen, QuietWindow& quiet, int n)
{
    const std::wstring folder = TempFolder(L"memory-" + std::to_wstring(n));
    BenchData(kSeed + 300).AddContacts(*VelDevStore::OpenAt(folder), n);
    VelListView* list = screen.List(VelMainView::kContactsPageId);
    screen.ShowFirstStates(VelMainView::kContactsPageId);
    Empty(list);
    Settle(screen.Window());
    // The benchmark's own vectors are made whole first: the program keeps no such vectors.
    std::vector<VelContactItem*> items;
    items.reserve(size_t(n));
    std::vector<RowPtr> rows;
    rows.reserve(size_t(n));
    StoreScope scope(folder);
    const size_t heapBefore = ProcessCounters::HeapBytes();
    const size_t privateBefore = ProcessCounters::PrivateBytes();
    LogonPoom(&quiet);
    const size_t heapSession = ProcessCounters::HeapBytes();
    ReadTable<VelContactItem>(kContactsTable, n, &items);
    const size_t heapRead = ProcessCounters::HeapBytes();
    for (VelContactItem* c : items)
        rows.push_back(RowPtr(new VelContactListViewItem(c)));
    const size_t heapRows = ProcessCounters::HeapBytes();
    FillOurs(screen, list, rows, rows.size());
    const size_t heapListed = ProcessCounters::HeapBytes();
    const size_t privateListed = ProcessCounters::PrivateBytes();
    const double count = double(items.size());
    CaseResult heap;
    heap.name = "memory.heap.contacts." + std::to_string(n);
    heap.unit = "B/contact";
    if (count > 0)
        heap.ours.Add((double(heapListed) - double(heapBefore)) / count);
    char note[240];
    std::snprintf(note, sizeof note,
                  "%.0f contacts read; session %.0f + read %.0f + row %.0f + list %.0f; a row object is %u bytes, a "
                  "group %u",
                  count, (double(heapSession) - double(heapBefore)) / count,
                  (double(heapRead) - double(heapSession)) / count, (double(heapRows) - double(heapRead)) / count,
                  (double(heapListed) - double(heapRows)) / count, unsigned(sizeof(VelContactListViewItem)),
                  unsigned(sizeof(VelGroupItem)));
    heap.note = note;
    CaseResult priv;
    priv.name = "memory.private.contacts." + std::to_string(n);
    priv.unit = "B/contact";
    if (count > 0)
        priv.ours.Add((double(privateListed) - double(privateBefore)) / count);
    {
        // The peer: the platform's list, owner data, holding the same texts.
        const RECT screenRect = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
        const size_t heapPeer = ProcessCounters::HeapBytes();
        const size_t privatePeer = ProcessCounters::PrivateBytes();
        RowTexts* texts = new RowTexts(ContactTexts(items, items.size()));
        PeerListView* peer =
            new PeerListView(PeerListView::Kind::kOwnerData, screenRect, screen.ListRect(VelMainView::kContactsPageId));
        peer->SetRows(&texts->first, &texts->second);
        peer->Fill();
        if (count > 0) {
            heap.peer.Add((double(ProcessCounters::HeapBytes()) - double(heapPeer)) / count);
            priv.peer.Add((double(ProcessCounters::PrivateBytes()) - double(privatePeer)) / count);
        }
        delete peer;
        delete texts;
    }
    Empty(list);
    rows.clear();
    Settle(screen.Window());
    const size_t heapReleased = ProcessCounters::HeapBytes();
    LogoffPoom();
    char kept[120];
    std::snprintf(kept, sizeof kept, "; of the read, the session keeps %.0f once the rows are gone",
                  (double(heapReleased) - double(heapSession)) / count);
    heap.note += kept;
    heap.target = "<= 512 B/contact, session open";
    heap.met = !heap.ours.values.empty() && heap.ours.Median() <= 512;
    priv.target = "(reported)";
    priv.met = true;
    report.Add(heap);
    report.Add(priv);
    screen.BringToTop();
}

// The cases on rows read in this process: reading, filling, scrolling, the
// keypad search, grouping, the calls filter, memory and leaks.
void RowCases(Report& report, const Options& o, QuietWindow& quiet)
{
    // ---- the data, read through the stand-ins as the program reads it, in
    // parts: each size's rows are the first of them.
    const int largest = o.Largest();
    std::vector<VelContactItem*> contacts;
    contacts.reserve(size_t(largest));
    const int parts = (largest + kContactPart - 1) / kContactPart;
    const double readStart = NowMs();
    for (int part = 0; part < parts; ++part) {
        const int n = std::min(kContactPart, largest - part * kContactPart);
        const std::wstring folder = TempFolder(L"contacts-" + std::to_wstring(part));
        BenchData data(kSeed + uint32_t(part));
        {
            boost::shared_ptr<VelDevStore> store = VelDevStore::OpenAt(folder);
            data.AddContacts(*store, n, part * kContactPart);
        }
        StoreScope scope(folder);
        LogonPoom(&quiet);
        ReadTable<VelContactItem>(kContactsTable, n, &contacts);
        LogoffPoom();
    }
    std::fprintf(stderr, "klbench: %zu contacts written and read in %.0f ms\n", contacts.size(), NowMs() - readStart);
    // The read case on stores of the sizes up to 10,000, each table within a budget.
    const double budgetMs = o.smoke ? 2000 : kReadBudgetMs;
    auto readCase = [&](const std::string& name, int kind, int n, const std::function<void(VelDevStore&)>& seed) {
        const std::wstring folder = TempFolder(std::wstring(name.begin(), name.end()) + L"-" + std::to_wstring(n));
        seed(*VelDevStore::OpenAt(folder));
        StoreScope scope(folder);
        CaseResult r;
        r.name = "read." + name + "." + std::to_string(n);
        r.unit = "us/entry";
        int count = 0;
        if (kind == kContactsTable)
            LogonPoom(&quiet);
        if (kind == kMessagesTable)
            OpenSmsStore();
        if (kind == kContactsTable)
            r.ours.Add(ReadTable<VelContactItem>(kind, n, nullptr, budgetMs, &count));
        else if (kind == kCallsTable)
            r.ours.Add(ReadTable<VelCallItem>(kind, n, nullptr, budgetMs, &count));
        else
            r.ours.Add(ReadTable<VelSmsItem>(kind, n, nullptr, budgetMs, &count));
        if (kind == kMessagesTable)
            CloseSmsStore();
        if (kind == kContactsTable)
            LogoffPoom();
        r.target = "< 50 us/entry";
        r.met = r.ours.Median() < 50;
        if (count < n)
            r.note = std::to_string(count) + " of " + std::to_string(n) + " entries read in the budget";
        report.Add(r);
        std::fprintf(stderr, "klbench: %s: %d entries, %.0f us each\n", r.name.c_str(), count, r.ours.Median());
    };
    for (int n : o.sizes) {
        if (n > 10000)
            continue;
        readCase("contacts", kContactsTable, n, [&](VelDevStore& store) { BenchData(kSeed).AddContacts(store, n); });
        readCase("calls", kCallsTable, n, [&](VelDevStore& store) { BenchData(kSeed + 77).AddCalls(store, n); });
        readCase("messages", kMessagesTable, n,
                 [&](VelDevStore& store) { BenchData(kSeed + 78).AddMessages(store, n); });
    }
    std::vector<VelCallItem*> calls;
    for (int part = 0; part * kCallPart < largest; ++part) {
        const int n = std::min(kCallPart, largest - part * kCallPart);
        const std::wstring folder = TempFolder(L"calls-part-" + std::to_wstring(part));
        BenchData(kSeed + 100 + uint32_t(part)).AddCalls(*VelDevStore::OpenAt(folder), n);
        StoreScope scope(folder);
        ReadTable<VelCallItem>(kCallsTable, n, &calls);
    }
    std::fprintf(stderr, "klbench: %zu call rows read\n", calls.size());

    // ---- rows, as the loaders make them
    std::vector<RowPtr> contactRows;
    for (VelContactItem* c : contacts)
        contactRows.push_back(RowPtr(new VelContactListViewItem(c)));
    std::vector<RowPtr> callRows;
    for (VelCallItem* c : calls)
        callRows.push_back(RowPtr(new VelCallListViewItem(c)));
    const RowTexts contactTexts = ContactTexts(contacts, contacts.size());
    RowTexts callTexts;
    for (VelCallItem* c : calls) {
        callTexts.first.push_back(c->GetName().empty() ? c->GetNumber() : c->GetName());
        callTexts.second.push_back(c->GetNumber());
    }

    Growth growth;
    {
        Screen screen;
        const size_t n = contactRows.size();
        for (int size : o.sizes)
            FillCase(report, o, screen, VelMainView::kContactsPageId, "fill.contacts", contactRows, contactTexts,
                     size_t(size), LimitAt(size_t(size), 1, 1.5), growth);
        for (int size : o.sizes)
            FillCase(report, o, screen, VelMainView::kCallsPageId, "fill.calls", callRows, callTexts, size_t(size), -1,
                     growth);
        Empty(screen.List(VelMainView::kCallsPageId));
        ScrollCase(report, o, screen, contactRows, contactTexts, std::min(n, size_t(o.memoryContacts)));
        for (int size : o.sizes)
            KeypadCase(report, o, screen, contactRows, contacts, size_t(size), growth);
        for (int size : o.sizes)
            GroupingCase(report, o, screen, contactRows, contacts, size_t(size), growth);
        screen.ShowFirstStates(VelMainView::kContactsPageId);
        Empty(screen.List(VelMainView::kContactsPageId));
        for (int size : o.sizes)
            CallFilterCase(report, o, screen, callRows, callTexts, size_t(size), growth);
        screen.ShowFirstStates(VelMainView::kCallsPageId);
        Empty(screen.List(VelMainView::kCallsPageId));

        // ---- memory: the program's contacts, session open
        MemoryCase(report, screen, quiet, o.memoryContacts);

        // ---- leaks: reloads of every list and detail views opened and closed
        VelListView* list = screen.List(VelMainView::kContactsPageId);
        screen.ShowFirstStates(VelMainView::kContactsPageId);
        const int reloads = o.smoke ? 3 : kReloads;
        const size_t reloadRows = std::min(size_t(1000), n);
        const size_t reloadCalls = std::min(size_t(1000), callRows.size());
        auto cycle = [&](int times) {
            for (int i = 0; i < times; ++i) {
                FillOurs(screen, list, contactRows, reloadRows);
                FillOurs(screen, screen.List(VelMainView::kCallsPageId), callRows, reloadCalls);
            }
        };
        const std::wstring lastPart = TempFolder(L"contacts-" + std::to_wstring(parts - 1));
        auto details = [&](int times) {
            StoreScope scope(lastPart);
            LogonPoom(&quiet);
            for (int i = 0; i < times; ++i) {
                VelContactView* detail = new VelContactView(nullptr, "contact-view");
                detail->Create(nullptr, kVelStyleVisible,
                               VelRect(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)));
                detail->ShowContact(contacts.back());
                Settle(detail->GetHandle());
                delete detail;
                Pump();
            }
            LogoffPoom();
        };
        cycle(2);
        details(2);
        Settle(screen.Window());
        const ProcessCounters before = ProcessCounters::Read();
        cycle(reloads);
        details(reloads);
        Empty(list);
        FillOurs(screen, list, contactRows, reloadRows);
        Empty(screen.List(VelMainView::kCallsPageId));
        FillOurs(screen, screen.List(VelMainView::kCallsPageId), callRows, reloadCalls);
        Settle(screen.Window());
        const ProcessCounters after = ProcessCounters::Read();
        struct Leak {
            const char* what;
            double growth;
        };
        const Leak leaks[] = {{"gdi-objects", double(before.gdiFree - after.gdiFree)},
                              {"windows", double(after.windows - before.windows)},
                              {"handles", double(after.handles - before.handles)},
                              {"private-bytes", double(after.privateBytes) - double(before.privateBytes)},
                              {"heap-bytes", double(after.heapBytes) - double(before.heapBytes)}};
        for (const Leak& l : leaks) {
            CaseResult r;
            r.name = std::string("leaks.") + l.what;
            r.unit = std::strstr(l.what, "bytes") ? "bytes" : "count";
            r.ours.Add(l.growth);
            r.target = "zero growth";
            r.met = l.growth <= 0;
            r.note = std::to_string(reloads) + " reloads + " + std::to_string(reloads) + " detail views";
            report.Add(r);
        }
        Empty(list);
        Empty(screen.List(VelMainView::kCallsPageId));
    }
    growth.AddTo(report);
}

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() { return i + 1 < argc ? std::string(argv[++i]) : std::string(); };
        if (arg == "--smoke") {
            o.smoke = true;
            o.repeats = 1;
            o.warmup = 0;
            o.sizes = {100, 200};
            o.memoryContacts = 200;
        } else if (arg == "--sizes") {
            // Contact counts, ascending, separated by commas: "1000,10000,50000".
            std::vector<int> sizes;
            const std::string list = value();
            for (size_t at = 0; at < list.size();) {
                const int n = std::atoi(list.c_str() + at);
                if (n > 0)
                    sizes.push_back(n);
                const size_t comma = list.find(',', at);
                at = comma == std::string::npos ? list.size() : comma + 1;
            }
            std::sort(sizes.begin(), sizes.end());
            if (!sizes.empty())
                o.sizes = sizes;
        } else if (arg == "--memory") {
            o.memoryContacts = std::max(1, std::atoi(value().c_str()));
        } else if (arg == "--repeats") {
            o.repeats = std::max(1, std::atoi(value().c_str()));
        } else if (arg == "--json") {
            o.json = value();
        } else if (arg == "--table") {
            o.table = value();
        } else if (arg == "--wine") {
            o.wine = value();
        } else if (arg == "--cpu") {
            o.cpu = value();
        } else if (arg == "--only") {
            o.only = value();
        }
    }
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    VelApplication app(L"Velmora KL benchmark");
    LoadLanguage(L"English");
    if (!LoadTheme(L"Silver")) {
        std::fprintf(stderr, "klbench: the Silver theme is missing\n");
        return 2;
    }
    VelControlCore::SetTickSource(&FakeTick);
    Report report;
    VelDevRemoveTree(RunFolder());
    QuietWindow quiet;

    const double start = NowMs();
    if (Wants(o, "read.") || Wants(o, "fill.") || Wants(o, "scroll.") || Wants(o, "keypad.") || Wants(o, "grouping.") ||
        Wants(o, "calls.") || Wants(o, "memory.") || Wants(o, "leaks.") || Wants(o, "growth."))
        RowCases(report, o, quiet);
    if (Wants(o, "start.") || Wants(o, "load.") || Wants(o, "growth."))
        StartAndLoadCases(report, o);
    if (!o.only.empty()) {
        // A group's other cases are left out of the table too.
        Report kept;
        for (const CaseResult& r : report.Results())
            if (Wants(o, r.name) && r.name.size() >= o.only.size())
                kept.Add(r);
        report = kept;
    }
    VelControlCore::SetTickSource(nullptr);
    VelDevRemoveTree(RunFolder());

    const std::string table = report.Table();
    std::printf("%s", table.c_str());
    const std::string machine = "{\"wine\": \"" + o.wine + "\", \"cpu\": \"" + o.cpu + "\", \"flags\": \"" +
                                std::string(KLBENCH_FLAGS) + "\", \"smoke\": " + (o.smoke ? "true" : "false") +
                                ", \"repeats\": " + std::to_string(o.repeats) +
                                ", \"warmup\": " + std::to_string(o.warmup) + "}";
    if (FILE* f = std::fopen(o.table.c_str(), "wb")) {
        std::fputs(table.c_str(), f);
        std::fclose(f);
    }
    if (FILE* f = std::fopen(o.json.c_str(), "wb")) {
        std::fputs(report.Json(machine).c_str(), f);
        std::fclose(f);
    }
    // Every case must give a number: a missing one fails the run, smoke or full.
    int missing = 0, missed = 0;
    for (const CaseResult& r : report.Results()) {
        bool number = !r.ours.values.empty() && (!r.peerRequired || !r.peer.values.empty());
        for (double v : r.ours.values)
            if (!std::isfinite(v) || (r.unit != "count" && r.unit != "bytes" && r.unit != "exponent" && v < 0))
                number = false;
        if (!number) {
            ++missing;
            std::fprintf(stderr, "klbench: %s gave no number\n", r.name.c_str());
        } else if (!r.met) {
            ++missed;
        }
    }
    std::printf("\nklbench: %zu cases in %.0f s; %d gave no number; %d missed their targets%s\n",
                report.Results().size(), (NowMs() - start) / 1000, missing, missed,
                o.smoke ? " (a smoke run: its timings mean nothing)" : "");
    ::CoUninitialize();
    return missing ? 1 : 0;
}

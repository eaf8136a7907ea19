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
#include <memory>
#include <string>
#include <vector>

#include "BenchData.h"
#include "BenchStats.h"
#include "PeerListView.h"
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
    int contacts = 10000;
    int smallContacts = 1000;
    int calls = 5000;
    int smallCalls = 1000;
    std::string json = "klbench.json";
    std::string table = "klbench.txt";
    std::string wine = "unknown";
    std::string cpu = "unknown";
    std::string only;  // run only the cases whose names begin with this
};

// Whether a case, or a group of cases named by a prefix, is to run.
bool Wants(const Options& o, const std::string& name)
{
    if (o.only.empty())
        return true;
    const size_t n = std::min(name.size(), o.only.size());
    return name.compare(0, n, o.only, 0, n) == 0;
}

std::string Narrow(const std::wstring& w)
{
    std::string out;
    for (wchar_t c : w)
        out += c < 128 ? char(c) : '?';
    return out;
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

// The contacts session's notifications go nowhere: the benchmark adds rows itself.
class QuietWindow : public VelMessageSource {
public:
    QuietWindow() : m_window(::CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr)) {}
    ~QuietWindow() override { ::DestroyWindow(m_window); }
    HWND GetHandle() const override { return m_window; }
    void AddHandler(Handler) override {}

private:
    HWND m_window;
};

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

    void Show(int page)
    {
        VelTabBar* bar = view->GetTabBar();
        VelRect r = bar->FindButton(page)->GetRect();
        r.Offset(bar->GetToolbar()->GetLeft(), bar->GetToolbar()->GetTop());
        Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void Tap(int x, int y)
    {
        ::SendMessageW(Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        Now() += 20;
        ::SendMessageW(Window(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        Now() += 400;
        Settle(Window());
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

void FillCase(Report& report, const Options& o, Screen& screen, int page, const std::string& name,
              const std::vector<RowPtr>& rows, const RowTexts& texts, size_t count, double limitMs)
{
    const RECT screenRect = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    screen.Show(page);
    const RECT listRect = screen.ListRect(page);
    RowTexts shown;
    shown.first.assign(texts.first.begin(), texts.first.begin() + long(count));
    shown.second.assign(texts.second.begin(), texts.second.begin() + long(count));
    PeerListView ownerData(PeerListView::Kind::kOwnerData, screenRect, listRect);
    PeerListView inserted(PeerListView::Kind::kInserted, screenRect, listRect);
    ownerData.SetRows(&shown.first, &shown.second);
    inserted.SetRows(&shown.first, &shown.second);
    CaseResult r;
    r.name = name + "." + std::to_string(count);
    r.unit = "ms";
    for (int i = 0; i < o.warmup + o.repeats; ++i) {
        const double a = FillOurs(screen, screen.List(page), rows, count);
        const double b = FillPeer(ownerData);
        const double c = FillPeer(inserted);
        if (i < o.warmup)
            continue;
        r.ours.Add(a);
        r.peer.Add(b);
        r.reference.Add(c);
    }
    char target[96];
    std::snprintf(target, sizeof target, "<= 2x owner-data%s", limitMs > 0 ? ", < 60 ms" : "");
    r.target = target;
    r.met = r.ours.Median() <= 2 * r.peer.Median() && (limitMs <= 0 || r.ours.Median() < limitMs);
    screen.BringToTop();
    report.Add(r);
}

// A fling over the contacts: a posted drag, then the kinetic run on the
// benchmark's clock; each frame is one input or one fling tick, painted and
// presented. The positions after each frame are replayed on the peer.
void ScrollCase(Report& report, const Options& o, Screen& screen, const std::vector<RowPtr>& rows,
                const RowTexts& texts, size_t count)
{
    const RECT screenRect = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    screen.Show(VelMainView::kContactsPageId);
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

void KeypadCase(Report& report, const Options& o, Screen& screen, const std::vector<RowPtr>& rows,
                const RowTexts& texts, size_t count)
{
    screen.Show(VelMainView::kContactsPageId);
    VelListView* list = screen.List(VelMainView::kContactsPageId);
    FillOurs(screen, list, rows, count);
    // Seven keys that spell the start of a name in the list.
    std::wstring word;
    for (size_t i = count / 3; i < count && word.size() < 7; ++i) {
        const std::wstring digits = Digits(texts.first[i]);
        if (digits.find(L'.') >= 7 && digits.size() >= 7)
            word = digits.substr(0, 7);
    }
    if (word.size() < 7)
        word = L"5278436";
    std::vector<std::wstring> nameDigits, numberDigits;
    for (size_t i = 0; i < count; ++i) {
        nameDigits.push_back(Digits(texts.first[i]));
        numberDigits.push_back(Digits(texts.second[i]));
    }
    VelKeypad* keypad = screen.view->GetKeypad();
    CaseResult r;
    r.name = "keypad.contacts." + std::to_string(count);
    r.unit = "ms/key";
    volatile size_t sink = 0;
    for (int i = 0; i < o.warmup + o.repeats; ++i) {
        screen.BringToTop();
        std::vector<double> ours, theirs;
        std::wstring typed;
        auto press = [&](int position, bool clear) {
            const double start = NowMs();
            if (clear) {
                screen.view->ClearKeypadSearch(keypad, nullptr);
            } else {
                VelKeypadButtonEventArgs args(keypad->GetKey(position));
                screen.view->OnKeypadButton(keypad, &args);
            }
            ::UpdateWindow(screen.Window());
            ours.push_back(NowMs() - start);
            // The peer: a linear scan of the rows' digit strings for what is typed now.
            const double peerStart = NowMs();
            size_t matches = 0;
            if (!typed.empty())
                for (size_t row = 0; row < count; ++row)
                    if (nameDigits[row].find(typed) != std::wstring::npos ||
                        numberDigits[row].find(typed) != std::wstring::npos)
                        ++matches;
            sink = sink + matches;
            theirs.push_back(NowMs() - peerStart);
        };
        for (wchar_t d : word) {
            typed += d;
            press(KeyPosition(d), false);
        }
        for (int b = 0; b < 2; ++b) {
            typed.pop_back();
            press(VelKeypad::kBackspaceKeyId, false);
        }
        typed.clear();
        press(0, true);
        if (i < o.warmup)
            continue;
        for (double v : ours)
            r.ours.Add(v);
        for (double v : theirs)
            r.peer.Add(v);
    }
    r.target = "p95 <= 5 ms, max <= 16 ms";
    r.met = r.ours.P95() <= 5 && r.ours.Max() <= 16;
    report.Add(r);
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

// The peer of the start case: the platform's list, owner data, with the
// store's first 1,000 contacts, and nothing else. It writes its first frame
// to the debug log the way the program does, then leaves.
int RunMinimalPeer(const std::wstring& folder)
{
    std::vector<std::wstring> names, numbers;
    for (const VelDevContact& c : VelDevStore::OpenAt(folder)->Contacts()) {
        if (names.size() >= 1000)
            break;
        names.push_back(c.fileAs);
        numbers.push_back(c.mobile);
    }
    const RECT screen = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    PeerListView peer(PeerListView::Kind::kOwnerData, screen, screen);
    peer.SetRows(&names, &numbers);
    peer.Fill();
    FILETIME created, exited, kernel, user, now;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    ::GetSystemTimeAsFileTime(&now);
    const ULONGLONG from = (ULONGLONG(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    const ULONGLONG to = (ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    VelDevDebugPrint(L"klbench peer: first frame %llu ms after the process started.\n", (to - from) / 10000ULL);
    Pump();
    return 0;
}

void StartCases(Report& report, const Options& o)
{
    const std::wstring demo = TempFolder(L"start-demo");
    const std::wstring thousand = TempFolder(L"start-1000");
    {
        // The demo set, as the phone's radio and PIM tool writes it.
        StoreScope scope(demo);
        const std::wstring kldevice = L"\"" + ModuleFolder() + L"kldevice.exe\" seed";
        std::wstring command = kldevice;
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, ModuleFolder().c_str(),
                             &startup, &process)) {
            ::WaitForSingleObject(process.hProcess, 60000);
            ::CloseHandle(process.hThread);
            ::CloseHandle(process.hProcess);
        }
        const int n = o.smoke ? 100 : 1000;
        boost::shared_ptr<VelDevStore> store = VelDevStore::OpenAt(thousand);
        BenchData data(kSeed + 5);
        data.AddContacts(*store, n);
        data.AddCalls(*store, n);
        data.AddMessages(*store, n);
    }
    const double timeoutMs = o.smoke ? 120000 : 300000;
    struct Set {
        const char* name;
        std::wstring folder;
    };
    const Set sets[] = {{"demo", demo}, {o.smoke ? "100-each" : "1000-each", thousand}};
    for (const Set& set : sets) {
        CaseResult first, loaded;
        first.name = std::string("start.first-frame.") + set.name;
        first.unit = "ms";
        loaded.name = std::string("start.all-loaded.") + set.name;
        loaded.unit = "ms";
        const int repeats = o.smoke ? 1 : std::max(10, o.repeats);
        for (int i = 0; i < o.warmup + repeats; ++i) {
            const Milestones ours = RunProgram(L"KithLedger.exe", L"", set.folder, true, timeoutMs);
            const Milestones peer =
                RunProgram(L"klbench.exe", L"--minimal-peer \"" + set.folder + L"\"", set.folder, false, timeoutMs);
            if (i < o.warmup)
                continue;
            // A run that never reached its milestone counts as missing, not as a time.
            if (ours.firstFrame >= 0)
                first.ours.Add(ours.firstFrame);
            if (peer.firstFrame >= 0)
                first.peer.Add(peer.firstFrame);
            if (ours.allLoaded >= 0)
                loaded.ours.Add(ours.allLoaded);
            std::fprintf(stderr, "klbench: start %s: first frame %.0f ms (peer %.0f), all loaded %.0f ms\n", set.name,
                         ours.firstFrame, peer.firstFrame, ours.allLoaded);
        }
        first.target = "<= 1.5x the minimal program";
        first.met = !first.ours.values.empty() && first.ours.Median() <= 1.5 * first.peer.Median();
        loaded.target = "(reported)";
        loaded.met = !loaded.ours.values.empty();
        report.Add(first);
        report.Add(loaded);
    }
}

// The program's own loading at the full sizes, timed from inside: the
// program logs when its first rows were painted and its longest loader tick.
void LoadCase(Report& report, const Options& o)
{
    const std::wstring full = TempFolder(L"load-full");
    {
        boost::shared_ptr<VelDevStore> store = VelDevStore::OpenAt(full);
        BenchData data(kSeed + 9);
        data.AddContacts(*store, o.contacts);
        data.AddCalls(*store, o.calls);
        data.AddMessages(*store, o.calls);
    }
    const double loadTimeoutMs = o.smoke ? 120000 : 600000;
    const Milestones load = RunProgram(L"KithLedger.exe", L"", full, true, loadTimeoutMs);
    CaseResult r;
    r.name =
        "load.all-lists." + std::to_string(o.contacts) + "-" + std::to_string(o.calls) + "-" + std::to_string(o.calls);
    r.unit = "ms";
    if (load.allLoaded >= 0)
        r.ours.Add(load.allLoaded);
    // The first rows count from the window's first frame.
    const double firstRows = load.firstRows >= 0 && load.firstFrame >= 0 ? load.firstRows - load.firstFrame : -1;
    r.target = "< 3 s; first rows < 100 ms; no tick > 8 ms";
    r.met = load.allLoaded >= 0 && load.allLoaded < 3000 && firstRows >= 0 && firstRows < 100 &&
            load.longestTick >= 0 && load.longestTick <= 8;
    char note[200];
    if (load.allLoaded >= 0)
        std::snprintf(note, sizeof note,
                      "one run; first frame at %.0f ms, first rows %.0f ms later; longest tick %.1f ms of %.0f",
                      load.firstFrame, firstRows, load.longestTick, load.loaderTicks);
    else
        std::snprintf(note, sizeof note, "not loaded within %.0f s; first frame at %.0f ms", loadTimeoutMs / 1000,
                      load.firstFrame);
    r.note = note;
    report.Add(r);
    std::fprintf(
        stderr,
        "klbench: load: first frame %.0f ms, first rows %.0f ms later, all loaded %.0f ms, longest tick %.2f ms "
        "of %.0f\n",
        load.firstFrame, firstRows, load.allLoaded, load.longestTick, load.loaderTicks);
}

// The cases on rows read in this process: reading, filling, scrolling, the
// keypad search, memory and leaks.
void RowCases(Report& report, const Options& o, QuietWindow& quiet)
{
    // ---- the data, read through the stand-ins as the program reads it
    // The benchmark's own vectors of the items and rows are made whole before
    // the readings: the program keeps no such vectors, so the figures count
    // only what the read and the lists hold.
    std::vector<VelContactItem*> contacts;
    contacts.reserve(size_t(o.contacts));
    std::vector<RowPtr> contactRows;
    contactRows.reserve(size_t(o.contacts));
    const size_t heapBeforeRead = ProcessCounters::HeapBytes();
    const size_t privateBeforeRead = ProcessCounters::PrivateBytes();
    const int parts = (o.contacts + kContactPart - 1) / kContactPart;
    for (int part = 0; part < parts; ++part) {
        const int n = std::min(kContactPart, o.contacts - part * kContactPart);
        const std::wstring folder = TempFolder(L"contacts-" + std::to_wstring(part));
        BenchData data(kSeed + uint32_t(part));
        {
            boost::shared_ptr<VelDevStore> store = VelDevStore::OpenAt(folder);
            data.AddContacts(*store, n, part * kContactPart);
        }
        StoreScope scope(folder);
        LogonPoom(&quiet);
        const double us = ReadTable<VelContactItem>(kContactsTable, n, &contacts);
        LogoffPoom();
        std::fprintf(stderr, "klbench: read %d contacts of part %d (%.0f us each)\n", n, part, us);
    }
    const size_t heapAfterRead = ProcessCounters::HeapBytes();
    const size_t privateAfterRead = ProcessCounters::PrivateBytes();
    // The read case on stores of the full sizes, each table within a budget;
    // the rows for the lists from stores of a part's size.
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
    if (o.smallContacts < o.contacts)
        readCase("contacts", kContactsTable, o.smallContacts,
                 [&](VelDevStore& store) { BenchData(kSeed).AddContacts(store, o.smallContacts); });
    readCase("contacts", kContactsTable, o.contacts,
             [&](VelDevStore& store) { BenchData(kSeed).AddContacts(store, o.contacts); });
    for (int n : {o.smallCalls, o.calls}) {
        readCase("calls", kCallsTable, n, [&](VelDevStore& store) { BenchData(kSeed + 77).AddCalls(store, n); });
        readCase("messages", kMessagesTable, n,
                 [&](VelDevStore& store) { BenchData(kSeed + 78).AddMessages(store, n); });
    }
    std::vector<VelCallItem*> calls;
    for (int part = 0; part * kCallPart < o.calls; ++part) {
        const int n = std::min(kCallPart, o.calls - part * kCallPart);
        const std::wstring folder = TempFolder(L"calls-part-" + std::to_wstring(part));
        BenchData(kSeed + 100 + uint32_t(part)).AddCalls(*VelDevStore::OpenAt(folder), n);
        StoreScope scope(folder);
        ReadTable<VelCallItem>(kCallsTable, n, &calls);
    }
    std::fprintf(stderr, "klbench: %zu call rows read\n", calls.size());

    // ---- rows, as the loaders make them
    const size_t heapBeforeRows = ProcessCounters::HeapBytes();
    for (VelContactItem* c : contacts)
        contactRows.push_back(RowPtr(new VelContactListViewItem(c)));
    const size_t heapAfterRows = ProcessCounters::HeapBytes();
    std::vector<RowPtr> callRows;
    for (VelCallItem* c : calls)
        callRows.push_back(RowPtr(new VelCallListViewItem(c)));
    const RowTexts contactTexts = ContactTexts(contacts, contacts.size());
    RowTexts callTexts;
    for (VelCallItem* c : calls) {
        callTexts.first.push_back(c->GetName().empty() ? c->GetNumber() : c->GetName());
        callTexts.second.push_back(c->GetNumber());
    }

    {
        Screen screen;
        const size_t n = contactRows.size();
        const size_t small = std::min(size_t(o.smallContacts), n);
        FillCase(report, o, screen, VelMainView::kContactsPageId, "fill.contacts", contactRows, contactTexts, small, 0);
        FillCase(report, o, screen, VelMainView::kContactsPageId, "fill.contacts", contactRows, contactTexts, n, 60);
        const size_t smallCalls = std::min(size_t(o.smallCalls), callRows.size());
        FillCase(report, o, screen, VelMainView::kCallsPageId, "fill.calls", callRows, callTexts, smallCalls, 0);
        FillCase(report, o, screen, VelMainView::kCallsPageId, "fill.calls", callRows, callTexts, callRows.size(), 60);
        Empty(screen.List(VelMainView::kCallsPageId));
        ScrollCase(report, o, screen, contactRows, contactTexts, n);
        KeypadCase(report, o, screen, contactRows, contactTexts, n);

        // ---- memory at N contacts: the rows' share, read, made and listed
        VelListView* list = screen.List(VelMainView::kContactsPageId);
        screen.Show(VelMainView::kContactsPageId);
        Empty(list);
        Settle(screen.Window());
        const size_t heapEmpty = ProcessCounters::HeapBytes();
        const size_t privateEmpty = ProcessCounters::PrivateBytes();
        FillOurs(screen, list, contactRows, n);
        const size_t heapListed = ProcessCounters::HeapBytes();
        const size_t privateListed = ProcessCounters::PrivateBytes();
        CaseResult heap;
        heap.name = "memory.heap.contacts." + std::to_string(n);
        heap.unit = "B/contact";
        const double readShare = double(heapAfterRead) - double(heapBeforeRead);
        const double rowShare = double(heapAfterRows) - double(heapBeforeRows);
        const double listShare = double(heapListed) - double(heapEmpty);
        heap.ours.Add((readShare + rowShare + listShare) / double(n));
        char note[200];
        std::snprintf(note, sizeof note,
                      "contact item %.0f + row %.0f + list %.0f; a row object is %u bytes, a group %u",
                      readShare / double(n), rowShare / double(n), listShare / double(n),
                      unsigned(sizeof(VelContactListViewItem)), unsigned(sizeof(VelGroupItem)));
        heap.note = note;
        CaseResult priv;
        priv.name = "memory.private.contacts." + std::to_string(n);
        priv.unit = "B/contact";
        priv.ours.Add(
            (double(privateAfterRead) - double(privateBeforeRead) + double(privateListed) - double(privateEmpty)) /
            double(n));
        {
            const RECT screenRect = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
            const size_t heapPeer = ProcessCounters::HeapBytes();
            const size_t privatePeer = ProcessCounters::PrivateBytes();
            RowTexts* texts = new RowTexts(ContactTexts(contacts, n));
            PeerListView* peer = new PeerListView(PeerListView::Kind::kOwnerData, screenRect, screen.ListRect(1));
            peer->SetRows(&texts->first, &texts->second);
            peer->Fill();
            heap.peer.Add((double(ProcessCounters::HeapBytes()) - double(heapPeer)) / double(n));
            priv.peer.Add((double(ProcessCounters::PrivateBytes()) - double(privatePeer)) / double(n));
            delete peer;
            delete texts;
        }
        heap.target = "<= 512 B/contact";
        heap.met = heap.ours.Median() <= 512;
        priv.target = "(reported)";
        priv.met = true;
        report.Add(heap);
        report.Add(priv);

        // ---- leaks: reloads of every list and detail views opened and closed
        const int reloads = o.smoke ? 3 : kReloads;
        const size_t reloadRows = std::min(size_t(o.smallContacts), n);
        auto cycle = [&](int times) {
            for (int i = 0; i < times; ++i) {
                FillOurs(screen, list, contactRows, reloadRows);
                FillOurs(screen, screen.List(VelMainView::kCallsPageId), callRows,
                         std::min(size_t(o.smallCalls), callRows.size()));
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
        FillOurs(screen, screen.List(VelMainView::kCallsPageId), callRows,
                 std::min(size_t(o.smallCalls), callRows.size()));
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
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::string(argv[1]) == "--minimal-peer") {
        const std::string folder = argv[2];
        return RunMinimalPeer(std::wstring(folder.begin(), folder.end()));
    }
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() { return i + 1 < argc ? std::string(argv[++i]) : std::string(); };
        if (arg == "--smoke") {
            o.smoke = true;
            o.repeats = 1;
            o.warmup = 0;
            o.contacts = 200;
            o.smallContacts = 100;
            o.calls = 100;
            o.smallCalls = 50;
        } else if (arg == "--contacts") {
            o.contacts = std::max(1, std::atoi(value().c_str()));
            o.smallContacts = std::min(o.smallContacts, o.contacts);
        } else if (arg == "--calls") {
            o.calls = std::max(1, std::atoi(value().c_str()));
            o.smallCalls = std::min(o.smallCalls, o.calls);
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

    if (Wants(o, "read.") || Wants(o, "fill.") || Wants(o, "scroll.") || Wants(o, "keypad.") || Wants(o, "memory.") ||
        Wants(o, "leaks."))
        RowCases(report, o, quiet);
    if (Wants(o, "start."))
        StartCases(report, o);
    if (Wants(o, "load."))
        LoadCase(report, o);
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
    // The smoke run checks that every case gave a number.
    int missing = 0;
    for (const CaseResult& r : report.Results()) {
        if (r.unit == "-")
            continue;
        for (double v : r.ours.values)
            if (!std::isfinite(v) || (r.unit != "count" && r.unit != "bytes" && v < 0))
                ++missing;
        if (r.ours.values.empty())
            ++missing;
    }
    if (missing)
        std::fprintf(stderr, "klbench: %d cases gave no number\n", missing);
    ::CoUninitialize();
    // A full run reports a case that never finished in its table; only the
    // smoke run fails for it.
    return missing && o.smoke ? 1 : 0;
}

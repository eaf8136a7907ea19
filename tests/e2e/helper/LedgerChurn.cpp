// The end-to-end cases' other processes, over the device store of
// %VEL_DEVICE_STORE%:
//   ledger_churn writer <writer> <changes> <seed>
//     changes the phone's data as a busy user's phone does: calls logged in
//     bursts of ten within 100 ms, messages received, read and unread, moved
//     to every folder and back and deleted, contacts added, made favourites
//     and back, and deleted; prints the number of changes made.
//   ledger_churn stranger <oid>...
//     posts every message of the contacts session's range to the program's
//     windows (in its desktop "KithLedger"), with the given oids and
//     with junk; prints how many.
#include "VelDevStore.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const DWORD kFolders[] = {kDevSmsInbox, kDevSmsOutbox, kDevSmsSent, kDevSmsDeleted, kDevSmsDrafts};
const int kBurst = 10;
const DWORD kBurstMs = 100;

unsigned g_state = 1;

unsigned Next()
{
    g_state = g_state * 1664525u + 1013904223u;
    return g_state >> 8;
}

// Now to the millisecond, after this writer's last stamp, and odd or even
// by the writer: the lists order rows by time alone, so two of the same
// millisecond could stand either way round.
FILETIME Stamp(int writer)
{
    static ULONGLONG last = 0;
    const FILETIME now = VelDevNow();
    ULONGLONG ms = ((ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime) / 10000;
    if (ms <= last)
        ms = last + 1;
    if (ms % 2 != ULONGLONG(writer % 2))
        ++ms;
    last = ms;
    const ULONGLONG ticks = ms * 10000;
    FILETIME stamp;
    stamp.dwLowDateTime = DWORD(ticks);
    stamp.dwHighDateTime = DWORD(ticks >> 32);
    return stamp;
}

std::wstring Number(int writer, int step) { return L"+44 7700 9" + std::to_wstring(10000 + writer * 3000 + step); }

DWORD Receive(VelDevStore& store, int writer, int step)
{
    VelDevMessage m;
    m.folder = kDevSmsInbox;
    m.senderAddress = Number(writer, step);
    m.text = L"Churn " + std::to_wstring(writer) + L"." + std::to_wstring(step);
    m.hasDeliveryTime = true;
    m.deliveryTime = Stamp(writer);
    m.hasFlags = true;
    m.flags = Next() % 2;
    return store.AddMessage(m);
}

bool MoveTo(VelDevStore& store, DWORD id, DWORD folder)
{
    return store.ChangeMessage(id, [folder](VelDevMessage& m) {
        m.folder = folder;
        return true;
    });
}

int Writer(int writer, int changes, unsigned seed)
{
    g_state = seed * 2654435761u + unsigned(writer);
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    std::vector<DWORD> messages, contacts, calls;
    int made = 0;
    for (int step = 0; made < changes; ++step) {
        switch (Next() % 12) {
        case 0: {
            // A burst: ten calls within 100 ms.
            const DWORD start = GetTickCount();
            for (int k = 0; k < kBurst && made < changes; ++k, ++made) {
                VelDevCall call;
                call.start = call.end = Stamp(writer);
                call.direction = Next() % 3;
                call.number = VelDevOptText(Number(writer, step * kBurst + k));
                if (DWORD id = store->AddCall(call))
                    calls.push_back(id);
                const DWORD spent = GetTickCount() - start, due = kBurstMs * DWORD(k + 1) / kBurst;
                if (spent < due)
                    Sleep(due - spent);
            }
            continue;
        }
        case 1:
        case 2:
            if (DWORD id = Receive(*store, writer, step))
                messages.push_back(id);
            break;
        case 3:
        case 4:
            // Round every folder and back.
            if (!messages.empty()) {
                const DWORD id = messages[Next() % messages.size()];
                for (DWORD folder : kFolders) {
                    if (made >= changes)
                        break;
                    MoveTo(*store, id, folder);
                    ++made;
                }
                if (made < changes && MoveTo(*store, id, kFolders[Next() % 5]))
                    ++made;
                continue;
            }
            break;
        case 5:
            if (!messages.empty())
                store->ChangeMessage(messages[Next() % messages.size()], [](VelDevMessage& m) {
                    m.flags ^= 1;
                    return true;
                });
            break;
        case 6:
            if (messages.size() > 4) {
                const size_t at = Next() % messages.size();
                store->DeleteMessage(messages[at]);
                messages.erase(messages.begin() + long(at));
            }
            break;
        case 7:
        case 8: {
            VelDevContact c;
            c.firstName = L"Churn";
            c.lastName = std::to_wstring(writer) + L"-" + std::to_wstring(step);
            c.fileAs = L"Churn " + c.lastName;
            c.mobile = Number(writer, step);
            if (Next() % 2)
                c.categories = L"Favorites";
            if (DWORD id = store->AddContact(c))
                contacts.push_back(id);
            break;
        }
        case 9:
            if (!contacts.empty())
                store->ChangeContact(contacts[Next() % contacts.size()], [](VelDevContact& c) {
                    c.categories = c.categories.empty() ? L"Favorites" : L"";
                    return true;
                });
            break;
        case 10:
            if (calls.size() > 2) {
                const size_t at = Next() % calls.size();
                store->DeleteCall(calls[at]);
                calls.erase(calls.begin() + long(at));
            }
            break;
        default:
            if (contacts.size() > 2) {
                const size_t at = Next() % contacts.size();
                store->DeleteContact(contacts[at]);
                contacts.erase(contacts.begin() + long(at));
            }
            break;
        }
        ++made;
    }
    printf("%d\n", made);
    return 0;
}

struct Posts {
    DWORD process;
    std::vector<WPARAM> ids;
    int posted;
};

// Every top-level window of the program's, the hidden ones too.
BOOL CALLBACK PostTo(HWND window, LPARAM param)
{
    Posts* posts = reinterpret_cast<Posts*>(param);
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    // The data thread's hidden window is a toolkit window like the others.
    if (lstrcmpW(name, L"_VELAPPLICATION_CALLBACK_WC_") != 0 && lstrcmpW(name, L"_VELWINDOW_WC_") != 0)
        return TRUE;
    for (UINT message = 0x8100; message <= 0x8107; ++message)
        for (WPARAM id : posts->ids)
            if (PostMessageW(window, message, id, 0x5A5A))
                ++posts->posted;
    return TRUE;
}

int Stranger(int argc, char** argv)
{
    Posts posts = {0, {}, 0};
    for (int i = 2; i < argc; ++i)
        posts.ids.push_back(WPARAM(strtoul(argv[i], nullptr, 10)));
    // Junk: none, the largest oid, one no store gave, and, where a parameter
    // is wider, an oid with bits above 32.
    posts.ids.push_back(0);
    posts.ids.push_back(0xFFFFFFFF);
    posts.ids.push_back(987654321);
    if (sizeof(WPARAM) > 4 && argc > 2)
        posts.ids.push_back(WPARAM((1ull << 32) | posts.ids.front()));
    // The program runs in a desktop of its own; its windows are listed there.
    HDESK desktop = OpenDesktopW(L"KithLedger", 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
    if (desktop) {
        EnumDesktopWindows(desktop, &PostTo, reinterpret_cast<LPARAM>(&posts));
        CloseDesktop(desktop);
    }
    if (!posts.posted)
        EnumWindows(&PostTo, reinterpret_cast<LPARAM>(&posts));
    printf("%d\n", posts.posted);
    return posts.posted > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::string(argv[1]) == "writer")
        return Writer(atoi(argv[2]), atoi(argv[3]), unsigned(strtoul(argv[4], nullptr, 10)));
    if (argc >= 2 && std::string(argv[1]) == "stranger")
        return Stranger(argc, argv);
    fprintf(stderr, "usage: ledger_churn writer <writer> <changes> <seed> | stranger <oid>...\n");
    return 2;
}

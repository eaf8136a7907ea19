// devstore_churn_writer <writer> <changes> <seed>: makes that many changes to
// the device store of %VEL_DEVICE_STORE% (creations, changes and deletions of
// contacts, calls and messages, each carrying a token "w<writer>:<step>:<time>")
// and writes churn-<writer>.log beside the store, one line per change:
//   <step> <c|u|d> <kind 0 contact, 1 call, 2 message> <id> <made> <done> <bytes of the file written>
// Times are QueryPerformanceCounter ticks, which every process shares.
#include "VelDevStore.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const DWORD kIdsPerFile = 64;   // as the store spreads its records
const size_t kFewestLive = 20;  // below this many live records a writer only creates
const int kCreatePercent = 55, kChangePercent = 30;
// A record is deleted only once it has had time to be heard of: a creation
// and a deletion both between two looks of a listener leave it nothing to hear.
const LONGLONG kDeleteAgeMs = 2000;

struct Live {
    int kind;
    DWORD id;
    LONGLONG made;
};

LONGLONG Now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

std::wstring Token(int writer, int step, LONGLONG made)
{
    wchar_t buf[64];
    _snwprintf(buf, 64, L"w%d:%d:%lld", writer, step, made);
    buf[63] = 0;
    return buf;
}

ULONGLONG FileBytes(const std::wstring& folder, int kind, DWORD id)
{
    static const wchar_t* const kStems[] = {L"contacts", L"calllog", L"messages"};
    DWORD n = id / kIdsPerFile;
    std::wstring name = std::wstring(kStems[kind]) + (n == 0 ? L"" : L"-" + std::to_wstring(n)) + L".ini";
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW((folder + L"\\" + name).c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

DWORD Create(VelDevStore& store, int kind, const std::wstring& token)
{
    if (kind == 0) {
        VelDevContact c;
        c.firstName = L"Churn";
        c.company = token;
        return store.AddContact(c);
    }
    if (kind == 1) {
        VelDevCall c;
        c.start = c.end = VelDevNow();
        c.number = VelDevOptText(L"+1 555 0100");
        c.note = VelDevOptText(token);
        return store.AddCall(c);
    }
    VelDevMessage m;
    m.senderAddress = L"+1 555 0101";
    m.text = token;
    return store.AddMessage(m);
}

bool Change(VelDevStore& store, const Live& r, const std::wstring& token)
{
    if (r.kind == 0)
        return store.ChangeContact(r.id, [&](VelDevContact& c) {
            c.company = token;
            return true;
        });
    if (r.kind == 1)
        return store.ChangeCall(r.id, [&](VelDevCall& c) {
            c.note = VelDevOptText(token);
            return true;
        });
    return store.ChangeMessage(r.id, [&](VelDevMessage& m) {
        m.text = token;
        return true;
    });
}

bool Delete(VelDevStore& store, const Live& r)
{
    if (r.kind == 0)
        return store.DeleteContact(r.id);
    if (r.kind == 1)
        return store.DeleteCall(r.id);
    return store.DeleteMessage(r.id);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: devstore_churn_writer <writer> <changes> <seed>\n");
        return 2;
    }
    const int writer = atoi(argv[1]), changes = atoi(argv[2]);
    srand(static_cast<unsigned>(atoi(argv[3])));
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    std::vector<Live> live;
    std::string log;
    int failures = 0;
    for (int step = 0; step < changes; ++step) {
        const int roll = rand() % 100;
        const LONGLONG made = Now();
        const std::wstring token = Token(writer, step, made);
        char op;
        Live r = {step % 3, 0, made};
        bool ok;
        if (live.size() < kFewestLive || roll < kCreatePercent) {
            op = 'c';
            r.id = Create(*store, r.kind, token);
            ok = r.id != 0;
            if (ok)
                live.push_back(r);
        } else {
            const size_t at = static_cast<size_t>(rand()) % live.size();
            r = live[at];
            LARGE_INTEGER frequency;
            QueryPerformanceFrequency(&frequency);
            const bool oldEnough = (made - r.made) * 1000 / frequency.QuadPart >= kDeleteAgeMs;
            if (roll < kCreatePercent + kChangePercent || !oldEnough) {
                op = 'u';
                ok = Change(*store, r, token);
            } else {
                op = 'd';
                ok = Delete(*store, r);
                if (ok)
                    live.erase(live.begin() + at);
            }
        }
        const LONGLONG done = Now();
        if (!ok) {
            ++failures;
            continue;
        }
        char line[160];
        _snprintf(line, sizeof line, "%d %c %d %lu %lld %lld %llu\n", step, op, r.kind,
                  static_cast<unsigned long>(r.id), made, done, FileBytes(store->Folder(), r.kind, r.id));
        line[sizeof line - 1] = 0;
        log += line;
    }
    std::wstring path = store->Folder() + L"\\churn-" + std::to_wstring(writer) + L".log";
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    DWORD written = 0;
    bool saved = f != INVALID_HANDLE_VALUE && WriteFile(f, log.data(), static_cast<DWORD>(log.size()), &written, 0) &&
                 written == log.size();
    if (f != INVALID_HANDLE_VALUE)
        CloseHandle(f);
    if (failures)
        fprintf(stderr, "devstore_churn_writer %d: %d changes refused\n", writer, failures);
    return saved && failures == 0 ? 0 : 1;
}

// Two writer processes change the store at once while this process listens:
// nothing may be lost, repeated or invented, and every change must arrive.
// VEL_CHURN_CHANGES (per writer) and VEL_CHURN_CONTACTS (seeded beforehand)
// make a long run by hand; it prints how late the changes arrived.
#include "PlatformTestSupport.h"

#include <boost/shared_ptr.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

const int kWriters = 2;
const int kChangesPerWriter = 150;
const int kSeededContacts = 300;
const DWORD kWritersMsPerChange = 40;  // generous: a change costs a writer a few ms
const DWORD kFewestWritersMs = 60000;
const DWORD kArrivalMs = 20000;  // after the writers are done

int FromEnvironment(const wchar_t* name, int fallback)
{
    wchar_t buf[32];
    DWORD n = GetEnvironmentVariableW(name, buf, 32);
    return n > 0 && n < 32 ? _wtoi(buf) : fallback;
}

LONGLONG Ticks()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double Ms(LONGLONG ticks)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return ticks * 1000.0 / f.QuadPart;
}

typedef std::pair<int, DWORD> Key;  // kind, id

struct Heard {
    int type;
    std::wstring token;
    LONGLONG at;
};

struct Op {
    int step;
    char op;
    LONGLONG made, done;
    unsigned long long bytes;
    std::wstring token;
};

std::wstring TokenOf(const VelDevContact& c) { return c.company; }
std::wstring TokenOf(const VelDevCall& c) { return c.note.text; }
std::wstring TokenOf(const VelDevMessage& m) { return m.text; }

int StepOf(const std::wstring& token)
{
    size_t colon = token.find(L':');
    return colon == std::wstring::npos ? -1 : _wtoi(token.c_str() + colon + 1);
}

class Listener {
public:
    Listener() { InitializeCriticalSection(&m_cs); }
    ~Listener() { DeleteCriticalSection(&m_cs); }
    void Take(const VelDevStoreChanges& c)
    {
        LONGLONG now = Ticks();
        EnterCriticalSection(&m_cs);
        Add(0, c.contacts, now);
        Add(1, c.calls, now);
        Add(2, c.messages, now);
        LeaveCriticalSection(&m_cs);
    }
    std::map<Key, std::vector<Heard>> Events()
    {
        EnterCriticalSection(&m_cs);
        std::map<Key, std::vector<Heard>> copy = m_events;
        LeaveCriticalSection(&m_cs);
        return copy;
    }

private:
    template <class R>
    void Add(int kind, const std::vector<VelDevChange<R>>& changes, LONGLONG now)
    {
        for (const VelDevChange<R>& c : changes) {
            Heard h = {c.type, c.after ? TokenOf(*c.after) : std::wstring(), now};
            m_events[Key(kind, c.id)].push_back(h);
        }
    }
    CRITICAL_SECTION m_cs;
    std::map<Key, std::vector<Heard>> m_events;
};

// Each writer's log, by record.
std::map<Key, std::vector<Op>> ReadLogs(const std::wstring& folder, int writers, size_t* count)
{
    std::map<Key, std::vector<Op>> ops;
    *count = 0;
    for (int w = 0; w < writers; ++w) {
        std::string text;
        EXPECT_TRUE(VelDevReadFile(folder + L"\\churn-" + std::to_wstring(w) + L".log", &text)) << w;
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = text.find('\n', pos);
            if (end == std::string::npos)
                end = text.size();
            std::string line = text.substr(pos, end - pos);
            pos = end + 1;
            Op op;
            int kind = 0;
            unsigned long id = 0;
            if (sscanf(line.c_str(), "%d %c %d %lu %lld %lld %llu", &op.step, &op.op, &kind, &id, &op.made, &op.done,
                       &op.bytes) != 7) {
                ADD_FAILURE() << "log line " << line;
                continue;
            }
            wchar_t token[64];
            _snwprintf(token, 64, L"w%d:%d:%lld", w, op.step, op.made);
            token[63] = 0;
            op.token = token;
            ops[Key(kind, id)].push_back(op);
            ++*count;
        }
    }
    return ops;
}

template <class R>
void ExpectFinal(int kind, const std::map<DWORD, R>& records, const std::map<Key, std::vector<Op>>& ops)
{
    for (const auto& kv : records) {
        std::wstring token = TokenOf(kv.second);
        if (token.empty() || token[0] != L'w')
            continue;  // seeded
        std::map<Key, std::vector<Op>>::const_iterator it = ops.find(Key(kind, kv.first));
        ASSERT_TRUE(it != ops.end()) << "a record no writer made: " << kind << "/" << kv.first;
        EXPECT_NE('d', it->second.back().op) << "a deleted record is back: " << kind << "/" << kv.first;
        EXPECT_EQ(it->second.back().token, token) << "not the last change: " << kind << "/" << kv.first;
    }
    for (const auto& kv : ops) {
        if (kv.first.first != kind || kv.second.back().op == 'd')
            continue;
        EXPECT_TRUE(records.count(kv.first.second)) << "a record lost: " << kind << "/" << kv.first.second;
    }
}

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    size_t at = static_cast<size_t>(p * (v.size() - 1) + 0.5);
    return v[std::min(at, v.size() - 1)];
}

typedef TempStoreTest ChurnTest;

TEST_F(ChurnTest, TwoWritersLoseRepeatAndInventNothingAndEveryChangeArrives)
{
    const int changes = FromEnvironment(L"VEL_CHURN_CHANGES", kChangesPerWriter);
    const int seeded = FromEnvironment(L"VEL_CHURN_CONTACTS", kSeededContacts);
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    ASSERT_TRUE(store->Transact([&](VelDevStoreData& d) {
        for (int i = 0; i < seeded; ++i) {
            VelDevContact c;
            c.firstName = L"Seeded";
            c.lastName = std::to_wstring(i);
            d.AddContact(c);
        }
        return true;
    }));
    Listener listener;
    DWORD cookie = store->AddListener([&](const VelDevStoreChanges& c) { listener.Take(c); });

    HANDLE writers[kWriters];
    for (int w = 0; w < kWriters; ++w) {
        writers[w] =
            StartOutProgram(L"devstore_churn_writer.exe",
                            std::to_wstring(w) + L" " + std::to_wstring(changes) + L" " + std::to_wstring(17 + w));
        ASSERT_TRUE(writers[w]) << w;
    }
    const DWORD writersMs = std::max<DWORD>(kFewestWritersMs, changes * kWritersMsPerChange);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(kWriters, writers, TRUE, writersMs));
    for (HANDLE h : writers) {
        if (WaitForSingleObject(h, 0) != WAIT_OBJECT_0)
            TerminateProcess(h, 3);  // not to write on past the test
        WaitForSingleObject(h, INFINITE);
        DWORD code = 1;
        GetExitCodeProcess(h, &code);
        EXPECT_EQ(0u, code) << "a writer's change was refused";
        CloseHandle(h);
    }
    size_t made = 0;
    const std::map<Key, std::vector<Op>> ops = ReadLogs(m_folder, kWriters, &made);
    ASSERT_EQ(static_cast<size_t>(kWriters * changes), made);

    // Every change is heard once it, or a later change of its record, arrives.
    std::vector<double> late, cost, bytes;
    size_t unheard = 0;
    auto hearAll = [&] {
        std::map<Key, std::vector<Heard>> events = listener.Events();
        late.clear();
        unheard = 0;
        for (const auto& kv : ops) {
            const std::vector<Heard>& heard = events[kv.first];
            for (size_t j = 0; j < kv.second.size(); ++j) {
                const Op& op = kv.second[j];
                bool deletedLater = false;
                for (size_t k = j; k < kv.second.size(); ++k)
                    deletedLater = deletedLater || kv.second[k].op == 'd';
                const Heard* first = 0;
                for (const Heard& h : heard) {
                    if (h.type == kDevDeleted ? deletedLater : StepOf(h.token) >= op.step) {
                        first = &h;
                        break;
                    }
                }
                if (first)
                    late.push_back(Ms(first->at - op.made));
                else
                    ++unheard;
            }
        }
        return unheard == 0;
    };
    EXPECT_TRUE(WaitFor(hearAll, kArrivalMs)) << unheard << " changes never arrived";
    store->RemoveListener(cookie);

    // Nothing repeated or invented: one creation per record, first; tokens only of its own changes.
    std::map<Key, std::vector<Heard>> events = listener.Events();
    for (const auto& kv : events) {
        std::map<Key, std::vector<Op>>::const_iterator mine = ops.find(kv.first);
        ASSERT_TRUE(mine != ops.end()) << "heard of a record no writer touched: " << kv.first.first << "/"
                                       << kv.first.second;
        const std::vector<Heard>& heard = kv.second;
        EXPECT_EQ(kDevCreated, heard.front().type) << kv.first.first << "/" << kv.first.second;
        for (size_t i = 0; i < heard.size(); ++i) {
            if (i > 0)
                EXPECT_NE(kDevCreated, heard[i].type) << "created twice: " << kv.first.second;
            if (i > 0)
                EXPECT_NE(kDevDeleted, heard[i - 1].type) << "heard after its deletion: " << kv.first.second;
            if (i > 0 && heard[i].type == heard[i - 1].type) {
                EXPECT_NE(heard[i].token, heard[i - 1].token) << "heard twice: " << kv.first.second;
            }
            if (heard[i].type == kDevDeleted)
                continue;
            bool known = false;
            for (const Op& op : mine->second)
                known = known || op.token == heard[i].token;
            EXPECT_TRUE(known) << "a value no writer wrote: " << kv.first.second;
        }
    }
    VelDevStoreData d = VelDevStore::OpenAt(m_folder)->Snapshot();
    ExpectFinal(0, d.contacts, ops);
    ExpectFinal(1, d.calls, ops);
    ExpectFinal(2, d.messages, ops);
    EXPECT_EQ(static_cast<size_t>(seeded),
              static_cast<size_t>(std::count_if(
                  d.contacts.begin(), d.contacts.end(),
                  [](const std::pair<const DWORD, VelDevContact>& kv) { return kv.second.firstName == L"Seeded"; })));

    for (const auto& kv : ops) {
        for (const Op& op : kv.second) {
            cost.push_back(Ms(op.done - op.made));
            bytes.push_back(static_cast<double>(op.bytes));
        }
    }
    double averageCost = 0, averageBytes = 0;
    for (double c : cost)
        averageCost += c / cost.size();
    for (double b : bytes)
        averageBytes += b / bytes.size();
    printf("churn: %d writers x %d changes, %d contacts seeded\n", kWriters, changes, seeded);
    printf("churn: arrival ms p50 %.1f p95 %.1f max %.1f\n", Percentile(late, 0.5), Percentile(late, 0.95),
           Percentile(late, 1.0));
    printf("churn: writer ms per change mean %.2f p95 %.2f max %.2f; file written mean %.0f bytes, max %.0f\n",
           averageCost, Percentile(cost, 0.95), Percentile(cost, 1.0), averageBytes, Percentile(bytes, 1.0));
}

}  // namespace

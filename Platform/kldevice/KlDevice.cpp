// kldevice: the phone's radio and PIM seen from outside. Seeds the device
// store with a demo data set, changes contacts, calls and text messages as
// the phone would, sets the missed-call count, and lists what is held.
#include "VelDevStore.h"

#include <PimCategories.h>

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const wchar_t kUsage[] = L"Usage: kldevice <command> [arguments]\n"
                         L"The device store is %VEL_DEVICE_STORE%, or the default folder (see 'where').\n"
                         L"\n"
                         L"  where                               print the store folder\n"
                         L"  seed [--force]                      write the demo data set (an empty store only,\n"
                         L"                                      unless --force, which replaces everything)\n"
                         L"  list [contacts|calls|messages|outbox|dialled]   show what the store holds (all)\n"
                         L"\n"
                         L"  contact add [fields]                add a contact; prints its oid\n"
                         L"  contact change <oid> [fields]       change the given fields\n"
                         L"  contact delete <oid>\n"
                         L"    fields: --fileas T --first T --last T --company T --mobile N --work N --home N\n"
                         L"            --categories T --favorite --no-favorite --picture FILE\n"
                         L"\n"
                         L"  call incoming|outgoing|missed <number|->   log a call ('-' withholds the number);\n"
                         L"       [--name T] [--nametype T] [--minutes-ago M] [--seconds S]\n"
                         L"       a missed call also adds one to \"Missed Call Count\"; prints the call's oid\n"
                         L"  call delete <oid>\n"
                         L"  call clear                          empty the call log\n"
                         L"  missed <count>                      set \"Missed Call Count\"\n"
                         L"\n"
                         L"  sms receive <from> <text> [--name T] [--read] [--minutes-ago M]   into the inbox, unread\n"
                         L"  sms send <to> <text> [--name T] [--minutes-ago M]                 into sent items\n"
                         L"  sms move <id> inbox|outbox|sent|deleted|drafts\n"
                         L"  sms read <id> | sms unread <id>\n"
                         L"  sms delete <id>\n"
                         L"\n"
                         L"Exit code 0 on success, 1 when the store refused, 2 on a usage error.\n";

const wchar_t kFavorites[] = L"Favorites";
const wchar_t* const kFolderNames[] = {L"inbox", L"outbox", L"sent", L"deleted", L"drafts"};
const wchar_t* const kDirectionNames[] = {L"missed", L"incoming", L"outgoing"};
const ULONGLONG kTicksPerSecond = 10000000ULL;

void Print(const std::wstring& text)
{
    std::string bytes = VelDevToUtf8(text);
    fwrite(bytes.data(), 1, bytes.size(), stdout);
    fflush(stdout);
}

int UsageError(const std::wstring& why)
{
    Print(L"kldevice: " + why + L"\n\n");
    Print(kUsage);
    return 2;
}

int Refused(const std::wstring& what)
{
    Print(L"kldevice: " + what + L": the store refused (" + VelDevStore::Open()->Folder() + L").\n");
    return 1;
}

std::wstring Number(DWORD value)
{
    wchar_t buf[16];
    _snwprintf(buf, 16, L"%lu", static_cast<unsigned long>(value));
    buf[15] = 0;
    return buf;
}

bool ParseDword(const std::wstring& text, DWORD* value)
{
    if (text.empty())
        return false;
    wchar_t* end = 0;
    unsigned long n = wcstoul(text.c_str(), &end, 10);
    if (*end)
        return false;
    *value = n;
    return true;
}

ULONGLONG Ticks(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FromTicks(ULONGLONG value)
{
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(value);
    time.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return time;
}

FILETIME MinutesAgo(DWORD minutes) { return FromTicks(Ticks(VelDevNow()) - minutes * 60ULL * kTicksPerSecond); }

FILETIME LocalToUtc(SYSTEMTIME local)
{
    SYSTEMTIME utc;
    FILETIME time = {0, 0};
    if (!TzSpecificLocalTimeToSystemTime(0, &local, &utc))
        utc = local;
    SystemTimeToFileTime(&utc, &time);
    return time;
}

std::wstring LocalText(const FILETIME& utc)
{
    FILETIME local;
    SYSTEMTIME st;
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &st);
    wchar_t buf[32];
    _snwprintf(buf, 32, L"%04u-%02u-%02u %02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute);
    buf[31] = 0;
    return buf;
}

// Options after the positional arguments: "--name value" or a bare switch.
class Options {
public:
    Options(const std::vector<std::wstring>& args, size_t from)
    {
        for (size_t i = from; i < args.size(); ++i) {
            if (args[i].compare(0, 2, L"--") != 0) {
                m_error = L"unexpected argument '" + args[i] + L"'";
                return;
            }
            std::wstring key = args[i].substr(2);
            if (IsSwitch(key)) {
                m_values.push_back(std::make_pair(key, std::wstring()));
            } else if (i + 1 < args.size()) {
                m_values.push_back(std::make_pair(key, args[++i]));
            } else {
                m_error = L"--" + key + L" wants a value";
                return;
            }
        }
    }
    const std::wstring& Error() const { return m_error; }
    bool Has(const wchar_t* key) const
    {
        for (const auto& kv : m_values) {
            if (kv.first == key)
                return true;
        }
        return false;
    }
    bool Get(const wchar_t* key, std::wstring* value) const
    {
        for (const auto& kv : m_values) {
            if (kv.first == key) {
                *value = kv.second;
                return true;
            }
        }
        return false;
    }
    // Every option must be one of these.
    bool OnlyOf(std::initializer_list<const wchar_t*> allowed)
    {
        for (const auto& kv : m_values) {
            bool ok = false;
            for (const wchar_t* text : allowed)
                ok = ok || kv.first == text;
            if (!ok) {
                m_error = L"unknown option --" + kv.first;
                return false;
            }
        }
        return true;
    }

private:
    static bool IsSwitch(const std::wstring& key)
    {
        return key == L"favorite" || key == L"no-favorite" || key == L"force" || key == L"read";
    }
    std::vector<std::pair<std::wstring, std::wstring>> m_values;
    std::wstring m_error;
};

void SetFavorite(VelDevContact& contact, bool on)
{
    std::vector<std::wstring> parts = pimcategories::Split(contact.categories);
    std::vector<std::wstring> kept;
    for (const std::wstring& p : parts) {
        if (p != kFavorites)
            kept.push_back(p);
    }
    if (on)
        kept.push_back(kFavorites);
    contact.categories = pimcategories::Join(kept);
}

std::wstring Extension(const std::wstring& path)
{
    size_t dot = path.find_last_of(L'.');
    size_t slash = path.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
        return std::wstring();
    return path.substr(dot + 1);
}

// A small portrait of our own: a disc in the contact's colour on a lighter
// ground, as a 24-bit bottom-up BMP.
std::string MakePortrait(DWORD seed, int size)
{
    BYTE red = static_cast<BYTE>(60 + (seed * 53) % 160);
    BYTE green = static_cast<BYTE>(60 + (seed * 97) % 160);
    BYTE blue = static_cast<BYTE>(60 + (seed * 29) % 160);
    int stride = (size * 3 + 3) & ~3;
    DWORD pixelBytes = static_cast<DWORD>(stride * size);
    BITMAPFILEHEADER fh = {};
    BITMAPINFOHEADER ih = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + pixelBytes;
    ih.biSize = sizeof ih;
    ih.biWidth = size;
    ih.biHeight = size;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biSizeImage = pixelBytes;
    std::string out(reinterpret_cast<const char*>(&fh), sizeof fh);
    out.append(reinterpret_cast<const char*>(&ih), sizeof ih);
    std::string pixels(pixelBytes, '\0');
    double centre = (size - 1) / 2.0, radius = size * 0.42;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double dx = x - centre, dy = y - centre;
            bool inside = dx * dx + dy * dy <= radius * radius;
            double shade = 1.0 - 0.3 * y / size;
            BYTE* bytes = reinterpret_cast<BYTE*>(&pixels[y * stride + x * 3]);
            bytes[0] = inside ? static_cast<BYTE>(blue * shade) : static_cast<BYTE>(230 - blue / 8);
            bytes[1] = inside ? static_cast<BYTE>(green * shade) : static_cast<BYTE>(230 - green / 8);
            bytes[2] = inside ? static_cast<BYTE>(red * shade) : static_cast<BYTE>(230 - red / 8);
        }
    }
    return out + pixels;
}

// --- contacts ----------------------------------------------------------------

bool ApplyContactOptions(const Options& options, VelDevContact& contact, std::wstring* picture)
{
    static const struct {
        const wchar_t* option;
        std::wstring VelDevContact::*field;
    } kFields[] = {
        {L"fileas", &VelDevContact::fileAs}, {L"first", &VelDevContact::firstName},
        {L"last", &VelDevContact::lastName}, {L"company", &VelDevContact::company},
        {L"mobile", &VelDevContact::mobile}, {L"work", &VelDevContact::work},
        {L"home", &VelDevContact::home},     {L"categories", &VelDevContact::categories},
    };
    for (const auto& field : kFields) {
        std::wstring value;
        if (options.Get(field.option, &value))
            contact.*field.field = value;
    }
    if (options.Has(L"favorite"))
        SetFavorite(contact, true);
    if (options.Has(L"no-favorite"))
        SetFavorite(contact, false);
    picture->clear();
    options.Get(L"picture", picture);
    return true;
}

int ContactCommand(const std::vector<std::wstring>& args)
{
    if (args.size() < 3)
        return UsageError(L"contact wants add, change or delete");
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    const std::wstring& verb = args[2];
    DWORD oid = 0;
    if (verb == L"delete") {
        if (args.size() != 4 || !ParseDword(args[3], &oid))
            return UsageError(L"contact delete <oid>");
        if (!store->DeleteContact(oid))
            return Refused(L"contact " + args[3]);
        Print(L"deleted contact " + args[3] + L"\n");
        return 0;
    }
    if (verb != L"add" && verb != L"change")
        return UsageError(L"unknown contact command '" + verb + L"'");
    size_t from = 3;
    if (verb == L"change") {
        if (args.size() < 4 || !ParseDword(args[3], &oid))
            return UsageError(L"contact change <oid> [fields]");
        from = 4;
    }
    Options options(args, from);
    if (!options.Error().empty() ||
        !options.OnlyOf({L"fileas", L"first", L"last", L"company", L"mobile", L"work", L"home", L"categories",
                         L"favorite", L"no-favorite", L"picture"})) {
        return UsageError(options.Error());
    }
    std::wstring picture;
    std::string bytes;
    VelDevContact contact;
    ApplyContactOptions(options, contact, &picture);
    if (!picture.empty() && !VelDevReadFile(picture, &bytes))
        return UsageError(L"cannot read " + picture);
    if (verb == L"add") {
        oid = store->AddContact(contact);
        if (!oid)
            return Refused(L"contact add");
    } else if (!store->ChangeContact(
                   oid, [&](VelDevContact& stored) { return ApplyContactOptions(options, stored, &picture); })) {
        return Refused(L"contact " + args[3]);
    }
    if (!picture.empty() && !store->SetContactPicture(oid, bytes, Extension(picture)))
        return Refused(L"picture");
    Print(std::wstring(verb == L"add" ? L"added" : L"changed") + L" contact " + Number(oid) + L"\n");
    return 0;
}

// --- calls ---------------------------------------------------------------------

int CallCommand(const std::vector<std::wstring>& args)
{
    if (args.size() < 3)
        return UsageError(L"call wants incoming, outgoing, missed, delete or clear");
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    const std::wstring& verb = args[2];
    if (verb == L"clear") {
        if (!store->Transact([](VelDevStoreData& storeData) {
                storeData.calls.clear();
                return true;
            }))
            return Refused(L"call clear");
        Print(L"call log cleared\n");
        return 0;
    }
    if (verb == L"delete") {
        DWORD oid;
        if (args.size() != 4 || !ParseDword(args[3], &oid))
            return UsageError(L"call delete <oid>");
        if (!store->DeleteCall(oid))
            return Refused(L"call " + args[3]);
        Print(L"deleted call " + args[3] + L"\n");
        return 0;
    }
    DWORD direction = 3;
    for (DWORD i = 0; i < 3; ++i) {
        if (verb == kDirectionNames[i])
            direction = i;
    }
    if (direction == 3)
        return UsageError(L"unknown call command '" + verb + L"'");
    if (args.size() < 4)
        return UsageError(L"call " + verb + L" <number|->");
    Options options(args, 4);
    if (!options.Error().empty() || !options.OnlyOf({L"name", L"nametype", L"minutes-ago", L"seconds"})) {
        return UsageError(options.Error());
    }
    DWORD minutes = 0, seconds = direction == kDevCallMissed ? 0 : 75;
    std::wstring v;
    if (options.Get(L"minutes-ago", &v) && !ParseDword(v, &minutes))
        return UsageError(L"--minutes-ago wants a number");
    if (options.Get(L"seconds", &v) && !ParseDword(v, &seconds))
        return UsageError(L"--seconds wants a number");
    VelDevCall call;
    call.direction = direction;
    call.start = MinutesAgo(minutes);
    call.end = FromTicks(Ticks(call.start) + seconds * kTicksPerSecond);
    call.flags = direction == kDevCallMissed ? 0x4 : (seconds ? 0x6 : 0x4);
    if (args[3] != L"-")
        call.number = VelDevOptText(args[3]);
    if (options.Get(L"name", &v))
        call.name = VelDevOptText(v);
    if (options.Get(L"nametype", &v))
        call.nameType = VelDevOptText(v);
    DWORD oid = store->AddCall(call);
    if (!oid)
        return Refused(L"call");
    if (direction == kDevCallMissed && !VelDevAddMissedCall()) {
        Print(L"kldevice: \"Missed Call Count\" could not be set.\n");
        return 1;
    }
    Print(L"logged " + verb + L" call " + Number(oid) + L"\n");
    return 0;
}

int MissedCommand(const std::vector<std::wstring>& args)
{
    DWORD count;
    if (args.size() != 3 || !ParseDword(args[2], &count))
        return UsageError(L"missed <count>");
    if (!VelDevSetMissedCallCount(count))
        return Refused(L"missed");
    Print(L"Missed Call Count = " + args[2] + L"\n");
    return 0;
}

// --- messages ------------------------------------------------------------------

bool FolderByName(const std::wstring& name, DWORD* folder)
{
    for (DWORD i = 0; i < 5; ++i) {
        if (name == kFolderNames[i]) {
            *folder = i;
            return true;
        }
    }
    return false;
}

int SmsCommand(const std::vector<std::wstring>& args)
{
    if (args.size() < 4)
        return UsageError(L"sms wants receive, send, move, read, unread or delete");
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    const std::wstring& verb = args[2];
    if (verb == L"receive" || verb == L"send") {
        if (args.size() < 5)
            return UsageError(L"sms " + verb + L" <number> <text>");
        Options options(args, 5);
        if (!options.Error().empty() || !options.OnlyOf({L"name", L"read", L"minutes-ago"}))
            return UsageError(options.Error());
        DWORD minutes = 0;
        std::wstring name, v;
        options.Get(L"name", &name);
        if (options.Get(L"minutes-ago", &v) && !ParseDword(v, &minutes))
            return UsageError(L"--minutes-ago wants a number");
        VelDevMessage message;
        message.text = args[4];
        message.hasDeliveryTime = true;
        message.deliveryTime = MinutesAgo(minutes);
        message.hasFlags = true;
        if (verb == L"receive") {
            message.folder = kDevSmsInbox;
            message.senderAddress = args[3];
            message.senderName = name.empty() ? args[3] : name;
            message.flags = options.Has(L"read") ? 1 : 0;
        } else {
            message.folder = kDevSmsSent;
            message.recipients.push_back({name.empty() ? args[3] : name, args[3]});
            message.flags = 1;
        }
        DWORD id = store->AddMessage(message);
        if (!id)
            return Refused(L"sms " + verb);
        Print(std::wstring(verb == L"receive" ? L"received" : L"sent") + L" message " + Number(id) + L"\n");
        return 0;
    }
    DWORD id;
    if (!ParseDword(args[3], &id))
        return UsageError(L"sms " + verb + L" wants a message id");
    if (verb == L"delete") {
        if (args.size() != 4)
            return UsageError(L"sms delete <id>");
        if (!store->DeleteMessage(id))
            return Refused(L"message " + args[3]);
        Print(L"deleted message " + args[3] + L"\n");
        return 0;
    }
    DWORD folder = 0;
    if (verb == L"move") {
        if (args.size() != 5 || !FolderByName(args[4], &folder))
            return UsageError(L"sms move <id> <folder>");
    } else if (verb == L"read" || verb == L"unread") {
        if (args.size() != 4)
            return UsageError(L"sms " + verb + L" <id>");
    } else {
        return UsageError(L"unknown sms command '" + verb + L"'");
    }
    bool changed = store->ChangeMessage(id, [&](VelDevMessage& message) {
        if (verb == L"move") {
            message.folder = folder;
        } else {
            message.flags = verb == L"read" ? (message.flags | 1) : (message.flags & ~1UL);
            message.hasFlags = true;
        }
        return true;
    });
    if (!changed)
        return Refused(L"message " + args[3]);
    Print(L"message " + args[3] + L" " + (verb == L"move" ? L"moved to " + args[4] : verb) + L"\n");
    return 0;
}

// --- listing -------------------------------------------------------------------

std::wstring Opt(const VelDevOptText& optText) { return optText.present ? L"\"" + optText.text + L"\"" : L"(null)"; }

void ListContacts(VelDevStore& store)
{
    std::vector<VelDevContact> all = store.Contacts();
    Print(L"contacts: " + Number(static_cast<DWORD>(all.size())) + L"\n");
    for (const VelDevContact& contact : all) {
        std::wstring name = contact.fileAs;
        if (name.empty())
            name = contact.lastName + (contact.lastName.empty() || contact.firstName.empty() ? L"" : L", ") +
                   contact.firstName;
        if (name.empty())
            name = contact.company;
        Print(L"  " + Number(contact.id) + L"  " + name + L"  [" + contact.company + L"]  m:" + contact.mobile +
              L" w:" + contact.work + L" h:" + contact.home + L"  {" + contact.categories + L"}" +
              (contact.picture.empty() ? L"" : L"  picture " + contact.picture) + L"  rev " + Number(contact.revision) +
              L"\n");
    }
}

void ListCalls(VelDevStore& store)
{
    std::vector<VelDevCall> all = store.CallsNewestFirst();
    Print(L"calls (newest first): " + Number(static_cast<DWORD>(all.size())) + L"; Missed Call Count " +
          Number(VelDevGetMissedCallCount()) + L"\n");
    for (const VelDevCall& call : all) {
        Print(L"  " + Number(call.id) + L"  " + LocalText(call.start) + L"  " +
              (call.direction < 3 ? kDirectionNames[call.direction] : L"?") + L"  flags " + Number(call.flags) + L"  " +
              Opt(call.number) + L" " + Opt(call.name) + L"\n");
    }
}

void ListMessages(VelDevStore& store)
{
    std::vector<VelDevMessage> all = store.Messages();
    Print(L"messages: " + Number(static_cast<DWORD>(all.size())) + L"\n");
    for (const VelDevMessage& message : all) {
        std::wstring who = message.folder == kDevSmsInbox
                               ? L"from " + message.senderName + L" <" + message.senderAddress + L">"
                               : L"to";
        if (message.folder != kDevSmsInbox) {
            for (const VelDevRecipient& recipient : message.recipients)
                who += L" " + recipient.name + L" <" + recipient.address + L">";
        }
        Print(L"  " + Number(message.id) + L"  " + (message.folder < 5 ? kFolderNames[message.folder] : L"?") + L"  " +
              (message.hasDeliveryTime ? LocalText(message.deliveryTime) : L"(no time)") + L"  " +
              (message.IsRead() ? L"read  " : L"unread") + L"  " + who + L": " + message.text + L"\n");
    }
}

void ListLog(VelDevStore& store, const wchar_t* file)
{
    std::vector<std::wstring> lines = store.ReadLog(file);
    Print(std::wstring(file) + L": " + Number(static_cast<DWORD>(lines.size())) + L"\n");
    for (const std::wstring& l : lines)
        Print(L"  " + l + L"\n");
}

int ListCommand(const std::vector<std::wstring>& args)
{
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    std::wstring what = args.size() > 2 ? args[2] : L"all";
    if (args.size() > 3)
        return UsageError(L"list takes one kind");
    bool all = what == L"all";
    if (!all && what != L"contacts" && what != L"calls" && what != L"messages" && what != L"outbox" &&
        what != L"dialled") {
        return UsageError(L"unknown kind '" + what + L"'");
    }
    Print(L"store " + store->Folder() + (store->IsMissing() ? L" (missing)" : L"") + L"\n");
    if (all || what == L"contacts")
        ListContacts(*store);
    if (all || what == L"calls")
        ListCalls(*store);
    if (all || what == L"messages")
        ListMessages(*store);
    if (all || what == L"outbox")
        ListLog(*store, L"outbox.log");
    if (all || what == L"dialled")
        ListLog(*store, L"dialled.log");
    return 0;
}

// --- the demo data set -----------------------------------------------------------

struct DemoPerson {
    const wchar_t* first;
    const wchar_t* last;
    const wchar_t* company;
    const wchar_t* mobile;
    const wchar_t* work;
    const wchar_t* home;
    const wchar_t* categories;
    bool picture;
};

const DemoPerson kPeople[] = {
    {L"Alba", L"Brenner", L"", L"+44 7700 900101", L"", L"+44 20 7946 0101", L"Favorites", true},
    {L"Bastian", L"Coyle", L"Harrow & Finch", L"+44 7700 900102", L"+44 20 7946 0102", L"", L"Work", false},
    {L"Cora", L"Delacroix", L"", L"+44 7700 900103", L"", L"", L"Family, Favorites", true},
    {L"Dario", L"Eklund", L"Northgate Freight", L"", L"+44 20 7946 0104", L"", L"Work", false},
    {L"Edda", L"Fairweather", L"", L"+44 7700 900105", L"", L"+44 20 7946 0105", L"", true},
    {L"Fenn", L"Galloway", L"", L"+44 7700 900106", L"", L"", L"Favorites", false},
    {L"Greta", L"Halloran", L"Quillon Press", L"+44 7700 900107", L"+44 20 7946 0107", L"", L"Work, Favorites", true},
    {L"Hugo", L"Ibarra", L"", L"", L"", L"+44 20 7946 0108", L"", false},
    {L"Ines", L"Jarvik", L"", L"+44 7700 900109", L"", L"", L"Family", true},
    {L"Jonas", L"Kestrel", L"Kestrel Joinery", L"+44 7700 900110", L"+44 20 7946 0110", L"", L"", false},
    {L"Kaja", L"Lindqvist", L"", L"+44 7700 900111", L"", L"", L"Favorites", true},
    {L"Leon", L"Marchetti", L"", L"+44 7700 900112", L"", L"+44 20 7946 0112", L"", false},
    {L"Mira", L"Novak", L"Blue Fern Clinic", L"+44 7700 900113", L"+44 20 7946 0113", L"", L"Work", true},
    {L"Niall", L"O'Dowd", L"", L"+44 7700 900114", L"", L"", L"", false},
    {L"Odile", L"Pereira", L"", L"+44 7700 900115", L"", L"", L"Family", false},
    {L"Piet", L"Quarles", L"", L"+44 7700 900116", L"", L"", L"Favorites", true},
    {L"Rhea", L"Sandoval", L"Sandoval Studio", L"+44 7700 900117", L"+44 20 7946 0117", L"", L"Work", false},
    {L"Soren", L"Thorne", L"", L"+44 7700 900118", L"", L"+44 20 7946 0118", L"", false},
    {L"Tamsin", L"Ulrich", L"", L"+44 7700 900119", L"", L"", L"", true},
    {L"Ugo", L"Varga", L"Varga Motors", L"", L"+44 20 7946 0120", L"", L"Work", false},
    {L"Vera", L"Whitlock", L"", L"+44 7700 900121", L"", L"", L"Favorites", false},
    {L"Wim", L"Xander", L"", L"+44 7700 900122", L"", L"", L"", false},
    {L"Yara", L"Yilmaz", L"", L"+44 7700 900123", L"", L"+44 20 7946 0123", L"Family", true},
    {L"Zeno", L"Zabala", L"", L"+44 7700 900124", L"", L"", L"", false},
    {L"Amara", L"Ashby", L"", L"+44 7700 900125", L"", L"", L"", false},
    {L"Bruno", L"Bellamy", L"Bellamy Bakes", L"+44 7700 900126", L"+44 20 7946 0126", L"", L"", false},
    {L"Clio", L"Carver", L"", L"+44 7700 900127", L"", L"", L"Favorites", false},
    {L"Dmitri", L"Dunmore", L"", L"+44 7700 900128", L"", L"", L"", false},
    {L"Elin", L"Easterby", L"", L"", L"", L"+44 20 7946 0129", L"", false},
    {L"Felix", L"Farrow", L"", L"+44 7700 900130", L"", L"", L"", false},
    {L"", L"", L"Riverside Dental", L"", L"+44 20 7946 0131", L"", L"", false},
    {L"", L"", L"City Taxi", L"+44 7700 900132", L"", L"", L"", false},
    {L"Gus", L"", L"", L"+44 7700 900133", L"", L"", L"", false},
};

// Local midnight of today, as UTC.
SYSTEMTIME LocalToday()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    now.wHour = now.wMinute = now.wSecond = now.wMilliseconds = 0;
    return now;
}

FILETIME LocalDayAt(const SYSTEMTIME& day, int daysBack, int hour, int minute)
{
    FILETIME time = LocalToUtc(day);
    ULONGLONG value = Ticks(time) - static_cast<ULONGLONG>(daysBack) * 86400ULL * kTicksPerSecond +
                      (hour * 3600ULL + minute * 60ULL) * kTicksPerSecond;
    return FromTicks(value);
}

std::vector<FILETIME> DemoCallTimes()
{
    SYSTEMTIME today = LocalToday();
    FILETIME now = VelDevNow();
    ULONGLONG midnight = Ticks(LocalToUtc(today));
    ULONGLONG sinceMidnight = Ticks(now) - midnight;
    std::vector<FILETIME> t;
    // Today: spread over the part of the day that has passed.
    for (int i : {1, 3, 6})
        t.push_back(FromTicks(midnight + sinceMidnight * i / 8));
    t.push_back(LocalDayAt(today, 1, 20, 40));  // yesterday
    t.push_back(LocalDayAt(today, 1, 13, 5));
    t.push_back(LocalDayAt(today, 1, 8, 15));
    t.push_back(LocalDayAt(today, 3, 17, 30));  // this week
    t.push_back(LocalDayAt(today, 4, 11, 0));
    t.push_back(LocalDayAt(today, 5, 19, 45));
    // Earlier this month: its first days, or ten days back early in a month.
    SYSTEMTIME first = today;
    first.wDay = 1;
    if (today.wDay > 8) {
        t.push_back(LocalDayAt(first, 0, 10, 20));
        t.push_back(LocalDayAt(first, -1, 16, 10));
    } else {
        t.push_back(LocalDayAt(today, 10, 10, 20));
        t.push_back(LocalDayAt(today, 11, 16, 10));
    }
    SYSTEMTIME lastMonth = first;
    if (lastMonth.wMonth == 1) {
        lastMonth.wMonth = 12;
        --lastMonth.wYear;
    } else {
        --lastMonth.wMonth;
    }
    lastMonth.wDay = 15;
    t.push_back(LocalDayAt(lastMonth, 0, 9, 30));
    t.push_back(LocalDayAt(lastMonth, -5, 18, 0));
    SYSTEMTIME lastYear = first;
    --lastYear.wYear;
    lastYear.wDay = 10;
    t.push_back(LocalDayAt(lastYear, 0, 14, 25));
    return t;
}

std::wstring PersonName(const DemoPerson& demoPerson)
{
    std::wstring name = demoPerson.first;
    if (demoPerson.last[0])
        name += (name.empty() ? L"" : L" ") + std::wstring(demoPerson.last);
    return name.empty() ? std::wstring(demoPerson.company) : name;
}

bool SeedDemo(VelDevStoreData& storeData, std::vector<std::pair<DWORD, DWORD>>* pictures)
{
    storeData.contacts.clear();
    storeData.calls.clear();
    storeData.messages.clear();
    std::vector<DWORD> ids;
    for (const DemoPerson& demoPerson : kPeople) {
        VelDevContact contact;
        contact.firstName = demoPerson.first;
        contact.lastName = demoPerson.last;
        contact.company = demoPerson.company;
        contact.mobile = demoPerson.mobile;
        contact.work = demoPerson.work;
        contact.home = demoPerson.home;
        contact.categories = demoPerson.categories;
        DWORD id = storeData.AddContact(contact);
        ids.push_back(id);
        if (demoPerson.picture)
            pictures->push_back(std::make_pair(id, static_cast<DWORD>(ids.size())));
    }
    std::vector<FILETIME> times = DemoCallTimes();
    const DWORD directions[] = {kDevCallMissed,   kDevCallIncoming, kDevCallOutgoing, kDevCallIncoming,
                                kDevCallOutgoing, kDevCallMissed,   kDevCallOutgoing};
    for (size_t i = 0; i < times.size(); ++i) {
        const DemoPerson& demoPerson = kPeople[(i * 5) % (sizeof kPeople / sizeof kPeople[0])];
        VelDevCall contact;
        contact.direction = directions[i % 7];
        contact.start = times[i];
        ULONGLONG length = contact.direction == kDevCallMissed ? 0 : (40 + i * 37 % 600);
        contact.end = FromTicks(Ticks(contact.start) + length * kTicksPerSecond);
        contact.flags = contact.direction == kDevCallMissed ? 0x4 : 0x6;
        if (i == 4) {
            // A withheld number: no number and no name.
        } else if (i == 8) {
            contact.number = VelDevOptText(L"+44 7700 900999");  // someone not in the contacts
        } else {
            const wchar_t* number =
                demoPerson.mobile[0] ? demoPerson.mobile : (demoPerson.work[0] ? demoPerson.work : demoPerson.home);
            contact.number = VelDevOptText(number);
            contact.name = VelDevOptText(PersonName(demoPerson));
            contact.nameType = VelDevOptText(demoPerson.mobile[0] ? L"m" : (demoPerson.work[0] ? L"w" : L"h"));
        }
        storeData.AddCall(contact);
    }
    struct DemoSms {
        int person;
        bool received;
        bool read;
        DWORD minutesAgo;
        const wchar_t* text;
    };
    const DemoSms sms[] = {
        {0, true, false, 12, L"Are we still on for lunch at one?"},
        {2, true, false, 95, L"Landed. Taxi queue is endless,\r\ncall you from the hotel."},
        {0, false, true, 100, L"Yes! See you at the corner place."},
        {6, true, true, 60 * 20, L"Proofs are on your desk.\tPages 4-9 need a look."},
        {10, true, true, 60 * 30, L"Happy birthday!! Cake tonight?"},
        {10, false, true, 60 * 29, L"Thank you! Cake always."},
        {12, true, false, 60 * 24 * 3, L"Your appointment is confirmed for Thursday 10:30."},
        {8, false, true, 60 * 24 * 4, L"Sunday dinner at Mum's, bring the salad bowl back please"},
        {15, true, true, 60 * 24 * 12, L"Left my umbrella in your car, no rush."},
        {31, true, true, 60 * 24 * 40, L"Your driver is outside."},
        {3, false, true, 60 * 24 * 45, L"Invoice sent, thanks for the quick turnaround."},
    };
    for (const DemoSms& demoSms : sms) {
        const DemoPerson& demoPerson = kPeople[demoSms.person];
        std::wstring name = PersonName(demoPerson);
        VelDevMessage message;
        message.text = demoSms.text;
        message.hasDeliveryTime = true;
        message.deliveryTime = MinutesAgo(demoSms.minutesAgo);
        message.hasFlags = true;
        message.flags = demoSms.read ? 1 : 0;
        if (demoSms.received) {
            message.folder = kDevSmsInbox;
            message.senderName = name;
            message.senderAddress = demoPerson.mobile;
        } else {
            message.folder = kDevSmsSent;
            message.recipients.push_back({name, demoPerson.mobile});
        }
        storeData.AddMessage(message);
    }
    return true;
}

int SeedCommand(const std::vector<std::wstring>& args)
{
    Options options(args, 2);
    if (!options.Error().empty() || !options.OnlyOf({L"force"}))
        return UsageError(options.Error());
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    VelDevStoreData now = store->Snapshot();
    bool empty = now.contacts.empty() && now.calls.empty() && now.messages.empty();
    if (!empty && !options.Has(L"force")) {
        Print(L"kldevice: the store already holds data; 'seed --force' replaces it.\n");
        return 1;
    }
    std::vector<std::pair<DWORD, DWORD>> pictures;
    std::vector<std::wstring> oldPictures;
    for (const auto& kv : now.contacts)
        oldPictures.push_back(store->PicturePath(kv.second));
    if (!store->Transact([&](VelDevStoreData& storeData) { return SeedDemo(storeData, &pictures); }))
        return Refused(L"seed");
    for (const std::wstring& p : oldPictures) {
        if (!p.empty())
            DeleteFileW(p.c_str());
    }
    for (const auto& p : pictures) {
        if (!store->SetContactPicture(p.first, MakePortrait(p.second, 64), L"bmp"))
            return Refused(L"picture");
    }
    if (!VelDevSetMissedCallCount(2))
        Print(L"kldevice: \"Missed Call Count\" could not be set.\n");
    VelDevStoreData storeData = store->Snapshot();
    Print(L"seeded " + store->Folder() + L": " + Number(static_cast<DWORD>(storeData.contacts.size())) +
          L" contacts, " + Number(static_cast<DWORD>(storeData.calls.size())) + L" calls, " +
          Number(static_cast<DWORD>(storeData.messages.size())) + L" messages\n");
    return 0;
}

}  // namespace

int main()
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    for (int i = 0; argv && i < argc; ++i)
        args.push_back(argv[i]);
    LocalFree(argv);
    if (args.size() < 2 || args[1] == L"help" || args[1] == L"--help" || args[1] == L"-h") {
        Print(kUsage);
        return args.size() < 2 ? 2 : 0;
    }
    const std::wstring& cmd = args[1];
    if (cmd == L"where") {
        Print(VelDevStore::ConfiguredFolder() + L"\n");
        return 0;
    }
    if (cmd == L"seed")
        return SeedCommand(args);
    if (cmd == L"list")
        return ListCommand(args);
    if (cmd == L"contact")
        return ContactCommand(args);
    if (cmd == L"call")
        return CallCommand(args);
    if (cmd == L"missed")
        return MissedCommand(args);
    if (cmd == L"sms")
        return SmsCommand(args);
    return UsageError(L"unknown command '" + cmd + L"'");
}

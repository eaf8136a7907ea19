#include "VelDevInternal.h"

#include <algorithm>

namespace veldev {
namespace {

const wchar_t* const kDirections[] = {L"missed", L"incoming", L"outgoing"};
const wchar_t* const kFolders[] = {L"inbox", L"outbox", L"sent", L"deleted", L"drafts"};

std::wstring Text(const Section& s, const wchar_t* key) {
    const wchar_t* v = s.Get(key);
    return v ? Unescape(v) : std::wstring();
}

VelDevOptText OptText(const Section& s, const wchar_t* key) {
    const wchar_t* v = s.Get(key);
    return v ? VelDevOptText(Unescape(v)) : VelDevOptText();
}

// A name from the table or its number; absent keys give fallback.
bool ReadChoice(const Section& s, const wchar_t* key, const wchar_t* const* names, DWORD count,
                DWORD fallback, DWORD* value) {
    const wchar_t* v = s.Get(key);
    if (!v) {
        *value = fallback;
        return true;
    }
    for (DWORD i = 0; i < count; ++i) {
        if (_wcsicmp(v, names[i]) == 0) {
            *value = i;
            return true;
        }
    }
    return ParseNumber(v, value) && *value < count;
}

bool ReadNumber(const Section& s, const wchar_t* key, DWORD fallback, DWORD* value) {
    const wchar_t* v = s.Get(key);
    if (!v) {
        *value = fallback;
        return true;
    }
    return ParseNumber(v, value);
}

bool ReadTime(const Section& s, const wchar_t* key, bool* present, FILETIME* t) {
    const wchar_t* v = s.Get(key);
    *present = v != 0;
    return !v || VelDevParseTime(v, t);
}

void Put(CSimpleIniW& ini, const wchar_t* section, const wchar_t* key, const std::wstring& value) {
    ini.SetValue(section, key, Escape(value).c_str());
}

void PutOpt(CSimpleIniW& ini, const wchar_t* section, const wchar_t* key, const VelDevOptText& value) {
    if (value.present) Put(ini, section, key, value.text);
}

bool Fail(std::wstring* why, const wchar_t* reason) {
    *why = reason;
    return false;
}

}  // namespace

bool ReadContact(const Section& s, VelDevContact* c, std::wstring* why) {
    c->fileAs = Text(s, L"fileAs");
    c->firstName = Text(s, L"firstName");
    c->lastName = Text(s, L"lastName");
    c->company = Text(s, L"company");
    c->mobile = Text(s, L"mobile");
    c->work = Text(s, L"work");
    c->home = Text(s, L"home");
    c->categories = Text(s, L"categories");
    c->picture = Text(s, L"picture");
    if (!c->picture.empty() && !VelDevPlainFileName(c->picture)) {
        // The contact stays; only a name that could open something else goes.
        c->picture.clear();
        *why = L"picture name refused";
    }
    return true;
}

void WriteContact(CSimpleIniW& ini, const wchar_t* section, const VelDevContact& c) {
    Put(ini, section, L"fileAs", c.fileAs);
    Put(ini, section, L"firstName", c.firstName);
    Put(ini, section, L"lastName", c.lastName);
    Put(ini, section, L"company", c.company);
    Put(ini, section, L"mobile", c.mobile);
    Put(ini, section, L"work", c.work);
    Put(ini, section, L"home", c.home);
    Put(ini, section, L"categories", c.categories);
    if (!c.picture.empty()) Put(ini, section, L"picture", c.picture);
}

bool ReadCall(const Section& s, VelDevCall* c, std::wstring* why) {
    bool present = false;
    if (!ReadTime(s, L"start", &present, &c->start) || !present) return Fail(why, L"bad or missing start");
    if (!ReadTime(s, L"end", &present, &c->end)) return Fail(why, L"bad end");
    if (!present) c->end = c->start;
    if (!ReadChoice(s, L"direction", kDirections, 3, kDevCallIncoming, &c->direction)) {
        return Fail(why, L"bad direction");
    }
    if (!ReadNumber(s, L"flags", 0, &c->flags)) return Fail(why, L"bad flags");
    if (!ReadNumber(s, L"callerIdType", 0, &c->callerIdType)) return Fail(why, L"bad callerIdType");
    c->number = OptText(s, L"number");
    c->name = OptText(s, L"name");
    c->nameType = OptText(s, L"nameType");
    c->note = OptText(s, L"note");
    return true;
}

void WriteCall(CSimpleIniW& ini, const wchar_t* section, const VelDevCall& c) {
    Put(ini, section, L"start", VelDevFormatTime(c.start));
    Put(ini, section, L"end", VelDevFormatTime(c.end));
    Put(ini, section, L"direction", c.direction < 3 ? kDirections[c.direction] : FormatNumber(c.direction));
    Put(ini, section, L"flags", FormatNumber(c.flags));
    Put(ini, section, L"callerIdType", FormatNumber(c.callerIdType));
    PutOpt(ini, section, L"number", c.number);
    PutOpt(ini, section, L"name", c.name);
    PutOpt(ini, section, L"nameType", c.nameType);
    PutOpt(ini, section, L"note", c.note);
}

bool ReadMessage(const Section& s, VelDevMessage* m, std::wstring* why) {
    if (!ReadChoice(s, L"folder", kFolders, 5, kDevSmsInbox, &m->folder)) return Fail(why, L"bad folder");
    m->text = Text(s, L"text");
    m->senderName = Text(s, L"senderName");
    m->senderAddress = Text(s, L"senderAddress");
    DWORD count = 0;
    if (!ReadNumber(s, L"recipients", 0, &count) || count > 1000) return Fail(why, L"bad recipients");
    m->recipients.clear();
    for (DWORD i = 1; i <= count; ++i) {
        std::wstring prefix = L"recipient" + FormatNumber(i);
        VelDevRecipient r;
        r.name = Text(s, (prefix + L".name").c_str());
        r.address = Text(s, (prefix + L".address").c_str());
        m->recipients.push_back(r);
    }
    if (!ReadTime(s, L"deliveryTime", &m->hasDeliveryTime, &m->deliveryTime)) return Fail(why, L"bad deliveryTime");
    if (!m->hasDeliveryTime) m->deliveryTime = FILETIME();
    m->hasFlags = s.Get(L"flags") != 0;
    if (!ReadNumber(s, L"flags", 0, &m->flags)) return Fail(why, L"bad flags");
    return true;
}

void WriteMessage(CSimpleIniW& ini, const wchar_t* section, const VelDevMessage& m) {
    Put(ini, section, L"folder", m.folder < 5 ? kFolders[m.folder] : FormatNumber(m.folder));
    Put(ini, section, L"text", m.text);
    Put(ini, section, L"senderName", m.senderName);
    Put(ini, section, L"senderAddress", m.senderAddress);
    Put(ini, section, L"recipients", FormatNumber(static_cast<DWORD>(m.recipients.size())));
    for (size_t i = 0; i < m.recipients.size(); ++i) {
        std::wstring prefix = L"recipient" + FormatNumber(static_cast<DWORD>(i + 1));
        Put(ini, section, (prefix + L".name").c_str(), m.recipients[i].name);
        Put(ini, section, (prefix + L".address").c_str(), m.recipients[i].address);
    }
    if (m.hasDeliveryTime) Put(ini, section, L"deliveryTime", VelDevFormatTime(m.deliveryTime));
    if (m.hasFlags) Put(ini, section, L"flags", FormatNumber(m.flags));
}

}  // namespace veldev

namespace {

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

bool SameOpt(const VelDevOptText& a, const VelDevOptText& b) {
    return a.present == b.present && a.text == b.text;
}

bool SameHeader(const VelDevRecord& a, const VelDevRecord& b) {
    return a.id == b.id && a.revision == b.revision && a.writer == b.writer;
}

}  // namespace

bool operator==(const VelDevContact& a, const VelDevContact& b) {
    return SameHeader(a, b) && a.fileAs == b.fileAs && a.firstName == b.firstName && a.lastName == b.lastName &&
           a.company == b.company && a.mobile == b.mobile && a.work == b.work && a.home == b.home &&
           a.categories == b.categories && a.picture == b.picture;
}

bool operator==(const VelDevCall& a, const VelDevCall& b) {
    return SameHeader(a, b) && SameTime(a.start, b.start) && SameTime(a.end, b.end) && a.direction == b.direction &&
           a.flags == b.flags && a.callerIdType == b.callerIdType && SameOpt(a.number, b.number) &&
           SameOpt(a.name, b.name) && SameOpt(a.nameType, b.nameType) && SameOpt(a.note, b.note);
}

bool operator==(const VelDevMessage& a, const VelDevMessage& b) {
    if (!SameHeader(a, b) || a.folder != b.folder || a.text != b.text || a.senderName != b.senderName ||
        a.senderAddress != b.senderAddress || a.recipients.size() != b.recipients.size() ||
        a.hasDeliveryTime != b.hasDeliveryTime || (a.hasDeliveryTime && !SameTime(a.deliveryTime, b.deliveryTime)) ||
        a.hasFlags != b.hasFlags || (a.hasFlags && a.flags != b.flags)) {
        return false;
    }
    for (size_t i = 0; i < a.recipients.size(); ++i) {
        if (a.recipients[i].name != b.recipients[i].name || a.recipients[i].address != b.recipients[i].address) {
            return false;
        }
    }
    return true;
}

namespace {

const DWORD kNoMoreIds = 0xFFFFFFFF;

template <class R>
DWORD AddTo(std::map<DWORD, R>& records, DWORD& nextId, R r) {
    while ((records.count(nextId) || nextId == 0) && nextId != kNoMoreIds) ++nextId;
    if (nextId == kNoMoreIds) return 0;   // never wraps to ids given out before
    r.id = nextId++;
    records[r.id] = r;
    return r.id;
}

}  // namespace

DWORD VelDevStoreData::AddContact(VelDevContact c) { return AddTo(contacts, nextContactId, c); }
DWORD VelDevStoreData::AddCall(VelDevCall c) { return AddTo(calls, nextCallId, c); }
DWORD VelDevStoreData::AddMessage(VelDevMessage m) { return AddTo(messages, nextMessageId, m); }

std::vector<VelDevCall> VelDevStoreData::CallsNewestFirst() const {
    std::vector<VelDevCall> out;
    out.reserve(calls.size());
    for (const auto& kv : calls) out.push_back(kv.second);
    std::sort(out.begin(), out.end(), [](const VelDevCall& a, const VelDevCall& b) {
        int order = CompareFileTime(&a.start, &b.start);
        if (order != 0) return order > 0;
        return a.id > b.id;
    });
    return out;
}

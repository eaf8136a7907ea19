#include "VelDevInternal.h"

#include <algorithm>

namespace veldev {
namespace {

const wchar_t* const kDirections[] = {L"missed", L"incoming", L"outgoing"};
const wchar_t* const kFolders[] = {L"inbox", L"outbox", L"sent", L"deleted", L"drafts"};

std::wstring Text(const Section& section, const wchar_t* key)
{
    const wchar_t* text = section.Get(key);
    return text ? Unescape(text) : std::wstring();
}

VelDevOptText OptText(const Section& section, const wchar_t* key)
{
    const wchar_t* text = section.Get(key);
    return text ? VelDevOptText(Unescape(text)) : VelDevOptText();
}

// A name from the table or its number; absent keys give fallback.
bool ReadChoice(const Section& section, const wchar_t* key, const wchar_t* const* names, DWORD count, DWORD fallback,
                DWORD* value)
{
    const wchar_t* text = section.Get(key);
    if (!text) {
        *value = fallback;
        return true;
    }
    for (DWORD i = 0; i < count; ++i) {
        if (_wcsicmp(text, names[i]) == 0) {
            *value = i;
            return true;
        }
    }
    return ParseNumber(text, value) && *value < count;
}

bool ReadNumber(const Section& section, const wchar_t* key, DWORD fallback, DWORD* value)
{
    const wchar_t* text = section.Get(key);
    if (!text) {
        *value = fallback;
        return true;
    }
    return ParseNumber(text, value);
}

bool ReadTime(const Section& section, const wchar_t* key, bool* present, FILETIME* time)
{
    const wchar_t* text = section.Get(key);
    *present = text != 0;
    return !text || VelDevParseTime(text, time);
}

void Put(CSimpleIniW& ini, const wchar_t* section, const wchar_t* key, const std::wstring& value)
{
    ini.SetValue(section, key, Escape(value).c_str());
}

void PutOpt(CSimpleIniW& ini, const wchar_t* section, const wchar_t* key, const VelDevOptText& value)
{
    if (value.present)
        Put(ini, section, key, value.text);
}

bool Fail(std::wstring* why, const wchar_t* reason)
{
    *why = reason;
    return false;
}

}  // namespace

bool ReadContact(const Section& section, VelDevContact* contact, std::wstring* why)
{
    contact->fileAs = Text(section, L"fileAs");
    contact->firstName = Text(section, L"firstName");
    contact->lastName = Text(section, L"lastName");
    contact->company = Text(section, L"company");
    contact->mobile = Text(section, L"mobile");
    contact->work = Text(section, L"work");
    contact->home = Text(section, L"home");
    contact->categories = Text(section, L"categories");
    contact->picture = Text(section, L"picture");
    if (!contact->picture.empty() && !VelDevPlainFileName(contact->picture)) {
        // The contact stays; only a name that could open something else goes.
        contact->picture.clear();
        *why = L"picture name refused";
    }
    return true;
}

void WriteContact(CSimpleIniW& ini, const wchar_t* section, const VelDevContact& contact)
{
    Put(ini, section, L"fileAs", contact.fileAs);
    Put(ini, section, L"firstName", contact.firstName);
    Put(ini, section, L"lastName", contact.lastName);
    Put(ini, section, L"company", contact.company);
    Put(ini, section, L"mobile", contact.mobile);
    Put(ini, section, L"work", contact.work);
    Put(ini, section, L"home", contact.home);
    Put(ini, section, L"categories", contact.categories);
    if (!contact.picture.empty())
        Put(ini, section, L"picture", contact.picture);
}

bool ReadCall(const Section& section, VelDevCall* call, std::wstring* why)
{
    bool present = false;
    if (!ReadTime(section, L"start", &present, &call->start) || !present)
        return Fail(why, L"bad or missing start");
    if (!ReadTime(section, L"end", &present, &call->end))
        return Fail(why, L"bad end");
    if (!present)
        call->end = call->start;
    if (!ReadChoice(section, L"direction", kDirections, 3, kDevCallIncoming, &call->direction)) {
        return Fail(why, L"bad direction");
    }
    if (!ReadNumber(section, L"flags", 0, &call->flags))
        return Fail(why, L"bad flags");
    if (!ReadNumber(section, L"callerIdType", 0, &call->callerIdType))
        return Fail(why, L"bad callerIdType");
    call->number = OptText(section, L"number");
    call->name = OptText(section, L"name");
    call->nameType = OptText(section, L"nameType");
    call->note = OptText(section, L"note");
    return true;
}

void WriteCall(CSimpleIniW& ini, const wchar_t* section, const VelDevCall& call)
{
    Put(ini, section, L"start", VelDevFormatTime(call.start));
    Put(ini, section, L"end", VelDevFormatTime(call.end));
    Put(ini, section, L"direction", call.direction < 3 ? kDirections[call.direction] : FormatNumber(call.direction));
    Put(ini, section, L"flags", FormatNumber(call.flags));
    Put(ini, section, L"callerIdType", FormatNumber(call.callerIdType));
    PutOpt(ini, section, L"number", call.number);
    PutOpt(ini, section, L"name", call.name);
    PutOpt(ini, section, L"nameType", call.nameType);
    PutOpt(ini, section, L"note", call.note);
}

bool ReadMessage(const Section& section, VelDevMessage* message, std::wstring* why)
{
    if (!ReadChoice(section, L"folder", kFolders, 5, kDevSmsInbox, &message->folder))
        return Fail(why, L"bad folder");
    message->text = Text(section, L"text");
    message->senderName = Text(section, L"senderName");
    message->senderAddress = Text(section, L"senderAddress");
    DWORD count = 0;
    if (!ReadNumber(section, L"recipients", 0, &count) || count > 1000)
        return Fail(why, L"bad recipients");
    message->recipients.clear();
    for (DWORD i = 1; i <= count; ++i) {
        std::wstring prefix = L"recipient" + FormatNumber(i);
        VelDevRecipient recipient;
        recipient.name = Text(section, (prefix + L".name").c_str());
        recipient.address = Text(section, (prefix + L".address").c_str());
        message->recipients.push_back(recipient);
    }
    if (!ReadTime(section, L"deliveryTime", &message->hasDeliveryTime, &message->deliveryTime))
        return Fail(why, L"bad deliveryTime");
    if (!message->hasDeliveryTime)
        message->deliveryTime = FILETIME();
    message->hasFlags = section.Get(L"flags") != 0;
    if (!ReadNumber(section, L"flags", 0, &message->flags))
        return Fail(why, L"bad flags");
    return true;
}

void WriteMessage(CSimpleIniW& ini, const wchar_t* section, const VelDevMessage& message)
{
    Put(ini, section, L"folder", message.folder < 5 ? kFolders[message.folder] : FormatNumber(message.folder));
    Put(ini, section, L"text", message.text);
    Put(ini, section, L"senderName", message.senderName);
    Put(ini, section, L"senderAddress", message.senderAddress);
    Put(ini, section, L"recipients", FormatNumber(static_cast<DWORD>(message.recipients.size())));
    for (size_t i = 0; i < message.recipients.size(); ++i) {
        std::wstring prefix = L"recipient" + FormatNumber(static_cast<DWORD>(i + 1));
        Put(ini, section, (prefix + L".name").c_str(), message.recipients[i].name);
        Put(ini, section, (prefix + L".address").c_str(), message.recipients[i].address);
    }
    if (message.hasDeliveryTime)
        Put(ini, section, L"deliveryTime", VelDevFormatTime(message.deliveryTime));
    if (message.hasFlags)
        Put(ini, section, L"flags", FormatNumber(message.flags));
}

}  // namespace veldev

namespace {

bool SameTime(const FILETIME& left, const FILETIME& right)
{
    return left.dwLowDateTime == right.dwLowDateTime && left.dwHighDateTime == right.dwHighDateTime;
}

bool SameOpt(const VelDevOptText& left, const VelDevOptText& right)
{
    return left.present == right.present && left.text == right.text;
}

bool SameHeader(const VelDevRecord& left, const VelDevRecord& right)
{
    return left.id == right.id && left.revision == right.revision && left.writer == right.writer;
}

}  // namespace

bool operator==(const VelDevContact& left, const VelDevContact& right)
{
    return SameHeader(left, right) && left.fileAs == right.fileAs && left.firstName == right.firstName &&
           left.lastName == right.lastName && left.company == right.company && left.mobile == right.mobile &&
           left.work == right.work && left.home == right.home && left.categories == right.categories &&
           left.picture == right.picture;
}

bool operator==(const VelDevCall& left, const VelDevCall& right)
{
    return SameHeader(left, right) && SameTime(left.start, right.start) && SameTime(left.end, right.end) &&
           left.direction == right.direction && left.flags == right.flags && left.callerIdType == right.callerIdType &&
           SameOpt(left.number, right.number) && SameOpt(left.name, right.name) &&
           SameOpt(left.nameType, right.nameType) && SameOpt(left.note, right.note);
}

bool operator==(const VelDevMessage& left, const VelDevMessage& right)
{
    if (!SameHeader(left, right) || left.folder != right.folder || left.text != right.text ||
        left.senderName != right.senderName || left.senderAddress != right.senderAddress ||
        left.recipients.size() != right.recipients.size() || left.hasDeliveryTime != right.hasDeliveryTime ||
        (left.hasDeliveryTime && !SameTime(left.deliveryTime, right.deliveryTime)) || left.hasFlags != right.hasFlags ||
        (left.hasFlags && left.flags != right.flags)) {
        return false;
    }
    for (size_t i = 0; i < left.recipients.size(); ++i) {
        if (left.recipients[i].name != right.recipients[i].name ||
            left.recipients[i].address != right.recipients[i].address) {
            return false;
        }
    }
    return true;
}

namespace {

const DWORD kNoMoreIds = 0xFFFFFFFF;

template <class R>
DWORD AddTo(std::map<DWORD, R>& records, DWORD& nextId, R record)
{
    while ((records.count(nextId) || nextId == 0) && nextId != kNoMoreIds)
        ++nextId;
    if (nextId == kNoMoreIds)
        return 0;  // never wraps to ids given out before
    record.id = nextId++;
    records[record.id] = record;
    return record.id;
}

}  // namespace

DWORD VelDevStoreData::AddContact(VelDevContact contact) { return AddTo(contacts, nextContactId, contact); }
DWORD VelDevStoreData::AddCall(VelDevCall call) { return AddTo(calls, nextCallId, call); }
DWORD VelDevStoreData::AddMessage(VelDevMessage message) { return AddTo(messages, nextMessageId, message); }

std::vector<VelDevCall> VelDevStoreData::CallsNewestFirst() const
{
    std::vector<VelDevCall> out;
    out.reserve(calls.size());
    for (const auto& kv : calls)
        out.push_back(kv.second);
    std::sort(out.begin(), out.end(), [](const VelDevCall& left, const VelDevCall& right) {
        int order = CompareFileTime(&left.start, &right.start);
        if (order != 0)
            return order > 0;
        return left.id > right.id;
    });
    return out;
}

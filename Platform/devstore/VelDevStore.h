#pragma once
// The device store: the phone's own data (contacts, call log, text messages)
// kept in one folder that every process of the platform stand-ins shares, as
// the phone's object store is shared by every process on the phone.
//
// Folder: %VEL_DEVICE_STORE%, else VelDevStore::DefaultFolder(). Files, all
// UTF-8 and human-readable (one section per record, the section name is the
// record's platform id). Each kind is spread over files by id, so that a
// change rewrites one small file: ids below 64 live in contacts.ini, ids
// 64 to 127 in contacts-1.ini, and so on (a record found in another of its
// kind's files, as in a store written before, stays where it is):
//   contacts[-n].ini  [<oid>]      fileAs firstName lastName company mobile work home
//                                  categories picture (a plain file name under pictures\)
//   calllog[-n].ini   [<oid>]      start end (UTC, "YYYY-MM-DD hh:mm:ss[.fffffff]Z")
//                                  direction (missed|incoming|outgoing) flags callerIdType
//                                  number name nameType note (a key that is absent is null)
//   messages[-n].ini  [<entry id>] folder (inbox|outbox|sent|deleted|drafts) text
//                                  senderName senderAddress recipients recipientN.name
//                                  recipientN.address deliveryTime flags (both optional)
//   every record also holds writer (process id) and revision, written last;
//   [store] nextId is past every id the file has named, [deleted] holds the
//   latest deletions (id = process id).
//   settings.ini   [faults] <name> = <value>    fault switches for tests
//   outbox.log, dialled.log ...  append-only logs, one UTF-8 line per entry
// Text values escape backslash, CR, LF, TAB and blanks at either end (\\ \r \n \t \s).
// A value keeps every UTF-16 code unit it was given: NUL is written \0 and a
// surrogate that is not half of a pair \uD800 (four hex digits), so every
// process reads back what the writer holds.
//
// Writes are atomic (temporary file, then a replacing move) under a named
// mutex derived from the folder; each write first reloads the file it
// rewrites. Every save bumps a counter of its file in memory shared by the
// store's processes, so a lookup learns what changed without opening files;
// edits by hand are seen within a quarter of a second (by the folder
// listing's size and time of each file). Each kind is read when first asked for. A damaged record is
// skipped with one debug line; the next save keeps the good ones (the damaged
// file is first kept as <file>.damaged, then .damaged-2, ...).
// Ids are never reused: the next is past every id any file has named, and
// once 4294967294 has been given out the store refuses to add more.
#include <windows.h>

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>

#include <cstdarg>
#include <map>
#include <string>
#include <vector>

// Environment variables read by the store.
#define VEL_DEVICE_STORE_ENV L"VEL_DEVICE_STORE"    // the store folder
#define VEL_DEVICE_FAULTS_ENV L"VEL_DEVICE_FAULTS"  // "name[=value],name[=value]..."
#define VEL_DEBUG_LOG_ENV L"VEL_DEBUG_LOG"          // a file that also gets every debug line

// What every record carries besides its data. The id is the platform's id of
// the record: a contact's oid, a call-log record's oid, a message's entry id.
// Ids start at 1 and are never reused within a store. The store sets revision
// and writer on every change; callers leave them alone.
struct VelDevRecord {
    DWORD id = 0;
    DWORD revision = 0;
    DWORD writer = 0;  // process id of the last process that wrote it
};

struct VelDevContact : VelDevRecord {
    std::wstring fileAs, firstName, lastName, company;
    std::wstring mobile, work, home;
    std::wstring categories;  // ", "-separated, a favourite holds "Favorites"
    std::wstring picture;     // file name under the store's pictures folder, or empty
};

// A string of a call-log entry that can be absent (null) as well as empty.
struct VelDevOptText {
    bool present = false;
    std::wstring text;
    VelDevOptText() {}
    VelDevOptText(const std::wstring& t) : present(true), text(t) {}
    VelDevOptText(const wchar_t* t) : present(t != 0), text(t ? t : L"") {}
    const wchar_t* c_str() const { return present ? text.c_str() : 0; }
};

enum VelDevCallDirection : DWORD { kDevCallMissed = 0, kDevCallIncoming = 1, kDevCallOutgoing = 2 };

struct VelDevCall : VelDevRecord {
    FILETIME start = {0, 0};  // UTC
    FILETIME end = {0, 0};    // UTC
    DWORD direction = kDevCallIncoming;
    DWORD flags = 0;  // the phone library's flag bits (2 connected, 4 ended)
    DWORD callerIdType = 0;
    VelDevOptText number, name, nameType, note;
};

// The folders of the "SMS" message store, numbered as the program asks for them.
enum VelDevSmsFolder : DWORD {
    kDevSmsInbox = 0,
    kDevSmsOutbox = 1,
    kDevSmsSent = 2,
    kDevSmsDeleted = 3,
    kDevSmsDrafts = 4
};

struct VelDevRecipient {
    std::wstring name, address;
};

struct VelDevMessage : VelDevRecord {
    DWORD folder = kDevSmsInbox;
    std::wstring text;
    std::wstring senderName, senderAddress;
    std::vector<VelDevRecipient> recipients;
    bool hasDeliveryTime = false;
    FILETIME deliveryTime = {0, 0};  // UTC
    bool hasFlags = false;
    DWORD flags = 0;  // message flags; bit 0 (1) = read
    bool IsRead() const { return hasFlags && (flags & 1) != 0; }
};

bool operator==(const VelDevContact& left, const VelDevContact& right);
bool operator==(const VelDevCall& left, const VelDevCall& right);
bool operator==(const VelDevMessage& left, const VelDevMessage& right);

// Everything the store holds, as a plain value: what a reader gets and what a
// transaction changes.
struct VelDevStoreData {
    std::map<DWORD, VelDevContact> contacts;
    std::map<DWORD, VelDevCall> calls;
    std::map<DWORD, VelDevMessage> messages;
    DWORD nextContactId = 1, nextCallId = 1, nextMessageId = 1;

    // Give the record a new id, insert it and return the id.
    DWORD AddContact(VelDevContact contact);
    DWORD AddCall(VelDevCall call);
    DWORD AddMessage(VelDevMessage message);

    // The call log newest first (latest start first, then the higher id):
    // index 0 is the most recent call.
    std::vector<VelDevCall> CallsNewestFirst() const;
};

enum VelDevChangeType { kDevCreated, kDevChanged, kDevDeleted };

// One difference between what a listener saw last and what the store holds now.
template <class R>
struct VelDevChange {
    VelDevChangeType type;
    DWORD id;
    bool ownProcess;                    // made by this process (any module of it)
    boost::shared_ptr<const R> before;  // null when created
    boost::shared_ptr<const R> after;   // null when deleted
};

typedef boost::shared_ptr<const VelDevCall> VelDevCallRef;

struct VelDevStoreChanges {
    std::vector<VelDevChange<VelDevContact>> contacts;
    std::vector<VelDevChange<VelDevCall>> calls;
    std::vector<VelDevChange<VelDevMessage>> messages;
    bool Empty() const { return contacts.empty() && calls.empty() && messages.empty(); }
};

// Kinds of record, as bits: what a listener asks to hear of.
enum VelDevKinds : unsigned { kDevContacts = 1, kDevCalls = 2, kDevMessages = 4, kDevAllKinds = 7 };

// Called on the store's watcher thread (or on the thread calling Refresh),
// never with the store's lock held: a listener may read and write the store.
typedef boost::function<void(const VelDevStoreChanges&)> VelDevStoreListener;

class VelDevStoreImpl;

class VelDevStore {
public:
    // The store of the configured folder, shared by every user in this module
    // while any holds it. The folder is read again on every call, so a test
    // that points VEL_DEVICE_STORE elsewhere gets the store of the new folder.
    static boost::shared_ptr<VelDevStore> Open();
    static boost::shared_ptr<VelDevStore> OpenAt(const std::wstring& folder);

    // VEL_DEVICE_STORE when set, else DefaultFolder().
    static std::wstring ConfiguredFolder();
    // A folder in the user's profile of the Wine prefix.
    static std::wstring DefaultFolder();

    ~VelDevStore();

    const std::wstring& Folder() const;
    // True when the folder does not exist or the fault "store.missing" is on.
    // A missing store reads as empty and the stand-ins refuse to work on it;
    // a write makes the folder (that is how kldevice.exe seeds a new store)
    // unless the fault is on.
    bool IsMissing() const;

    // A consistent copy of what the store holds, reloaded first when another
    // process wrote. An unreadable store reads as empty.
    VelDevStoreData Snapshot();
    std::vector<VelDevContact> Contacts();
    std::vector<VelDevCall> CallsNewestFirst();
    std::vector<VelDevMessage> Messages();
    // The call log newest first, shared with the store: a stable view that
    // later changes leave alone.
    std::vector<VelDevCallRef> CallLog();
    // The contacts, shared with the store as CallLog shares the calls.
    std::vector<boost::shared_ptr<const VelDevContact>> ContactList();
    // By id, from what is held; a change made through the store by any
    // process is seen at once.
    bool FindContact(DWORD id, VelDevContact* out);
    bool FindCall(DWORD id, VelDevCall* out);
    bool FindMessage(DWORD id, VelDevMessage* out);

    // One read-modify-write of the whole store under its mutex (it copies
    // every record: for seeding and clearing, not for one change): the
    // latest data is loaded, handed to change, and when change returns true every record
    // that differs afterwards gets a new revision and this process as writer
    // and is saved. False when change declined or the store cannot be written.
    bool Transact(const boost::function<bool(VelDevStoreData&)>& change);

    // One record each, rewriting the one file that holds it. Add* return the
    // new id, 0 when it was not saved (a full or read-only store); the
    // record passed in keeps its fields, its id is ignored. Update* write the
    // whole record; Change* hand the stored record to change in the same
    // transaction, so that a read-modify-write of some fields cannot write
    // back what another process changed in between. False when the record is
    // gone or change declined.
    DWORD AddContact(const VelDevContact& contact);
    bool UpdateContact(const VelDevContact& c);  // by id; false when gone
    bool ChangeContact(DWORD id, const boost::function<bool(VelDevContact&)>& change);
    bool DeleteContact(DWORD id);  // also removes its picture
    DWORD AddCall(const VelDevCall& call);
    bool UpdateCall(const VelDevCall& call);
    bool ChangeCall(DWORD id, const boost::function<bool(VelDevCall&)>& change);
    bool DeleteCall(DWORD id);
    DWORD AddMessage(const VelDevMessage& message);
    bool UpdateMessage(const VelDevMessage& message);
    bool ChangeMessage(DWORD id, const boost::function<bool(VelDevMessage&)>& change);
    bool DeleteMessage(DWORD id);

    // Pictures: the image file is written beside the data and named in the
    // contact's record (its revision changes with it). extension without dot,
    // letters and digits only. A picture is at most 4 MiB; a larger file, a
    // name that is not a plain file name or a device's name reads as none.
    bool SetContactPicture(DWORD id, const std::string& bytes, const std::wstring& extension);
    bool ReadContactPicture(DWORD id, std::string* bytes);
    std::wstring PicturePath(const VelDevContact& c) const;  // empty when none

    // Append-only logs in the store folder (one line each, UTF-8; CR and LF
    // in a line are escaped), and their lines in order.
    bool AppendLog(const std::wstring& fileName, const std::wstring& line);
    std::vector<std::wstring> ReadLog(const std::wstring& fileName);

    // Listeners learn of every change of the kinds they ask for, whichever
    // process made it, within about a quarter of a second; changes of a kind
    // another listener asked for may come along. Only the kinds asked for
    // are read to begin with. RemoveListener waits for a delivery in progress
    // on another thread to end.
    DWORD AddListener(const VelDevStoreListener& listener, unsigned kinds = kDevAllKinds);
    void RemoveListener(DWORD cookie);
    // Reloads and delivers what is pending now, on the calling thread.
    void Refresh();

private:
    explicit VelDevStore(const std::wstring& folder);
    VelDevStore(const VelDevStore&);
    VelDevStore& operator=(const VelDevStore&);
    VelDevStoreImpl* m_impl;
};

// Fault switches for tests, from VEL_DEVICE_FAULTS and the [faults] section
// of <store>\settings.ini (the environment wins). Names in use:
//   store.missing, store.write (every save fails, as on a full disk), phone.open, phone.makecall,
//   phone.entry (a call's oid), db.mount, db.open, poom.create, poom.logon, poom.item (a contact's oid), mapi.init,
//   mapi.logon, mapi.message (a message's id), messages.delay (milliseconds the first listing of
//   the messages takes, in each process)
// VelDevFault: whether the switch is on (present and not "0").
// VelDevFaultValue: its value as a number (decimal or 0x hex), else fallback.
bool VelDevFault(const wchar_t* name);
DWORD VelDevFaultValue(const wchar_t* name, DWORD fallback);

// HKCU "System\State\Phone" "Missed Call Count" (REG_DWORD); the key is made
// when missing. Get answers 0 when the value cannot be read.
bool VelDevSetMissedCallCount(DWORD count);
// One more missed call, counted once however many processes add at once.
bool VelDevAddMissedCall();
DWORD VelDevGetMissedCallCount();

// Debug lines of the store and the stand-ins go to OutputDebugStringW, to the
// file named by VEL_DEBUG_LOG (UTF-8, appended; any process, any module) and,
// when set, to this module's hook (tests read them there).
typedef boost::function<void(const std::wstring&)> VelDevDebugHook;
void VelDevSetDebugHook(const VelDevDebugHook& hook);
void VelDevDebugPrint(const wchar_t* format, ...);
// The same with the arguments in a va_list (format with MS semantics: %s is wide).
void VelDevDebugPrintV(const wchar_t* format, va_list args);

// Text helpers shared by the stand-ins and tools.
std::string VelDevToUtf8(const std::wstring& text);
std::wstring VelDevFromUtf8(const std::string& text);
// Deletes the folder with everything below it (a store keeps pictures in a
// subfolder); one that is not there is nothing to do.
void VelDevRemoveTree(const std::wstring& folder);
// "YYYY-MM-DD hh:mm:ss[.fffffff]Z" and back; false on a malformed text.
std::wstring VelDevFormatTime(const FILETIME& utc);
bool VelDevParseTime(const std::wstring& text, FILETIME* utc);
FILETIME VelDevNow();
// The whole file; false when it cannot be opened or read, is not a disk file
// or is longer than maxBytes.
bool VelDevReadFile(const std::wstring& path, std::string* bytes, size_t maxBytes = static_cast<size_t>(-1));
// A name that opens a file of the folder it is joined to: no path, no "." or
// "..", no device name (CON, AUX, COM1 ... with or without an extension), no
// control character, no trailing dot or blank, at most 128 characters.
bool VelDevPlainFileName(const std::wstring& name);

#pragma once
// The contacts of the device store as the COM objects need them, and the
// stream of changes that becomes the change messages.
#include <windows.h>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

struct VelDevContact;

struct PimContactRecord {
    LONG oid = 0;  // 0 until first saved
    std::wstring fileAs, firstName, lastName, company;
    std::wstring mobile, business, home;
    std::wstring categories;  // ", "-separated
};

enum class PimChangeKind { Created, Deleted, Changed };

namespace pimbackend {

// The store's own contacts, shared rather than copied, ordered by file-as
// name (case-insensitive), then oid.
typedef boost::shared_ptr<const VelDevContact> StoredContact;
bool ListContacts(std::vector<StoredContact>& out);
PimContactRecord RecordOf(const VelDevContact& contact);
LONG OidOf(const VelDevContact& contact);
bool FindContact(LONG oid, PimContactRecord& out);
// Creates the contact when its oid is 0 and gives it its new oid. Otherwise
// writes only the fields in which record differs from base (the record as it
// was fetched or last saved), so that what another process changed since is
// kept.
HRESULT SaveContact(PimContactRecord& record, const PimContactRecord& base);
// The picture's bytes, read once (at most the store's limit).
bool ReadPicture(LONG oid, std::string& bytes);

// Bumped on every change the store reports, so snapshots know when to reread.
LONG Generation();

// Called for every contact change while the store is watched, on a thread of
// the backend's own; `local` when this process made it.
using ChangeSink = void (*)(PimChangeKind kind, LONG oid, bool local);
void SetChangeSink(ChangeSink sink);

// Held by each object that must hear of changes (an application for its
// messages, a collection for its snapshot): the store is watched while any
// is held, and its watcher thread ends with the last.
class Watching {
public:
    Watching();
    ~Watching();
    Watching(const Watching&) = delete;
    Watching& operator=(const Watching&) = delete;
};

// Appends one line to the store's record of editor and card calls.
bool AppendRecording(const std::wstring& line);

}  // namespace pimbackend

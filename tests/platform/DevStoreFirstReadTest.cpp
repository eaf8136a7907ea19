// A listener's kind is read when the listener comes and parsed only when the
// kind is first used: what changed in between must still be heard of, and a
// kind nobody asked for is not read at all.
#include "PlatformTestSupport.h"

#include <boost/shared_ptr.hpp>

#include <functional>

namespace {

typedef TempStoreTest DevStoreFirstReadTest;

VelDevContact Named(const wchar_t* name)
{
    VelDevContact contact;
    contact.fileAs = name;
    contact.mobile = L"+44 1";
    return contact;
}

// The text of one record's section: from its header to the next one.
std::string WithoutSection(std::string text, const std::string& header)
{
    size_t at = text.find(header);
    if (at == std::string::npos)
        return text;
    size_t next = text.find("\n[", at + header.size());
    text.erase(at, next == std::string::npos ? std::string::npos : next + 1 - at);
    return text;
}

struct HandEdit {
    const char* what;
    std::function<std::string(const std::string&)> edit;
    VelDevChangeType type;
    DWORD id;
    const wchar_t* fileAsAfter;  // null when the record is gone
};

class DevStoreHandEditTest : public TempStoreTest, public ::testing::WithParamInterface<HandEdit> {};

TEST_P(DevStoreHandEditTest, AnEditBetweenTheListenersComingAndTheFirstReadIsHeardOf)
{
    const HandEdit& edit = GetParam();
    {
        boost::shared_ptr<VelDevStore> seeding = VelDevStore::Open();
        ASSERT_EQ(1u, seeding->AddContact(Named(L"Alma")));
        ASSERT_EQ(2u, seeding->AddContact(Named(L"Bert")));
    }
    // A store of its own that has read nothing yet.
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    std::vector<VelDevChange<VelDevContact>> seen;
    DWORD cookie = store->AddListener(
        [&](const VelDevStoreChanges& changes) {
            seen.insert(seen.end(), changes.contacts.begin(), changes.contacts.end());
        },
        kDevContacts);
    WriteBytes(L"contacts.ini", edit.edit(ReadBytes(L"contacts.ini")));
    store->Refresh();
    store->RemoveListener(cookie);

    ASSERT_EQ(1u, seen.size()) << edit.what;
    EXPECT_EQ(edit.type, seen[0].type) << edit.what;
    EXPECT_EQ(edit.id, seen[0].id) << edit.what;
    VelDevContact now;
    if (edit.fileAsAfter) {
        ASSERT_TRUE(seen[0].after) << edit.what;
        EXPECT_EQ(edit.fileAsAfter, seen[0].after->fileAs) << edit.what;
        ASSERT_TRUE(store->FindContact(edit.id, &now)) << edit.what;
        EXPECT_EQ(edit.fileAsAfter, now.fileAs) << edit.what;
    } else {
        EXPECT_FALSE(seen[0].after) << edit.what;
        EXPECT_FALSE(store->FindContact(edit.id, &now)) << edit.what;
    }
    if (edit.type != kDevCreated) {
        ASSERT_TRUE(seen[0].before) << edit.what;
        EXPECT_EQ(edit.id == 1 ? L"Alma" : L"Bert", seen[0].before->fileAs) << edit.what;
    }
    EXPECT_EQ(edit.type == kDevCreated   ? 3u
              : edit.type == kDevDeleted ? 1u
                                         : 2u,
              store->Contacts().size())
        << edit.what;
}

INSTANTIATE_TEST_SUITE_P(
    Edits, DevStoreHandEditTest,
    ::testing::Values(HandEdit{"changed",
                               [](const std::string& text) {
                                   std::string changed = text;
                                   changed.replace(changed.find("fileAs = Alma"), 13, "fileAs = Almaz");
                                   return changed;
                               },
                               kDevChanged, 1, L"Almaz"},
                      HandEdit{"deleted", [](const std::string& text) { return WithoutSection(text, "[2]"); },
                               kDevDeleted, 2, nullptr},
                      HandEdit{"created",
                               [](const std::string& text) { return text + "[3]\nfileAs = Cleo\nrevision = 1\n"; },
                               kDevCreated, 3, L"Cleo"}),
    [](const ::testing::TestParamInfo<HandEdit>& info) { return std::string(info.param.what); });

// A change saved by the store itself in the same window is heard of as its own.
TEST_F(DevStoreFirstReadTest, AChangeSavedBeforeTheFirstReadIsHeardOfAsOwn)
{
    {
        boost::shared_ptr<VelDevStore> seeding = VelDevStore::Open();
        seeding->AddCall(MakeCall(kDevCallIncoming, L"555", L"Old", 10));
    }
    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    std::vector<VelDevChange<VelDevCall>> seen;
    DWORD cookie = store->AddListener(
        [&](const VelDevStoreChanges& changes) { seen.insert(seen.end(), changes.calls.begin(), changes.calls.end()); },
        kDevCalls);
    const DWORD added = store->AddCall(MakeCall(kDevCallMissed, L"777", 0, 1));
    store->Refresh();
    store->RemoveListener(cookie);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(kDevCreated, seen[0].type);
    EXPECT_EQ(added, seen[0].id);
    EXPECT_TRUE(seen[0].ownProcess);
    EXPECT_EQ(2u, store->CallsNewestFirst().size());
}

// A listener of calls leaves a damaged contacts file alone; the first read of
// the contacts then finds it as it always did: the good record kept, the bad
// one skipped with its reason.
TEST_F(DevStoreFirstReadTest, AKindNobodyListensToIsReadOnlyWhenAskedFor)
{
    {
        boost::shared_ptr<VelDevStore> seeding = VelDevStore::Open();
        seeding->AddContact(Named(L"Good"));
        seeding->AddContact(Named(L"Damaged"));
        seeding->AddCall(MakeCall(kDevCallIncoming, L"555", 0, 3));
    }
    std::string text = ReadBytes(L"contacts.ini");
    text.insert(text.find("fileAs = Damaged"), "no equals sign here\n");
    WriteBytes(L"contacts.ini", text);

    boost::shared_ptr<VelDevStore> store = VelDevStore::Open();
    volatile LONG heard = 0;
    DWORD cookie = store->AddListener(
        [&](const VelDevStoreChanges& changes) { InterlockedExchangeAdd(&heard, LONG(changes.calls.size())); },
        kDevCalls);
    store->Refresh();
    EXPECT_FALSE(DebugSays(L"skipped")) << "the contacts were read for a listener of calls";
    EXPECT_EQ(1u, store->CallsNewestFirst().size());

    std::vector<VelDevContact> contacts = store->Contacts();
    ASSERT_EQ(1u, contacts.size());
    EXPECT_EQ(L"Good", contacts[0].fileAs);
    EXPECT_TRUE(DebugSays(L"record [2] skipped: malformed line"));
    store->RemoveListener(cookie);
    EXPECT_EQ(0, heard);
}

}  // namespace

// Installing and removing through the package installer stand-in, which calls
// the setup library's entry points; the results are read from the registry.
#include "InstallerTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const std::wstring kInstallDir = L"C:\\Program Files\\Velmora KL";
const std::wstring kOurs = L"\"C:\\Program Files\\Velmora KL\\KithLedger.exe\"";
const std::wstring kOursInCapitals = L"\"C:\\PROGRAM FILES\\VELMORA KL\\KITHLEDGER.EXE\"";
const std::wstring kOursElsewhere = L"\"\\Storage Card\\Velmora KL\\KithLedger.exe\"";
const std::wstring kBuiltIn = L"\\Windows\\contacts.exe -list";
const std::wstring kChosenLater = L"\\Program Files\\Other Book\\book.exe";
// "OldContactApp" as a value of no type, read as KeyState reads it: there was no command.
const std::wstring kNothingSaved = L"<type 0>";
const std::wstring kLongCommand = L"\\Windows\\contacts.exe " + std::wstring(1500, L'a');

InstallerRun Install(const wchar_t* answer)
{
    return RunInstaller(L"install \"" + kInstallDir + L"\" --answer " + answer);
}

// Removal asks nothing; a box that came anyway is answered, and seen.
InstallerRun Remove() { return RunInstaller(L"remove \"" + kInstallDir + L"\" --answer yes"); }

class ContactsAppTest : public ::testing::Test {
protected:
    ContactsAppKeyGuard m_key;
};

struct InstallCase {
    const char* name;
    KeyState before;
    const wchar_t* answer;
    bool asked;
    KeyState after;
};

const InstallCase kInstallCases[] = {
    {"NoProgramYetYes", {{}, {}, {}}, L"yes", true, {kOurs, kNothingSaved, {}}},
    {"PreviousProgramYes", {kBuiltIn, {}, {}}, L"yes", true, {kOurs, kBuiltIn, {}}},
    {"PreviousProgramNo", {kBuiltIn, {}, {}}, L"no", true, {kBuiltIn, {}, {}}},
    {"HandedBackTakesItUnasked", {kBuiltIn, {}, 1u}, L"no", false, {kOurs, kBuiltIn, {}}},
    {"HandedBackZeroIsConsumedAndAsksYes", {kBuiltIn, {}, 0u}, L"yes", true, {kOurs, kBuiltIn, {}}},
    {"HandedBackZeroIsConsumedAndAsksNo", {kBuiltIn, {}, 0u}, L"no", true, {kBuiltIn, {}, {}}},
    // The flag is looked at only beside a command.
    {"HandedBackWithoutCommandAsks", {{}, {}, 1u}, L"no", true, {{}, {}, 1u}},
    // Installed again over itself: the program from before stays the one to restore.
    {"OverItselfKeepsThePreviousProgram", {kOursElsewhere, kBuiltIn, {}}, L"yes", true, {kOurs, kBuiltIn, {}}},
    // Our own command spelt otherwise is ours already: it stays as it was found.
    {"OverItselfInCapitalsLeavesTheCommand",
     {kOursInCapitals, kBuiltIn, {}},
     L"yes",
     true,
     {kOursInCapitals, kBuiltIn, {}}},
    {"OverItselfInCapitalsWithNothingSaved", {kOursInCapitals, {}, {}}, L"yes", true, {kOursInCapitals, {}, {}}},
    {"LongCommandIsSavedWhole", {kLongCommand, {}, {}}, L"yes", true, {kOurs, kLongCommand, {}}},
};

void PrintTo(const InstallCase& c, std::ostream* out) { *out << c.name; }

class InstallTest : public ContactsAppTest, public ::testing::WithParamInterface<InstallCase> {};

TEST_P(InstallTest, AsksAndTakesTheDefaultAsTheKeySays)
{
    const InstallCase& c = GetParam();
    WriteKeyState(c.before);
    InstallerRun run = Install(c.answer);
    EXPECT_EQ(0, run.exitCode) << run.output;
    EXPECT_EQ(c.asked, run.Asked()) << run.output;
    EXPECT_EQ(c.after, ReadKeyState());
}

INSTANTIATE_TEST_SUITE_P(Cases, InstallTest, ::testing::ValuesIn(kInstallCases),
                         [](const ::testing::TestParamInfo<InstallCase>& info) { return info.param.name; });

struct RemoveCase {
    const char* name;
    KeyState before;
    KeyState after;
};

const RemoveCase kRemoveCases[] = {
    {"RestoresThePreviousProgram", {kOurs, kBuiltIn, {}}, {kBuiltIn, {}, 1u}},
    {"AProgramChosenLaterStays", {kChosenLater, kBuiltIn, {}}, {kChosenLater, {}, {}}},
    {"NothingSavedChangesNothing", {kOurs, {}, {}}, {kOurs, {}, {}}},
    {"AnEmptyCommandIsRestoredEmpty", {kOurs, L"", {}}, {L"", {}, 1u}},
    {"NoCommandOnlyDropsTheSaved", {{}, kBuiltIn, {}}, {{}, {}, {}}},
    {"LongCommandIsRestoredWhole", {kOurs, kLongCommand, {}}, {kLongCommand, {}, 1u}},
};

void PrintTo(const RemoveCase& c, std::ostream* out) { *out << c.name; }

class RemoveTest : public ContactsAppTest, public ::testing::WithParamInterface<RemoveCase> {};

TEST_P(RemoveTest, HandsTheDefaultBackOnlyFromThisProgram)
{
    const RemoveCase& c = GetParam();
    WriteKeyState(c.before);
    InstallerRun run = Remove();
    EXPECT_EQ(0, run.exitCode) << run.output;
    EXPECT_FALSE(run.Asked()) << run.output;
    EXPECT_EQ(c.after, ReadKeyState());
}

INSTANTIATE_TEST_SUITE_P(Cases, RemoveTest, ::testing::ValuesIn(kRemoveCases),
                         [](const ::testing::TestParamInfo<RemoveCase>& info) { return info.param.name; });

TEST_F(ContactsAppTest, TheInstallerCallsInitThenExitAndTheQuestionReadsAsWritten)
{
    WriteKeyState({kBuiltIn, {}, {}});
    InstallerRun run = Install(L"no");
    EXPECT_EQ(0, run.exitCode);
    size_t init = run.output.find(L"Install_Init -> 0\n");
    size_t question = run.output.find(
        L"question \"Default Kith Ledger\": Do you want Velmora KL to be your default Kith Ledger? -> no\n");
    size_t exit = run.output.find(L"Install_Exit -> 0\n");
    ASSERT_NE(std::wstring::npos, init) << run.output;
    ASSERT_NE(std::wstring::npos, question) << run.output;
    ASSERT_NE(std::wstring::npos, exit) << run.output;
    EXPECT_LT(init, question);
    EXPECT_LT(question, exit);

    run = Remove();
    EXPECT_LT(run.output.find(L"Uninstall_Init -> 0\n"), run.output.find(L"Uninstall_Exit -> 0\n")) << run.output;
}

TEST_F(ContactsAppTest, ARemovalHandsTheDefaultBackAndTheNextInstallTakesItWithoutAsking)
{
    WriteKeyState({kBuiltIn, {}, {}});
    InstallerRun run = Install(L"yes");
    EXPECT_TRUE(run.Asked()) << run.output;
    EXPECT_EQ((KeyState{kOurs, kBuiltIn, {}}), ReadKeyState());

    Remove();
    EXPECT_EQ((KeyState{kBuiltIn, {}, 1u}), ReadKeyState());

    run = Install(L"no");
    EXPECT_FALSE(run.Asked()) << run.output;
    EXPECT_EQ((KeyState{kOurs, kBuiltIn, {}}), ReadKeyState());

    Remove();
    EXPECT_EQ((KeyState{kBuiltIn, {}, 1u}), ReadKeyState());
}

TEST_F(ContactsAppTest, WithoutTheKeyNothingIsAskedOrWritten)
{
    DeleteContactsAppKey();
    ASSERT_FALSE(ContactsAppKeyExists());
    InstallerRun install = Install(L"yes");
    EXPECT_EQ(0, install.exitCode) << install.output;
    EXPECT_FALSE(install.Asked()) << install.output;
    InstallerRun remove = Remove();
    EXPECT_EQ(0, remove.exitCode) << remove.output;
    EXPECT_FALSE(ContactsAppKeyExists());
}

TEST_F(ContactsAppTest, ACommandStoredWithoutTerminatorIsSavedAndRestoredWhole)
{
    WriteKeyState({});
    WriteUnterminatedString(L"1", kBuiltIn);
    const KeyValues before = ReadWholeKey();
    Install(L"yes");
    KeyValues installed = ReadWholeKey();
    EXPECT_EQ(installed[L"OldContactApp"], before.at(L"1"));
    Remove();
    KeyValues after = ReadWholeKey();
    EXPECT_EQ(after[L"1"], before.at(L"1"));
    EXPECT_EQ(after.count(L"OldContactApp"), 0u);
}

StoredValue Sz(const std::wstring& text) { return StringValue(REG_SZ, text + L'\0'); }

const wchar_t kWithEmbeddedNul[] = L"\\Windows\\contacts.exe\0-list";
const BYTE kBinaryCommand[] = {1, 2, 3, 0, 255};

// Each way "1" may stand before the program is installed, beside a value of
// another program's that nobody touches.
struct StartCase {
    const char* name;
    KeyValues values;
};

KeyValues Beside(const std::optional<StoredValue>& command)
{
    KeyValues values = {{L"Other", Sz(L"kept")}};
    if (command)
        values[L"1"] = *command;
    return values;
}

const StartCase kStartCases[] = {
    {"Present", Beside(Sz(kBuiltIn))},
    {"Absent", Beside(std::nullopt)},
    {"Empty", Beside(Sz(L""))},
    {"EmptyWithoutTerminator", Beside(StoredValue{REG_SZ, {}})},
    {"ThreeThousandCharacters", Beside(Sz(L"\\Windows\\contacts.exe " + std::wstring(3000 - 22, L'x')))},
    {"Expandable", Beside(StringValue(REG_EXPAND_SZ, std::wstring(L"%WINDIR%\\contacts.exe") + L'\0'))},
    {"MultiString", Beside(StringValue(REG_MULTI_SZ, std::wstring(L"\\Windows\\contacts.exe\0-list\0\0", 29)))},
    {"Dword", Beside(DwordValue(7))},
    {"Binary",
     Beside(StoredValue{REG_BINARY, std::vector<BYTE>(kBinaryCommand, kBinaryCommand + sizeof kBinaryCommand)})},
    {"StringWithEmbeddedNul",
     Beside(StringValue(REG_SZ, std::wstring(kWithEmbeddedNul, sizeof kWithEmbeddedNul / sizeof(wchar_t))))},
};

void PrintTo(const StartCase& c, std::ostream* out) { *out << c.name; }

class CycleTest : public ContactsAppTest, public ::testing::WithParamInterface<StartCase> {
protected:
    void InstallYes()
    {
        InstallerRun run = Install(L"yes");
        EXPECT_EQ(0, run.exitCode) << run.output;
        EXPECT_EQ(ReadWholeKey()[L"1"], Sz(kOurs)) << "the program took the default";
    }
    void RemoveIt()
    {
        InstallerRun run = Remove();
        EXPECT_EQ(0, run.exitCode) << run.output;
    }
};

TEST_P(CycleTest, InstallAndRemoveLeaveTheKeyAsItBeganButForTheHandedBackFlag)
{
    const KeyValues before = GetParam().values;
    KeyValues handedBack = before;
    handedBack[L"VelmoraKLSet"] = DwordValue(1);
    const struct {
        const char* name;
        std::function<void()> steps;
    } cycles[] = {
        {"install, remove",
         [&] {
             InstallYes();
             RemoveIt();
         }},
        {"install, install again, remove",
         [&] {
             InstallYes();
             InstallYes();
             RemoveIt();
         }},
        {"two rounds",
         [&] {
             InstallYes();
             RemoveIt();
             InstallYes();
             RemoveIt();
         }},
        {"the command retyped in capitals meanwhile",
         [&] {
             InstallYes();
             KeyValues retyped = ReadWholeKey();
             retyped[L"1"] = Sz(kOursInCapitals);
             WriteWholeKey(retyped);
             RemoveIt();
         }},
    };
    for (const auto& cycle : cycles) {
        SCOPED_TRACE(cycle.name);
        WriteWholeKey(before);
        cycle.steps();
        EXPECT_EQ(ReadWholeKey(), handedBack);
    }

    SCOPED_TRACE("answered no");
    WriteWholeKey(before);
    EXPECT_TRUE(Install(L"no").Asked());
    EXPECT_EQ(ReadWholeKey(), before);
    RemoveIt();
    EXPECT_EQ(ReadWholeKey(), before);
}

INSTANTIATE_TEST_SUITE_P(Starts, CycleTest, ::testing::ValuesIn(kStartCases),
                         [](const ::testing::TestParamInfo<StartCase>& info) { return info.param.name; });

TEST_F(ContactsAppTest, OurOwnCommandSpeltOtherwiseOutlivesAnInstallAndARemoval)
{
    const KeyState before = {kOursInCapitals, {}, {}};
    WriteKeyState(before);
    InstallerRun run = Install(L"yes");
    EXPECT_EQ(0, run.exitCode) << run.output;
    run = Remove();
    EXPECT_EQ(0, run.exitCode) << run.output;
    EXPECT_EQ(before, ReadKeyState());
}

// Saved, it could not be told from no command at all.
TEST_F(ContactsAppTest, ACommandOfNoTypeIsLeftAsItIs)
{
    const KeyValues before = Beside(StoredValue{REG_NONE, {}});
    WriteWholeKey(before);
    InstallerRun run = Install(L"yes");
    EXPECT_EQ(0, run.exitCode) << run.output;
    EXPECT_FALSE(run.Asked()) << run.output;
    EXPECT_EQ(ReadWholeKey(), before);
}

}  // namespace

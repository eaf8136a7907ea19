// What start-up and the data thread do with bad input: configuration files,
// missing libraries, damaged stores, requests from other processes.
#include "ShellTestKit.h"

#include <cstdio>
#include <fstream>

#include "VelCallListView.h"
#include "VelFiles.h"
#include "VelKlConfig.h"
#include "VelLocalizedStrings.h"
#include "VelMainWindow.h"
#include "VelSmsListView.h"
#include "VelThemeLibrary.h"

namespace {

using namespace shell_test;

// A file of the test's own in the temporary folder, removed afterwards.
class TempFile {
public:
    explicit TempFile(const std::string& bytes)
    {
        wchar_t folder[MAX_PATH];
        ::GetTempPathW(MAX_PATH, folder);
        static int counter = 0;
        m_path = std::wstring(folder) + L"vel-shell-config-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                 std::to_wstring(++counter) + L".ini";
        FILE* file = _wfopen(m_path.c_str(), L"wb");
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }
    ~TempFile() { ::DeleteFileW(m_path.c_str()); }
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
};

std::string Utf16(const std::wstring& text, bool bigEndian)
{
    std::string bytes = bigEndian ? std::string("\xFE\xFF", 2) : std::string("\xFF\xFE", 2);
    for (wchar_t c : text) {
        const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
        bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return bytes;
}

struct ConfigCase {
    const char* what;
    std::string bytes;  // empty: no file at all
    std::vector<std::wstring> tried;
};

TEST(Config, EveryBadFileEndsInEnglish)
{
    const std::wstring longName(300, L'a');
    std::string huge = "[config]\r\n";
    huge += std::string(kConfigReadLimitBytes, ';');
    huge += "\r\nlanguage=Probe\r\n";
    const ConfigCase cases[] = {
        {"no file", "", {L"English"}},
        {"the language named", "[config]\r\nlanguage=English\r\n", {L"English"}},
        {"no key", "[config]\r\nother=1\r\n", {L"English"}},
        {"binary junk", std::string("\x01\x02\xFF\xFE\x00[=]\x7F", 10), {L"English"}},
        {"a missing language", "[config]\nlanguage=Klingon\n", {L"Klingon", L"English"}},
        {"a path for a name", "[config]\nlanguage=..\\..\\x\n", {L"..\\..\\x", L"English"}},
        {"300 characters", "[config]\nlanguage=" + std::string(300, 'a') + "\n", {longName, L"English"}},
        {"UTF-16", Utf16(L"[config]\r\nlanguage=Klingon\r\n", false), {L"Klingon", L"English"}},
        {"UTF-16, big-endian", Utf16(L"[config]\r\nlanguage=Klingon\r\n", true), {L"Klingon", L"English"}},
        {"UTF-8 with its mark", "\xEF\xBB\xBF[config]\nlanguage=Klingon\n", {L"Klingon", L"English"}},
        {"the key past 64 KiB", huge, {L"English"}},
    };
    for (const ConfigCase& c : cases) {
        std::unique_ptr<TempFile> file(c.bytes.empty() ? nullptr : new TempFile(c.bytes));
        const std::wstring path = file ? file->Path() : L"Z:\\no\\such\\folder\\config.ini";
        std::vector<std::wstring> tried;
        const bool loaded = LoadConfiguredLanguage(path, [&](const std::wstring& name) {
            tried.push_back(name);
            return LoadLanguage(name);
        });
        EXPECT_TRUE(loaded) << c.what;
        EXPECT_EQ(tried, c.tried) << c.what;
        EXPECT_EQ(LoadLocalizedString(kStrToday), L"Today") << c.what;
    }
}

TEST(Config, AHugeFileIsReadOnlyAsFarAsItsFirst64KiB)
{
    std::string huge = "[config]\nlanguage=Klingon\n";
    huge += std::string(4 * kConfigReadLimitBytes, '#');
    TempFile file(huge);
    std::wstring language;
    EXPECT_EQ(ReadConfiguredLanguage(file.Path(), &language), VelConfigResult::kRead);
    EXPECT_EQ(language, L"Klingon");
}

// Section and key names are matched in any case; the value is taken as written.
TEST(Config, SectionAndKeyAreReadInAnyCase)
{
    const char* files[] = {"[CONFIG]\r\nLANGUAGE=Probe\r\n", "[Config]\nLanguage=Probe\n",
                           "[config]\nlAnGuAgE=Probe\n"};
    for (const char* bytes : files) {
        TempFile file(bytes);
        std::wstring language;
        EXPECT_EQ(ReadConfiguredLanguage(file.Path(), &language), VelConfigResult::kRead) << bytes;
        EXPECT_EQ(language, L"Probe") << bytes;
    }
}

TEST_F(ShellTest, WithoutAnyLanguageLibraryTheProgramRunsWithEmptyTexts)
{
    VelKlStartup startup;
    startup.loadLanguage = [](const std::wstring&) {
        LoadLanguage(L"no-such-language");
        return false;
    };
    AddCalls(2);
    Start(startup);
    EXPECT_FALSE(app->IsLanguageLoaded());
    EXPECT_EQ(LoadLocalizedString(kStrToday), L"");
    ASSERT_NE(app->GetMainKlWindow(), nullptr);
    DrainLoads();
    EXPECT_EQ(RowsOf(app->GetCallListView()), 2u);
    EXPECT_EQ(app->GetSmsListView()->GetCaption(), L"");
    SettleWindow(app->GetMainKlWindow()->GetHandle());
    Stop();
    LoadLanguage(L"English");
}

TEST_F(ShellTest, WithoutTheThemeLibraryTheProgramRuns)
{
    VelKlStartup startup;
    startup.themeName = L"NoSuchTheme";
    AddCalls(2);
    AddMessages(2, 1);
    Start(startup);
    ASSERT_NE(app->GetMainKlWindow(), nullptr);
    DrainLoads();
    EXPECT_EQ(RowsOf(app->GetCallListView()), 2u);
    EXPECT_EQ(RowsOf(app->GetSmsListView()), 2u);
    SettleWindow(app->GetMainKlWindow()->GetHandle());
}

enum class StoreState { kEmpty, kDamaged, kMissing };

class DeviceStoreTest : public ShellTest, public ::testing::WithParamInterface<StoreState> {};

TEST_P(DeviceStoreTest, GivesEmptyListsAndNoCrash)
{
    const std::wstring folder = device.Store().Folder();
    if (GetParam() == StoreState::kDamaged) {
        for (const wchar_t* name : {L"contacts.ini", L"calllog.ini", L"messages.ini"}) {
            std::ofstream out(std::wstring(folder + L"\\" + name).c_str(), std::ios::binary);
            out << "\xFF\xFE[\x01\x02 garbage ]]]\n=no section\n[record 1\nid=zz\n" << std::string(5000, '\x7F');
        }
    } else if (GetParam() == StoreState::kMissing) {
        ::SetEnvironmentVariableW(L"VEL_DEVICE_STORE", L"Z:\\no\\such\\vel-store");
    }
    Start();
    ASSERT_NE(app->GetMainKlWindow(), nullptr);
    DrainLoads();
    EXPECT_EQ(RowsOf(app->GetContactListView()), 0u);
    EXPECT_EQ(RowsOf(app->GetFavoritesView()), 0u);
    EXPECT_EQ(RowsOf(app->GetCallListView()), 0u);
    EXPECT_EQ(RowsOf(app->GetSmsListView()), 0u);
    EXPECT_EQ(app->GetUnreadSmsCount(), 0);
    SettleWindow(app->GetMainKlWindow()->GetHandle());
    Stop();
    ::SetEnvironmentVariableW(L"VEL_DEVICE_STORE", folder.c_str());
}

INSTANTIATE_TEST_SUITE_P(States, DeviceStoreTest,
                         ::testing::Values(StoreState::kEmpty, StoreState::kDamaged, StoreState::kMissing));

// Waits, bounded, for the list to hold that many rows.
bool WaitForRows(VelKlView* view, size_t rows)
{
    for (int i = 0; i < 500; ++i) {
        if (view->GetList()->GetItems().size() == rows)
            return true;
        ::Sleep(10);
    }
    return false;
}

TEST_F(ShellTest, ADataRequestPostedByAnotherWithAMadeUpPointerIsIgnored)
{
    AddCalls(1);
    Start();
    DrainLoads();
    VelCallListView* calls = app->GetCallListView();
    ASSERT_EQ(RowsOf(calls), 1u);

    // A record that looks right but that the application did not make, and
    // a pointer to nothing: neither is read nor freed.
    std::unique_ptr<VelDataRequest> forged(
        new VelDataRequest{VelListLoader::kCallLogRequest, calls, VelKlApplication::kCallRecordCreated, 1});
    ASSERT_TRUE(::PostThreadMessageW(app->GetDataThreadId(), VelKlApplication::kDataRequestMessage, 0,
                                     reinterpret_cast<LPARAM>(forged.get())));
    ASSERT_TRUE(::PostThreadMessageW(app->GetDataThreadId(), VelKlApplication::kDataRequestMessage, 0,
                                     static_cast<LPARAM>(0x5EADBEEF)));
    // A real request for a changed call adds nothing, nor does one for a
    // new call when every call is listed already.
    calls->RequestRefresh(0x406, 1);
    calls->RequestRefresh(VelKlApplication::kCallRecordCreated, 1);
    ::Sleep(300);
    EXPECT_EQ(RowsOf(calls), 1u);
    // A call logged: its own notification's request lists it, once.
    AddCalls(1);
    EXPECT_TRUE(WaitForRows(calls, 2));
    ::Sleep(50);
    EXPECT_EQ(RowsOf(calls), 2u);
    EXPECT_EQ(forged->kind, uint32_t(VelListLoader::kCallLogRequest));
    Stop();
}

TEST_F(ShellTest, RequestsLeftUnhandledAtTheEndAreFreedNotLost)
{
    Start();
    DrainLoads();
    VelCallListView* calls = app->GetCallListView();
    for (int i = 0; i < 50; ++i)
        calls->RequestRefresh(0x403, uint32_t(i));
    Stop();  // must neither crash nor hang with requests behind the quit
    SUCCEED();
}

// The messaging program stands beside this one, wherever the process was
// started from.
TEST_F(ShellTest, StartProgramFindsTheProgramBesideThisOneFromAnotherFolder)
{
    wchar_t old[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, old);
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    ASSERT_TRUE(::SetCurrentDirectoryW(temp));
    std::wstring line = L"-service \"SMS\" -to \"<+1555>\"";
    const bool started = StartProgram(L"tmail.exe", &line[0]);
    ::SetCurrentDirectoryW(old);
    ASSERT_TRUE(started);
    const std::vector<std::wstring> log = device.WaitForLog(L"outbox.log", 1);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find(L"<+1555>"), std::wstring::npos);
}

}  // namespace

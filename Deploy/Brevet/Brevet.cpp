// The setup library's custom actions: after installation it offers to make
// the program the phone's default contacts application, and at removal it
// hands the default back to the program that had it. Every entry point
// returns 0 whatever happens, so the package's installation never stops here.
#include "SetupLibrary.h"

#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t kContactsAppKey[] = L"Software\\Microsoft\\Shell\\Rai\\:MSCONTACTS";
const wchar_t kCommandValue[] = L"1";
const wchar_t kPreviousCommandValue[] = L"OldContactApp";
// 1 after a removal handed the default back: the next installation takes it
// again without asking.
const wchar_t kHandedBackValue[] = L"VelmoraKLSet";
const DWORD kHandedBack = 1;

const wchar_t kProgramFile[] = L"KithLedger.exe";
const wchar_t kQuestion[] = L"Do you want Velmora KL to be your default Kith Ledger?";
const wchar_t kQuestionCaption[] = L"Default Kith Ledger";

const size_t kFirstReadBytes = 2048;
const int kReadAttempts = 4;

// A registry value as stored, so that a command of any type, an expandable
// string or one with embedded terminators, is given back as it was.
struct StoredValue {
    DWORD type;
    std::vector<BYTE> bytes;
};
// What "OldContactApp" holds when there was no command to save: removal then
// deletes the command instead of leaving the phone an empty one.
const DWORD kNoCommandType = REG_NONE;

// The shell's registration of the contacts program. Never created here: a
// phone without it has no default to take over. Opened for reading too,
// since the desktop refuses to read through a key opened for writing only.
class ContactsAppKey {
public:
    ContactsAppKey() : m_key(0)
    {
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kContactsAppKey, 0, KEY_READ | KEY_WRITE, &m_key) != ERROR_SUCCESS) {
            m_key = 0;
        }
    }
    ~ContactsAppKey()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    bool IsOpen() const { return m_key != 0; }

    // A value whole, however long, with its type; false when it is missing.
    bool Read(const wchar_t* name, StoredValue* value) const
    {
        std::vector<BYTE> buf(kFirstReadBytes);
        for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
            DWORD type = 0;
            DWORD bytes = static_cast<DWORD>(buf.size());
            LONG r = RegQueryValueExW(m_key, name, 0, &type, &buf[0], &bytes);
            if (r == ERROR_MORE_DATA) {
                buf.resize(bytes);
                continue;
            }
            if (r != ERROR_SUCCESS)
                return false;
            buf.resize(bytes);
            value->type = type;
            value->bytes.swap(buf);
            return true;
        }
        return false;
    }
    bool ReadDword(const wchar_t* name, DWORD* value) const
    {
        *value = 0;
        DWORD bytes = sizeof(DWORD);
        return RegQueryValueExW(m_key, name, 0, 0, reinterpret_cast<BYTE*>(value), &bytes) == ERROR_SUCCESS;
    }
    // Failed writes change nothing that could be mended here.
    void Write(const wchar_t* name, const StoredValue& value)
    {
        RegSetValueExW(m_key, name, 0, value.type, value.bytes.empty() ? 0 : &value.bytes[0],
                       static_cast<DWORD>(value.bytes.size()));
    }
    void WriteString(const wchar_t* name, const std::wstring& value)
    {
        RegSetValueExW(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    void WriteDword(const wchar_t* name, DWORD value)
    {
        RegSetValueExW(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
    void Delete(const wchar_t* name) { RegDeleteValueW(m_key, name); }

private:
    ContactsAppKey(const ContactsAppKey&);
    ContactsAppKey& operator=(const ContactsAppKey&);
    HKEY m_key;
};

std::wstring Upper(std::wstring text)
{
    if (!text.empty())
        CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// A string command in capitals, up to its first terminator; empty for any
// other type. Paths on the phone compare without case.
std::wstring UpperCommand(const StoredValue& command)
{
    if (command.type != REG_SZ && command.type != REG_EXPAND_SZ)
        return std::wstring();
    const wchar_t* chars = reinterpret_cast<const wchar_t*>(command.bytes.data());
    std::wstring text(chars, chars + command.bytes.size() / sizeof(wchar_t));
    text.resize(wcsnlen(text.c_str(), text.size()));
    return Upper(text);
}

bool NamesThisProgram(const StoredValue& command)
{
    return UpperCommand(command).find(Upper(kProgramFile)) != std::wstring::npos;
}

// The installer's window keeps the box in front of its user interface; the
// foreground window serves when it passes none.
bool UserWantsDefault(HWND installer)
{
    HWND owner = IsWindow(installer) ? installer : GetForegroundWindow();
    return MessageBoxW(owner, kQuestion, kQuestionCaption, MB_YESNO) == IDYES;
}

void OfferDefault(HWND installer, LPCWSTR installDir)
{
    if (!installDir)
        return;
    ContactsAppKey key;
    if (!key.IsOpen())
        return;
    StoredValue current = {kNoCommandType, std::vector<BYTE>()};
    bool haveCurrent = key.Read(kCommandValue, &current);
    // Saved, such a command could not be told from none: it is left alone.
    if (haveCurrent && current.type == kNoCommandType)
        return;
    bool ask = true;
    DWORD handedBack = 0;
    if (haveCurrent && key.ReadDword(kHandedBackValue, &handedBack)) {
        key.Delete(kHandedBackValue);
        ask = handedBack != kHandedBack;
    }
    if (ask && !UserWantsDefault(installer))
        return;
    // Installed again over itself: the saved command still names the program
    // from before, and saving our own would hand the default at removal to a
    // file that is gone.
    if (!NamesThisProgram(current))
        key.Write(kPreviousCommandValue, current);
    const std::wstring ours = L"\"" + std::wstring(installDir) + L"\\" + kProgramFile + L"\"";
    // Our own command in another spelling is left as it was found.
    if (!haveCurrent || UpperCommand(current) != Upper(ours))
        key.WriteString(kCommandValue, ours);
}

void HandDefaultBack()
{
    ContactsAppKey key;
    if (!key.IsOpen())
        return;
    StoredValue previous;
    if (!key.Read(kPreviousCommandValue, &previous))
        return;
    StoredValue current;
    // A program the user chose after installing keeps the default.
    if (key.Read(kCommandValue, &current) && NamesThisProgram(current)) {
        if (previous.type == kNoCommandType)
            key.Delete(kCommandValue);
        else
            key.Write(kCommandValue, previous);
        key.WriteDword(kHandedBackValue, kHandedBack);
    }
    key.Delete(kPreviousCommandValue);
}

}  // namespace

extern "C" {

InstallInitCode Install_Init(HWND, BOOL, BOOL, LPCWSTR) { return kInstallInitContinue; }

InstallExitCode Install_Exit(HWND parent, LPCWSTR installDir, WORD, WORD, WORD, WORD, WORD)
{
    try {
        OfferDefault(parent, installDir);
    } catch (...) {
        OutputDebugStringW(L"Brevet: Install_Exit stopped early: out of memory\n");
    }
    return kInstallExitDone;
}

UninstallInitCode Uninstall_Init(HWND, LPCWSTR) { return kUninstallInitContinue; }

UninstallExitCode Uninstall_Exit(HWND)
{
    try {
        HandDefaultBack();
    } catch (...) {
        OutputDebugStringW(L"Brevet: Uninstall_Exit stopped early: out of memory\n");
    }
    return kUninstallExitDone;
}

}  // extern "C"

#include "InstallerTestSupport.h"

#include "TestPrograms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

const wchar_t kCommand[] = L"1";
const wchar_t kPrevious[] = L"OldContactApp";
const wchar_t kHandedBack[] = L"VelmoraKLSet";

class Key {
public:
    explicit Key(bool create) : m_key(0)
    {
        LONG r = create ? RegCreateKeyExW(HKEY_LOCAL_MACHINE, kContactsAppKey, 0, 0, 0, KEY_ALL_ACCESS, 0, &m_key, 0)
                        : RegOpenKeyExW(HKEY_LOCAL_MACHINE, kContactsAppKey, 0, KEY_READ, &m_key);
        if (r != ERROR_SUCCESS)
            m_key = 0;
    }
    ~Key()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    HKEY Get() const { return m_key; }

private:
    Key(const Key&);
    Key& operator=(const Key&);
    HKEY m_key;
};

std::optional<std::wstring> ReadString(HKEY key, const wchar_t* name)
{
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key, name, 0, &type, 0, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<BYTE> data(bytes + sizeof(wchar_t));
    if (RegQueryValueExW(key, name, 0, &type, &data[0], &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    size_t chars = bytes / sizeof(wchar_t);
    std::wstring text(reinterpret_cast<const wchar_t*>(&data[0]), chars);
    if (type != REG_SZ)
        return L"<type " + std::to_wstring(type) + L">" + text;
    if (bytes % sizeof(wchar_t) != 0 || chars == 0 || text[chars - 1] != 0)
        return text + L"<unterminated>";
    text.resize(chars - 1);
    return text;
}

std::optional<DWORD> ReadDword(HKEY key, const wchar_t* name)
{
    DWORD type = 0, value = 0, bytes = sizeof value;
    if (RegQueryValueExW(key, name, 0, &type, reinterpret_cast<BYTE*>(&value), &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_DWORD || bytes != sizeof value)
        return 0xBADu;
    return value;
}

void WriteString(HKEY key, const wchar_t* name, const std::optional<std::wstring>& value)
{
    if (!value) {
        RegDeleteValueW(key, name);
        return;
    }
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                                            static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t))));
}

std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), 0, 0, 0, 0);
    std::string bytes(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], n, 0, 0);
    return bytes;
}

std::wstring FromUtf8(const std::string& bytes)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), 0, 0);
    std::wstring text(n > 0 ? n : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], n);
    return text;
}

}  // namespace

bool operator==(const KeyState& a, const KeyState& b)
{
    return a.command == b.command && a.previous == b.previous && a.handedBack == b.handedBack;
}

void PrintTo(const KeyState& state, std::ostream* out)
{
    auto text = [](const std::optional<std::wstring>& v) { return v ? "\"" + Utf8(*v) + "\"" : std::string("-"); };
    *out << "{1: " << text(state.command) << ", OldContactApp: " << text(state.previous)
         << ", VelmoraKLSet: " << (state.handedBack ? std::to_string(*state.handedBack) : std::string("-")) << "}";
}

bool ContactsAppKeyExists() { return Key(false).Get() != 0; }

void DeleteContactsAppKey() { RegDeleteKeyW(HKEY_LOCAL_MACHINE, kContactsAppKey); }

void WriteKeyState(const KeyState& state)
{
    Key key(true);
    ASSERT_TRUE(key.Get());
    WriteString(key.Get(), kCommand, state.command);
    WriteString(key.Get(), kPrevious, state.previous);
    if (state.handedBack) {
        DWORD v = *state.handedBack;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExW(key.Get(), kHandedBack, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v));
    } else {
        RegDeleteValueW(key.Get(), kHandedBack);
    }
}

KeyState ReadKeyState()
{
    KeyState state;
    Key key(false);
    if (!key.Get())
        return state;
    state.command = ReadString(key.Get(), kCommand);
    state.previous = ReadString(key.Get(), kPrevious);
    state.handedBack = ReadDword(key.Get(), kHandedBack);
    return state;
}

void WriteUnterminatedString(const wchar_t* name, const std::wstring& text)
{
    Key key(true);
    ASSERT_TRUE(key.Get());
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                                            static_cast<DWORD>(text.size() * sizeof(wchar_t))));
}

bool operator==(const StoredValue& a, const StoredValue& b) { return a.type == b.type && a.bytes == b.bytes; }

void PrintTo(const StoredValue& value, std::ostream* out)
{
    *out << "{type " << value.type << ":";
    for (BYTE b : value.bytes)
        *out << " " << int(b);
    *out << "}";
}

StoredValue StringValue(DWORD type, const std::wstring& text)
{
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text.data());
    return StoredValue{type, std::vector<BYTE>(bytes, bytes + text.size() * sizeof(wchar_t))};
}

StoredValue DwordValue(DWORD value)
{
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&value);
    return StoredValue{REG_DWORD, std::vector<BYTE>(bytes, bytes + sizeof value)};
}

void WriteWholeKey(const KeyValues& values)
{
    Key key(true);
    ASSERT_TRUE(key.Get());
    for (const auto& held : ReadWholeKey())
        RegDeleteValueW(key.Get(), held.first.c_str());
    for (const auto& v : values) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.Get(), v.first.c_str(), 0, v.second.type,
                                                v.second.bytes.empty() ? 0 : &v.second.bytes[0],
                                                static_cast<DWORD>(v.second.bytes.size())));
    }
}

KeyValues ReadWholeKey()
{
    KeyValues values;
    Key key(false);
    if (!key.Get())
        return values;
    const DWORD kLongestName = 16384;  // the registry's own limit, in characters
    std::vector<wchar_t> name(kLongestName + 1);
    for (DWORD i = 0;; ++i) {
        DWORD nameChars = kLongestName + 1, type = 0, bytes = 0;
        if (RegEnumValueW(key.Get(), i, &name[0], &nameChars, 0, &type, 0, &bytes) != ERROR_SUCCESS)
            break;
        const std::wstring valueName(&name[0], nameChars);
        StoredValue v{type, std::vector<BYTE>(bytes)};
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key.Get(), valueName.c_str(), 0, &v.type,
                                                  v.bytes.empty() ? 0 : &v.bytes[0], &bytes));
        v.bytes.resize(bytes);
        values[valueName] = v;
    }
    return values;
}

bool InstallerRun::Asked() const { return output.find(L"question \"") != std::wstring::npos; }

InstallerRun RunInstaller(const std::wstring& arguments)
{
    ProgramRun program = RunTestProgram(L"velinstall.exe", arguments);
    InstallerRun run;
    run.exitCode = program.exitCode;
    run.output = FromUtf8(program.output);
    run.output.erase(std::remove(run.output.begin(), run.output.end(), L'\r'), run.output.end());
    return run;
}

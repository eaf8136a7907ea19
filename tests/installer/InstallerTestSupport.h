#pragma once
// The contacts-application key as the tests see it, and the installer
// stand-in run as the phone's package installer.
#include "ContactsAppKeyGuard.h"

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// The setup library's three values; a missing value is empty. A string not
// stored as a terminated REG_SZ reads with a marker that no test expects.
struct KeyState {
    std::optional<std::wstring> command;   // "1"
    std::optional<std::wstring> previous;  // "OldContactApp"
    std::optional<DWORD> handedBack;       // "VelmoraKLSet"
};
bool operator==(const KeyState& a, const KeyState& b);
void PrintTo(const KeyState& state, std::ostream* out);

bool ContactsAppKeyExists();
void DeleteContactsAppKey();
// Creates the key when it is missing.
void WriteKeyState(const KeyState& state);
KeyState ReadKeyState();
// Stores the text as a REG_SZ without a terminator, as another program might have.
void WriteUnterminatedString(const wchar_t* name, const std::wstring& text);

// Every value of the key as stored, by name.
struct StoredValue {
    DWORD type;
    std::vector<BYTE> bytes;
};
bool operator==(const StoredValue& a, const StoredValue& b);
void PrintTo(const StoredValue& value, std::ostream* out);
typedef std::map<std::wstring, StoredValue> KeyValues;
StoredValue StringValue(DWORD type,
                        const std::wstring& text);  // the text's characters as they stand, no terminator added
StoredValue DwordValue(DWORD value);
// Creates the key when it is missing and leaves it holding exactly these values.
void WriteWholeKey(const KeyValues& values);
KeyValues ReadWholeKey();

struct InstallerRun {
    int exitCode = -1;    // -1: not started, or a question nobody answered
    std::wstring output;  // what it printed, lines ending in \n
    bool Asked() const;   // a message box was shown and answered
};
// Runs velinstall.exe with the arguments and waits for it.
InstallerRun RunInstaller(const std::wstring& arguments);

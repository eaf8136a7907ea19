#pragma once
// Helpers shared by the device store's own sources; not part of its interface.
#include "VelDevStore.h"

#include <StandInLock.h>

#include <SimpleIni.h>

namespace veldev {

std::wstring Escape(const std::wstring& text);
std::wstring Unescape(const std::wstring& text);
// Only CR, LF and backslash, for log lines.
std::wstring EscapeLine(const std::wstring& text);

bool ParseNumber(const std::wstring& text, DWORD* value);
std::wstring FormatNumber(DWORD value);

// Opened for reading while others may write, replace or delete it.
HANDLE OpenShared(const std::wstring& path, DWORD access);
bool ReadHandle(HANDLE handle, std::string* bytes);
// Temporary file beside the target, then a replacing move.
bool WriteFileAtomically(const std::wstring& path, const std::string& bytes);
bool MakeFolders(const std::wstring& folder);
bool FolderExists(const std::wstring& folder);
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

struct SectionValue {
    std::wstring key, value;
};

// One record's section, loaded on its own so that damage stays inside it.
struct Section {
    std::wstring name;
    // In the order the keys first appear; a key given again keeps its place
    // and takes the later value. Keys match regardless of case.
    std::vector<SectionValue> values;
    const wchar_t* Get(const wchar_t* key) const;
};

// The values of section `name` in text, read line by line as the ini
// reader that wrote them reads them back: blanks around keys and values
// dropped, lines starting with ';' or '#' and lines without '=' or with an
// empty key ignored, CR or LF ending a line. Lines under another section
// header (or before any) are not the section's.
void ParseSection(const wchar_t* text, size_t length, const std::wstring& name, Section* section);

// Reading and writing one kind of record. Read fills the record's fields
// (not its id, revision or writer) and answers false with a reason when the
// section is not a valid record; true with a reason when it read the record
// less a value it refused (a contact's picture name).
bool ReadContact(const Section& section, VelDevContact* contact, std::wstring* why);
bool ReadCall(const Section& section, VelDevCall* call, std::wstring* why);
bool ReadMessage(const Section& section, VelDevMessage* message, std::wstring* why);
void WriteContact(CSimpleIniW& ini, const wchar_t* section, const VelDevContact& contact);
void WriteCall(CSimpleIniW& ini, const wchar_t* section, const VelDevCall& call);
void WriteMessage(CSimpleIniW& ini, const wchar_t* section, const VelDevMessage& message);

}  // namespace veldev

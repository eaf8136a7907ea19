#pragma once
#include <functional>
#include <string>

// The size read of "config.ini": a language name never needs more, and a
// huge file must not cost its whole size.
const size_t kConfigReadLimitBytes = 64 * 1024;

enum class VelConfigResult { kRead, kMissing, kMalformed };

// The "language" of section "config" of the file, "English" when the key is
// missing. The file may be UTF-8 (with or without its mark) or UTF-16 with
// its byte-order mark.
VelConfigResult ReadConfiguredLanguage(const std::wstring& path, std::wstring* language);

// "config.ini" beside the program.
std::wstring GetConfigPath();

// Loads the language the file names, else "English"; true when one loaded.
// A missing or malformed file, or a name that does not load, ends in English.
bool LoadConfiguredLanguage(const std::wstring& path, const std::function<bool(const std::wstring& name)>& load);

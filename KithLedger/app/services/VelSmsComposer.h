#pragma once
#include <string>

// "name <number>", or "<number>" for an empty name. Characters that would
// split or bend the messaging program's recipient list (';', '<', '>') are
// left out of both parts.
std::wstring FormatSmsRecipient(const std::wstring& number, const std::wstring& name);

// The messaging program's command line for a recipient text (recipients
// separated by ';'), with every double quote removed. A text too long for the
// line keeps its leading whole recipients; false when not even one fits.
bool FormatSmsComposerLine(const std::wstring& recipient, std::wstring* line);

// Starts the messaging program with that line; false when there is no line or
// the program could not be started.
bool StartSmsComposer(const std::wstring& recipient);

#pragma once
#include <string>
#include <vector>

// Every user-visible text comes from the language library by these ids.
enum VelStringId : unsigned {
    kStrOutgoingCall = 101,
    kStrIncomingCall = 102,
    kStrCallNoDisplayText = 103,
    kStrContactsByName = 104,
    kStrCallTitle = 105,
    kStrNegativeDuration = 106,
    kStrDays = 107,
    kStrSeconds = 110,
    kStrMessageTitle = 111,
    kStrAllCalls = 112,
    kStrContactTitle = 113,
    kStrMessagesTitle = 114,
    kStrNoCompany = 115,
    kStrNoCategory = 116,
    kStrMessagesTab = 117,
    kStrCallsTab = 118,
    kStrContactsTab = 119,
    kStrCallMobile = 123,
    kStrSendSms = 124,
    kStrSendMms = 125,
    kStrCallWork = 126,
    kStrCallHome = 127,
    kStrFavoritesTab = 128,
    kStrNoName = 129,
    kStrUnknownCaller = 130,
    kStrContactsByCompany = 131,
    kStrContactsByCategory = 132,
    kStrIncomingCalls = 133,
    kStrOutgoingCalls = 134,
    kStrMissedCalls = 135,
    kStrNoRecipientName = 136,
    kStrFavoritesTitle = 137,
    kStrNoContactPlaceholder = 138,
    kStrYesterday = 139,
    kStrToday = 140,
    kStrOneWeekBack = 141,
    kStrTwoWeeksBack = 142,
    kStrThreeWeeksBack = 143,
    kStrEarlierWithin30Days = 144,
    kStrPreviousMonth = 145,
    kStrEarlierYear = 146,
    kStrFirstDayName = 148,       // Sunday; 7 names
    kStrFirstMonthName = 155,     // January; 12 names
    kStrFirstShortMonthName = 167, // January; 12 names
    kStrNewMessage = 179,
    kStrMessageSelected = 180,
    kStrClearSelection = 181,
    kStrMarkAllRead = 182,
    kStrDial = 183,
};

// Frees the current language library, then maps "Languages\<name>.dll" beside
// the program for its strings only. False, with no language loaded, when the
// name is not a plain name (letters, digits, '-', '_') or the library does not
// map; the caller then falls back to "English".
bool LoadLanguage(const std::wstring& name);
std::wstring GetLanguageDirectory();
// The names of the language libraries, without ".dll".
std::vector<std::wstring> ListLanguages();
// Empty when no language is loaded, the library has no such string or its
// string table is damaged.
std::wstring LoadLocalizedString(unsigned id);

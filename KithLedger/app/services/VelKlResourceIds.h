#pragma once

// The ids by which the program asks the language library for its texts and the
// theme library for its images. The resource scripts of those libraries
// include this file too, so a library and the code cannot disagree on an id.
//
// The resource compiler evaluates the preprocessor only, no C++: each id is a
// macro, once, and the code reads it through the typed constants at the end,
// which the resource compiler never sees.

// Texts (string table).
#define VEL_IDS_OUTGOING_CALL 101
#define VEL_IDS_INCOMING_CALL 102
#define VEL_IDS_CALL_NO_DISPLAY_TEXT 103
#define VEL_IDS_CONTACTS_BY_NAME 104
#define VEL_IDS_CALL_TITLE 105
#define VEL_IDS_NEGATIVE_DURATION 106
#define VEL_IDS_DAYS 107
#define VEL_IDS_SECONDS 110
#define VEL_IDS_MESSAGE_TITLE 111
#define VEL_IDS_ALL_CALLS 112
#define VEL_IDS_CONTACT_TITLE 113
#define VEL_IDS_MESSAGES_TITLE 114
#define VEL_IDS_NO_COMPANY 115
#define VEL_IDS_NO_CATEGORY 116
#define VEL_IDS_MESSAGES_TAB 117
#define VEL_IDS_CALLS_TAB 118
#define VEL_IDS_CONTACTS_TAB 119
#define VEL_IDS_CALL_MOBILE 123
#define VEL_IDS_SEND_SMS 124
#define VEL_IDS_SEND_MMS 125
#define VEL_IDS_CALL_WORK 126
#define VEL_IDS_CALL_HOME 127
#define VEL_IDS_FAVORITES_TAB 128
#define VEL_IDS_NO_NAME 129
#define VEL_IDS_UNKNOWN_CALLER 130
#define VEL_IDS_CONTACTS_BY_COMPANY 131
#define VEL_IDS_CONTACTS_BY_CATEGORY 132
#define VEL_IDS_INCOMING_CALLS 133
#define VEL_IDS_OUTGOING_CALLS 134
#define VEL_IDS_MISSED_CALLS 135
#define VEL_IDS_NO_RECIPIENT_NAME 136
#define VEL_IDS_FAVORITES_TITLE 137
#define VEL_IDS_NO_CONTACT_PLACEHOLDER 138
#define VEL_IDS_YESTERDAY 139
#define VEL_IDS_TODAY 140
#define VEL_IDS_ONE_WEEK_BACK 141
#define VEL_IDS_TWO_WEEKS_BACK 142
#define VEL_IDS_THREE_WEEKS_BACK 143
#define VEL_IDS_EARLIER_WITHIN_30_DAYS 144
#define VEL_IDS_PREVIOUS_MONTH 145
#define VEL_IDS_EARLIER_YEAR 146
// The day and month names follow one another: the code reads them from the first.
#define VEL_IDS_SUNDAY 148
#define VEL_IDS_MONDAY 149
#define VEL_IDS_TUESDAY 150
#define VEL_IDS_WEDNESDAY 151
#define VEL_IDS_THURSDAY 152
#define VEL_IDS_FRIDAY 153
#define VEL_IDS_SATURDAY 154
#define VEL_IDS_JANUARY 155
#define VEL_IDS_FEBRUARY 156
#define VEL_IDS_MARCH 157
#define VEL_IDS_APRIL 158
#define VEL_IDS_MAY 159
#define VEL_IDS_JUNE 160
#define VEL_IDS_JULY 161
#define VEL_IDS_AUGUST 162
#define VEL_IDS_SEPTEMBER 163
#define VEL_IDS_OCTOBER 164
#define VEL_IDS_NOVEMBER 165
#define VEL_IDS_DECEMBER 166
#define VEL_IDS_JAN 167
#define VEL_IDS_FEB 168
#define VEL_IDS_MAR 169
#define VEL_IDS_APR 170
#define VEL_IDS_MAY_SHORT 171
#define VEL_IDS_JUN 172
#define VEL_IDS_JUL 173
#define VEL_IDS_AUG 174
#define VEL_IDS_SEP 175
#define VEL_IDS_OCT 176
#define VEL_IDS_NOV 177
#define VEL_IDS_DEC 178
#define VEL_IDS_NEW_MESSAGE 179
#define VEL_IDS_MESSAGE_SELECTED 180
#define VEL_IDS_CLEAR_SELECTION 181
#define VEL_IDS_MARK_ALL_READ 182
#define VEL_IDS_DIAL 183

// Images (a BITMAP, else a "PNG" resource). A tab has its image, the one it
// shows while selected and the one while highlighted; a button its image and
// the one while pressed.
#define VEL_IDB_FAVORITES_TAB 155
#define VEL_IDB_FAVORITES_TAB_SELECTED 156
#define VEL_IDB_FAVORITES_TAB_HIGHLIGHTED 157
#define VEL_IDB_CALLS_TAB 158
#define VEL_IDB_CALLS_TAB_SELECTED 159
#define VEL_IDB_CALLS_TAB_HIGHLIGHTED 160
#define VEL_IDB_CONTACTS_TAB 161
#define VEL_IDB_CONTACTS_TAB_SELECTED 162
#define VEL_IDB_CONTACTS_TAB_HIGHLIGHTED 163
#define VEL_IDB_MESSAGES_TAB 164
#define VEL_IDB_MESSAGES_TAB_SELECTED 165
#define VEL_IDB_MESSAGES_TAB_HIGHLIGHTED 166
#define VEL_IDB_OUTGOING_ICON 167
#define VEL_IDB_MISSED_ICON 169
#define VEL_IDB_INCOMING_ICON 170
#define VEL_IDB_NEW_CONTACT 175
#define VEL_IDB_NOT_FAVORITE 176
#define VEL_IDB_BACK 177
#define VEL_IDB_NEW_CONTACT_PRESSED 178
#define VEL_IDB_FAVORITE 179
#define VEL_IDB_BACK_PRESSED 180
#define VEL_IDB_CONTACT_NAME 184
#define VEL_IDB_CONTACT_FRAME 185
#define VEL_IDB_SEND_SMS_PRESSED 187
#define VEL_IDB_SEND_SMS 188
#define VEL_IDB_SEND_MMS_PRESSED 189
#define VEL_IDB_SEND_MMS 190
#define VEL_IDB_CALL_HOME_PRESSED 191
#define VEL_IDB_CALL_HOME 192
#define VEL_IDB_CALL_WORK_PRESSED 193
#define VEL_IDB_CALL_WORK 194
#define VEL_IDB_CALL_MOBILE_PRESSED 195
#define VEL_IDB_CALL_MOBILE 196
#define VEL_IDB_OUTGOING_TAB 200
#define VEL_IDB_OUTGOING_TAB_HIGHLIGHTED 201
#define VEL_IDB_OUTGOING_TAB_SELECTED 202
#define VEL_IDB_INCOMING_TAB_HIGHLIGHTED 203
#define VEL_IDB_INCOMING_TAB 204
#define VEL_IDB_INCOMING_TAB_SELECTED 205
#define VEL_IDB_MISSED_TAB_HIGHLIGHTED 206
#define VEL_IDB_MISSED_TAB 207
#define VEL_IDB_MISSED_TAB_SELECTED 208
#define VEL_IDB_BY_CATEGORY_TAB_HIGHLIGHTED 209
#define VEL_IDB_BY_COMPANY_TAB 211
#define VEL_IDB_BY_CATEGORY_TAB 212
#define VEL_IDB_BY_COMPANY_TAB_SELECTED 214
#define VEL_IDB_BY_CATEGORY_TAB_SELECTED 215
#define VEL_IDB_BY_COMPANY_TAB_HIGHLIGHTED 217
#define VEL_IDB_KEY_FACE_PRESSED 218
#define VEL_IDB_KEY_FACE 219
#define VEL_IDB_DIAL 220
#define VEL_IDB_DIAL_PRESSED 221
#define VEL_IDB_REPLY 222
#define VEL_IDB_REPLY_PRESSED 223
#define VEL_IDB_GROUP_EXPANDED 224
#define VEL_IDB_GROUP_COLLAPSED 225
#define VEL_IDB_CONTACT_CARD_PRESSED 229
#define VEL_IDB_EDIT_CONTACT 230
#define VEL_IDB_EDIT_CONTACT_PRESSED 231
#define VEL_IDB_CONTACT_CARD 232
#define VEL_IDB_LIST_MENU 233
#define VEL_IDB_LIST_MENU_PRESSED 234
#define VEL_IDB_CALL_BUTTON_SELECTED 235
#define VEL_IDB_CALL_BUTTON 236

#ifndef RC_INVOKED

// Every user-visible text comes from the language library by these ids.
enum VelStringId : unsigned {
    kStrOutgoingCall = VEL_IDS_OUTGOING_CALL,
    kStrIncomingCall = VEL_IDS_INCOMING_CALL,
    kStrCallNoDisplayText = VEL_IDS_CALL_NO_DISPLAY_TEXT,
    kStrContactsByName = VEL_IDS_CONTACTS_BY_NAME,
    kStrCallTitle = VEL_IDS_CALL_TITLE,
    kStrNegativeDuration = VEL_IDS_NEGATIVE_DURATION,
    kStrDays = VEL_IDS_DAYS,
    kStrSeconds = VEL_IDS_SECONDS,
    kStrMessageTitle = VEL_IDS_MESSAGE_TITLE,
    kStrAllCalls = VEL_IDS_ALL_CALLS,
    kStrContactTitle = VEL_IDS_CONTACT_TITLE,
    kStrMessagesTitle = VEL_IDS_MESSAGES_TITLE,
    kStrNoCompany = VEL_IDS_NO_COMPANY,
    kStrNoCategory = VEL_IDS_NO_CATEGORY,
    kStrMessagesTab = VEL_IDS_MESSAGES_TAB,
    kStrCallsTab = VEL_IDS_CALLS_TAB,
    kStrContactsTab = VEL_IDS_CONTACTS_TAB,
    kStrCallMobile = VEL_IDS_CALL_MOBILE,
    kStrSendSms = VEL_IDS_SEND_SMS,
    kStrSendMms = VEL_IDS_SEND_MMS,
    kStrCallWork = VEL_IDS_CALL_WORK,
    kStrCallHome = VEL_IDS_CALL_HOME,
    kStrFavoritesTab = VEL_IDS_FAVORITES_TAB,
    kStrNoName = VEL_IDS_NO_NAME,
    kStrUnknownCaller = VEL_IDS_UNKNOWN_CALLER,
    kStrContactsByCompany = VEL_IDS_CONTACTS_BY_COMPANY,
    kStrContactsByCategory = VEL_IDS_CONTACTS_BY_CATEGORY,
    kStrIncomingCalls = VEL_IDS_INCOMING_CALLS,
    kStrOutgoingCalls = VEL_IDS_OUTGOING_CALLS,
    kStrMissedCalls = VEL_IDS_MISSED_CALLS,
    kStrNoRecipientName = VEL_IDS_NO_RECIPIENT_NAME,
    kStrFavoritesTitle = VEL_IDS_FAVORITES_TITLE,
    kStrNoContactPlaceholder = VEL_IDS_NO_CONTACT_PLACEHOLDER,
    kStrYesterday = VEL_IDS_YESTERDAY,
    kStrToday = VEL_IDS_TODAY,
    kStrOneWeekBack = VEL_IDS_ONE_WEEK_BACK,
    kStrTwoWeeksBack = VEL_IDS_TWO_WEEKS_BACK,
    kStrThreeWeeksBack = VEL_IDS_THREE_WEEKS_BACK,
    kStrEarlierWithin30Days = VEL_IDS_EARLIER_WITHIN_30_DAYS,
    kStrPreviousMonth = VEL_IDS_PREVIOUS_MONTH,
    kStrEarlierYear = VEL_IDS_EARLIER_YEAR,
    kStrFirstDayName = VEL_IDS_SUNDAY,      // 7 names
    kStrFirstMonthName = VEL_IDS_JANUARY,   // 12 names
    kStrFirstShortMonthName = VEL_IDS_JAN,  // 12 names
    kStrNewMessage = VEL_IDS_NEW_MESSAGE,
    kStrMessageSelected = VEL_IDS_MESSAGE_SELECTED,
    kStrClearSelection = VEL_IDS_CLEAR_SELECTION,
    kStrMarkAllRead = VEL_IDS_MARK_ALL_READ,
    kStrDial = VEL_IDS_DIAL,
};

static_assert(VEL_IDS_SATURDAY == VEL_IDS_SUNDAY + 6, "the day names are read as a run");
static_assert(VEL_IDS_DECEMBER == VEL_IDS_JANUARY + 11, "the month names are read as a run");
static_assert(VEL_IDS_DEC == VEL_IDS_JAN + 11, "the short month names are read as a run");

enum VelImageId : unsigned {
    kImageFavoritesTab = VEL_IDB_FAVORITES_TAB,
    kImageFavoritesTabSelected = VEL_IDB_FAVORITES_TAB_SELECTED,
    kImageFavoritesTabHighlighted = VEL_IDB_FAVORITES_TAB_HIGHLIGHTED,
    kImageCallsTab = VEL_IDB_CALLS_TAB,
    kImageCallsTabSelected = VEL_IDB_CALLS_TAB_SELECTED,
    kImageCallsTabHighlighted = VEL_IDB_CALLS_TAB_HIGHLIGHTED,
    kImageContactsTab = VEL_IDB_CONTACTS_TAB,
    kImageContactsTabSelected = VEL_IDB_CONTACTS_TAB_SELECTED,
    kImageContactsTabHighlighted = VEL_IDB_CONTACTS_TAB_HIGHLIGHTED,
    kImageMessagesTab = VEL_IDB_MESSAGES_TAB,
    kImageMessagesTabSelected = VEL_IDB_MESSAGES_TAB_SELECTED,
    kImageMessagesTabHighlighted = VEL_IDB_MESSAGES_TAB_HIGHLIGHTED,
    kImageOutgoingIcon = VEL_IDB_OUTGOING_ICON,
    kImageMissedIcon = VEL_IDB_MISSED_ICON,
    kImageIncomingIcon = VEL_IDB_INCOMING_ICON,
    kImageNewContact = VEL_IDB_NEW_CONTACT,
    kImageNotFavorite = VEL_IDB_NOT_FAVORITE,
    kImageBack = VEL_IDB_BACK,
    kImageNewContactPressed = VEL_IDB_NEW_CONTACT_PRESSED,
    kImageFavorite = VEL_IDB_FAVORITE,
    kImageBackPressed = VEL_IDB_BACK_PRESSED,
    kImageContactName = VEL_IDB_CONTACT_NAME,
    kImageContactFrame = VEL_IDB_CONTACT_FRAME,
    kImageSendSmsPressed = VEL_IDB_SEND_SMS_PRESSED,
    kImageSendSms = VEL_IDB_SEND_SMS,
    kImageSendMmsPressed = VEL_IDB_SEND_MMS_PRESSED,
    kImageSendMms = VEL_IDB_SEND_MMS,
    kImageCallHomePressed = VEL_IDB_CALL_HOME_PRESSED,
    kImageCallHome = VEL_IDB_CALL_HOME,
    kImageCallWorkPressed = VEL_IDB_CALL_WORK_PRESSED,
    kImageCallWork = VEL_IDB_CALL_WORK,
    kImageCallMobilePressed = VEL_IDB_CALL_MOBILE_PRESSED,
    kImageCallMobile = VEL_IDB_CALL_MOBILE,
    kImageOutgoingTab = VEL_IDB_OUTGOING_TAB,
    kImageOutgoingTabHighlighted = VEL_IDB_OUTGOING_TAB_HIGHLIGHTED,
    kImageOutgoingTabSelected = VEL_IDB_OUTGOING_TAB_SELECTED,
    kImageIncomingTabHighlighted = VEL_IDB_INCOMING_TAB_HIGHLIGHTED,
    kImageIncomingTab = VEL_IDB_INCOMING_TAB,
    kImageIncomingTabSelected = VEL_IDB_INCOMING_TAB_SELECTED,
    kImageMissedTabHighlighted = VEL_IDB_MISSED_TAB_HIGHLIGHTED,
    kImageMissedTab = VEL_IDB_MISSED_TAB,
    kImageMissedTabSelected = VEL_IDB_MISSED_TAB_SELECTED,
    kImageByCategoryTabHighlighted = VEL_IDB_BY_CATEGORY_TAB_HIGHLIGHTED,
    kImageByCompanyTab = VEL_IDB_BY_COMPANY_TAB,
    kImageByCategoryTab = VEL_IDB_BY_CATEGORY_TAB,
    kImageByCompanyTabSelected = VEL_IDB_BY_COMPANY_TAB_SELECTED,
    kImageByCategoryTabSelected = VEL_IDB_BY_CATEGORY_TAB_SELECTED,
    kImageByCompanyTabHighlighted = VEL_IDB_BY_COMPANY_TAB_HIGHLIGHTED,
    kImageKeyFacePressed = VEL_IDB_KEY_FACE_PRESSED,
    kImageKeyFace = VEL_IDB_KEY_FACE,
    kImageDial = VEL_IDB_DIAL,
    kImageDialPressed = VEL_IDB_DIAL_PRESSED,
    kImageReply = VEL_IDB_REPLY,
    kImageReplyPressed = VEL_IDB_REPLY_PRESSED,
    kImageGroupExpanded = VEL_IDB_GROUP_EXPANDED,
    kImageGroupCollapsed = VEL_IDB_GROUP_COLLAPSED,
    kImageContactCardPressed = VEL_IDB_CONTACT_CARD_PRESSED,
    kImageEditContact = VEL_IDB_EDIT_CONTACT,
    kImageEditContactPressed = VEL_IDB_EDIT_CONTACT_PRESSED,
    kImageContactCard = VEL_IDB_CONTACT_CARD,
    kImageListMenu = VEL_IDB_LIST_MENU,
    kImageListMenuPressed = VEL_IDB_LIST_MENU_PRESSED,
    kImageCallButtonSelected = VEL_IDB_CALL_BUTTON_SELECTED,
    kImageCallButton = VEL_IDB_CALL_BUTTON,
};

#endif

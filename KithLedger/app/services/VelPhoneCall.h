#pragma once
#include <string>

// Hands the number to the phone library's make-call operation; true when the
// phone took it. An empty number is not dialled.
bool PlaceCall(const std::wstring& number, const std::wstring& name);

// Starts the platform's phone program.
void StartPhoneApp();

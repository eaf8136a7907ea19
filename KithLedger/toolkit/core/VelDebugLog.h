#pragma once

// One line of diagnostics through the phone's kernel debug print, which also
// reaches the debug log a test or the benchmark names.
void VelDebugLog(const wchar_t* text);

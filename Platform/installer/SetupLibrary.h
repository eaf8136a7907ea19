#pragma once
// The custom-action interface between the package installer and a package's
// setup library. The installer calls Install_Init before it copies the
// package's files and Install_Exit after; Uninstall_Init before it removes
// them and Uninstall_Exit after. A setup library exports the four by name.
#include <windows.h>

enum InstallInitCode { kInstallInitContinue = 0, kInstallInitCancel = 1 };
enum InstallExitCode { kInstallExitDone = 0, kInstallExitUninstall = 1 };
enum UninstallInitCode { kUninstallInitContinue = 0, kUninstallInitCancel = 1 };
enum UninstallExitCode { kUninstallExitDone = 0 };

extern "C" {
InstallInitCode Install_Init(HWND parent, BOOL firstCall, BOOL previouslyInstalled, LPCWSTR installDir);
// The counts are what the installer failed to create.
InstallExitCode Install_Exit(HWND parent, LPCWSTR installDir, WORD failedDirs, WORD failedFiles, WORD failedRegKeys,
                             WORD failedRegValues, WORD failedShortcuts);
UninstallInitCode Uninstall_Init(HWND parent, LPCWSTR installDir);
UninstallExitCode Uninstall_Exit(HWND parent);
}

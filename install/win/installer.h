// The program installs and removes itself: -install copies its files from
// the folder it runs in to a folder the user chooses, registers itself with
// the shell, writes the uninstall batch file into the Windows directory and
// makes a Program Manager group; -uninstall (after the user agreed) removes
// the group and the registry keys, and the batch file the files.
#pragma once
#include <windows.h>

#include <string>

namespace gmbx::install {

// Registry keys below HKEY_LOCAL_MACHINE.
extern const char kVersionKey[];    // SOFTWARE\Vantrel\Glimmerbox\Version
extern const char kAppPathKey[];    // ...\App Paths\gmbx.exe
extern const char kUninstallRoot[]; // ...\CurrentVersion\Uninstall

// 1 when finished; 0 when the user cancelled the folder dialog or DDE
// could not be started.
int InstallProgram(const std::string& sourceFolder);
// 1 when finished; the registry keys are removed even when the Program
// Manager cannot be reached (0 is returned then).
int UninstallProgram();

// Sends one command to the Program Manager ("PROGMAN" service and topic)
// as an execute transaction with a one-second time-out. True when it was
// acknowledged.
bool ProgmanExecute(DWORD ddeInstance, const std::string& command);

// Copies the files of the source folder whose names match the pattern to
// the target folder (created when missing), replacing existing files;
// stops at the first failure. Returns the number copied.
int CopyMatchingFiles(const std::string& pattern, const std::string& source, const std::string& target);

// The folder the user chose in the folder dialog: it exists and a file
// could be written to it. Empty when the dialog was cancelled.
std::string AskInstallFolder(const std::string& proposed);

}  // namespace gmbx::install

// The main window: frame with menu, tool bar and status bar, and the image
// view that shows the current image.
#pragma once
#include <windows.h>

#include <string>

namespace gmbx {

// Builds the main window; captureArgument: a command-line capture runs.
// windowless: a one-shot run that never shows the window (a hidden
// command-line capture): the settings are read, but no window is made and
// no hotkey is registered.
bool CreateMainFrame(bool captureArgument, bool windowless);
HWND MainFrame();
HWND ImageView();
HACCEL MainAccelerators();
// The main menu (kept also while the menu bar is hidden).
HMENU MainMenu();
// Check marks of the menu toggles and the cursor button, from the settings.
void RefreshMenuChecks();

// The tray icon is shown, so that a hidden main window can be brought back
// from it. This version adds no icon: minimising, closing and Copy keep their
// usual meaning whatever WantTrayIcon says.
bool TrayIconShown();

// The program's display name ("Pro" appended with the add-on).
const std::string& DisplayName();

// Shows the current image in the view and updates the title.
void ShowCurrentImage();
// Clears the view and the current image (the names only when asked).
void ClearView(bool keepNames);
void UpdateTitle();

// Shows the main window again after a capture, as the settings ask.
void RestoreMainWindow();

// Restores the main window and brings it to the front (another instance
// asked for it).
void ActivateMainWindow();

// Tells the user that a feature is missing from this version.
void NotAvailable(const char* what);

// Runs the main message loop with the idle step; returns when the main
// window has closed.
int RunMessageLoop();

}  // namespace gmbx

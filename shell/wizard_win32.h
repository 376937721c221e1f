// The builder's wizard on Windows: one modal page at a time, stepped through
// a table of pages. The decisions live in shell/pages.h; the window code
// here moves texts between controls and those functions.
#pragma once

#include <windows.h>

#include <stddef.h>

#include "services/window_helpers_win32.h"

// What one page does beyond the common frame. Any member may be null.
struct PageHandlers {
  // Fills the controls from the record when the page opens; returns the
  // control to focus once the page shows, or null.
  HWND (*fill)(HWND page);
  // Next (next true) or Back: stores the controls, and on Next checks them.
  // Returns true when the page may be left.
  bool (*leave)(HWND page, bool next);
  // Any other message; returns true when the page handled it (the frame
  // then leaves it alone).
  bool (*message)(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
};

// The pages' own parts, one per page (pages 1 to 7).
extern const PageHandlers kIntroPage, kProjectPage, kSourcePage, kLaunchPage, kOptionsPage,
    kOutputPage, kBuildPage;

// Start-up, then page 1; ends only through ExitWizard.
void RunWizard();

// Pages 2..7 once filled: the saved page rectangle, the banner clip, shown.
void EnterPage(HWND page);
// Page 1 once filled: centred on the work area the first time, otherwise
// where the last page was; shown.
void EnterIntroPage(HWND page);
// Saves the page's rectangle, closes its banner clip and ends its dialog;
// nextPage (1..7) opens right after.
void LeavePage(HWND page, int nextPage);
// The save question; ends the builder with exit code 0 after Yes or No (a
// running build stopped and its files tidied first) and returns after
// Cancel or a failed save.
void ExitWizard(HWND page);
// Stops a running build and waits until its files are tidied; nothing when
// no build was started.
void EndRunningBuild();

// An explorer-style open (save false) or save dialog with a filter written
// "Name|*.ext|...", starting in the current folder (which it leaves where
// it was), centred on the screen.
// Writes the chosen path, or the empty text when the user cancels.
void AskFileName(const char* title, const char* filter, bool save, HWND owner, char* out,
                 size_t outSize);
// The browse-for-folder dialog over the active window; the folder without a
// trailing backslash, or the empty text when the user cancels.
void AskFolder(const char* prompt, char* out, size_t outSize);
// The help file or help page beside the builder (OpenHelp), owned by page.
void ShowHelp(HWND page);

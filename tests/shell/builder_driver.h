// Drives vqbuilder.exe under Wine for the window tests of the builder and its
// launch page: pages, boxes, list views, screenshots, packed executables.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "guidriver.h"

// A path of the build tree as the programs under Wine see it.
std::string BuildTreePath(const std::string& relative);
// The window as shots\builder\NAME.png in the build tree, once painted.
void Shot(HWND window, const char* name);
std::string Text(HWND window);
RECT WindowRect(HWND window);
// A list view's rows from the top, their first `columns` cells joined by "|",
// each after its image index and "|" when images is set.
std::vector<std::string> ListViewRows(HWND list, int columns, bool images = false);

struct Builder {
  GuiProgram app;
  HWND page = nullptr;

  // Starts the builder with tail as its command line's tail in folder; true
  // once page 1 shows.
  bool Start(const std::string& tail, const std::string& folder);
  HWND Control(int id) { return GuiFindControl(page, id); }
  std::string ControlText(int id) { return Text(Control(id)); }
  void Type(int id, const std::string& text);
  bool Enabled(int id) { return IsWindowEnabled(Control(id)) != FALSE; }
  bool Visible(int id) { return IsWindowVisible(Control(id)) != FALSE; }
  // The control that has the builder's focus.
  HWND Focused();
  // Clicks a button that leaves the page; returns the number of the next one.
  int Go(int id);
  // Waits for the page to give way to the next; returns the next one's number.
  int Arrive();
  // Clicks button id (0: none) and waits for the builder's dialog caption.
  HWND Open(int id, const char* caption, DWORD timeoutMs = 10000);
  // Clicks button id (0: none), expects the box it shows (caption, text)
  // owned by the page, and answers it; after OK and Cancel the page stays.
  void Expect(int id, const char* caption, const char* text, int button = IDOK);
  // Cancel with an opened project: its save question, answered with button.
  void CancelSave(int button);
  // True once the builder has ended with exit code 0.
  bool Ended();
};

// Runs a program (its path quoted) with args, typing password when it asks
// (null: it does not); true when it ended with exit code 0.
bool RunPacked(const std::string& exe, const char* password, const std::string& args = "");

// Drives vqbuilder.exe under Wine for the window tests of the builder: its
// pages, their boxes, screenshots, and the packed executables it makes.
#pragma once

#include <windows.h>

#include <string>

#include "guidriver.h"

extern const char kBuilderCaption[];  // every page's caption

// A path of the build tree as the programs under Wine see it.
std::string BuildTreePath(const std::string& relative);
// The window as shots\builder\NAME.png in the build tree, once painted.
void Shot(HWND window, const char* name);
std::string Text(HWND window);
RECT WindowRect(HWND window);
// Which page a wizard window is, by a text only that page shows; 0 for none.
int PageNumber(HWND page);

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
  // Clicks a button that leaves the page; returns the number of the next one.
  int Go(int id);
  // Waits for the page to give way to the next; returns the next one's number.
  int Arrive();
  // Clicks button id (0: none), expects the box it shows (caption, text,
  // icon) owned by the page, and answers it; after OK and Cancel the page
  // stays.
  void Expect(int id, const char* caption, const char* text, int icon, int button = IDOK);
};

// Runs a packed executable, typing password (null: none is asked); true
// when it ended with exit code 0.
bool RunPacked(const std::string& exe, const char* password);

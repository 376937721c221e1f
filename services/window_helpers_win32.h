// Small Win32 helpers that several of the builder's windows share.
#pragma once

#include <windows.h>

#include <stddef.h>

// Reads a control's text into out (cut to fit).
void ControlText(HWND dialog, int id, char* out, size_t outSize);

// Appends left-aligned columns to a report-view list.
void AddListColumns(HWND list, const char* const* headings, const int* widths, int count);

// Moves the window, keeping its size, to the middle of the area, or of the
// work area (the screen less the task bar).
void CentreWithin(HWND window, const RECT& area);
void CentreOnWorkArea(HWND window);

// Puts proc in front of a control's own window procedure. proc ends with
// ChainControlProc, which passes every message on to the procedure it
// replaced and lets go of it when the control is destroyed.
void SubclassControl(HWND control, WNDPROC proc);
LRESULT ChainControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

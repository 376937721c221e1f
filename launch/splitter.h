// The launch page's splitter: a child window of class "SplitterWndClass"
// holding two child windows (its panes, its first and second child) and a
// movable bar between them. It passes its children's notifications
// (WM_COMMAND, WM_NOTIFY, the scroll and WM_CTLCOLOR* messages) up to its own
// parent. Where the bar and the panes go is decided in splitter_geometry.h.
#pragma once

#include <windows.h>

// orientation 0: a horizontal bar, panes above and below; any other value: a
// vertical bar, panes left and right. barMode: a drag shows an inverted
// tracking bar and moves the panes only when the button is released;
// otherwise the panes follow the pointer. A drag ends when the button comes
// up, at a margin, or when the mouse capture is taken away, with the panes
// where the bar stands. The bar starts at 50 percent.
// A width or height of 0 covers the parent's client area. The panes are
// created afterwards as its children; SetSplitterPos or the next resize lays
// them out. Returns the
// splitter, or NULL when its class cannot be registered, its record cannot be
// allocated or the window cannot be created.
HWND CreateSplitter(HWND parent, int id, int orientation, bool barMode, int x, int y, int width,
                    int height);

// Places the bar at percent of the splitter's width (vertical bar) or height
// (pixels 0), or at pixels from its left or top edge, kept 6 pixels from
// either edge; a position pulled back to an edge ends a drag. The splitter
// then keeps percent, or the percentage of the position given in pixels, for
// its next resize. The panes move, except during a drag in bar mode.
// Returns the position: the first pane's width or height.
int SetSplitterPos(HWND splitter, int percent, int pixels);

// Inverts a one-pixel checkerboard over rect (splitter client coordinates),
// clipped like the splitter's parent; rect NULL inverts the rectangle drawn
// last again, which erases it.
void DrawTrackingBar(HWND splitter, const RECT* rect);

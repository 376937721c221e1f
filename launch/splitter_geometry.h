// Where a splitter's bar stands and where its two panes go, in pixels of the
// splitter's client area. No windows here: the splitter window applies what
// LayOutSplitter decides, and the native tests check the decisions.
#pragma once

enum {
  SPLITTER_MARGIN = 6,  // the bar stays this far from either edge
  SPLITTER_GAP = 2,     // between the panes; the class background shows through
  SPLITTER_BAR_HALF = 2,  // the tracking bar covers pos - 2 .. pos + 2
};

struct PaneRect {
  int x, y, width, height;
};

struct SplitterLayout {
  int pos;        // first pane's width (vertical bar) or height (horizontal bar)
  int percent;    // the position to keep when the splitter is resized
  bool clamped;   // pos was pulled back to a margin (a drag ends there)
  PaneRect first, second;
};

// vertical: the bar stands upright, panes left and right; otherwise the bar
// lies flat, panes above and below. pixels 0 places the bar at percent of the
// size (width or height, truncating) and keeps percent; other pixels are
// LayOutSplitterAt's pos. The position is clamped to
// SPLITTER_MARGIN .. size - SPLITTER_MARGIN, the lower margin first: on a
// splitter narrower than both margins a position below it becomes
// SPLITTER_MARGIN and any other one size - SPLITTER_MARGIN, and panes may come
// out with a width or height of zero or less.
SplitterLayout LayOutSplitter(bool vertical, int clientWidth, int clientHeight, int percent,
                              int pixels);
// The bar at pos pixels from the left or top edge, 0 included (a drag's
// pointer on the edge clamps like one past it), clamped as above; the percent
// is recomputed from the clamped position (truncating; on an empty splitter
// percent is kept).
SplitterLayout LayOutSplitterAt(bool vertical, int clientWidth, int clientHeight, int percent,
                                int pos);

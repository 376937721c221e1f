#include "launch/splitter_geometry.h"

SplitterLayout LayOutSplitter(bool vertical, int clientWidth, int clientHeight, int percent,
                              int pixels) {
  int size = vertical ? clientWidth : clientHeight;
  SplitterLayout layout = LayOutSplitterAt(vertical, clientWidth, clientHeight, percent,
                                           pixels == 0 ? percent * size / 100 : pixels);
  if (pixels == 0) layout.percent = percent;
  return layout;
}

SplitterLayout LayOutSplitterAt(bool vertical, int clientWidth, int clientHeight, int percent,
                                int pos) {
  SplitterLayout layout = {};
  int size = vertical ? clientWidth : clientHeight;
  if (pos < SPLITTER_MARGIN) {
    pos = SPLITTER_MARGIN;
    layout.clamped = true;
  } else if (pos > size - SPLITTER_MARGIN) {
    pos = size - SPLITTER_MARGIN;
    layout.clamped = true;
  }
  layout.pos = pos;
  layout.percent = size > 0 ? pos * 100 / size : percent;
  int second = pos + SPLITTER_GAP;
  if (vertical) {
    layout.first = {0, 0, pos, clientHeight};
    layout.second = {second, 0, clientWidth - second, clientHeight};
  } else {
    layout.first = {0, 0, clientWidth, pos};
    layout.second = {0, second, clientWidth, clientHeight - second};
  }
  return layout;
}

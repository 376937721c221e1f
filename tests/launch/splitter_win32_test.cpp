// A vertical splitter in this process, driven by the messages a drag brings:
// where its panes are during and after the drag, the edges, a resize, the
// messages it passes up, and what it leaves on the screen.
#include "launch/splitter.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "guidriver.h"
#include "tests/support/support.h"

namespace {

const int kWidth = 400, kHeight = 200, kStart = 200;  // the bar starts at 50 percent

NMHDR gNotice;  // the lParam of every message the parent is to answer
UINT gSeen;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (lParam != (LPARAM)&gNotice) return DefWindowProcA(window, message, wParam, lParam);
  gSeen = message;
  return 0x1000 + message;
}

struct Bench {
  HWND top, splitter, first, second;
};

// A top-level window covered by a splitter with two black panes, painted.
Bench OpenBench(bool barMode) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA top = {};
  top.lpfnWndProc = ParentProc;
  top.hInstance = instance;
  top.lpszClassName = "VqSplitterTestTop";
  RegisterClassA(&top);  // from the second bench on it is there already
  Bench b = {};
  b.top = CreateWindowExA(WS_EX_TOPMOST, "VqSplitterTestTop", "", WS_POPUP | WS_VISIBLE, 0, 0,
                          kWidth, kHeight, nullptr, nullptr, instance, nullptr);
  b.splitter = CreateSplitter(b.top, 7, 1, barMode, 0, 0, 0, 0);
  for (HWND* pane : {&b.first, &b.second}) {
    *pane = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BLACKRECT, 0, 0, 1, 1,
                            b.splitter, nullptr, instance, nullptr);
  }
  SetSplitterPos(b.splitter, 50, 0);
  return b;
}

// The first pane's width, once the second is checked to follow it after the
// gap and reach the right edge.
int PanePos(const Bench& b) {
  RECT first, second, client;
  GetWindowRect(b.first, &first);
  GetWindowRect(b.second, &second);
  GetClientRect(b.splitter, &client);
  MapWindowPoints(nullptr, b.splitter, (POINT*)&second, 2);
  EXPECT_EQ(first.right - first.left + 2, second.left);
  EXPECT_EQ(client.right, second.right);
  return first.right - first.left;
}

// The splitter as the screen shows it (a PNG's bytes), once pending painting is done.
std::string Screen(HWND splitter) {
  UpdateWindow(GetParent(splitter));
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  GdiFlush();
  std::string png = ScratchName("splitter") + ".png";
  EXPECT_TRUE(GuiSaveWindowShot(splitter, png.c_str()));
  return ReadRawFile(png);
}

std::string Repainted(HWND splitter) {
  RedrawWindow(GetParent(splitter), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  return Screen(splitter);
}

TEST(Splitter, DragsEdgesAndResize) {
  const struct {
    bool barMode;
    std::vector<int> moves;  // pointer x after the button goes down on the bar
    int during;              // first pane's width after the moves
    bool held;               // the drag still holds the mouse
    int released;            // after the button comes up
    int resized;             // after the splitter shrinks to half its width
    bool taken;              // another window takes the capture instead of the button coming up
  } cases[] = {
      {true, {300}, kStart, true, 300, 150, false},
      {true, {300, 260}, kStart, true, 260, 130, true},
      {true, {0}, 6, false, 6, 6, false},
      {true, {300, 500}, 394, false, 392, 194, false},  // the bar shown goes at the edge; 98 percent once released
      {false, {300}, 300, true, 300, 150, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.barMode ? "bar " : "live ") << c.moves.back());
    Bench b = OpenBench(c.barMode);
    ASSERT_TRUE(b.splitter);
    std::string before = Repainted(b.splitter);
    SendMessageA(b.splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(201, 100));
    for (int x : c.moves) SendMessageA(b.splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, 100));
    EXPECT_EQ(c.during, PanePos(b));
    EXPECT_EQ(c.held, GetCapture() == b.splitter);
    std::string during = Screen(b.splitter);  // painting goes on between messages
    if (c.barMode && c.held) {
      EXPECT_TRUE(before != during);  // the tracking bar
    }
    if (c.taken) SetCapture(b.top);  // as a message box or Alt+Tab would
    else SendMessageA(b.splitter, WM_LBUTTONUP, 0, MAKELPARAM(c.moves.back(), 100));
    EXPECT_EQ(c.released, PanePos(b));
    EXPECT_NE(b.splitter, GetCapture());
    std::string after = Screen(b.splitter);
    EXPECT_TRUE(Repainted(b.splitter) == after);  // no tracking bar left over
    MoveWindow(b.splitter, 0, 0, kWidth / 2, kHeight, TRUE);
    EXPECT_EQ(c.resized, PanePos(b));
    DestroyWindow(b.top);
  }
}

TEST(Splitter, PassesItsChildrensMessagesUp) {
  Bench b = OpenBench(true);
  ASSERT_TRUE(b.splitter);
  gNotice = {b.first, 7, 0};
  for (UINT message : {WM_COMMAND, WM_NOTIFY, WM_HSCROLL, WM_VSCROLL, WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX,
                       WM_CTLCOLORBTN, WM_CTLCOLORSCROLLBAR, WM_CTLCOLORSTATIC, WM_USER + 1}) {
    bool passed = message != WM_USER + 1;  // not a child's notification: answered by the splitter
    gSeen = 0;
    LRESULT answer = SendMessageA(GetParent(b.first), message, 7, (LPARAM)&gNotice);
    EXPECT_EQ(passed ? message : 0, gSeen) << message;
    EXPECT_EQ(passed ? 0x1000 + (LRESULT)message : 0, answer) << message;
  }
  DestroyWindow(b.top);
}

}  // namespace

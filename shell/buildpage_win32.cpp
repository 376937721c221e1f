// Page 7: starts the build job on its worker thread and shows the build log.
// The job reports through the log's sink; each call below is a message sent
// to a control of this page, carried out by the page's own thread.
#include <windows.h>
#include <commctrl.h>

#include "build/buildjob.h"
#include "build/buildthread.h"
#include "resources/builder_resources.h"
#include "services/buildlog.h"
#include "shell/wizard_win32.h"

namespace {

enum { BUILD_LOG = 4007, BUILD_PROGRESS = 4008, BUILD_STATUS = 4011 };

HWND gBuildPage;     // the page the running build reports to
HANDLE gBuildThread;  // the build's worker, once started

void ShowLogLine(const char* text, LogMark mark) {
  HWND list = GetDlgItem(gBuildPage, BUILD_LOG);
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.pszText = (char*)text;
  item.iImage = mark;
  SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
  UpdateWindow(list);
}

void ShowProgress(int position) {
  SendDlgItemMessageA(gBuildPage, BUILD_PROGRESS, PBM_SETPOS, position, 0);
}

void ShowBuildStatus(const char* text) {
  HWND label = GetDlgItem(gBuildPage, BUILD_STATUS);
  SetWindowTextA(label, text);
  ShowWindow(GetDlgItem(gBuildPage, BUILD_PROGRESS), SW_HIDE);
  RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
  ShowWindow(label, SW_SHOW);
}

// Failure boxes keep the log's own: caption "Failed", no owner.
const BuildLogSink kBuildPageSink = {ShowLogLine, ShowProgress, ShowBuildStatus, nullptr};

HWND FillBuildPage(HWND page) {
  gBuildPage = page;
  HWND list = GetDlgItem(page, BUILD_LOG);
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_SUBITEMIMAGES, LVS_EX_SUBITEMIMAGES);
  HIMAGELIST marks = ImageList_LoadImageA(GetModuleHandleA(nullptr),
                                          MAKEINTRESOURCEA(IDB_LOG_MARKS), 16, 1,
                                          RGB(255, 0, 255), IMAGE_BITMAP, 0);
  const char* const kHeading[] = {""};
  const int kWidth[] = {430};
  AddListColumns(list, kHeading, kWidth, 1);
  SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)marks);
  SendDlgItemMessageA(page, BUILD_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  ResetBuildLog(&kBuildPageSink);
  return nullptr;
}

void StartBuild(HWND page) {
  EnableWindow(GetDlgItem(page, IDC_BACK), FALSE);
  EnableWindow(GetDlgItem(page, IDC_NEXT), FALSE);
  EnableWindow(GetDlgItem(page, BUILD_LOG), TRUE);
  ShowWindow(GetDlgItem(page, BUILD_STATUS), SW_HIDE);
  HWND progress = GetDlgItem(page, BUILD_PROGRESS);
  RedrawWindow(progress, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
  ShowWindow(progress, SW_SHOW);
  gBuildThread = StartBuildJobThread();
  if (!gBuildThread) ReportBuildFailed();  // no thread to build on
}

bool BuildPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND || LOWORD(wParam) != IDC_NEXT || HIWORD(wParam) != BN_CLICKED)
    return false;
  // Enter reaches a disabled default button too.
  if (IsWindowEnabled(GetDlgItem(page, IDC_NEXT))) StartBuild(page);
  return true;
}

}  // namespace

void EndRunningBuild() {
  if (!gBuildThread) return;
  CancelBuildJob();
  // The job reports through messages sent to this thread's windows, so they
  // are let through while it tidies up. A job that shows its failure box has
  // tidied already and is left to end with the process.
  while (BuildJobBusy() && WaitForSingleObject(gBuildThread, 0) == WAIT_TIMEOUT) {
    MsgWaitForMultipleObjects(1, &gBuildThread, FALSE, 50, QS_SENDMESSAGE);
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  }
}

// Back goes to page 6 and stores nothing.
const PageHandlers kBuildPage = {FillBuildPage, nullptr, BuildPageMessage};

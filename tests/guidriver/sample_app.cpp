// A small dialog for the driver's own tests: an edit box, buttons, a message
// box, a list view and a tree view, built like the extractor's windows from
// an in-memory template with its controls created on initialisation.
//   Ask      shows "Sample Question" (Yes/No) and writes the answer into 103
//   Message  shows a message box whose kind the edit box names: "error"
//            (caption "ERROR #0042"), "warning", "info", else no icon
//   Exit     ends the program with the number typed into the edit box
//   Enter    (default button IDOK) counts presses in 110
//   Save As  asks for a file name (GetSaveFileNameA), Browse for a folder
//            (SHBrowseForFolderA); either writes its result into 111
//   the combo box's choice is shown in 116
//   Escape or the close box: exit code 3
// Control 107 shows the working folder, 108 the command line's tail.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

enum {
  kEdit = 101, kAsk = 102, kAnswer = 103, kExit = 104, kList = 105, kTree = 106,
  kFolder = 107, kArgs = 108, kDisabled = 109, kEnterCount = 110,
  kSaveAs = 112, kBrowse = 113, kChosen = 111, kMessage = 114,
  kCombo = 115, kComboChoice = 116
};

int gEnterPresses = 0;

HWND AddControl(HWND dialog, const char* className, const char* text, DWORD style, int id,
                int x, int y, int width, int height, DWORD exStyle = 0) {
  RECT area = {x, y, x + width, y + height};
  MapDialogRect(dialog, &area);
  HWND control = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style,
                                 area.left, area.top, area.right - area.left,
                                 area.bottom - area.top, dialog,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(NULL), NULL);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  return control;
}

void FillList(HWND list) {
  const char* columns[] = {"Name", "Size"};
  for (int i = 0; i < 2; ++i) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 110;
    column.pszText = const_cast<char*>(columns[i]);
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
  // Two images, so that rows can show different ones (0, 1, 0).
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 0);
  ImageList_AddIcon(images, LoadIconA(NULL, IDI_INFORMATION));
  ImageList_AddIcon(images, LoadIconA(NULL, IDI_ERROR));
  SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
  const char* rows[][2] = {{"alpha.txt", "10"}, {"beta.dat", "2048"}, {"sub\\gamma.exe", "0"}};
  for (int i = 0; i < 3; ++i) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iImage = i % 2;
    item.iItem = i;
    item.pszText = const_cast<char*>(rows[i][0]);
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(rows[i][1]);
    SendMessageA(list, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
  }
}

HTREEITEM AddTreeItem(HWND tree, HTREEITEM parent, const char* text) {
  TVINSERTSTRUCTA insert = {};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = const_cast<char*>(text);
  return reinterpret_cast<HTREEITEM>(
      SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void FillTree(HWND tree) {
  HTREEITEM root = AddTreeItem(tree, TVI_ROOT, "Root");
  AddTreeItem(tree, root, "Alpha");
  HTREEITEM beta = AddTreeItem(tree, root, "Beta");
  AddTreeItem(tree, beta, "Gamma");
  AddTreeItem(tree, TVI_ROOT, "Second root");
  // Beta carries a ticked check box (state image 2); Root is shown open,
  // Beta closed, so reading must reach collapsed branches too.
  TVITEMA item = {};
  item.mask = TVIF_STATE | TVIF_HANDLE;
  item.hItem = beta;
  item.stateMask = TVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(2);
  SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
}

const char* CommandTail() {
  const char* line = GetCommandLineA();
  bool quoted = false;
  for (; *line && (quoted || (*line != ' ' && *line != '\t')); ++line)
    if (*line == '"') quoted = !quoted;
  while (*line == ' ' || *line == '\t') ++line;
  return line;
}

void Initialise(HWND dialog) {
  AddControl(dialog, "Edit", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kEdit, 8, 8, 120, 12,
             WS_EX_CLIENTEDGE);
  AddControl(dialog, "Button", "&Ask", WS_TABSTOP | BS_PUSHBUTTON, kAsk, 136, 8, 40, 14);
  AddControl(dialog, "Button", "E&xit", WS_TABSTOP | BS_PUSHBUTTON, kExit, 180, 8, 40, 14);
  AddControl(dialog, "Button", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, 224, 8, 40, 14);
  AddControl(dialog, "Button", "&Disabled", WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, kDisabled,
             268, 8, 40, 14);
  AddControl(dialog, "Button", "&Save As", WS_TABSTOP | BS_PUSHBUTTON, kSaveAs, 224, 24, 40,
             14);
  AddControl(dialog, "Button", "&Browse", WS_TABSTOP | BS_PUSHBUTTON, kBrowse, 268, 24, 40, 14);
  AddControl(dialog, "Button", "Me&ssage", WS_TABSTOP | BS_PUSHBUTTON, kMessage, 180, 24, 40,
             14);
  HWND combo = AddControl(dialog, "ComboBox", "", WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST,
                          kCombo, 196, 36, 60, 60);
  const char* states[] = {"*ShowWin*", "*HideWin*", "*MaximizeWin*", "*MinimizeWin*"};
  for (const char* state : states)
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(state));
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
  AddControl(dialog, "Static", "Combo: *ShowWin*", 0, kComboChoice, 196, 52, 112, 8);
  AddControl(dialog, "Static", "Chosen: none", 0, kChosen, 8, 158, 300, 8);
  AddControl(dialog, "Static", "Answer: none", 0, kAnswer, 8, 26, 120, 8);
  AddControl(dialog, "Static", "Enter: 0", 0, kEnterCount, 136, 26, 40, 8);
  char folder[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof folder, folder);
  AddControl(dialog, "Static", folder, 0, kFolder, 8, 38, 184, 8);
  AddControl(dialog, "Static", CommandTail(), 0, kArgs, 8, 50, 184, 8);
  HWND list = AddControl(dialog, "SysListView32", "", WS_BORDER | LVS_REPORT, kList, 8, 64, 150,
                         90);
  FillList(list);
  HWND tree = AddControl(dialog, "SysTreeView32", "",
                         WS_BORDER | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT, kTree,
                         166, 64, 142, 90);
  // Check boxes are switched on after creation, as the common controls
  // documentation asks.
  SetWindowLongA(tree, GWL_STYLE, GetWindowLongA(tree, GWL_STYLE) | TVS_CHECKBOXES);
  FillTree(tree);
  SetFocus(GetDlgItem(dialog, kEdit));
}

void Ask(HWND dialog) {
  char text[256] = "";
  GetDlgItemTextA(dialog, kEdit, text, sizeof text);
  char question[400];
  snprintf(question, sizeof question, "Do you like %s?", text);
  int answer = MessageBoxA(dialog, question, "Sample Question", MB_YESNO | MB_ICONQUESTION);
  SetDlgItemTextA(dialog, kAnswer, answer == IDYES ? "Answer: Yes" : "Answer: No");
}

void ShowMessage(HWND dialog) {
  char kind[64] = "";
  GetDlgItemTextA(dialog, kEdit, kind, sizeof kind);
  struct Kind { const char* name; const char* caption; UINT type; };
  const Kind kinds[] = {{"error", "ERROR #0042", MB_ICONERROR},
                        {"warning", "Sample Warning", MB_ICONWARNING},
                        {"info", "Sample Info", MB_ICONINFORMATION}};
  Kind chosen = {"", "Sample Plain", 0};
  for (const Kind& k : kinds)
    if (strcmp(kind, k.name) == 0) chosen = k;
  char text[128];
  snprintf(text, sizeof text, "Message: %s", kind);
  // No owner, as the extractor's error boxes.
  int answer = MessageBoxA(NULL, text, chosen.caption, MB_OK | chosen.type);
  snprintf(text, sizeof text, "Answer: %d", answer);
  SetDlgItemTextA(dialog, kAnswer, text);
}

void AskSaveName(HWND dialog) {
  char name[MAX_PATH] = "";
  OPENFILENAMEA request = {};
  request.lStructSize = sizeof request;
  request.hwndOwner = dialog;
  request.lpstrFilter = "Text Files (*.txt)\0*.txt\0";
  request.lpstrFile = name;
  request.nMaxFile = sizeof name;
  request.lpstrTitle = "Save the sample";
  request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
  char text[MAX_PATH + 16];
  snprintf(text, sizeof text, "Chosen: %s", GetSaveFileNameA(&request) ? name : "cancelled");
  SetDlgItemTextA(dialog, kChosen, text);
}

void AskFolder(HWND dialog) {
  BROWSEINFOA request = {};
  request.hwndOwner = dialog;
  request.lpszTitle = "Pick a sample folder";
  request.ulFlags = BIF_RETURNONLYFSDIRS;
  char folder[MAX_PATH] = "";
  LPITEMIDLIST chosen = SHBrowseForFolderA(&request);
  if (chosen) {
    SHGetPathFromIDListA(chosen, folder);
    CoTaskMemFree(chosen);
  }
  char text[MAX_PATH + 16];
  snprintf(text, sizeof text, "Chosen: %s", chosen ? folder : "cancelled");
  SetDlgItemTextA(dialog, kChosen, text);
}

INT_PTR CALLBACK SampleProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise(dialog);
      return FALSE;  // the focus is set already
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kAsk:
          Ask(dialog);
          return TRUE;
        case kCombo:
          if (HIWORD(wParam) == CBN_SELCHANGE) {
            char text[64] = "Combo: ";
            int index = static_cast<int>(SendDlgItemMessageA(dialog, kCombo, CB_GETCURSEL, 0, 0));
            SendDlgItemMessageA(dialog, kCombo, CB_GETLBTEXT, index,
                                reinterpret_cast<LPARAM>(text + 7));
            SetDlgItemTextA(dialog, kComboChoice, text);
          }
          return TRUE;
        case kMessage:
          ShowMessage(dialog);
          return TRUE;
        case kSaveAs:
          AskSaveName(dialog);
          return TRUE;
        case kBrowse:
          AskFolder(dialog);
          return TRUE;
        case kExit: {
          char text[64] = "";
          GetDlgItemTextA(dialog, kEdit, text, sizeof text);
          EndDialog(dialog, atoi(text));
          return TRUE;
        }
        case IDOK: {
          char text[32];
          snprintf(text, sizeof text, "Enter: %d", ++gEnterPresses);
          SetDlgItemTextA(dialog, kEnterCount, text);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, 3);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

// Appends text to a dialog template as UTF-16, zero-terminated.
WORD* PutText(WORD* at, const char* text) {
  int written = MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<WCHAR*>(at), 64);
  return at + written;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);  // the folder browser needs COM
  alignas(4) WORD buffer[256] = {};
  DLGTEMPLATE* dialog = reinterpret_cast<DLGTEMPLATE*>(buffer);
  dialog->style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_SETFONT | DS_CENTER |
                  DS_MODALFRAME;
  dialog->cx = 316;
  dialog->cy = 172;
  WORD* at = reinterpret_cast<WORD*>(dialog + 1);
  *at++ = 0;  // no menu
  *at++ = 0;  // the standard dialog class
  at = PutText(at, "Guidriver Sample");
  *at++ = 8;  // font size in points
  PutText(at, "MS Shell Dlg");
  INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(NULL), dialog, NULL, SampleProc, 0);
  return static_cast<int>(result);
}

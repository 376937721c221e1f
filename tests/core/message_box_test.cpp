// The version warning as the user sees it under Windows: a real message box,
// found by its caption, examined, photographed into the build tree, answered.
#ifdef _WIN32
#include "platform/platform.h"
#include "project/project.h"
#include "tests/core/scratch.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <zlib.h>

#include <stdlib.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The build tree as a Windows path (Z: is the Linux root under Wine).
std::string BuildFolder() {
  const char* dir = getenv("VQ_BUILD_DIR");
  if (!dir || !*dir) return "";
  std::string path = dir[0] == '/' ? std::string("Z:") + dir : dir;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path + "\\";
}

void PutBig32(std::string* out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back((char)((v >> shift) & 0xFF));
}

void PutChunk(std::string* png, const char* type, const std::string& data) {
  PutBig32(png, (uint32_t)data.size());
  std::string body = std::string(type, 4) + data;
  png->append(body);
  PutBig32(png, (uint32_t)crc32(0, (const Bytef*)body.data(), (uInt)body.size()));
}

// The window's pixels as shown on the screen, saved as an RGB PNG.
bool SaveWindowPng(HWND window, const std::string& path) {
  RECT r;
  if (!GetWindowRect(window, &r)) return false;
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  std::string raw;
  for (int y = 0; y < h; y++) {
    raw.push_back(0);  // filter: none
    const uint8_t* row = (const uint8_t*)bits + (size_t)y * w * 4;
    for (int x = 0; x < w; x++) {
      raw.push_back((char)row[x * 4 + 2]);
      raw.push_back((char)row[x * 4 + 1]);
      raw.push_back((char)row[x * 4 + 0]);
    }
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  uLongf packedSize = compressBound((uLong)raw.size());
  std::vector<Bytef> packed(packedSize);
  if (compress(packed.data(), &packedSize, (const Bytef*)raw.data(), (uLong)raw.size()) != Z_OK)
    return false;
  std::string png("\x89PNG\r\n\x1a\n", 8), header;
  PutBig32(&header, (uint32_t)w);
  PutBig32(&header, (uint32_t)h);
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB
  PutChunk(&png, "IHDR", header);
  PutChunk(&png, "IDAT", std::string((const char*)packed.data(), packedSize));
  PutChunk(&png, "IEND", "");
  PlatformFile* f = PlatformCreateWrite(path.c_str());
  if (!f) return false;
  bool ok = PlatformWriteFile(f, png.data(), png.size());
  return PlatformCloseFile(f) && ok;
}

struct Seen {
  HWND owner = nullptr;
  std::string text;
  bool exclamationIcon = false;
  bool hasOkOnly = false;
  bool shot = false;
};

// Waits for the box, notes what it shows, photographs it and presses OK.
DWORD WINAPI AnswerBox(void* param) {
  Seen* seen = (Seen*)param;
  HWND box = nullptr;
  for (int i = 0; i < 200 && !box; i++) {
    Sleep(50);
    box = FindWindowA("#32770", "Unsupported Project file.");
  }
  if (!box) return 1;
  Sleep(300);  // let it paint
  seen->owner = GetWindow(box, GW_OWNER);
  char text[512] = "";
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the message's static control
  seen->text = text;
  HICON icon = (HICON)SendDlgItemMessageA(box, 0x440, STM_GETICON, 0, 0);
  seen->exclamationIcon = icon && icon == LoadIconA(nullptr, (LPCSTR)IDI_EXCLAMATION);
  seen->hasOkOnly = GetDlgItem(box, IDOK) && !GetDlgItem(box, IDCANCEL) && !GetDlgItem(box, IDYES);
  std::string folder = BuildFolder();
  if (!folder.empty()) {
    CreateDirectoryA((folder + "screenshots").c_str(), nullptr);
    seen->shot = SaveWindowPng(box, folder + "screenshots\\unsupported-project-file.png");
  }
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  return 0;
}

TEST(WarningBox, VersionWarningIsOwnedByTheActiveWindow) {
  HWND page = CreateWindowExA(0, "STATIC", "Varnoquist v1.2", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              100, 100, 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr),
                              nullptr);
  ASSERT_NE(nullptr, page);
  SetForegroundWindow(page);
  SetActiveWindow(page);
  ASSERT_EQ(page, GetActiveWindow());

  std::string path = ScratchName("warn") + ".vqx";
  ASSERT_TRUE(WriteRawFile(path, "[Varnoquist]\r\nVersion=1.1\r\nProjectName=Old\r\n"));
  std::unique_ptr<ProjectRecord> record(new ProjectRecord);
  std::unique_ptr<LaunchList> launch(new LaunchList);
  InitProject(record.get(), launch.get());
  CopyText(record->ProjectFilePath, VQ_TEXT_SIZE, path.c_str());

  Seen seen;
  HANDLE answerer = CreateThread(nullptr, 0, AnswerBox, &seen, 0, nullptr);
  LoadProject(record.get(), launch.get());  // returns once the box is answered
  WaitForSingleObject(answerer, 15000);
  DWORD code = 1;
  GetExitCodeThread(answerer, &code);
  CloseHandle(answerer);
  DestroyWindow(page);

  ASSERT_EQ(0u, code) << "no message box appeared";
  EXPECT_EQ(page, seen.owner);
  EXPECT_EQ("The version of the project file you selected may not be fully supported.", seen.text);
  EXPECT_TRUE(seen.exclamationIcon);
  EXPECT_TRUE(seen.hasOkOnly);
  EXPECT_TRUE(seen.shot);
  EXPECT_STREQ("Old", record->ProjectName);  // loaded all the same
}

}  // namespace
#endif

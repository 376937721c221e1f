#include "packed_run.h"

#include <stdio.h>
#include <string.h>

#include "tests/support/support.h"
#include "zip.h"
#include "zlib.h"

std::string MakeZip(const std::vector<ZipEntry>& entries, const std::string& password,
                    int level) {
  std::string path = ScratchName("zip");
  zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
  if (!zip) return "";
  bool ok = true;
  for (const ZipEntry& e : entries) {
    zip_fileinfo info = {};
    info.dosDate = kEntryDosTime;
    uLong crc = crc32(0, (const Bytef*)e.data.data(), (uInt)e.data.size());
    ok = ok &&
         zipOpenNewFileInZip3(zip, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                              Z_DEFLATED, level, 0, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY,
                              password.empty() ? nullptr : password.c_str(), crc) == ZIP_OK &&
         zipWriteInFileInZip(zip, e.data.data(), (unsigned)e.data.size()) == ZIP_OK &&
         zipCloseFileInZip(zip) == ZIP_OK;
  }
  zipClose(zip, nullptr);
  std::string bytes = ReadRawFile(path);
  RemoveTree(path);
  return ok ? bytes : "";
}

static uint32_t ReadLe(const std::string& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | (unsigned char)bytes[at + i];
  return value;
}

void PutLe(std::string* bytes, size_t at, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) (*bytes)[at + i] = (char)(value >> (8 * i));
}

ZipLayout ReadZipLayout(const std::string& zip) {
  ZipLayout layout;
  if (zip.size() < 22 || zip.compare(zip.size() - 22, 4, "PK\5\6", 4) != 0) return layout;
  layout.end = zip.size() - 22;
  layout.central = ReadLe(zip, layout.end + 16, 4);
  size_t at = layout.central;
  for (uint32_t n = ReadLe(zip, layout.end + 10, 2); n > 0; --n) {
    if (at + 46 > layout.end || zip.compare(at, 4, "PK\1\2", 4) != 0) return layout;
    ZipLayout::Entry e = {ReadLe(zip, at + 42, 4), 0, at, ReadLe(zip, at + 20, 4)};
    if (e.local + 30 > layout.central) return layout;
    e.data = e.local + 30 + ReadLe(zip, e.local + 26, 2) + ReadLe(zip, e.local + 28, 2);
    layout.entries.push_back(e);
    at += 46 + ReadLe(zip, at + 28, 2) + ReadLe(zip, at + 30, 2) + ReadLe(zip, at + 32, 2);
  }
  layout.ok = at == layout.end;
  return layout;
}

void PatchZipEntry(std::string* zip, size_t i, ZipField field, uint32_t value) {
  ZipLayout layout = ReadZipLayout(*zip);
  int size = field == ZIP_METHOD ? 2 : 4;
  PutLe(zip, layout.entries.at(i).local + field, value, size);
  PutLe(zip, layout.entries.at(i).central + field + 2, value, size);
}

std::string Packed(const MetaData& meta, const std::string& zip,
                   const std::vector<ZipEntry>& entries) {
  long long total = 0;
  for (const ZipEntry& e : entries) total += (long long)e.data.size();
  char header[2048];
  snprintf(header, sizeof header,
           "%cVQ%c\nExtractionPath=%s\nZipSize=%d\nUnZipSize=%d\nProgressBar=%d\n"
           "DeleteFiles=%d\nPassword=%d\nOverwrite=%d\n",
           '[', ']', meta.extractionPath.c_str(), (int)zip.size(),
           meta.unzipSize >= 0 ? meta.unzipSize : (int)total, meta.progressBar,
           meta.deleteFiles, meta.password, meta.overwrite);
  std::string block = header;
  for (size_t i = 0; i < meta.launches.size(); ++i) {
    const MetaData::Launch& l = meta.launches[i];
    std::string n = std::to_string(i);
    if (!l.execFile.empty()) block += "ExecFile" + n + "=" + l.execFile + "\r";
    block += "CmdLine" + n + "=" + l.cmdLine + "\rWinState" + n + "=" + l.winState + "\r";
  }
  return StubImage() + block + zip;
}

std::string BuildTreeFile(const char* relative) {
  char path[MAX_PATH];
  return GuiBuildTreePath(relative, path, sizeof path) ? ReadRawFile(path) : "<missing>";
}

const std::string& StubImage() {
  static std::string stub = BuildTreeFile("extractor\\vqstub.exe");
  return stub;
}

std::string RunFolder(const std::string& name) {
  char path[MAX_PATH];
  if (!GuiBuildTreePath(("tests\\extractor\\" + name).c_str(), path, sizeof path)) return "";
  RemoveTree(path);
  for (const char* sub : {"\\cwd", "\\tmp", "\\logs"}) MakeFolder(path + std::string(sub));
  return path;
}

// A dialog's flaw when it lacks a text it must show.
static std::string Lacks(HWND dialog, const char* text) {
  return GuiFindControlByText(dialog, text, "Static") ? "" : std::string("|!lacks ") + text;
}

RunResult RunPacked(const std::string& folder, const PackedRun& run) {
  RunResult result;
  std::string exe = folder + "\\packed.exe", tmp = folder + "\\tmp";
  if (!WriteRawFile(exe, run.bytes)) return result;
  SetEnvironmentVariableA("TMP", tmp.c_str());
  SetEnvironmentVariableA("TEMP", tmp.c_str());
  SetEnvironmentVariableA("VQ_PROBE_LOG_DIR", (folder + "\\logs").c_str());
  GuiProgram app;
  std::string line = "\"" + exe + "\"" + (run.args.empty() ? "" : " " + run.args);
  if (!GuiStartProgram(line.c_str(), (folder + "\\cwd").c_str(), &app.p)) return result;
  DWORD pid = app.p.pid, start = GetTickCount();
  while (!GuiWaitProgram(&app.p, 20, &result.code)) {
    if (GetTickCount() - start > run.timeoutMs) {
      result.code = kHung;  // GuiProgram ends it
      break;
    }
    if (run.watch) run.watch(app.p);
    size_t n = result.windows.size();
    const char* answer = n < run.answers.size() ? run.answers[n].c_str() : nullptr;
    std::string seen;
    HWND w;
    GuiMessageBox box;
    if ((w = GuiFindWindow("ERROR #", GuiMatchPrefix | GuiMatchDialog, pid))) {
      if (!GuiReadMessageBox(w, &box)) continue;
      seen = std::string(box.caption) + "|" + box.text;
    } else if ((w = GuiFindWindow("Password needed.", GuiMatchExact, pid))) {
      seen = std::string("Password needed.") + Lacks(w, "Password:") +
             Lacks(w, "This executable is password protected. Please enter the password in "
                      "the box below.");
    } else if ((w = GuiFindWindow("Confirm File Replace.", GuiMatchExact, pid))) {
      char path[MAX_PATH] = "";
      GuiReadText(GuiFindControl(w, 12), path, sizeof path);
      seen = std::string("Confirm File Replace.|") +
             (_strnicmp(path, folder.c_str(), folder.size()) ? path : path + folder.size() + 1) +
             Lacks(w, "Would you like to replace the following file?");
    } else if (!(w = GuiFindWindow("Browse for Folder", GuiMatchExact | GuiMatchDialog, pid))) {
      continue;
    } else {
      seen = "Browse for Folder";
    }
    if (run.shot && n == 0) {
      char path[MAX_PATH];
      Sleep(300);  // let it finish painting
      GuiBuildTreePath((std::string("tests\\extractor\\shots\\") + run.shot + ".png").c_str(),
                       path, sizeof path);
      if (!GuiSaveWindowShot(w, path)) seen += "|!no screenshot";
    }
    if (seen == "Browse for Folder") {
      GuiCommand(w, IDCANCEL);
    } else if (seen.compare(0, 6, "ERROR ") == 0 || seen[0] == 'C') {
      const char* label = answer ? answer : seen[0] == 'C' ? "&Yes" : nullptr;
      if (label ? !GuiClickButtonByText(w, label) : !GuiClickButton(w, box.buttonIds[0]))
        seen += "|!no such button";
    } else if (answer && !strcmp(answer, "<Cancel>")) {
      GuiClickButtonByText(w, "&Cancel");
    } else if (answer && !strcmp(answer, "<Close>")) {
      GuiCloseWindow(w);
    } else {
      HWND edit = GuiFindControl(w, 8);
      GuiSetText(edit, answer ? answer : run.password.c_str());
      if (answer) {  // Enter and Escape do nothing: neither button is OK or Cancel
        GuiPostKey(edit, VK_RETURN);
        GuiPostKey(edit, VK_ESCAPE);
        Sleep(300);
      }
      if (!GuiClickButtonByText(w, "&OK")) seen += "|!closed by a key";
    }
    result.windows.push_back(seen);
    if (!GuiWaitWindowGone(w, 15000)) break;  // then a hang, stopped above
  }
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((tmp + "\\VQ*.tmp").c_str(), &data);
  result.metaLeft = find != INVALID_HANDLE_VALUE;
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  return result;
}

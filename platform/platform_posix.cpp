// POSIX side of the operating-system layer: files, listings, temporary
// names, command line, clock and message boxes. Program paths keep their
// backslashes until PlatformSystemPath turns them into "/" for the call.
// The profile files are in profile_posix.cpp.
#include "platform/platform.h"
#include "platform/wildcard.h"

#include "base/utf8.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <string>

// ---------------------------------------------------------------- paths

bool PlatformSystemPath(const char* path, char* out, size_t outSize) {
  if (outSize == 0) return false;
  out[0] = '\0';
  // A drive letter means nothing here; Z:\tmp\x is /tmp/x as under Wine.
  if (((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) && path[1] == ':')
    path += 2;
  size_t n = 0;
  for (; path[n]; n++) {
    if (n + 1 >= outSize) {
      out[0] = '\0';
      return false;
    }
    out[n] = path[n] == '\\' ? '/' : path[n];
  }
  out[n] = '\0';
  return true;
}

// Program form of a system path: "/" becomes "\".
static bool ProgramPath(const char* path, char* out, size_t outSize) {
  size_t n = strlen(path);
  if (n + 1 > outSize) return false;
  for (size_t i = 0; i <= n; i++) out[i] = path[i] == '/' ? '\\' : path[i];
  return true;
}

bool PlatformModuleFileName(char* out, size_t outSize) {
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return false;
  buffer[n] = '\0';
  return ProgramPath(buffer, out, outSize);
}

// ---------------------------------------------------------------- files

bool PlatformGetFileInfo(const char* path, PlatformFileInfo* info) {
  char sys[4096];
  struct stat st;
  if (!PlatformSystemPath(path, sys, sizeof sys) || sys[0] == '\0' || stat(sys, &st) != 0)
    return false;
  info->isFolder = S_ISDIR(st.st_mode);
  info->size = info->isFolder ? 0 : (uint64_t)st.st_size;
  return true;
}

struct PlatformFind {
  DIR* dir;  // nullptr when the pattern named one entry without wildcards
  std::string folder;  // system form, with a trailing "/"
  std::string mask;
};

static bool FillFindData(const std::string& folder, const char* name, PlatformFindData* data) {
  if (strlen(name) >= sizeof data->name) return false;  // a name no program path can hold
  strcpy(data->name, name);
  data->nameExact = IsValidUtf8(name);
  struct stat st;
  std::string full = folder + name;
  if (stat(full.c_str(), &st) == 0) {
    data->isFolder = S_ISDIR(st.st_mode);
    data->size = data->isFolder ? 0 : (uint64_t)st.st_size;
  } else {  // a dangling link is still listed, as an empty file
    data->isFolder = false;
    data->size = 0;
  }
  return true;
}

static bool NextMatch(PlatformFind* find, PlatformFindData* data) {
  while (struct dirent* entry = readdir(find->dir)) {
    if (WildcardMatch(find->mask.c_str(), entry->d_name) &&
        FillFindData(find->folder, entry->d_name, data))
      return true;
  }
  return false;
}

PlatformFind* PlatformFindFirst(const char* pattern, PlatformFindData* data) {
  char sys[4096];
  if (!PlatformSystemPath(pattern, sys, sizeof sys) || sys[0] == '\0') return nullptr;
  const char* slash = strrchr(sys, '/');
  std::string folder = slash ? std::string(sys, slash + 1 - sys) : std::string("./");
  std::string mask = slash ? slash + 1 : sys;
  if (mask.empty()) return nullptr;  // "folder\" lists nothing, as on Windows
  PlatformFind* find = new PlatformFind{nullptr, folder, mask};
  if (mask.find_first_of("*?") == std::string::npos) {
    struct stat st;
    if (stat(sys, &st) == 0 && FillFindData(folder, mask.c_str(), data)) return find;
    // Otherwise the name may differ in case only: the scan below finds it as
    // the one entry it matches.
  }
  find->dir = opendir(folder.c_str());
  if (find->dir && NextMatch(find, data)) return find;
  PlatformFindClose(find);
  return nullptr;
}

bool PlatformFindNext(PlatformFind* find, PlatformFindData* data) {
  return find && find->dir && NextMatch(find, data);
}

void PlatformFindClose(PlatformFind* find) {
  if (!find) return;
  if (find->dir) closedir(find->dir);
  delete find;
}

struct PlatformFile {
  int fd;
};

static PlatformFile* OpenWith(const char* path, int flags) {
  char sys[4096];
  if (!PlatformSystemPath(path, sys, sizeof sys) || sys[0] == '\0') return nullptr;
  int fd = open(sys, flags | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat st;
  if ((flags & O_ACCMODE) == O_RDONLY && fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    close(fd);  // Windows does not open folders as files either
    return nullptr;
  }
  return new PlatformFile{fd};
}

PlatformFile* PlatformOpenRead(const char* path) { return OpenWith(path, O_RDONLY); }

PlatformFile* PlatformCreateWrite(const char* path) {
  return OpenWith(path, O_WRONLY | O_CREAT | O_TRUNC);
}

bool PlatformReadFile(PlatformFile* file, void* buffer, size_t size, size_t* got) {
  *got = 0;
  while (*got < size) {
    ssize_t n = read(file->fd, (char*)buffer + *got, size - *got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    *got += (size_t)n;
  }
  return true;
}

bool PlatformWriteFile(PlatformFile* file, const void* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = write(file->fd, (const char*)buffer + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += (size_t)n;
  }
  return true;
}

bool PlatformSeekFile(PlatformFile* file, uint64_t offset) {
  return lseek(file->fd, (off_t)offset, SEEK_SET) == (off_t)offset;
}

bool PlatformFlushFile(PlatformFile* file) { return fsync(file->fd) == 0; }

bool PlatformCloseFile(PlatformFile* file) {
  if (!file) return false;
  bool ok = close(file->fd) == 0;
  delete file;
  return ok;
}

bool PlatformCreateNewFile(const char* path) {
  char sys[4096];
  if (!PlatformSystemPath(path, sys, sizeof sys) || !sys[0]) return false;
  int fd = open(sys, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  close(fd);
  return true;
}

bool PlatformDeleteFile(const char* path) {
  char sys[4096];
  struct stat st;
  if (!PlatformSystemPath(path, sys, sizeof sys) || lstat(sys, &st) != 0 || S_ISDIR(st.st_mode))
    return false;
  return unlink(sys) == 0;
}

bool PlatformCreateFolder(const char* path) {
  char sys[4096];
  return PlatformSystemPath(path, sys, sizeof sys) && sys[0] && mkdir(sys, 0777) == 0;
}

bool PlatformRemoveFolder(const char* path) {
  char sys[4096];
  return PlatformSystemPath(path, sys, sizeof sys) && sys[0] && rmdir(sys) == 0;
}

static bool SyncPath(const char* sys, int flags) {
  int fd = open(sys, flags | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fsync(fd) == 0;
  close(fd);
  return ok;
}

bool PlatformReplaceFile(const char* from, const char* to) {
  char sysFrom[4096], sysTo[4096];
  if (!PlatformSystemPath(from, sysFrom, sizeof sysFrom) ||
      !PlatformSystemPath(to, sysTo, sizeof sysTo) || !sysFrom[0] || !sysTo[0])
    return false;
  struct stat st;
  if (stat(sysTo, &st) == 0 && S_ISDIR(st.st_mode)) return false;  // never over a folder
  if (!SyncPath(sysFrom, O_RDONLY)) return false;
  if (rename(sysFrom, sysTo) != 0) return false;
  std::string folder(sysTo);
  size_t slash = folder.rfind('/');
  folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
  SyncPath(folder.c_str(), O_RDONLY | O_DIRECTORY);  // the move itself is done; best effort
  return true;
}

bool PlatformCurrentFolder(char* out, size_t outSize) {
  char buffer[4096];
  if (!getcwd(buffer, sizeof buffer - 1)) return false;
  size_t n = strlen(buffer);
  if (n == 0 || buffer[n - 1] != '/') memcpy(buffer + n, "/", 2);
  return ProgramPath(buffer, out, outSize);
}

bool PlatformSystemArguments(int, char**, int*) { return true; }

bool PlatformSystemCommandLine(char* out, size_t outSize) {
  if (outSize) out[0] = '\0';
  return false;
}

bool PlatformTempFolder(char* out, size_t outSize) {
  const char* dir = getenv("TMPDIR");
  if (!dir || !*dir) dir = "/tmp";
  std::string folder = dir;
  if (folder.back() != '/') folder += '/';
  return ProgramPath(folder.c_str(), out, outSize);
}

// GetTempFileNameA's form: folder, up to three characters of the prefix,
// four hex digits, ".tmp"; the file is created so the name stays ours.
bool PlatformTempFileName(const char* folder, const char* prefix, char* out, size_t outSize) {
  std::string base = folder;
  if (base.empty() || (base.back() != '\\' && base.back() != '/')) base += '\\';
  base.append(prefix, strnlen(prefix, 3));
  unsigned start = ((unsigned)getpid() * 2654435761u ^ (unsigned)time(nullptr)) & 0xFFFF;
  for (unsigned i = 0; i < 0x10000; i++) {
    unsigned unique = (start + i) & 0xFFFF;
    if (unique == 0) continue;
    char name[16];
    snprintf(name, sizeof name, "%X.tmp", unique);
    std::string path = base + name;
    char sys[4096];
    if (path.size() + 1 > outSize || !PlatformSystemPath(path.c_str(), sys, sizeof sys)) return false;
    int fd = open(sys, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      close(fd);
      memcpy(out, path.c_str(), path.size() + 1);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

// ---------------------------------------------------------------- UTF-8 paths

// Names are bytes here, and the program's texts UTF-8 already.
PlatformFind* PlatformFindFirstUtf8(const char* pattern, PlatformFindData* data) {
  return PlatformFindFirst(pattern, data);
}

bool PlatformFindNextUtf8(PlatformFind* find, PlatformFindData* data) {
  return PlatformFindNext(find, data);
}

bool PlatformGetFileInfoUtf8(const char* path, PlatformFileInfo* info) {
  return PlatformGetFileInfo(path, info);
}

PlatformFile* PlatformOpenReadUtf8(const char* path) { return PlatformOpenRead(path); }

bool PlatformSystemToUtf8(const char* text, char* out, size_t outSize) {
  if (IsValidUtf8(text) && CopyText(out, outSize, text)) return true;
  if (outSize) out[0] = '\0';
  return false;
}

bool PlatformUtf8ToSystem(const char* text, char* out, size_t outSize) {
  if (CopyText(out, outSize, text)) return true;
  if (outSize) out[0] = '\0';
  return false;
}

// ---------------------------------------------------------------- registry

bool PlatformRegistrySetString(PlatformRegistryRoot, const char*, const char*, const char*) {
  return false;
}

// ---------------------------------------------------------------- clock

void PlatformGetLocalTime(PlatformLocalTime* t) {
  time_t now = time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  t->year = local.tm_year + 1900;
  t->month = local.tm_mon + 1;
  t->day = local.tm_mday;
  t->hour = local.tm_hour;
  t->minute = local.tm_min;
  t->second = local.tm_sec;
}

// ---------------------------------------------------------------- message boxes

static PlatformMessageBoxHook gMessageBoxHook = nullptr;

void PlatformSetMessageBoxHook(PlatformMessageBoxHook hook) { gMessageBoxHook = hook; }

int PlatformMessageBox(PlatformOwner owner, const char* text, const char* caption, unsigned flags) {
  if (gMessageBoxHook) return gMessageBoxHook(owner, text, caption, flags);
  fprintf(stderr, "%s: %s\n", caption, text);
  unsigned buttons = flags & 0xF;
  return buttons == PLATFORM_MB_YESNO || buttons == PLATFORM_MB_YESNOCANCEL ? PLATFORM_IDYES
                                                                            : PLATFORM_IDOK;
}

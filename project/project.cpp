#include "project/project.h"

#include "base/names.h"
#include "platform/platform.h"
#include "services/paths.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

ProjectRecord gProject;
LaunchList gLaunch;

static const char kSection[] = VQ_PROJECT_SECTION;
static const char kFileVersion[] = "1.2";

void InitProject(ProjectRecord* record, LaunchList* launch) {
  memset(record, 0, sizeof *record);
  memset(launch, 0, sizeof *launch);
  CopyText(record->Version, VQ_TEXT_SIZE, "1.0");
  CopyText(record->ProjectName, VQ_TEXT_SIZE, "Project Name");
  CopyText(record->ExtractionFolder, VQ_TEXT_SIZE, "*AppDir*\\SubDirectory");
  AppFolder(record->OutputFile, VQ_TEXT_SIZE);
  AppendText(record->OutputFile, VQ_TEXT_SIZE, "Output.exe");
}

int LaunchCount(const LaunchList* launch) {
  int n = 0;
  while (n < VQ_MAX_LAUNCH && launch->ExecFile[n][0]) n++;
  return n;
}

const char* PathBelowFolder(const char* path, const char* folder) {
  size_t length = strlen(folder);
  if (length > 0 && strncmp(path, folder, length) == 0) return path + length;
  return path;
}

// A value that no line of a profile file can hold: it tells a missing key
// from an empty one, so that a missing key leaves the field exactly as it was
// (a default passed through the profile services would lose enclosing quotes
// and trailing blanks).
static const char kMissing[] = "\n";

static void ReadText(const char* key, char* field, const char* file) {
  char value[VQ_TEXT_SIZE];
  PlatformProfileGetString(kSection, key, kMissing, value, sizeof value, file);
  if (strcmp(value, kMissing) != 0) CopyText(field, VQ_TEXT_SIZE, value);
}

static void ReadNumber(const char* key, int* field, const char* file) {
  *field = PlatformProfileGetInt(kSection, key, *field, file);
}

// The profile services look for a bare file name ("demo.vqx") in the Windows
// folder, not in the current one where the user named it (on the command
// line, say): such a name is read and written as ".\demo.vqx".
static void ProfileFileName(const char* path, char* out, size_t outSize) {
  bool drive = UpperAscii(path[0]) >= 'A' && UpperAscii(path[0]) <= 'Z' && path[1] == ':';
  bool bare = !drive && !strchr(path, '\\') && !strchr(path, '/');
  CopyText(out, outSize, bare ? ".\\" : "");
  AppendText(out, outSize, path);
}

// The record's keys in the order a save writes them. Version is read into
// the record but always written as the version of this builder.
static const struct {
  const char* name;
  char (ProjectRecord::*text)[VQ_TEXT_SIZE];  // or null for a number
  int ProjectRecord::*number;
} kKeys[] = {
    {"Version", &ProjectRecord::Version, nullptr},
    {"ProjectName", &ProjectRecord::ProjectName, nullptr},
    {"SourceFolder", &ProjectRecord::SourceFolder, nullptr},
    {"Password", &ProjectRecord::Password, nullptr},
    {"ExtractionFolder", &ProjectRecord::ExtractionFolder, nullptr},
    {"IconFile", &ProjectRecord::IconFile, nullptr},
    {"OutputFile", &ProjectRecord::OutputFile, nullptr},
    {"Checkbox1", nullptr, &ProjectRecord::Checkbox1},
    {"Checkbox2", nullptr, &ProjectRecord::Checkbox2},
    {"Checkbox3", nullptr, &ProjectRecord::Checkbox3},
    {"CompressLevel", nullptr, &ProjectRecord::CompressLevel},
    {"OverwriteMode", nullptr, &ProjectRecord::OverwriteMode},
    {"Encryption", &ProjectRecord::Encryption, nullptr},
};

const char kEncryptionAes256[] = "AES256";

bool UsesAes256(const ProjectRecord* record) {
  return EqualIgnoringCase(record->Encryption, kEncryptionAes256, sizeof kEncryptionAes256);
}

static void LaunchKey(const char* stem, int i, char* out, size_t outSize) {
  snprintf(out, outSize, "%s%d", stem, i);
}

ProjectLoad LoadProject(ProjectRecord* record, LaunchList* launch) {
  char file[VQ_TEXT_SIZE + 2];
  ProfileFileName(record->ProjectFilePath, file, sizeof file);
  for (const auto& key : kKeys) {
    if (key.text) ReadText(key.name, record->*key.text, file);
    else ReadNumber(key.name, &(record->*key.number), file);
  }

  for (int i = 0; i < VQ_MAX_LAUNCH; i++) {
    char key[32], value[VQ_TEXT_SIZE];
    LaunchKey(VQ_KEY_EXEC_FILE, i, key, sizeof key);
    PlatformProfileGetString(kSection, key, "", value, sizeof value, file);
    if (value[0] == '\0') {
      launch->ExecFile[i][0] = '\0';
      break;
    }
    LaunchKey(VQ_KEY_CMD_LINE, i, key, sizeof key);
    PlatformProfileGetString(kSection, key, VQ_COMMAND_VARIABLE, launch->CmdLine[i], VQ_TEXT_SIZE, file);
    LaunchKey(VQ_KEY_WIN_STATE, i, key, sizeof key);
    PlatformProfileGetString(kSection, key, VQ_WINDOW_SHOW, launch->WinState[i], VQ_TEXT_SIZE, file);
    // Stored relative to the source folder (or whole, when it was outside):
    // the folder goes in front either way.
    char joined[2 * VQ_TEXT_SIZE + 2];
    snprintf(joined, sizeof joined, "%s\\%s", record->SourceFolder, value);
    NormalisePath(joined, launch->ExecFile[i], VQ_TEXT_SIZE);
  }

  char version[VQ_TEXT_SIZE];
  TrimText(record->Version, version, sizeof version);
  return strcmp(version, kFileVersion) == 0 ? PROJECT_LOADED : PROJECT_OTHER_VERSION;
}

static bool WriteText(const char* key, const char* value, const char* file) {
  return PlatformProfileWriteString(kSection, key, value, file);
}

static bool WriteProjectKeys(const ProjectRecord* record, const LaunchList* launch,
                             const char* file) {
  bool ok = true;
  for (const auto& key : kKeys) {
    char number[16];
    if (key.number) snprintf(number, sizeof number, "%d", record->*key.number);
    const char* value = key.number ? number
                        : key.text == &ProjectRecord::Version ? kFileVersion
                                                              : record->*key.text;
    ok = ok && WriteText(key.name, value, file);
  }
  for (int i = 0; ok && i < VQ_MAX_LAUNCH && launch->ExecFile[i][0]; i++) {
    char key[32];
    LaunchKey(VQ_KEY_EXEC_FILE, i, key, sizeof key);
    ok = WriteText(key, PathBelowFolder(launch->ExecFile[i], record->SourceFolder), file);
    LaunchKey(VQ_KEY_CMD_LINE, i, key, sizeof key);
    ok = ok && WriteText(key, launch->CmdLine[i], file);
    LaunchKey(VQ_KEY_WIN_STATE, i, key, sizeof key);
    ok = ok && WriteText(key, launch->WinState[i], file);
  }
  return ok;
}

bool SaveProject(const ProjectRecord* record, const LaunchList* launch) {
  if (record->ProjectFilePath[0] == '\0') return false;
  char file[VQ_TEXT_SIZE + 2];
  ProfileFileName(record->ProjectFilePath, file, sizeof file);
  // The new file is written whole under a name of its own beside the old one
  // and only then takes the old one's place: a save that fails half-way
  // must not cost the user the project they had.
  char temp[VQ_TEXT_SIZE + 2];
  if (!ReserveSiblingName(file, temp, sizeof temp)) return false;
  bool ok = WriteProjectKeys(record, launch, temp);
  PlatformProfileFlush(temp);
  ok = ok && PlatformReplaceFile(temp, file);
  if (!ok) PlatformDeleteFile(temp);
  // What the profile services held of the old file is stale now.
  PlatformProfileFlush(file);
  return ok;
}

bool IsProjectFile(const char* path) {
  char file[VQ_TEXT_SIZE + 2];
  ProfileFileName(path, file, sizeof file);
  PlatformFile* handle = PlatformOpenRead(file);
  if (!handle) return false;
  // A project file starts with its section; other sections may stand before
  // it in one made by hand, but not a megabyte of them.
  enum { kLookAt = 1 << 20 };
  char* text = (char*)malloc(kLookAt + 1);
  size_t got = 0;
  bool read = text && PlatformReadFile(handle, text, kLookAt, &got);
  PlatformCloseFile(handle);
  bool found = false;
  for (size_t line = 0; read && !found && line < got;) {
    size_t end = line;
    while (end < got && text[end] != '\n' && text[end] != '\r') end++;
    size_t from = line, to = end;
    while (from < to && IsTrimmedSpace(text[from])) from++;
    while (to > from && IsTrimmedSpace(text[to - 1])) to--;
    found = to - from == sizeof kSection + 1 && text[from] == '[' && text[to - 1] == ']' &&
            EqualIgnoringCase(text + from + 1, kSection, sizeof kSection - 1);
    line = end + 1;
  }
  free(text);
  return found;
}

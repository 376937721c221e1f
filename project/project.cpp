#include "project/project.h"

#include "platform/platform.h"
#include "shell/paths.h"

#include <stdio.h>
#include <string.h>

ProjectRecord gProject;
LaunchList gLaunch;

static const char kSection[] = "Varnoquist";
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

void LoadProject(ProjectRecord* record, LaunchList* launch) {
  char file[VQ_TEXT_SIZE + 2];
  ProfileFileName(record->ProjectFilePath, file, sizeof file);
  ReadText("Version", record->Version, file);
  ReadText("ProjectName", record->ProjectName, file);
  ReadText("SourceFolder", record->SourceFolder, file);
  ReadText("Password", record->Password, file);
  ReadText("ExtractionFolder", record->ExtractionFolder, file);
  ReadText("IconFile", record->IconFile, file);
  ReadText("OutputFile", record->OutputFile, file);
  ReadNumber("Checkbox1", &record->Checkbox1, file);
  ReadNumber("Checkbox2", &record->Checkbox2, file);
  ReadNumber("Checkbox3", &record->Checkbox3, file);
  ReadNumber("CompressLevel", &record->CompressLevel, file);
  ReadNumber("OverwriteMode", &record->OverwriteMode, file);

  for (int i = 0; i < VQ_MAX_LAUNCH; i++) {
    char key[32], value[VQ_TEXT_SIZE];
    snprintf(key, sizeof key, "ExecFile%d", i);
    PlatformProfileGetString(kSection, key, "", value, sizeof value, file);
    if (value[0] == '\0') {
      launch->ExecFile[i][0] = '\0';
      break;
    }
    snprintf(key, sizeof key, "CmdLine%d", i);
    PlatformProfileGetString(kSection, key, "*Command*", launch->CmdLine[i], VQ_TEXT_SIZE, file);
    snprintf(key, sizeof key, "WinState%d", i);
    PlatformProfileGetString(kSection, key, "*ShowWin*", launch->WinState[i], VQ_TEXT_SIZE, file);
    // Stored relative to the source folder (or whole, when it was outside):
    // the folder goes in front either way.
    char joined[2 * VQ_TEXT_SIZE + 2];
    snprintf(joined, sizeof joined, "%s\\%s", record->SourceFolder, value);
    NormalisePath(joined, launch->ExecFile[i], VQ_TEXT_SIZE);
  }

  char version[VQ_TEXT_SIZE];
  TrimText(record->Version, version, sizeof version);
  if (strcmp(version, kFileVersion) != 0)
    PlatformMessageBox(PLATFORM_OWNER_ACTIVE_WINDOW,
                       "The version of the project file you selected may not be fully supported.",
                       "Unsupported Project file.",
                       PLATFORM_MB_OK | PLATFORM_MB_ICONEXCLAMATION);
}

static bool WriteText(const char* key, const char* value, const char* file) {
  return PlatformProfileWriteString(kSection, key, value, file);
}

static bool WriteNumber(const char* key, int value, const char* file) {
  char text[16];
  snprintf(text, sizeof text, "%d", value);
  return WriteText(key, text, file);
}

static bool WriteProjectKeys(const ProjectRecord* record, const LaunchList* launch,
                             const char* file) {
  bool ok = WriteText("Version", kFileVersion, file) &&
            WriteText("ProjectName", record->ProjectName, file) &&
            WriteText("SourceFolder", record->SourceFolder, file) &&
            WriteText("Password", record->Password, file) &&
            WriteText("ExtractionFolder", record->ExtractionFolder, file) &&
            WriteText("IconFile", record->IconFile, file) &&
            WriteText("OutputFile", record->OutputFile, file) &&
            WriteNumber("Checkbox1", record->Checkbox1, file) &&
            WriteNumber("Checkbox2", record->Checkbox2, file) &&
            WriteNumber("Checkbox3", record->Checkbox3, file) &&
            WriteNumber("CompressLevel", record->CompressLevel, file) &&
            WriteNumber("OverwriteMode", record->OverwriteMode, file);
  for (int i = 0; ok && i < VQ_MAX_LAUNCH && launch->ExecFile[i][0]; i++) {
    char key[32];
    snprintf(key, sizeof key, "ExecFile%d", i);
    ok = WriteText(key, PathBelowFolder(launch->ExecFile[i], record->SourceFolder), file);
    snprintf(key, sizeof key, "CmdLine%d", i);
    ok = ok && WriteText(key, launch->CmdLine[i], file);
    snprintf(key, sizeof key, "WinState%d", i);
    ok = ok && WriteText(key, launch->WinState[i], file);
  }
  return ok;
}

bool SaveProject(const ProjectRecord* record, const LaunchList* launch) {
  const char* path = record->ProjectFilePath;
  if (path[0] == '\0') return false;
  // The new file is written whole under a temporary name in the same folder
  // and only then takes the old one's place: a save that fails half-way
  // must not cost the user the project they had.
  char folder[VQ_TEXT_SIZE];
  CopyText(folder, sizeof folder, path);
  char* slash = strrchr(folder, '\\');
  if (slash)
    slash[1] = '\0';
  else
    CopyText(folder, sizeof folder, ".\\");
  char temp[VQ_TEXT_SIZE];
  if (!PlatformTempFileName(folder, "vqx", temp, sizeof temp)) return false;
  bool ok = WriteProjectKeys(record, launch, temp);
  PlatformProfileFlush(temp);
  ok = ok && PlatformReplaceFile(temp, path);
  if (!ok) PlatformDeleteFile(temp);
  // What the profile services held of the old file is stale now.
  char file[VQ_TEXT_SIZE + 2];
  ProfileFileName(path, file, sizeof file);
  PlatformProfileFlush(file);
  return ok;
}

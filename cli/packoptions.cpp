#include "cli/packoptions.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "platform/platform.h"

#include "base/names.h"
#include "base/text.h"
#include "base/utf8.h"
#include "build/buildjob.h"
#include "build/folder_walk.h"
#include "project/options.h"

namespace {

bool Refuse(char* error, size_t errorSize, const char* reason, const char* detail) {
  snprintf(error, errorSize, "%s%s", reason, detail);
  return false;
}

// "--name VALUE" or "--name=VALUE" at argv[*i]; moves *i past what it used.
// Returns 1 when matched, 0 when not this option, -1 when the value is missing.
int TakeValue(const char* name, int argc, char** argv, int* i, const char** value) {
  const char* arg = argv[*i];
  size_t length = strlen(name);
  if (strncmp(arg, name, length) != 0) return 0;
  if (arg[length] == '=') {
    *value = arg + length + 1;
    return 1;
  }
  if (arg[length] != '\0') return 0;
  if (*i + 1 >= argc) return -1;
  *i += 1;
  *value = argv[*i];
  return 1;
}

// NormalisePath, then a trailing backslash.
bool FolderForm(const char* text, char* out, size_t outSize) {
  return NormalisePath(text, out, outSize) && AddTrailingBackslash(out, outSize);
}

// "on" or "off" into 1 or 0; -1 for anything else.
int Switch(const char* text) {
  if (strcmp(text, "on") == 0) return 1;
  if (strcmp(text, "off") == 0) return 0;
  return -1;
}

// The window-state keyword of a --window value; null when it is none of them.
const char* WindowStateOf(const char* window) {
  static const char* const kStates[][2] = {{"show", VQ_WINDOW_SHOW},
                                           {"hide", VQ_WINDOW_HIDE},
                                           {"max", VQ_WINDOW_MAXIMIZE},
                                           {"min", VQ_WINDOW_MINIMIZE}};
  if (!window) return VQ_WINDOW_SHOW;
  for (const auto& s : kStates)
    if (strcmp(window, s[0]) == 0) return s[1];
  return nullptr;
}

// The password from a file's first line or an environment variable, never
// from the command line itself, where other users can read it.
bool ReadPassword(const PackOptions* options, char* out, size_t outSize, char* error,
                  size_t errorSize) {
  if (options->passwordEnv) {
    const char* value = getenv(options->passwordEnv);
    if (!value || !value[0])
      return Refuse(error, errorSize, "no password in environment variable ", options->passwordEnv);
    return CopyText(out, outSize, value) ||
           Refuse(error, errorSize, "the password is longer than 2047 characters", "");
  }
  char path[VQ_TEXT_SIZE];
  PlatformFile* file = NormalisePath(options->passwordFile, path, sizeof path)
                           ? PlatformOpenRead(path)
                           : nullptr;
  size_t got = 0;
  bool read = file && PlatformReadFile(file, out, outSize - 1, &got);
  if (file) PlatformCloseFile(file);
  if (!read) return Refuse(error, errorSize, "cannot read the password file ", options->passwordFile);
  out[got] = '\0';
  out[strcspn(out, "\r\n")] = '\0';
  if (!out[0]) return Refuse(error, errorSize, "the password file holds no password: ", options->passwordFile);
  return true;
}

// text with each byte that starts no UTF-8 sequence, and each control
// character, as \xNN, so that a message names a file or value exactly.
void ShowEscaped(const char* text, char* out, size_t outSize) {
  size_t n = 0;
  while (*text && n + 5 <= outSize) {
    size_t length = Utf8SequenceLength(text);
    if (length == 0 || (unsigned char)*text < 0x20) {
      n += (size_t)snprintf(out + n, outSize - n, "\\x%02X", (unsigned char)*text);
      text++;
    } else {
      for (; length > 0; --length) out[n++] = *text++;
    }
  }
  if (outSize) out[n < outSize ? n : outSize - 1] = '\0';
}

// Keeps the first path whose name has no UTF-8 form and ends the walk.
bool KeepNameNotUtf8(void* context, const char* path) {
  CopyText((char*)context, VQ_UTF8_TEXT_SIZE, path);
  return false;
}

// The options that replace one field each.
bool ApplySettingOptions(const PackOptions* options, ProjectRecord* record, char* error,
                         size_t errorSize) {
  if (options->level) {
    char* end = nullptr;
    long level = strtol(options->level, &end, 10);
    if (!options->level[0] || *end || level < 0 || level > 9)
      return Refuse(error, errorSize, "--level takes 0 to 9: ", options->level);
    record->CompressLevel = (int)level;
  }
  const struct {
    const char* value;
    int* field;
    const char* name;
  } switches[] = {{options->progress, &record->Checkbox1, "--progress takes on or off: "},
                  {options->deleteFiles, &record->Checkbox2, "--delete-files takes on or off: "}};
  for (const auto& s : switches) {
    if (!s.value) continue;
    if (Switch(s.value) < 0) return Refuse(error, errorSize, s.name, s.value);
    *s.field = Switch(s.value);
  }
  if (options->overwrite) {
    const char* const kModes[] = {"all", "ask", "skip"};
    int mode = -1;
    for (int m = 0; m < 3; ++m)
      if (strcmp(options->overwrite, kModes[m]) == 0) mode = m;
    if (mode < 0) return Refuse(error, errorSize, "--overwrite takes all, ask or skip: ", options->overwrite);
    record->OverwriteMode = mode;
  }
  if (options->extractTo &&
      !NormalisePath(options->extractTo, record->ExtractionFolder, VQ_TEXT_SIZE))
    return Refuse(error, errorSize, "extraction folder too long: ", options->extractTo);
  if (options->icon && !NormalisePath(options->icon, record->IconFile, VQ_TEXT_SIZE))
    return Refuse(error, errorSize, "icon path too long: ", options->icon);
  if (options->encryption) {
    bool aes = strcmp(options->encryption, "aes256") == 0;
    if (!aes && strcmp(options->encryption, "zipcrypto") != 0)
      return Refuse(error, errorSize, "--encryption takes aes256 or zipcrypto: ", options->encryption);
    CopyText(record->Encryption, sizeof record->Encryption, aes ? kEncryptionAes256 : "");
  }
  if (options->passwordFile || options->passwordEnv) {
    if (!ReadPassword(options, record->Password, VQ_TEXT_SIZE, error, errorSize)) return false;
    record->Checkbox3 = 1;
  }
  return true;
}

}  // namespace

bool ParsePackArguments(int argc, char** argv, PackOptions* options, char* error,
                        size_t errorSize) {
  memset(options, 0, sizeof *options);
  struct Named {
    const char* name;
    const char** value;
  } named[] = {
      {"--source", &options->source},           {"--output", &options->output},
      {"--level", &options->level},             {"--progress", &options->progress},
      {"--delete-files", &options->deleteFiles}, {"--overwrite", &options->overwrite},
      {"--extract-to", &options->extractTo},    {"--icon", &options->icon},
      {"--password-file", &options->passwordFile}, {"--password-env", &options->passwordEnv},
      {"--save-project", &options->saveProject}, {"--encryption", &options->encryption},
  };
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (strcmp(arg, "-h") == 0 || strcmp(arg, "--help") == 0) {
      options->help = true;
      return true;
    }
    if (strcmp(arg, "--version") == 0) {
      options->version = true;
      return true;
    }
    int taken = 0;
    for (const Named& n : named) {
      if (taken == 0) taken = TakeValue(n.name, argc, argv, &i, n.value);
    }
    const char* value = nullptr;
    PackLaunch* last = options->launchCount ? &options->launch[options->launchCount - 1] : nullptr;
    if (taken == 0 && (taken = TakeValue("--launch", argc, argv, &i, &value)) > 0) {
      if (options->launchCount == VQ_MAX_LAUNCH)
        return Refuse(error, errorSize, "more than 64 launch entries", "");
      options->launch[options->launchCount++] = PackLaunch{value, nullptr, nullptr};
    } else if (taken == 0 && (taken = TakeValue("--cmdline", argc, argv, &i, &value)) > 0) {
      if (!last) return Refuse(error, errorSize, "--cmdline before any --launch", "");
      last->cmdLine = value;
    } else if (taken == 0 && (taken = TakeValue("--window", argc, argv, &i, &value)) > 0) {
      if (!last) return Refuse(error, errorSize, "--window before any --launch", "");
      last->window = value;
    }
    if (taken < 0) return Refuse(error, errorSize, "missing value for ", arg);
    if (taken > 0) continue;
    if (arg[0] == '-' && arg[1] != '\0') return Refuse(error, errorSize, "unknown option ", arg);
    if (options->projectPath) return Refuse(error, errorSize, "more than one project file: ", arg);
    options->projectPath = arg;
  }
  if (!options->projectPath && (!options->source || !options->output))
    return Refuse(error, errorSize, "no project file given, nor --source and --output", "");
  return true;
}

bool ApplyPackOverrides(const PackOptions* options, ProjectRecord* record, LaunchList* launch,
                        char* error, size_t errorSize) {
  char oldSource[VQ_TEXT_SIZE];
  char newSource[VQ_TEXT_SIZE];
  const char* given = options->source ? options->source : record->SourceFolder;
  if (IsBlankText(given)) return Refuse(error, errorSize, "the project names no source folder", "");
  if (!FolderForm(given, newSource, sizeof newSource)) {
    return Refuse(error, errorSize, "source folder too long: ", given);
  }
  // Launch entries were loaded as the old source folder + their stored path.
  bool hadSource = !IsBlankText(record->SourceFolder) &&
                   FolderForm(record->SourceFolder, oldSource, sizeof oldSource);
  size_t oldLength = hadSource ? strlen(oldSource) : 0;
  for (int i = 0; hadSource && i < LaunchCount(launch); ++i) {
    char* entry = launch->ExecFile[i];
    if (strncmp(entry, oldSource, oldLength) != 0) continue;
    char moved[VQ_TEXT_SIZE];
    if (!CopyText(moved, sizeof moved, newSource) ||
        !AppendText(moved, sizeof moved, entry + oldLength)) {
      return Refuse(error, errorSize, "launch entry too long below the new source: ", entry);
    }
    CopyText(entry, VQ_TEXT_SIZE, moved);
  }
  CopyText(record->SourceFolder, sizeof record->SourceFolder, newSource);

  char path[VQ_TEXT_SIZE];
  const char* output = options->output ? options->output : record->OutputFile;
  if (!NormalisePath(output, path, sizeof path)) {
    return Refuse(error, errorSize, "output path too long: ", output);
  }
  CopyText(record->OutputFile, sizeof record->OutputFile, path);
  if (!NormalisePath(record->IconFile, path, sizeof path)) {
    return Refuse(error, errorSize, "icon path too long: ", record->IconFile);
  }
  CopyText(record->IconFile, sizeof record->IconFile, path);

  if (!ApplySettingOptions(options, record, error, errorSize)) return false;
  if (options->launchCount > 0) {
    memset(launch, 0, sizeof *launch);
    for (int i = 0; i < options->launchCount; ++i) {
      const PackLaunch& l = options->launch[i];
      char file[VQ_TEXT_SIZE];
      const char* state = WindowStateOf(l.window);
      if (!state) return Refuse(error, errorSize, "--window takes show, hide, max or min: ", l.window);
      if (!NormalisePath(l.file, file, sizeof file) ||
          !CopyText(launch->ExecFile[i], VQ_TEXT_SIZE, record->SourceFolder) ||
          !AppendText(launch->ExecFile[i], VQ_TEXT_SIZE, file) ||
          !CopyText(launch->CmdLine[i], VQ_TEXT_SIZE, l.cmdLine ? l.cmdLine : VQ_COMMAND_VARIABLE)) {
        return Refuse(error, errorSize, "launch entry too long: ", l.file);
      }
      CopyText(launch->WinState[i], VQ_TEXT_SIZE, state);
    }
  }

  // What the options and output pages would not let through.
  OptionCheck check = CheckBuildSettings(record);
  if (check != OPTION_OK) return Refuse(error, errorSize, OptionCheckText(check), "");
  return true;
}

bool CheckLaunchEntries(const ProjectRecord* record, const LaunchList* launch, char* error,
                        size_t errorSize) {
  for (int i = 0; i < LaunchCount(launch); ++i) {
    const char* entry = launch->ExecFile[i];
    const char* below = PathBelowFolder(entry, record->SourceFolder);
    PlatformFileInfo info;
    if (below == entry || !below[0] || !PlatformGetFileInfo(entry, &info) || info.isFolder)
      return Refuse(error, errorSize, "launch entry is not a file in the source folder: ", entry);
  }
  return true;
}

bool CheckPackTexts(const ProjectRecord* record, const LaunchList* launch, char* error,
                    size_t errorSize) {
  char found[VQ_UTF8_TEXT_SIZE] = "";
  char shown[VQ_UTF8_TEXT_SIZE];
  std::string block;
  if (!FormatMetaBlock(record, launch, 0, 0, &block, found, sizeof found)) {
    ShowEscaped(found, shown, sizeof shown);
    return Refuse(error, errorSize, "a setting is not one line of valid UTF-8: ", shown);
  }
  char folder[VQ_UTF8_TEXT_SIZE];
  if (!PlatformSystemToUtf8(record->SourceFolder, folder, sizeof folder)) {
    ShowEscaped(record->SourceFolder, shown, sizeof shown);
    return Refuse(error, errorSize, "the source folder is not valid UTF-8: ", shown);
  }
  const FolderVisitor visitor = {found, nullptr, nullptr, nullptr, KeepNameNotUtf8};
  if (WalkFolder(folder, &visitor)) return true;
  // In the form of the system the packer runs on, as its log shows paths.
  char path[VQ_UTF8_TEXT_SIZE];
  if (!PlatformSystemPath(found, path, sizeof path)) CopyText(path, sizeof path, found);
  ShowEscaped(path, shown, sizeof shown);
  PlatformUtf8ToSystem(shown, path, sizeof path);
  return Refuse(error, errorSize, "a file name is not valid UTF-8: ", path);
}

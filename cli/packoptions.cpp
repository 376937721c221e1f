#include "cli/packoptions.h"

#include <stdio.h>
#include <string.h>

#include "project/options.h"
#include "shell/text.h"

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

}  // namespace

bool ParsePackArguments(int argc, char** argv, PackOptions* options, char* error,
                        size_t errorSize) {
  memset(options, 0, sizeof *options);
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (strcmp(arg, "-h") == 0 || strcmp(arg, "--help") == 0) {
      options->help = true;
      return true;
    }
    int taken = TakeValue("--source", argc, argv, &i, &options->source);
    if (taken == 0) taken = TakeValue("--output", argc, argv, &i, &options->output);
    if (taken < 0) return Refuse(error, errorSize, "missing value for ", arg);
    if (taken > 0) continue;
    if (arg[0] == '-' && arg[1] != '\0') return Refuse(error, errorSize, "unknown option ", arg);
    if (options->projectPath) return Refuse(error, errorSize, "more than one project file: ", arg);
    options->projectPath = arg;
  }
  if (!options->projectPath) return Refuse(error, errorSize, "no project file given", "");
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

  // What the options and output pages would not let through.
  OptionCheck check = CheckBuildSettings(record);
  if (check != OPTION_OK) return Refuse(error, errorSize, OptionCheckText(check), "");
  return true;
}

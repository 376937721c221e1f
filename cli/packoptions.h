// vqpack's command line: a project file, options for every project setting,
// and the overrides they make on the loaded (or new) project.
#pragma once

#include <stddef.h>

#include "project/project.h"

// One --launch FILE, with the --cmdline and --window that follow it.
struct PackLaunch {
  const char* file;     // below the source folder
  const char* cmdLine;  // null: "*Command*"
  const char* window;   // show, hide, max, min; null: show
};

struct PackOptions {
  const char* projectPath;  // PROJECT.vqx, or null for a project made of options alone
  const char* source;       // --source DIR
  const char* output;       // --output FILE
  const char* level;        // --level 0..9
  const char* progress;     // --progress on|off
  const char* deleteFiles;  // --delete-files on|off
  const char* overwrite;    // --overwrite all|ask|skip
  const char* extractTo;    // --extract-to PATH (path variables allowed)
  const char* icon;         // --icon FILE
  const char* passwordFile; // --password-file FILE: its first line
  const char* passwordEnv;  // --password-env NAME: that environment variable
  const char* encryption;   // --encryption aes256|zipcrypto
  const char* saveProject;  // --save-project FILE
  PackLaunch launch[VQ_MAX_LAUNCH];
  int launchCount;          // --launch given: these replace the project's entries
  bool help;                // -h / --help
  bool version;             // --version
};

// Reads argv[1..] (each option also as --name=VALUE). Unset options stay
// null. Returns false with a reason in error when the arguments do not fit.
bool ParsePackArguments(int argc, char** argv, PackOptions* options, char* error,
                        size_t errorSize);

// Takes the project's paths as the wizard pages take them: through
// NormalisePath, the source folder with a trailing backslash. A source
// override re-bases every launch entry below the old source folder to the
// same place below the new one; the other options replace their fields, and
// --launch entries replace the list. Returns false with a reason in error
// when there is no source folder, a value is not one the option takes, a
// path does not fit its buffer, the password cannot be read, or
// CheckBuildSettings refuses a setting (the output then already has its
// ".exe" ending).
bool ApplyPackOverrides(const PackOptions* options, ProjectRecord* record, LaunchList* launch,
                        char* error, size_t errorSize);

// Every launch entry must name an existing file inside the source folder:
// one that names nothing there would be packed and start nothing. Returns
// false with the entry in error otherwise.
bool CheckLaunchEntries(const ProjectRecord* record, const LaunchList* launch, char* error,
                        size_t errorSize);

// What the packed executable carries is UTF-8: every text of the meta data
// block (the extraction folder and the launch entries) must convert to it
// and be one line, and every name below the source folder must have an
// exact UTF-8 form (on POSIX: be valid UTF-8). Returns false with the first
// that fails in error, showing its bytes that are no UTF-8, and control
// characters, as \xNN.
bool CheckPackTexts(const ProjectRecord* record, const LaunchList* launch, char* error,
                    size_t errorSize);

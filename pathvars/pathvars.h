// Path variables: names between two asterisks that stand for folders of the
// computer a packed executable runs on ("*AppDir*", "*Desktop*", ...).
// The extractor resolves whole texts (ResolvePathVariables); the builder shows
// one variable's local value (LocalVariablePath). Both read the system through
// a PathVarSystem, so the rules here run the same natively and on Windows.
//
// Uses the shared text services (base/text.h); the Windows lookups are in
// pathvars/system_win32.h.
#pragma once

#include <stddef.h>

#include "base/text.h"

enum PathVariableId {
  PATHVAR_APPDIR,
  PATHVAR_BROWSEFORFOLDER,
  PATHVAR_COMMAND,
  PATHVAR_CURDIR,
  PATHVAR_DESKTOP,
  PATHVAR_DOCUMENTS,
  PATHVAR_FAVORITES,
  PATHVAR_FONTS,
  PATHVAR_LOCALSETTINGS,
  PATHVAR_MYMUSIC,
  PATHVAR_MYPICTURES,
  PATHVAR_MYVIDEO,
  PATHVAR_PROGRAMFILES,
  PATHVAR_QUICKLAUNCH,
  PATHVAR_ROOTDIR,
  PATHVAR_SENDTO,
  PATHVAR_STARTMENU,
  PATHVAR_STARTUP,
  PATHVAR_SYSDIR,
  PATHVAR_TEMPDIR,
  PATHVAR_WINDIR,
  PATHVAR_COUNT
};

struct PathVariable {
  const char* name;         // as the builder shows and offers it: "*AppDir*"
  const char* upperName;    // what texts are matched against: "*APPDIR*"
  const char* shellFolder;  // its Shell Folders value name, or nullptr
};

// The 21 variables in table order (the order a text's token is matched in).
extern const PathVariable kPathVariables[PATHVAR_COUNT];

// Returns the PathVariableId whose upper-case form equals upperName exactly
// (asterisks included), or -1 when no row does.
int FindPathVariable(const char* upperName);

// The running computer as the resolutions see it. Every text lookup writes a
// zero-terminated text into out (at most outSize - 1 characters) and writes
// the empty text when its source cannot be read.
struct PathVarSystem {
  void (*moduleFolder)(char* out, size_t outSize);   // own executable's folder, trailing "\"
  void (*currentFolder)(char* out, size_t outSize);  // process's current folder
  void (*windowsFolder)(char* out, size_t outSize);
  void (*systemFolder)(char* out, size_t outSize);
  void (*tempFolder)(char* out, size_t outSize);     // ends with "\"
  void (*shellFolder)(const char* valueName, char* out, size_t outSize);  // ReadShellFolder
  void (*programFilesDir)(char* out, size_t outSize);  // HKLM ...\CurrentVersion ProgramFilesDir
  bool (*pathExists)(const char* path);                // PathExists
  const char* (*commandTail)();                        // the arguments the program got
  // Shows the browse-for-folder dialog; writes the picked folder, or the
  // empty text when the user cancelled.
  void (*browseForFolder)(char* out, size_t outSize);
  // Asks whether to quit after a cancelled browse; true for Yes.
  bool (*confirmQuit)();
};

enum PathVarResult {
  PATHVARS_OK,    // out holds the resolved text
  PATHVARS_CUT,   // resolved, but a step had to cut the text to fit
  PATHVARS_QUIT,  // the user chose to quit in the browse-for-folder question
};

// What a text is: a path is cleaned up whole (NormalisePath); in a command
// line only the values put in are, so switches like "/S" and URLs reach the
// program as typed.
enum PathVarText { PATHVARS_PATH, PATHVARS_COMMAND_LINE };

// The extractor's resolution: replaces every path variable anywhere in text
// by its run-time value (a missing folder or an unknown name gives the
// temporary folder; every value but "*Command*" ends with a backslash, which
// a backslash or slash right behind the variable takes the place of;
// "*Command*" gives the program's arguments, whose own variables are resolved
// in turn), then cleans up as kind says. Works on at most 2047 characters.
// Returns PATHVARS_OK, PATHVARS_CUT (out holds what fit), or PATHVARS_QUIT
// (out is then empty).
PathVarResult ResolvePathVariables(const char* text, PathVarText kind, const PathVarSystem* system,
                                   char* out, size_t outSize);

// The builder's display value of one variable, given with its asterisks in
// any case: the local folder after NormalisePath (no fallback, no added
// backslash), a describing sentence for "*BrowseForFolder*" and "*Command*",
// or "Unable to find the path on this system!" when the value is empty or the
// name unknown. Returns false when the text was cut to fit outSize.
bool LocalVariablePath(const char* variable, const PathVarSystem* system, char* out,
                       size_t outSize);

// One text value of HKEY_CURRENT_USER
// Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders, as stored
// (no environment expansion). Writes the empty text when the key or value is
// missing (always so off Windows). Returns false when out stays empty.
bool ReadShellFolder(const char* valueName, char* out, size_t outSize);

// Value ProgramFilesDir of HKEY_LOCAL_MACHINE
// SOFTWARE\Microsoft\Windows\CurrentVersion; empty when missing.
// Returns false when out stays empty.
bool ReadProgramFilesDir(char* out, size_t outSize);

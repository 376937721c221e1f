// Path variables: the table and both resolutions. Plain C-style code: the
// extractor stub links it too, and must stay small.
#include "pathvars/pathvars.h"

#include <string.h>

#include "base/names.h"
#include "base/text.h"

const PathVariable kPathVariables[PATHVAR_COUNT] = {
    {"*AppDir*", "*APPDIR*", nullptr},
    {"*BrowseForFolder*", "*BROWSEFORFOLDER*", nullptr},
    {VQ_COMMAND_VARIABLE, "*COMMAND*", nullptr},
    {"*CurDir*", "*CURDIR*", nullptr},
    {"*Desktop*", "*DESKTOP*", "Desktop"},
    {"*Documents*", "*DOCUMENTS*", "Personal"},
    {"*Favorites*", "*FAVORITES*", "Favorites"},
    {"*Fonts*", "*FONTS*", "Fonts"},
    {"*LocalSettings*", "*LOCALSETTINGS*", "Local Settings"},
    {"*MyMusic*", "*MYMUSIC*", "My Music"},
    {"*MyPictures*", "*MYPICTURES*", "My Pictures"},
    {"*MyVideo*", "*MYVIDEO*", "My Video"},
    {"*ProgramFiles*", "*PROGRAMFILES*", nullptr},
    {"*QuickLaunch*", "*QUICKLAUNCH*", nullptr},
    {"*RootDir*", "*ROOTDIR*", nullptr},
    {"*SendTo*", "*SENDTO*", "SendTo"},
    {"*StartMenu*", "*STARTMENU*", "Programs"},
    {"*StartUp*", "*STARTUP*", "Startup"},
    {"*SysDir*", "*SYSDIR*", nullptr},
    {"*TempDir*", "*TEMPDIR*", nullptr},
    {"*WinDir*", "*WINDIR*", nullptr},
};

static const char kQuickLaunchSuffix[] = "\\Microsoft\\Internet Explorer\\Quick Launch";

static int CountChar(const char* text, char c) {
  int n = 0;
  for (; *text; ++text) n += (*text == c);
  return n;
}

// Position of needle in text at or after from, letters compared upper-cased;
// -1 when absent.
static int FindNoCase(const char* text, const char* needle, int from) {
  size_t n = strlen(needle);
  for (int i = from; text[i]; ++i) {
    if (EqualIgnoringCase(text + i, needle, n)) return i;
  }
  return -1;
}

// Replaces every occurrence of token (ignoring case) in work by value; with
// seam, a value's trailing backslash gives way to a backslash or slash that
// follows the token. Returns false when the result was cut to fit.
static bool ReplaceAllNoCase(char* work, size_t workSize, const char* token, const char* value,
                             bool seam) {
  char result[VQ_TEXT_SIZE];
  size_t tokenLength = strlen(token);
  size_t valueLength = strlen(value);
  size_t used = 0;
  bool whole = true;
  int from = 0;
  for (;;) {
    int at = FindNoCase(work, token, from);
    size_t keep = at < 0 ? strlen(work + from) : (size_t)(at - from);
    const char* parts[2] = {work + from, value};
    size_t lengths[2] = {keep, at < 0 ? 0 : valueLength};
    char next = at < 0 ? 0 : work[at + tokenLength];
    if (seam && valueLength && value[valueLength - 1] == '\\' && (next == '\\' || next == '/'))
      --lengths[1];
    for (int p = 0; p < 2; ++p) {
      size_t room = sizeof result - 1 - used;
      size_t take = lengths[p] < room ? lengths[p] : room;
      if (take < lengths[p]) whole = false;
      memcpy(result + used, parts[p], take);
      used += take;
    }
    if (at < 0) break;
    from = at + (int)tokenLength;
  }
  result[used] = 0;
  if (!CopyText(work, workSize, result)) whole = false;
  return whole;
}

// Shell Folders "AppData" and the Quick Launch folder below it; the suffix
// goes on even to an empty AppData unless onlyWhenFound.
static void QuickLaunchFolder(const PathVarSystem* system, bool onlyWhenFound, char* out,
                              size_t outSize) {
  system->shellFolder("AppData", out, outSize);
  if (!onlyWhenFound || out[0]) AppendText(out, outSize, kQuickLaunchSuffix);
}

// The value of a row that reads a folder of the system, for both columns
// (the builder's differences are applied by its caller).
static void SystemFolderValue(int id, const PathVarSystem* system, char* out, size_t outSize) {
  out[0] = 0;
  switch (id) {
    case PATHVAR_APPDIR: system->moduleFolder(out, outSize); break;
    case PATHVAR_CURDIR: system->currentFolder(out, outSize); break;
    case PATHVAR_PROGRAMFILES: system->programFilesDir(out, outSize); break;
    case PATHVAR_QUICKLAUNCH: QuickLaunchFolder(system, false, out, outSize); break;
    case PATHVAR_ROOTDIR:
      system->windowsFolder(out, outSize);
      if (strlen(out) > 3) out[3] = 0;
      break;
    case PATHVAR_SYSDIR: system->systemFolder(out, outSize); break;
    case PATHVAR_TEMPDIR: system->tempFolder(out, outSize); break;
    case PATHVAR_WINDIR: system->windowsFolder(out, outSize); break;
    default:
      if (id >= 0 && id < PATHVAR_COUNT && kPathVariables[id].shellFolder)
        system->shellFolder(kPathVariables[id].shellFolder, out, outSize);
      break;
  }
}

// "*BrowseForFolder*": the dialog until it gives an existing folder; a
// cancel asks whether to quit. Returns false when the user quits.
static bool BrowseValue(const PathVarSystem* system, char* out, size_t outSize) {
  for (;;) {
    system->browseForFolder(out, outSize);
    if (IsBlankText(out)) {
      if (system->confirmQuit()) return false;
      continue;
    }
    if (system->pathExists(out)) return true;
  }
}

int FindPathVariable(const char* upperName) {
  for (int i = 0; i < PATHVAR_COUNT; ++i)
    if (strcmp(kPathVariables[i].upperName, upperName) == 0) return i;
  return -1;
}

PathVarResult ResolvePathVariables(const char* text, PathVarText kind, const PathVarSystem* system,
                                   char* out, size_t outSize) {
  const bool commandLine = kind == PATHVARS_COMMAND_LINE;
  char work[VQ_TEXT_SIZE];
  bool whole = CopyText(work, sizeof work, text);
  // Each pass replaces one token, two asterisks, by a value without any, so
  // the passes end. A value holding "*" (a strange registry entry) would
  // break that, so such a value counts as missing.
  while (CountChar(work, '*') >= 2) {
    const char* first = strchr(work, '*');
    const char* second = strchr(first + 1, '*');
    char token[VQ_TEXT_SIZE];
    size_t tokenLength = (size_t)(second - first) + 1;
    memcpy(token, first, tokenLength);
    token[tokenLength] = 0;
    char name[VQ_TEXT_SIZE];
    for (size_t k = 0; k <= tokenLength; ++k) name[k] = UpperAscii(token[k]);
    int id = FindPathVariable(name);

    if (id == PATHVAR_COMMAND) {
      // The arguments replace the token, and their own variables are
      // resolved from the start; arguments that hold the token itself stop
      // the resolution with the text as it was.
      char candidate[VQ_TEXT_SIZE];
      CopyText(candidate, sizeof candidate, work);
      if (!ReplaceAllNoCase(candidate, sizeof candidate, token, system->commandTail(), false))
        whole = false;
      if (FindNoCase(candidate, kPathVariables[PATHVAR_COMMAND].upperName, 0) >= 0) break;
      CopyText(work, sizeof work, candidate);
      continue;
    }

    char value[VQ_TEXT_SIZE];
    if (id == PATHVAR_BROWSEFORFOLDER) {
      if (!BrowseValue(system, value, sizeof value)) {
        if (outSize > 0) out[0] = 0;
        return PATHVARS_QUIT;
      }
    } else {
      SystemFolderValue(id, system, value, sizeof value);
    }
    if (!system->pathExists(value) || strchr(value, '*')) system->tempFolder(value, sizeof value);
    // Even a missing temporary folder gives a backslash.
    if (value[0] == '\0') CopyText(value, sizeof value, "\\");
    AddTrailingBackslash(value, sizeof value);
    if (commandLine) {
      char clean[VQ_TEXT_SIZE];
      if (!NormalisePath(value, clean, sizeof clean)) whole = false;
      CopyText(value, sizeof value, clean);
    }
    if (!ReplaceAllNoCase(work, sizeof work, token, value, commandLine)) whole = false;
  }
  if (!(commandLine ? CopyText(out, outSize, work) : NormalisePath(work, out, outSize))) whole = false;
  return whole ? PATHVARS_OK : PATHVARS_CUT;
}

bool LocalVariablePath(const char* variable, const PathVarSystem* system, char* out,
                       size_t outSize) {
  // The name between the first two asterisks, compared with the table's
  // upper-case forms.
  char name[VQ_TEXT_SIZE] = "*";
  const char* first = strchr(variable, '*');
  const char* second = first ? strchr(first + 1, '*') : nullptr;
  int id = -1;
  if (second && (size_t)(second - first) < sizeof name - 1) {
    size_t n = (size_t)(second - first);
    for (size_t k = 1; k < n; ++k) name[k] = UpperAscii(first[k]);
    name[n] = '*';
    name[n + 1] = 0;
    id = FindPathVariable(name);
  }

  char value[VQ_TEXT_SIZE] = "";
  switch (id) {
    case -1: break;
    case PATHVAR_BROWSEFORFOLDER:
      CopyText(value, sizeof value, "Display a dialog box for the user to specify a folder.");
      break;
    case PATHVAR_COMMAND:
      CopyText(value, sizeof value,
               "The command line parameter passed to the executable will be used as the "
               "extraction directory.");
      break;
    case PATHVAR_QUICKLAUNCH: QuickLaunchFolder(system, true, value, sizeof value); break;
    case PATHVAR_PROGRAMFILES:
      system->programFilesDir(value, sizeof value);
      if (!value[0]) CopyText(value, sizeof value, "C:\\Program Files");
      break;
    default: SystemFolderValue(id, system, value, sizeof value); break;
  }
  if (!value[0]) return CopyText(out, outSize, "Unable to find the path on this system!");
  return NormalisePath(value, out, outSize);
}

// The project record, the launch list beside it, and the project file.
#pragma once

#include "base/text.h"

struct ProjectRecord {
  char Version[VQ_TEXT_SIZE];
  char ProjectName[VQ_TEXT_SIZE];
  char ProjectFilePath[VQ_TEXT_SIZE];
  char SourceFolder[VQ_TEXT_SIZE];
  char Password[VQ_TEXT_SIZE];
  char ExtractionFolder[VQ_TEXT_SIZE];
  char IconFile[VQ_TEXT_SIZE];
  char OutputFile[VQ_TEXT_SIZE];
  int Checkbox1;      // progress bar in the extractor
  int Checkbox2;      // delete extracted files after the launched programs end
  int Checkbox3;      // password protection
  int CompressLevel;  // 0..9
  int OverwriteMode;  // 0 overwrite all, 1 ask, 2 skip existing
  // With a password: "AES256" (any case) for AES-256 entries (WinZip AE-2);
  // empty or anything else for traditional zip encryption.
  char Encryption[VQ_TEXT_SIZE];
};

// The value of Encryption that asks for AES-256.
extern const char kEncryptionAes256[];
// Whether the record's entries are AES-256 rather than traditional ones
// (when it has a password at all).
bool UsesAes256(const ProjectRecord* record);

// The launch list: three tables of 64 slots; the list ends at the first entry
// whose file text is empty.
struct LaunchList {
  char ExecFile[VQ_MAX_LAUNCH][VQ_TEXT_SIZE];  // full path
  char CmdLine[VQ_MAX_LAUNCH][VQ_TEXT_SIZE];
  char WinState[VQ_MAX_LAUNCH][VQ_TEXT_SIZE];  // "*ShowWin*", "*HideWin*", ...
};

extern ProjectRecord gProject;
extern LaunchList gLaunch;

// Gives the record and the launch list their start-up values (OutputFile is
// AppFolder + "Output.exe"; the launch list empty).
void InitProject(ProjectRecord* record, LaunchList* launch);

// Number of entries before the first empty file text (0..64).
int LaunchCount(const LaunchList* launch);

// path without folder in front (matched in case): how a launch entry is
// stored, in the project file and in the meta data alike, and an archive
// entry's name. A path that does not start with folder comes back whole.
// Loading puts the folder in front again, which gives back every path that
// started with it.
const char* PathBelowFolder(const char* path, const char* folder);

// What loading a project file gave.
enum ProjectLoad {
  PROJECT_NOT_LOADED,     // no file to load
  PROJECT_LOADED,
  PROJECT_OTHER_VERSION,  // loaded all the same, but its Version is not 1.2
};

// Reads the file named by record->ProjectFilePath into the record and the
// launch list. Shows nothing: a caller tells the user of another version.
ProjectLoad LoadProject(ProjectRecord* record, LaunchList* launch);

// Writes the record and the launch list to record->ProjectFilePath: the whole
// new file is written beside the old one and replaces it only when complete.
// Returns false when the file could not be written (the old one then stays).
bool SaveProject(const ProjectRecord* record, const LaunchList* launch);

// True when path names a file that holds the section [Varnoquist] (any
// case, blanks around it allowed) within its first megabyte: a file that a
// save may write over.
bool IsProjectFile(const char* path);

// When the command tail names an existing file (not a folder, no wildcards),
// makes it the record's ProjectFilePath, unchanged, and loads it with
// LoadProject, returning what that gave; otherwise nothing changes and
// PROJECT_NOT_LOADED is returned.
ProjectLoad ProjectPathFromCommandLine(const char* tail, ProjectRecord* record, LaunchList* launch);

// What the wizard's pages do with the texts of their controls: the stores,
// the checks of Next, the results of the browse buttons and the save
// question on the way out. Plain functions over the project record, so the
// window code only moves texts between controls and these, and the native
// tests reach every decision. Messages go through PlatformMessageBox, owned
// by the active window (the page).
#pragma once

#include <stddef.h>

#include "project/project.h"

enum WizardPage {
  PAGE_INTRO = 1,
  PAGE_PROJECT,
  PAGE_SOURCE,
  PAGE_LAUNCH,
  PAGE_OPTIONS,
  PAGE_OUTPUT,
  PAGE_BUILD,
};

// Next (next true) or Back of the project page: ProjectName and
// ProjectFilePath take the boxes through NormalisePath, in this order and
// before any check; Next then refuses a blank name with its message.
// Returns true when the page may be left.
bool LeaveProjectPage(ProjectRecord* record, const char* nameBox, const char* pathBox, bool next);

// The project page's Browse: the chosen path becomes ProjectFilePath, and an
// existing file is loaded (LoadProject, then WarnOfOtherVersion). Returns
// true when it was loaded and the boxes are to show the record again.
bool TakeProjectFileChoice(ProjectRecord* record, LaunchList* launch, const char* chosen);

// "Unsupported Project file." (exclamation icon) after a load that found a
// file of another version; nothing otherwise.
void WarnOfOtherVersion(ProjectLoad loaded);

// Next or Back of the source page: SourceFolder takes the box through
// NormalisePath and AbsolutePath. Next refuses what is not an existing
// folder and otherwise ends the folder with a backslash. Returns true when
// the page may be left.
bool LeaveSourcePage(ProjectRecord* record, const char* folderBox, bool next);

// The source page's Browse: the chosen folder becomes SourceFolder, with a
// backslash added when it exists. Returns true when the box is to show it.
bool TakeSourceFolderChoice(ProjectRecord* record, const char* chosen);

// The options page's controls as the page reads them.
struct OptionsPageControls {
  bool progressBar;    // 4006
  bool deleteFiles;    // 4007
  bool protect;        // 4008
  int level;           // trackbar position
  int overwrite;       // selected entry, -1 for none
  const char* password;
  bool aes256;         // 4019: AE-2 entries instead of traditional encryption
};

// Next or Back of the options page: stores the controls in their order
// (the strong encryption box as Encryption "AES256" or empty);
// Next refuses protection without a password. Returns true when the page
// may be left.
bool LeaveOptionsPage(ProjectRecord* record, const OptionsPageControls* controls, bool next);

// Where the level trackbar (range 0..9) stands for a level: the nearer end
// for a level out of range.
int TrackbarPositionOf(int level);

// The three boxes of the output page.
struct OutputPageBoxes {
  const char* extractionFolder;  // 4016
  const char* iconFile;          // 4017
  const char* outputFile;        // 4018
};

// Next or Back of the output page. Both store the boxes through
// NormalisePath, the icon and the output file also through AbsolutePath.
// Next makes the page's checks in order (the first failure shows its
// message), then asks before an existing output file is replaced; Back only
// gives a non-blank output file its ".exe" ending. Returns true when the
// page may be left.
bool LeaveOutputPage(ProjectRecord* record, const OutputPageBoxes* boxes, bool next);

// The icon Browse: IconFile becomes the choice; true when the box is to
// show it (it exists).
bool TakeIconFileChoice(ProjectRecord* record, const char* chosen);
// The output Browse: OutputFile becomes the choice, with ".exe" when not
// blank; true when the box is to show it.
bool TakeOutputFileChoice(ProjectRecord* record, const char* chosen);

// Asks for a path to save a new project under; writes the empty text when
// the user cancels.
typedef void (*AskSavePathFunction)(char* out, size_t outSize);

// The save question of every Cancel. With ProjectFilePath naming a project
// file (IsProjectFile) whose save has not failed before, Yes saves into it;
// otherwise Yes asks for a path (askSavePath) and saves there with the
// ".vqx" ending, and a cancelled choice writes nothing. SaveProject replaces
// a file only once the new one is whole, and no file but a project file is
// written over. A save that fails, or a choice that names another kind of
// file, says "Failed to save the project file." with the path, and the page
// stays. Returns true after Yes or No (the builder ends) and a save that
// worked, false after Cancel or a failed save.
bool AskToSaveProject(ProjectRecord* record, const LaunchList* launch,
                      AskSavePathFunction askSavePath);

// Opens help at path: the help file at its contents (page false) or the
// help page in the system's browser (page true).
typedef void (*OpenHelpFunction)(const char* path, bool page);

// Help: opens the help file beside the builder ("Help\VARNOQUIST.HLP");
// where it is missing, the help page beside it ("Help\index.html"), which
// opens on current Windows; with neither there, says the help file was not
// found and returns false.
bool OpenHelp(OpenHelpFunction open);

#include "shell/pages.h"

#include <string.h>

#include "platform/platform.h"
#include "project/options.h"
#include "services/paths.h"

namespace {

void Warn(const char* text, const char* title) {
  PlatformMessageBox(PLATFORM_OWNER_ACTIVE_WINDOW, text, title,
                     PLATFORM_MB_OK | PLATFORM_MB_ICONEXCLAMATION);
}

// A record field from a box: NormalisePath into the field's 2048 bytes.
void StoreNormalised(char (&field)[VQ_TEXT_SIZE], const char* box) {
  NormalisePath(box, field, sizeof field);
}

// A path of this computer from a box: normalised, and a relative one joined
// to the current folder now, while it still means what the page checked.
void StoreLocalPath(char (&field)[VQ_TEXT_SIZE], const char* box) {
  char normal[VQ_TEXT_SIZE];
  NormalisePath(box, normal, sizeof normal);
  AbsolutePath(normal, field, sizeof field);
}

void GiveExeEnding(char (&field)[VQ_TEXT_SIZE]) {
  char ended[VQ_TEXT_SIZE];
  ForceExtension(field, ".exe", ended, sizeof ended);
  CopyText(field, sizeof field, ended);
}

bool IsFolder(const char* path) {
  PlatformFileInfo info;
  return PlatformGetFileInfo(path, &info) && info.isFolder;
}

}  // namespace

bool LeaveProjectPage(ProjectRecord* record, const char* nameBox, const char* pathBox, bool next) {
  StoreNormalised(record->ProjectName, nameBox);
  StoreNormalised(record->ProjectFilePath, pathBox);
  if (next && IsBlankText(record->ProjectName)) {
    Warn("Please select a name for your project.", "No Project name.");
    return false;
  }
  return true;
}

bool TakeProjectFileChoice(ProjectRecord* record, LaunchList* launch, const char* chosen) {
  CopyText(record->ProjectFilePath, sizeof record->ProjectFilePath, chosen);
  if (!PathExists(chosen)) return false;
  WarnOfOtherVersion(LoadProject(record, launch));
  return true;
}

void WarnOfOtherVersion(ProjectLoad loaded) {
  if (loaded == PROJECT_OTHER_VERSION)
    Warn("The version of the project file you selected may not be fully supported.",
         "Unsupported Project file.");
}

bool LeaveSourcePage(ProjectRecord* record, const char* folderBox, bool next) {
  StoreLocalPath(record->SourceFolder, folderBox);
  if (!next) return true;
  // A drive root such as C:\ is a folder too; a file is not.
  if (IsBlankText(record->SourceFolder) || !IsFolder(record->SourceFolder)) {
    Warn("Please select a valid source folder.", "No source folder.");
    return false;
  }
  AddTrailingBackslash(record->SourceFolder, sizeof record->SourceFolder);
  return true;
}

bool TakeSourceFolderChoice(ProjectRecord* record, const char* chosen) {
  CopyText(record->SourceFolder, sizeof record->SourceFolder, chosen);
  if (!PathExists(chosen)) return false;
  AddTrailingBackslash(record->SourceFolder, sizeof record->SourceFolder);
  return true;
}

bool LeaveOptionsPage(ProjectRecord* record, const OptionsPageControls* controls, bool next) {
  record->Checkbox1 = controls->progressBar ? 1 : 0;
  record->Checkbox2 = controls->deleteFiles ? 1 : 0;
  record->Checkbox3 = controls->protect ? 1 : 0;
  record->CompressLevel = controls->level;
  record->OverwriteMode = controls->overwrite;
  CopyText(record->Password, sizeof record->Password, controls->password);
  CopyText(record->Encryption, sizeof record->Encryption, controls->aes256 ? kEncryptionAes256 : "");
  OptionCheck check = next ? CheckOptionsPage(record) : OPTION_OK;
  if (check == OPTION_OK) return true;
  Warn(OptionCheckText(check), OptionCheckTitle(check));
  return false;
}

int TrackbarPositionOf(int level) { return level < 0 ? 0 : level > 9 ? 9 : level; }

bool LeaveOutputPage(ProjectRecord* record, const OutputPageBoxes* boxes, bool next) {
  StoreNormalised(record->ExtractionFolder, boxes->extractionFolder);
  StoreLocalPath(record->IconFile, boxes->iconFile);
  StoreLocalPath(record->OutputFile, boxes->outputFile);
  if (!next) {
    if (!IsBlankText(record->OutputFile)) GiveExeEnding(record->OutputFile);
    return true;
  }
  OptionCheck check = CheckOutputPage(record);
  if (check != OPTION_OK) {
    Warn(OptionCheckText(check), OptionCheckTitle(check));
    return false;
  }
  if (!PathExists(record->OutputFile)) return true;
  // The file is only replaced by the build itself, on page 7.
  return PlatformMessageBox(PLATFORM_OWNER_ACTIVE_WINDOW,
                            "The Output executable file already exists.\r\n"
                            "Do you want to replace it?",
                            "File already exists.",
                            PLATFORM_MB_YESNO | PLATFORM_MB_ICONEXCLAMATION) == PLATFORM_IDYES;
}

bool TakeIconFileChoice(ProjectRecord* record, const char* chosen) {
  CopyText(record->IconFile, sizeof record->IconFile, chosen);
  return PathExists(chosen);
}

bool TakeOutputFileChoice(ProjectRecord* record, const char* chosen) {
  CopyText(record->OutputFile, sizeof record->OutputFile, chosen);
  if (IsBlankText(chosen)) return false;
  GiveExeEnding(record->OutputFile);
  return true;
}

namespace {

// The project file whose last save failed: the next way out asks for another
// place instead of trying it again.
char gFailedSavePath[VQ_TEXT_SIZE];

// Saves (when mayWrite), or says that the project file could not be saved.
// Returns true when the project was saved.
bool SaveOrSayFailed(ProjectRecord* record, const LaunchList* launch, bool mayWrite) {
  if (mayWrite && SaveProject(record, launch)) return true;
  CopyText(gFailedSavePath, sizeof gFailedSavePath, record->ProjectFilePath);
  char text[VQ_TEXT_SIZE + 64];
  CopyText(text, sizeof text, "Failed to save the project file.\r\n");
  AppendText(text, sizeof text, record->ProjectFilePath);
  PlatformMessageBox(PLATFORM_OWNER_ACTIVE_WINDOW, text, "Failed",
                     PLATFORM_MB_OK | PLATFORM_MB_ICONSTOP);
  return false;
}

}  // namespace

bool AskToSaveProject(ProjectRecord* record, const LaunchList* launch,
                      AskSavePathFunction askSavePath) {
  const unsigned question = PLATFORM_MB_YESNOCANCEL | PLATFORM_MB_ICONQUESTION;
  // Only a project file is written over; any other file a path names (typed,
  // opened through "All Files", from the command line) stays as it is.
  if (IsProjectFile(record->ProjectFilePath) &&
      strcmp(record->ProjectFilePath, gFailedSavePath) != 0) {
    int answer = PlatformMessageBox(PLATFORM_OWNER_ACTIVE_WINDOW,
                                    "Would you like to save the changes\r\n"
                                    "you made to the project file?",
                                    "Save Project File.", question);
    if (answer == PLATFORM_IDCANCEL) return false;
    return answer != PLATFORM_IDYES || SaveOrSayFailed(record, launch, true);
  }
  int answer = PlatformMessageBox(PLATFORM_OWNER_ACTIVE_WINDOW,
                                  "Would you like to save your project?", "Save Project.",
                                  question);
  if (answer == PLATFORM_IDCANCEL) return false;
  if (answer != PLATFORM_IDYES) return true;
  char chosen[VQ_TEXT_SIZE];
  askSavePath(chosen, sizeof chosen);
  CopyText(record->ProjectFilePath, sizeof record->ProjectFilePath, chosen);
  if (IsBlankText(chosen)) return true;
  char* path = record->ProjectFilePath;
  ForceExtension(chosen, ".vqx", path, sizeof record->ProjectFilePath);
  return SaveOrSayFailed(record, launch, !PathExists(path) || IsProjectFile(path));
}

bool OpenHelp(OpenHelpFunction open) {
  // The help file first, so that where one is installed Help opens it.
  const struct {
    const char* name;
    bool page;
  } kHelp[] = {{"\\Help\\VARNOQUIST.HLP", false}, {"\\Help\\index.html", true}};
  for (const auto& help : kHelp) {
    char joined[VQ_TEXT_SIZE], path[VQ_TEXT_SIZE];
    AppFolder(joined, sizeof joined);
    AppendText(joined, sizeof joined, help.name);
    NormalisePath(joined, path, sizeof path);
    if (PathExists(path)) {
      open(path, help.page);
      return true;
    }
  }
  Warn("Failed to find the Varnoquist help file.", "File not found!");
  return false;
}

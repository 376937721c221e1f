#include "extractor/meta_settings.h"

#include "base/layout.h"

static const char kSection[] = VQ_META_SECTION;

void ReadMetaSettings(const ProfileReader* reader, const char* file, MetaSettings* settings) {
  reader->getString(kSection, "ExtractionPath", "", settings->extractionPath,
                    sizeof settings->extractionPath, file);
  settings->unzipSize = (uint32_t)reader->getInt(kSection, "UnZipSize", 0, file);
  settings->showProgress = reader->getInt(kSection, "ProgressBar", 0, file) != 0;
  settings->deleteFiles = reader->getInt(kSection, "DeleteFiles", 0, file) != 0;
  settings->passwordFlag = reader->getInt(kSection, "Password", 0, file) != 0;
  settings->overwriteMode = reader->getInt(kSection, "Overwrite", 0, file);
}

// "ExecFile" and the number, without the C runtime's formatting.
static void NumberedKey(const char* stem, int n, char* out, size_t outSize) {
  char digits[4] = {0};
  if (n >= 10) {
    digits[0] = (char)('0' + n / 10 % 10);
    digits[1] = (char)('0' + n % 10);
  } else {
    digits[0] = (char)('0' + n);
  }
  CopyText(out, outSize, stem);
  AppendText(out, outSize, digits);
}

bool ReadLaunchSetting(const ProfileReader* reader, const char* file, int n,
                       LaunchSetting* setting) {
  char key[16];
  NumberedKey("ExecFile", n, key, sizeof key);
  reader->getString(kSection, key, "", setting->execFile, sizeof setting->execFile, file);
  if (!setting->execFile[0]) return false;
  NumberedKey("CmdLine", n, key, sizeof key);
  reader->getString(kSection, key, "", setting->cmdLine, sizeof setting->cmdLine, file);
  NumberedKey("WinState", n, key, sizeof key);
  reader->getString(kSection, key, "", setting->winState, sizeof setting->winState, file);
  return true;
}

#include "extractor/meta_settings.h"

#include "base/names.h"

static const char kSection[] = VQ_META_SECTION;

void ReadMetaSettings(const ProfileReader* reader, const char* file, MetaSettings* settings) {
  reader->getString(kSection, VQ_META_EXTRACTION_PATH, "", settings->extractionPath,
                    sizeof settings->extractionPath, file);
  settings->unzipSize = (uint32_t)reader->getInt(kSection, VQ_META_UNZIP_SIZE, 0, file);
  settings->showProgress = reader->getInt(kSection, VQ_META_PROGRESS_BAR, 0, file) != 0;
  settings->deleteFiles = reader->getInt(kSection, VQ_META_DELETE_FILES, 0, file) != 0;
  settings->passwordFlag = reader->getInt(kSection, VQ_META_PASSWORD, 0, file) != 0;
  settings->overwriteMode = reader->getInt(kSection, VQ_META_OVERWRITE, 0, file);
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
  NumberedKey(VQ_KEY_EXEC_FILE, n, key, sizeof key);
  reader->getString(kSection, key, "", setting->execFile, sizeof setting->execFile, file);
  if (!setting->execFile[0]) return false;
  NumberedKey(VQ_KEY_CMD_LINE, n, key, sizeof key);
  reader->getString(kSection, key, "", setting->cmdLine, sizeof setting->cmdLine, file);
  NumberedKey(VQ_KEY_WIN_STATE, n, key, sizeof key);
  reader->getString(kSection, key, "", setting->winState, sizeof setting->winState, file);
  return true;
}

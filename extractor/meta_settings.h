// The settings a packed executable carries in its meta data block, read
// through the profile services from the block's temporary copy. Portable:
// the stub passes the Windows profile functions, the native tests ours.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "base/text.h"

struct ProfileReader {
  // Value of key in section of file, or fallback; cut to outSize - 1.
  size_t (*getString)(const char* section, const char* key, const char* fallback, char* out,
                      size_t outSize, const char* file);
  // The value's leading number, or fallback when the key is missing.
  int (*getInt)(const char* section, const char* key, int fallback, const char* file);
};

struct MetaSettings {
  char extractionPath[VQ_PATH_SIZE];
  uint32_t unzipSize;
  bool showProgress;
  bool deleteFiles;
  bool passwordFlag;
  int overwriteMode;  // 0 overwrite all, 1 ask, 2 skip existing
};

// Reads every setting of the header; a missing key reads as 0 (empty for
// the extraction path).
void ReadMetaSettings(const ProfileReader* reader, const char* file, MetaSettings* settings);

struct LaunchSetting {
  char execFile[VQ_TEXT_SIZE];  // below the extraction folder
  char cmdLine[VQ_TEXT_SIZE];
  char winState[VQ_TEXT_SIZE];
};

// Launch entry n (0 .. VQ_MAX_LAUNCH - 1). Returns false when its ExecFile
// is empty or missing: the list ends before it.
bool ReadLaunchSetting(const ProfileReader* reader, const char* file, int n,
                       LaunchSetting* setting);

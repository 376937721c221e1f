// The settings a packed executable carries in its meta data block, read
// through a ProfileReader. Portable: the stub passes the block reader below
// (over the block's bytes in memory, so no code page touches the values);
// the native tests pass the same reader.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "base/text.h"

enum {
  // A value as the stub holds it, in UTF-8. A block from an older build is
  // in the system code page, whose every byte may take three bytes of
  // UTF-8: a 2047-byte value of it still fits whole.
  VQ_META_VALUE_SIZE = 3 * VQ_TEXT_SIZE,
};

struct ProfileReader {
  // Value of key in section of source, or fallback; cut to outSize - 1.
  // Returns the whole value's length: outSize or more says it was cut.
  size_t (*getString)(const char* section, const char* key, const char* fallback, char* out,
                      size_t outSize, const char* source);
  // The value's leading number, or fallback when the key is missing.
  int (*getInt)(const char* section, const char* key, int fallback, const char* source);
};

// The profile rules of the Windows functions over a zero-ended block of INI
// text in memory: a line ends at LF or CR; blanks around names and values
// are dropped; section and key names match regardless of case, the first
// of a name wins; a value in one pair of " or ' loses the pair; a number is
// an optional "-" and decimal digits.
extern const ProfileReader kBlockProfileReader;

struct MetaSettings {
  char extractionPath[VQ_META_VALUE_SIZE];
  uint32_t unzipSize;
  bool showProgress;
  bool deleteFiles;
  bool passwordFlag;
  int overwriteMode;  // 0 overwrite all, 1 ask, 2 skip existing
};

// Reads every setting of the header; a missing key reads as 0 (empty for
// the extraction path). Returns false when the extraction path was cut.
bool ReadMetaSettings(const ProfileReader* reader, const char* source, MetaSettings* settings);

struct LaunchSetting {
  char execFile[VQ_META_VALUE_SIZE];  // below the extraction folder
  char cmdLine[VQ_META_VALUE_SIZE];
  char winState[VQ_META_VALUE_SIZE];
  bool cut;  // a value did not fit: the entry must not start
};

// Launch entry n (0 .. VQ_MAX_LAUNCH - 1). Returns false when its ExecFile
// is empty or missing: the list ends before it.
bool ReadLaunchSetting(const ProfileReader* reader, const char* source, int n,
                       LaunchSetting* setting);

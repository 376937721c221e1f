#include "extractor/meta_settings.h"

#include <string.h>

#include "base/names.h"

static const char kSection[] = VQ_META_SECTION;

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }
static bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

// The line's text without its blanks at both ends: [*start, *end).
static const char* NextLine(const char* at, const char** start, const char** end) {
  while (IsLineEnd(*at)) ++at;
  const char* stop = at;
  while (*stop && !IsLineEnd(*stop)) ++stop;
  while (at < stop && IsBlank(*at)) ++at;
  const char* last = stop;
  while (last > at && IsBlank(last[-1])) --last;
  *start = at;
  *end = last;
  return stop;
}

static bool SameName(const char* start, const char* end, const char* name) {
  size_t length = strlen(name);
  return (size_t)(end - start) == length && EqualIgnoringCase(start, name, length);
}

// The value of key in section, as [*start, *end); false when it is missing.
static bool FindValue(const char* block, const char* section, const char* key,
                      const char** valueStart, const char** valueEnd) {
  bool inSection = false, sectionSeen = false;
  for (const char* at = block; *at;) {
    const char *start, *end;
    at = NextLine(at, &start, &end);
    if (start == end) continue;
    if (*start == '[') {
      const char* close = end;
      while (close > start && close[-1] != ']') --close;
      if (close == start) continue;
      const char* name = start + 1;
      const char* nameEnd = close - 1;
      while (name < nameEnd && IsBlank(*name)) ++name;
      while (nameEnd > name && IsBlank(nameEnd[-1])) --nameEnd;
      // Only the first section of a name is searched.
      if (inSection) return false;
      inSection = !sectionSeen && SameName(name, nameEnd, section);
      sectionSeen = sectionSeen || inSection;
      continue;
    }
    const char* equals = start;
    while (equals < end && *equals != '=') ++equals;
    if (!inSection || equals == end) continue;
    const char* nameEnd = equals;
    while (nameEnd > start && IsBlank(nameEnd[-1])) --nameEnd;
    if (!SameName(start, nameEnd, key)) continue;
    const char* value = equals + 1;
    while (value < end && IsBlank(*value)) ++value;
    if (end - value >= 2 && (*value == '"' || *value == '\'') && end[-1] == *value) {
      ++value;
      --end;
    }
    *valueStart = value;
    *valueEnd = end;
    return true;
  }
  return false;
}

static size_t BlockString(const char* section, const char* key, const char* fallback, char* out,
                          size_t outSize, const char* block) {
  const char *start, *end;
  if (!FindValue(block, section, key, &start, &end)) {
    start = fallback;
    end = fallback + strlen(fallback);
  }
  size_t length = (size_t)(end - start);
  if (outSize == 0) return length;
  size_t kept = length < outSize ? length : outSize - 1;
  memcpy(out, start, kept);
  out[kept] = 0;
  return length;
}

static int BlockInt(const char* section, const char* key, int fallback, const char* block) {
  const char *start, *end;
  if (!FindValue(block, section, key, &start, &end)) return fallback;
  bool negative = start < end && *start == '-';
  if (negative) ++start;
  unsigned value = 0;
  for (; start < end && *start >= '0' && *start <= '9'; ++start) value = value * 10 + (unsigned)(*start - '0');
  return negative ? -(int)value : (int)value;
}

const ProfileReader kBlockProfileReader = {BlockString, BlockInt};

bool ReadMetaSettings(const ProfileReader* reader, const char* source, MetaSettings* settings) {
  size_t length = reader->getString(kSection, VQ_META_EXTRACTION_PATH, "", settings->extractionPath,
                                    sizeof settings->extractionPath, source);
  settings->unzipSize = (uint32_t)reader->getInt(kSection, VQ_META_UNZIP_SIZE, 0, source);
  settings->showProgress = reader->getInt(kSection, VQ_META_PROGRESS_BAR, 0, source) != 0;
  settings->deleteFiles = reader->getInt(kSection, VQ_META_DELETE_FILES, 0, source) != 0;
  settings->passwordFlag = reader->getInt(kSection, VQ_META_PASSWORD, 0, source) != 0;
  settings->overwriteMode = reader->getInt(kSection, VQ_META_OVERWRITE, 0, source);
  return length < sizeof settings->extractionPath;
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

bool ReadLaunchSetting(const ProfileReader* reader, const char* source, int n,
                       LaunchSetting* setting) {
  char key[16];
  NumberedKey(VQ_KEY_EXEC_FILE, n, key, sizeof key);
  size_t longest =
      reader->getString(kSection, key, "", setting->execFile, sizeof setting->execFile, source);
  if (!setting->execFile[0]) return false;
  NumberedKey(VQ_KEY_CMD_LINE, n, key, sizeof key);
  size_t length =
      reader->getString(kSection, key, "", setting->cmdLine, sizeof setting->cmdLine, source);
  if (length > longest) longest = length;
  NumberedKey(VQ_KEY_WIN_STATE, n, key, sizeof key);
  length = reader->getString(kSection, key, "", setting->winState, sizeof setting->winState, source);
  if (length > longest) longest = length;
  setting->cut = longest >= VQ_META_VALUE_SIZE;
  return true;
}

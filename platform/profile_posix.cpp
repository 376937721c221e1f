// Profile (INI) files on POSIX, read and written the way the Windows profile
// services treat them, so that a project file behaves the same on both
// sides:
// - a line ends at LF; in a stretch with no LF left, at CR;
// - white space around a line, a name and a value is dropped;
// - "[name]" runs to the last "]" of its line, blanks inside dropped; a line
//   holding no "=" is a key without a value (read as missing);
// - names match regardless of case; only the first section of a name is
//   searched, and the first key of a name in it wins;
// - a value enclosed in one pair of " or ' loses that pair when read;
// - a written key goes at the end of the file, with CR LF line ends.
#include "platform/platform.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

struct ProfileKey {
  std::string name;
  bool hasValue;
  std::string value;
};

struct ProfileSection {
  std::string name;  // "" for the lines ahead of the first section header
  std::vector<ProfileKey> keys;
};

typedef std::vector<ProfileSection> Profile;

// Ctrl-Z counts as white space: old editors end text files with it.
bool IsProfileSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == 0x1a;
}

// Names are compared as C strings: a NUL byte read from a file ends them.
bool SameName(const std::string& stored, const char* wanted, size_t wantedLength) {
  const char* s = stored.c_str();
  return strlen(s) == wantedLength && strncasecmp(s, wanted, wantedLength) == 0;
}

enum ReadResult { READ_OK, READ_MISSING, READ_FAILED };

ReadResult ReadWholeFile(const char* file, std::string* text) {
  char sys[4096];
  if (!PlatformSystemPath(file, sys, sizeof sys) || sys[0] == '\0') return READ_FAILED;
  int fd = open(sys, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? READ_MISSING : READ_FAILED;
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    return READ_FAILED;
  }
  char chunk[65536];
  ssize_t got;
  while ((got = read(fd, chunk, sizeof chunk)) > 0) text->append(chunk, (size_t)got);
  close(fd);
  return got < 0 ? READ_FAILED : READ_OK;
}

void ParseProfile(const std::string& text, Profile* profile) {
  profile->assign(1, ProfileSection());
  const char* start = text.data();
  const char* end = start + text.size();
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) start += 3;  // UTF-8 byte order mark
  bool lastKeyNameless = false;
  bool haveKey = false;
  while (start < end) {
    const char* lineEnd = (const char*)memchr(start, '\n', (size_t)(end - start));
    if (!lineEnd) lineEnd = (const char*)memchr(start, '\r', (size_t)(end - start));
    if (!lineEnd) lineEnd = end;
    const char* next = lineEnd + 1;
    while (start < lineEnd && IsProfileSpace(*start)) start++;
    while (lineEnd > start && IsProfileSpace(lineEnd[-1])) lineEnd--;
    if (start >= lineEnd) {
      start = next;
      continue;
    }
    if (*start == '[') {
      const char* close = lineEnd - 1;
      while (close > start && *close != ']') close--;
      if (close > start) {
        const char* name = start + 1;
        while (name < close && IsProfileSpace(*name)) name++;
        while (close > name && IsProfileSpace(close[-1])) close--;
        ProfileSection section;
        section.name.assign(name, close);
        profile->push_back(section);
        haveKey = false;
        start = next;
        continue;
      }
      // "[" without a closing "]" keeps nothing of the line.
      lineEnd = start;
    }
    ProfileKey key;
    const char* equals = (const char*)memchr(start, '=', (size_t)(lineEnd - start));
    key.hasValue = equals != nullptr;
    if (equals) {
      const char* nameEnd = equals;
      while (nameEnd > start && IsProfileSpace(nameEnd[-1])) nameEnd--;
      key.name.assign(start, nameEnd);
      const char* value = equals + 1;
      while (value < lineEnd && IsProfileSpace(*value)) value++;
      key.value.assign(value, lineEnd);
    } else {
      key.name.assign(start, lineEnd);
    }
    bool nameless = key.name.empty();
    // Runs of nameless lines are kept as one.
    if (!nameless || !haveKey || !lastKeyNameless) {
      profile->back().keys.push_back(key);
      haveKey = true;
      lastKeyNameless = nameless;
    }
    start = next;
  }
}

// The wanted name without white space at either end.
void TrimName(const char* name, const char** start, size_t* length) {
  while (IsProfileSpace(*name)) name++;
  size_t n = strlen(name);
  while (n > 0 && IsProfileSpace(name[n - 1])) n--;
  *start = name;
  *length = n;
}

ProfileSection* FindSection(Profile* profile, const char* section) {
  const char* name;
  size_t length;
  TrimName(section, &name, &length);
  for (ProfileSection& s : *profile)
    if (SameName(s.name, name, length)) return &s;
  return nullptr;
}

ProfileKey* FindKey(ProfileSection* section, const char* key) {
  const char* name;
  size_t length;
  TrimName(key, &name, &length);
  for (ProfileKey& k : section->keys)
    if (SameName(k.name, name, length)) return &k;
  return nullptr;
}

size_t CopyCut(const char* text, char* out, size_t outSize) {
  size_t n = strnlen(text, outSize - 1);
  memcpy(out, text, n);
  out[n] = '\0';
  return n;
}

}  // namespace

size_t PlatformProfileGetString(const char* section, const char* key, const char* defaultText,
                                char* out, size_t outSize, const char* file) {
  if (!out || outSize == 0) return 0;
  // Blanks at the end of the default go; its first character always stays.
  // Copied first: out may be the very buffer that holds the default.
  std::string fallback = defaultText ? defaultText : "";
  while (fallback.size() > 1 && fallback.back() == ' ') fallback.pop_back();

  std::string text;
  ReadResult read = ReadWholeFile(file, &text);
  if (read != READ_OK) return CopyCut(fallback.c_str(), out, outSize);

  Profile profile;
  ParseProfile(text, &profile);
  const char* value = fallback.c_str();
  if (ProfileSection* s = FindSection(&profile, section)) {
    ProfileKey* k = FindKey(s, key);
    if (k && k->hasValue) value = k->value.c_str();
  }
  // One enclosing pair of quotes goes; when the value was cut to fit, its
  // last character goes instead of the closing quote that no longer fits.
  char quote = 0;
  if ((value[0] == '"' || value[0] == '\'') && value[1] && value[strlen(value) - 1] == value[0])
    quote = *value++;
  size_t n = CopyCut(value, out, outSize);
  if (quote && outSize >= strlen(value) && n > 0) out[--n] = '\0';
  return n;
}

int PlatformProfileGetInt(const char* section, const char* key, int defaultValue, const char* file) {
  char text[30];
  if (PlatformProfileGetString(section, key, "", text, sizeof text, file) == 0) return defaultValue;
  // The number is read as an unsigned 32-bit value that wraps, sign applied
  // last; "0x", "0o" and "0b" (lower case only) choose base 16, 8 or 2, and
  // reading stops at the first character that is no digit of the base.
  const char* p = text;
  while (*p && (unsigned char)*p <= ' ') p++;
  bool minus = false;
  if (*p == '+' || *p == '-') minus = *p++ == '-';
  uint32_t base = 10;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'o' || p[1] == 'b')) {
    base = p[1] == 'x' ? 16 : p[1] == 'o' ? 8 : 2;
    p += 2;
  }
  uint32_t total = 0;
  for (;; p++) {
    uint32_t digit;
    if (*p >= '0' && *p <= '9')
      digit = (uint32_t)(*p - '0');
    else if (*p >= 'a' && *p <= 'z')
      digit = (uint32_t)(*p - 'a' + 10);
    else if (*p >= 'A' && *p <= 'Z')
      digit = (uint32_t)(*p - 'A' + 10);
    else
      break;
    if (digit >= base) break;
    total = total * base + digit;
  }
  return (int)(minus ? 0u - total : total);
}

// The product writes only into a project file it saves from scratch, every
// key once (SaveProject), so a key is appended: under the file's last section
// when that is its own, else under a new header.
bool PlatformProfileWriteString(const char* section, const char* key, const char* value,
                                const char* file) {
  std::string text;
  if (ReadWholeFile(file, &text) == READ_FAILED) return false;
  Profile profile;
  ParseProfile(text, &profile);
  const char* name;
  size_t length;
  TrimName(section, &name, &length);
  if (profile.size() == 1 || !SameName(profile.back().name, name, length))
    text += "[" + std::string(section) + "]\r\n";
  while (IsProfileSpace(*value)) value++;
  text += std::string(key) + "=" + value + "\r\n";
  PlatformFile* out = PlatformCreateWrite(file);
  if (!out) return false;
  bool ok = PlatformWriteFile(out, text.data(), text.size());
  return PlatformCloseFile(out) && ok;
}

void PlatformProfileFlush(const char*) {}

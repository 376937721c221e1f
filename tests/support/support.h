// What the test programs share: a scratch folder, files and folder trees,
// recorded message boxes, the build log as text. Paths are program paths
// (backslashes) on both sides.
#pragma once

#include <stddef.h>

#include <string>
#include <utility>
#include <vector>

// The folder (with a trailing backslash), created on first use under the
// system's temporary folder and removed with everything in it at exit.
const std::string& ScratchFolder();
// A name in the scratch folder that no other call returns: the profile
// services cache files by name, so every case gets a file of its own.
std::string ScratchName(const char* stem);
// Makes folder (with a trailing backslash) the system's temporary folder for
// the rest of this process.
void UseTemporaryFolder(const std::string& folder);
bool WriteRawFile(const std::string& path, const std::string& bytes);
// The file's bytes; "<missing>" when it cannot be read.
std::string ReadRawFile(const std::string& path);
// Names of the entries in a folder, "." and ".." left out, sorted.
std::string ListFolder(const std::string& folder);
// True when the path names a file or a folder.
bool FileExists(const std::string& path);
// Creates the folder and its missing parents.
void MakeFolder(const std::string& folder);
// Creates folder (with a trailing backslash) holding the files given as
// (relative path with backslashes, content); subfolders as needed. Paths are
// UTF-8 (on Windows written through the wide-character calls).
void MakeTree(const std::string& folder,
              const std::vector<std::pair<std::string, std::string>>& files);
// A new folder (with a trailing backslash) holding Setup.exe (1234 bytes),
// readme.txt ("hello") and an empty "Sub Folder".
std::string SampleFolder();
#ifdef _WIN32
std::wstring Utf8ToWide(const std::string& text);
std::string Utf8Of(const wchar_t* wide);
#endif
// Removes a file, or a folder and everything in it.
void RemoveTree(const std::string& path);

// Message boxes shown while one of these lives are recorded and given answer
// (1: OK), not shown.
struct RecordedMessageBoxes {
  explicit RecordedMessageBoxes(int answer = 1);
  ~RecordedMessageBoxes();
  int count() const;
  std::string last() const;  // as BoxSeen gives it; "" before any
};
// A message box as "caption|text|flags|owner".
std::string BoxSeen(const std::string& caption, const std::string& text, unsigned flags, int owner);

// A string literal's bytes, NULs included.
template <size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

// Bytes as lower-case hexadecimal, and back (pairs of digits; a lone last
// digit is dropped).
std::string HexOf(const void* data, size_t size);
std::string FromHex(const char* hex);

// The build log's lines oldest first, each as "<mark>|<text>".
std::vector<std::string> LogLines();

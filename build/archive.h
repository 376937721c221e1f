// The source archive: every file below the source folder as one deflated
// entry (with a password, encrypted traditionally or as AE-2), named by its path below
// the source folder with backslashes, in UTF-8. The walk reports each file in
// the build log (in the system code page) and moves its progress bar. Its
// parts: the walk (folder_walk.h), the files in flight through the deflate
// workers (archive_flight.h) and the writing of entries (archive_entry.h).
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <atomic>

#include "platform/platform.h"
#include "services/zip_aes.h"

// Failure texts of the walk beyond the build job's own.
extern const char* const kFileTooLargeText;     // a file of 4 GB or more
extern const char* const kArchiveTooLargeText;  // the archive would pass 4 GB
extern const char* const kNameNotUtf8Text;      // a name with no UTF-8 form

struct ArchiveFlight;  // files read, not yet in the archive (archive_flight.cpp)

// One archive build: the settings, then the state of the walk.
struct ArchiveJob {
  const char* sourceFolder;  // UTF-8, ends with a backslash; the top of every entry name
  const char* archivePath;   // must not exist when the walk starts
  const char* password;      // empty: no encryption
  bool aes256;               // with a password: AE-2 entries, else traditional ones
  int level;                 // deflate level 0..9
  bool showProgress;         // move the build log's progress bar
  void (*clock)(PlatformLocalTime* now);  // entry times; null: the local time
  // The most bytes the whole archive may take (0xFFFFFFFF: 32-bit sizes and
  // offsets, since entries carry no zip64 fields). Tests lower it.
  uint64_t sizeLimit;
  // Set by another thread or a signal handler: the walk ends as a failure,
  // logging nothing more. Null: never.
  const std::atomic<bool>* cancel;

  // State of the walk, set by InitArchiveJob.
  void* zip;                    // the open archive, created by the first file
  void* stream;                 // its file, as the zip library's file functions opened it
  ArchiveFlight* flight;        // files on their way through the deflate workers
  bool totalKnown;
  uint32_t total;               // SumFolderSize of the source folder (folder_size.h)
  uint32_t done;                // listed sizes of the files added
  uint64_t centralSize;         // what the central directory will take for the entries so far
  ZipAesCoder aes;              // the open AE-2 entry's keys and code
  const char* failureText;      // set when a failure has its own message
};

// Clears a job: no archive open, no progress, default settings (level 0, no
// password, no progress bar, archive kept open across the walk, 32-bit limit).
void InitArchiveJob(ArchiveJob* job);

// Builds the whole archive from job->sourceFolder (depth first, in listing
// order) and closes it. Worker threads deflate the files, a large one in
// pieces; this thread reads them and adds the finished entries in the walk's
// order, logging each as it goes in. Returns true when every file was added
// and the archive was written; false otherwise, the last log line then
// naming the file that failed (when one did): missing or unreadable, named
// with no UTF-8 form, too large for a 32-bit entry, taking the archive past
// job->sizeLimit, or the zip library failed. A folder that cannot be listed adds nothing. An empty
// source folder succeeds and leaves no archive file.
bool BuildSourceArchive(ArchiveJob* job);

#include "build/archive.h"

#include <string.h>

#include "build/archive_entry.h"
#include "build/archive_flight.h"
#include "build/folder_walk.h"

const char* const kFileTooLargeText = "Failed to add a file of 4 GB or more to the archive.";
const char* const kArchiveTooLargeText =
    "Failed to add all files to the archive: it would reach 4 GB.";
const char* const kNameNotUtf8Text = "Failed to add a file whose name is not valid Unicode.";

namespace {

bool Cancelled(const ArchiveJob* job) { return job->cancel && job->cancel->load(); }

bool EnterFolder(void* context, const char*) { return !Cancelled((ArchiveJob*)context); }

bool QueueFile(void* context, const char* path, uint64_t listedSize) {
  ArchiveJob* job = (ArchiveJob*)context;
  return !Cancelled(job) && QueueArchiveFile(job, path, listedSize);
}

// A path cut to fit would name another file: the walk cannot go on.
bool QueuePathTooLong(void* context, const char* cutPath) {
  return QueueArchiveFailure((ArchiveJob*)context, cutPath, nullptr);
}

// Left out, the file would be missing from the extraction unnoticed.
bool QueueNameNotUtf8(void* context, const char* path) {
  return QueueArchiveFailure((ArchiveJob*)context, path, kNameNotUtf8Text);
}

}  // namespace

void InitArchiveJob(ArchiveJob* job) {
  memset(job, 0, sizeof *job);
  job->sourceFolder = "";
  job->archivePath = "";
  job->password = "";
  job->sizeLimit = kZip32Limit;
}

bool BuildSourceArchive(ArchiveJob* job) {
  if (!StartArchiveFlight(job)) return false;
  const FolderVisitor queue = {job, EnterFolder, QueueFile, QueuePathTooLong, QueueNameNotUtf8};
  bool ok = WalkFolder(job->sourceFolder, &queue) && DrainArchiveFlight(job);
  StopArchiveFlight(job);
  if (!CloseArchive(job)) ok = false;
  return ok;
}

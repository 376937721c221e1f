// The files in flight between the walk and the archive: each is read (a
// small one whole by a deflate worker, a larger one here in pieces), deflated
// by the workers, and written as an entry in the order the walk queued it,
// with its line in the build log. What is in flight stays within a fixed
// budget of memory: queueing waits for the oldest entries to be written.
#pragma once

#include <stdint.h>

#include "build/archive.h"

// Starts the deflate workers and sets job->flight. Returns false (nothing
// started) when no thread could be started or memory ran out.
bool StartArchiveFlight(ArchiveJob* job);

// Queues one file of listedSize bytes at path (UTF-8), writing older entries as the
// budget needs. Returns false when the walk must end: this file failed
// (logged after the files before it), or an earlier one did, or the job was
// cancelled.
bool QueueArchiveFile(ArchiveJob* job, const char* path, uint64_t listedSize);

// A failure of the walk at path, logged once everything before it is in;
// failureText (or null) becomes the job's. Always returns false.
bool QueueArchiveFailure(ArchiveJob* job, const char* path, const char* failureText);

// Writes every entry still in flight. Returns false when one failed (logged)
// or the job was cancelled.
bool DrainArchiveFlight(ArchiveJob* job);

// Waits for the pieces being deflated, frees what is left after a failure,
// ends the workers and clears job->flight.
void StopArchiveFlight(ArchiveJob* job);

#include "build/archive_flight.h"

#include <stdlib.h>
#include <string.h>

#include <deque>
#include <string>

#include "build/archive_entry.h"
#include "build/deflate_pool.h"
#include "build/folder_size.h"
#include "services/buildlog.h"
#include "zlib.h"

namespace {

// Input and output room of the pieces in flight, and the entries waiting:
// whatever the source, a build holds about this much data at a time.
const size_t kFlightBudget = 32u << 20;

// A file on its way into the archive, or a failure of the walk at its place.
struct PendingEntry {
  std::string path;                  // UTF-8; the entry name follows the source folder
  uint64_t listedSize;
  bool failed;                       // the walk or the read failed here
  const char* failureText;           // with failed: its own message, if any
  std::deque<DeflatePiece*> pieces;  // submitted, not yet written
  bool complete;                     // every piece is submitted
  bool opened;                       // its entry is open in the archive
  bool passCrcKnown;                 // a CRC pass ran (encrypted, more than one piece)
  unsigned long passCrc;
  unsigned long crc;                 // of the pieces written so far
  uint64_t size;
};

}  // namespace

struct ArchiveFlight {
  DeflatePool* pool;
  std::deque<PendingEntry*> entries;  // in walk order
  size_t bytes;                       // counted against kFlightBudget
  bool stopped;                       // a write failed and was logged, or cancelled: the walk ends
  unsigned char* readBuffer;          // VQ_DEFLATE_PIECE_SIZE bytes for the CRC pass
};

namespace {

size_t EntryCost(const PendingEntry* entry) { return sizeof *entry + entry->path.size() + 64; }

void MoveProgress(ArchiveJob* job, uint64_t listedSize) {
  if (!job->showProgress) return;
  // Worked out once: a folder of empty files keeps a total of 0.
  if (!job->totalKnown) {
    job->total = SumFolderSize(job->sourceFolder, true);
    job->totalKnown = true;
  }
  job->done += (uint32_t)listedSize;
  SetBuildProgress(ProgressPosition(job->done, job->total));
}

// The log shows a path as the system code page can: what it cannot becomes
// "?", so that the line is there whatever the name.
void LogPath(const std::string& path, LogMark mark) {
  char shown[VQ_TEXT_SIZE];
  if (!PlatformUtf8ToSystem(path.c_str(), shown, sizeof shown)) {
    CopyText(shown, sizeof shown, path.c_str());
  }
  AddLogLine(shown, mark);
}

bool FailEntry(ArchiveJob* job, const PendingEntry* entry) {
  LogPath(entry->path, LOG_MARK_FAILURE);
  if (entry->failureText) job->failureText = entry->failureText;
  job->flight->stopped = true;
  return false;
}

// Opens the entry of a file whose first piece is done. Encryption needs the
// whole file's CRC first: a file of one piece has it from its worker, one of
// more pieces from the CRC pass that ran before its first piece was queued.
bool OpenEntry(ArchiveJob* job, PendingEntry* entry, const DeflatePiece* first) {
  if (ArchiveEncrypted(job) && !first->last && !entry->passCrcKnown) return false;
  unsigned long crc = entry->passCrcKnown ? entry->passCrc : first->crc;
  const bool keys = first->aesPassword && first->aesReady;
  entry->opened = OpenArchiveEntry(job, entry->path.c_str(), first->dataType, crc,
                                   keys ? first->aesSalt : nullptr, keys ? &first->aesKeys : nullptr);
  return entry->opened;
}

bool ReadFileIntoFlight(ArchiveJob* job, PendingEntry* entry);

// A file listed as less than a piece that has more by the time a worker got
// to it: read here in pieces after all. Returns false when that failed (logged).
bool ReadGrownFile(ArchiveJob* job, PendingEntry* entry) {
  DeflatePiece* piece = entry->pieces.front();
  entry->pieces.pop_front();
  job->flight->bytes -= piece->reserved;
  FreeDeflatePiece(piece);
  entry->complete = false;
  bool ok = ReadFileIntoFlight(job, entry);
  entry->complete = true;
  if (ok) return true;
  return job->flight->stopped ? false : FailEntry(job, entry);
}

// Writes the oldest piece in flight, waiting for its worker, and closes and
// logs its entry when that was the entry's last piece. Returns false (the
// failure logged) when the entry fails.
bool WriteOldest(ArchiveJob* job) {
  ArchiveFlight* flight = job->flight;
  if (job->cancel && job->cancel->load()) flight->stopped = true;
  if (flight->stopped) return false;
  PendingEntry* entry = flight->entries.front();
  if (entry->failed) return FailEntry(job, entry);
  if (!entry->pieces.empty()) {
    DeflatePiece* piece = entry->pieces.front();
    WaitForPiece(flight->pool, piece);
    if (piece->grown) return ReadGrownFile(job, entry);
    bool ok = !piece->failed && (entry->opened || OpenEntry(job, entry, piece)) &&
              WriteArchiveEntry(job, piece->output, piece->outputSize);
    entry->crc = crc32_combine(entry->crc, piece->crc, (z_off_t)piece->dataSize);
    entry->size += piece->dataSize;
    entry->pieces.pop_front();
    flight->bytes -= piece->reserved;
    FreeDeflatePiece(piece);
    if (!ok) return FailEntry(job, entry);
  }
  if (!entry->complete || !entry->pieces.empty()) return true;

  // A file that changed between the CRC pass and the pieces would not
  // decrypt; it fails instead.
  bool ok = CloseArchiveEntry(job, entry->size, entry->crc) &&
            (!entry->passCrcKnown || entry->passCrc == entry->crc);
  entry->opened = false;
  if (!ok) return FailEntry(job, entry);
  LogPath(entry->path, LOG_MARK_SUCCESS);
  MoveProgress(job, entry->listedSize);
  flight->entries.pop_front();
  flight->bytes -= EntryCost(entry);
  delete entry;
  return true;
}

// Whether WriteOldest can move: only the entry being read is incomplete, and
// it is the last.
bool CanWriteOldest(const ArchiveFlight* flight) {
  if (flight->entries.empty()) return false;
  const PendingEntry* front = flight->entries.front();
  return front->complete || !front->pieces.empty();
}

// Writes until cost more fits in the budget. false when a write failed.
bool MakeRoom(ArchiveJob* job, size_t cost) {
  ArchiveFlight* flight = job->flight;
  while (flight->bytes + cost > kFlightBudget && CanWriteOldest(flight)) {
    if (!WriteOldest(job)) return false;
  }
  return true;
}

// Queues the piece as the entry's next. false (the piece freed) when making
// room for it failed.
bool SubmitToEntry(ArchiveJob* job, PendingEntry* entry, DeflatePiece* piece, size_t dataSize) {
  piece->reserved = piece->dictionarySize + 2 * dataSize + 1024;  // input and output
  if (!MakeRoom(job, piece->reserved)) {
    FreeDeflatePiece(piece);
    return false;
  }
  // The entry's first piece: its worker derives the entry's keys too.
  if (ArchiveUsesAes(job) && !entry->opened && entry->pieces.empty()) piece->aesPassword = job->password;
  entry->pieces.push_back(piece);
  job->flight->bytes += piece->reserved;
  SubmitPiece(job->flight->pool, piece);
  return true;
}

// The CRC of the whole file from first's data on: first and second are the
// file's first two pieces, the rest is read and the file set back behind
// second. Returns false on a read error.
bool CrcPass(PlatformFile* file, const DeflatePiece* first, const DeflatePiece* second,
             unsigned char* buffer, unsigned long* crc) {
  uLong sum = crc32(0L, Z_NULL, 0);
  sum = crc32(sum, first->input + first->dictionarySize, (uInt)first->dataSize);
  sum = crc32(sum, second->input + second->dictionarySize, (uInt)second->dataSize);
  bool ok = true;
  for (;;) {
    size_t got = 0;
    ok = PlatformReadFile(file, buffer, VQ_DEFLATE_PIECE_SIZE, &got);
    if (!ok || got == 0) break;
    sum = crc32(sum, buffer, (uInt)got);
  }
  *crc = sum;
  return ok && PlatformSeekFile(file, (uint64_t)first->dataSize + second->dataSize);
}

// Reads the open file into pieces of the entry. A piece is queued once the
// next read shows whether it is the last. Returns false when a read fails or
// a write made room for a piece failed.
bool ReadPieces(ArchiveJob* job, PendingEntry* entry, PlatformFile* file) {
  const bool encrypt = ArchiveEncrypted(job);
  DeflatePiece* held = nullptr;
  bool first = true;
  for (;;) {
    size_t dictionary = 0;
    if (held) {
      dictionary = held->dictionarySize + held->dataSize;
      if (dictionary > VQ_DEFLATE_DICTIONARY_SIZE) dictionary = VQ_DEFLATE_DICTIONARY_SIZE;
    }
    DeflatePiece* next = NewDeflatePiece(dictionary, VQ_DEFLATE_PIECE_SIZE);
    size_t got = 0;
    if (next && held) {
      memcpy(next->input, held->input + held->dictionarySize + held->dataSize - dictionary,
             dictionary);
    }
    if (!next || !PlatformReadFile(file, next->input + dictionary, VQ_DEFLATE_PIECE_SIZE, &got)) {
      FreeDeflatePiece(next);
      FreeDeflatePiece(held);
      return false;
    }
    next->dataSize = got;
    bool ok = true;
    if (held && got == 0) {
      FreeDeflatePiece(next);
      held->last = true;
      return SubmitToEntry(job, entry, held, held->dataSize);
    }
    if (held) {
      if (first && encrypt) {
        ok = CrcPass(file, held, next, job->flight->readBuffer, &entry->passCrc);
        entry->passCrcKnown = ok;
      }
      first = false;
      if (!ok || !SubmitToEntry(job, entry, held, held->dataSize)) {
        if (!ok) FreeDeflatePiece(held);
        FreeDeflatePiece(next);
        return false;
      }
    }
    if (got < VQ_DEFLATE_PIECE_SIZE) {
      next->last = true;
      return SubmitToEntry(job, entry, next, next->dataSize);
    }
    held = next;
  }
}

// Reads one file into the flight. Opened once for the CRC pass and the
// pieces, letting others only read: a file that another program is still
// writing fails here instead of being packed half-written.
bool ReadFileIntoFlight(ArchiveJob* job, PendingEntry* entry) {
  PlatformFileInfo info;
  if (!PlatformGetFileInfoUtf8(entry->path.c_str(), &info) || info.isFolder) return false;
  uint64_t size = info.size > entry->listedSize ? info.size : entry->listedSize;
  if (size >= kZip32Limit) {
    entry->failureText = kFileTooLargeText;
    return false;
  }
  PlatformFile* file = PlatformOpenReadUtf8(entry->path.c_str());
  if (!file) return false;
  bool ok = ReadPieces(job, entry, file);
  PlatformCloseFile(file);
  return ok;
}

PendingEntry* AddPendingEntry(ArchiveJob* job, const char* path, uint64_t listedSize) {
  PendingEntry* entry = new PendingEntry();
  entry->path = path;
  entry->listedSize = listedSize;
  job->flight->entries.push_back(entry);
  job->flight->bytes += EntryCost(entry);
  return entry;
}

}  // namespace

bool StartArchiveFlight(ArchiveJob* job) {
  ArchiveFlight* flight = new ArchiveFlight();
  flight->pool = StartDeflatePool(job->level);
  flight->bytes = 0;
  flight->stopped = false;
  flight->readBuffer = (unsigned char*)malloc(VQ_DEFLATE_PIECE_SIZE);
  if (!flight->pool || !flight->readBuffer) {
    StopDeflatePool(flight->pool);
    free(flight->readBuffer);
    delete flight;
    return false;
  }
  job->flight = flight;
  return true;
}

bool QueueArchiveFile(ArchiveJob* job, const char* path, uint64_t listedSize) {
  PendingEntry* entry = AddPendingEntry(job, path, listedSize);
  bool ok;
  if (listedSize < VQ_DEFLATE_PIECE_SIZE) {
    // Read by a worker: this thread's time goes to the walk and the writing.
    DeflatePiece* piece = NewDeflatePiece(0, 0);
    if (piece) {
      piece->path = entry->path.c_str();
      piece->last = true;
    }
    ok = piece && SubmitToEntry(job, entry, piece, (size_t)listedSize);
  } else {
    ok = ReadFileIntoFlight(job, entry);
  }
  entry->complete = true;
  if (ok) return true;
  if (job->flight->stopped) return false;
  entry->failed = true;
  DrainArchiveFlight(job);
  return false;
}

bool QueueArchiveFailure(ArchiveJob* job, const char* path, const char* failureText) {
  PendingEntry* entry = AddPendingEntry(job, path, 0);
  entry->failed = true;
  entry->failureText = failureText;
  entry->complete = true;
  DrainArchiveFlight(job);
  return false;
}

bool DrainArchiveFlight(ArchiveJob* job) {
  while (CanWriteOldest(job->flight)) {
    if (!WriteOldest(job)) return false;
  }
  return true;
}

void StopArchiveFlight(ArchiveJob* job) {
  ArchiveFlight* flight = job->flight;
  DropQueuedPieces(flight->pool);
  for (PendingEntry* entry : flight->entries) {
    for (DeflatePiece* piece : entry->pieces) {
      WaitForPiece(flight->pool, piece);
      FreeDeflatePiece(piece);
    }
    delete entry;
  }
  StopDeflatePool(flight->pool);
  free(flight->readBuffer);
  delete flight;
  job->flight = nullptr;
}

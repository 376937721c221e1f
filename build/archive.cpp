#include "build/archive.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <deque>
#include <string>
#ifdef _WIN32
#include <share.h>
#endif

#include "build/archive_stream.h"
#include "build/deflate_pool.h"
#include "base/layout.h"
#include "project/project.h"
#include "services/buildlog.h"
#include "services/paths.h"
#include "zip.h"
#include "zlib.h"

const char* const kFileTooLargeText = "Failed to add a file of 4 GB or more to the archive.";
const char* const kArchiveTooLargeText =
    "Failed to add all files to the archive: it would reach 4 GB.";

namespace {

// Entries carry no zip64 fields (the extractor reads 32-bit entries), so
// every size and offset must stay below this.
const uint64_t kZip32Limit = 0xFFFFFFFFu;
const uint64_t kEndRecordSize = 22;
const uint64_t kCentralHeaderSize = 46;  // no extra field, no comment

uint32_t gSumTotal = 0;  // SumFolderSize's running total

// Only the folder's own entries are left out. Other names ending with a dot
// cannot exist on Windows; where they can, they are files like any other.
bool IsFolderSelfOrParent(const char* name) {
  return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

// folder + "\" when it has none (an empty folder too: "\*" lists nothing).
bool WithTrailingBackslash(const char* folder, char* out, size_t outSize) {
  return CopyText(out, outSize, folder) && (out[0] ? AddTrailingBackslash(out, outSize)
                                                   : CopyText(out, outSize, "\\"));
}

// The archive goes through our own buffered stream (archive_stream.h); the
// job keeps it to ask how far the archive has got.
voidpf ZCALLBACK OpenArchiveStream(voidpf opaque, const void* name, int mode) {
  ArchiveJob* job = (ArchiveJob*)opaque;
  // The library opens the archive only to create it or to add to it.
  const char* how = (mode & ZLIB_FILEFUNC_MODE_EXISTING) ? "r+b" : "wb";
#ifdef _WIN32
  // Others may read the archive meanwhile, never write it.
  job->stream = WrapArchiveFile(_fsopen((const char*)name, how, _SH_DENYWR));
#else
  job->stream = WrapArchiveFile(fopen((const char*)name, how));
#endif
  return job->stream;
}

bool OpenArchive(ArchiveJob* job) {
  if (job->zip) return true;
  char systemPath[VQ_TEXT_SIZE];
  if (!PlatformSystemPath(job->archivePath, systemPath, sizeof systemPath)) return false;
  zlib_filefunc64_def functions;
  fill_fopen64_filefunc(&functions);
  SetArchiveStreamFunctions(&functions);
  functions.zopen64_file = OpenArchiveStream;
  functions.opaque = job;
  job->zip = zipOpen2_64(systemPath, APPEND_STATUS_CREATE, nullptr, &functions);
  return job->zip != nullptr;
}

// Whether the archive, were it closed now, would take more than the limit:
// what is written, the central directory for every entry opened so far, the
// end record. Within an entry the library still holds some of the data, so
// this errs low there and is exact once the entry is closed.
bool ArchivePassesLimit(ArchiveJob* job) {
  uint64_t written = ArchiveStreamSize((ArchiveStream*)job->stream);
  if (written + job->centralSize + kEndRecordSize <= job->sizeLimit) return false;
  job->failureText = kArchiveTooLargeText;
  return true;
}

// Entry time: the moment of adding, the year as 2000 plus its last two digits.
void EntryTime(const ArchiveJob* job, zip_fileinfo* info) {
  PlatformLocalTime now;
  if (job->clock) {
    job->clock(&now);
  } else {
    PlatformGetLocalTime(&now);
  }
  memset(info, 0, sizeof *info);
  info->tmz_date.tm_sec = now.second;
  info->tmz_date.tm_min = now.minute;
  info->tmz_date.tm_hour = now.hour;
  info->tmz_date.tm_mday = now.day;
  info->tmz_date.tm_mon = now.month - 1;
  info->tmz_date.tm_year = 2000 + now.year % 100;
}

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


// Input and output room of the pieces in flight, and the entries waiting:
// whatever the source, a build holds about this much data at a time.
const size_t kFlightBudget = 32u << 20;

// A file on its way into the archive, or a failure of the walk at its place.
struct PendingEntry {
  std::string path;                  // as logged; the entry name follows the source folder
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

bool FailEntry(ArchiveJob* job, const PendingEntry* entry) {
  AddLogLine(entry->path.c_str(), LOG_MARK_FAILURE);
  if (entry->failureText) job->failureText = entry->failureText;
  job->flight->stopped = true;
  return false;
}

// Opens the entry of a file whose first piece is done. Encryption needs the
// whole file's CRC first: a file of one piece has it from its worker, one of
// more pieces from the CRC pass that ran before its first piece was queued.
bool OpenEntry(ArchiveJob* job, PendingEntry* entry, const DeflatePiece* first) {
  const bool encrypt = job->password && job->password[0] != '\0';
  if (encrypt && !first->last && !entry->passCrcKnown) return false;
  char name[VQ_TEXT_SIZE];
  if (!CopyText(name, sizeof name, PathBelowFolder(entry->path.c_str(), job->sourceFolder)) ||
      !OpenArchive(job)) {
    return false;
  }
  zip_fileinfo zipInfo;
  EntryTime(job, &zipInfo);
  // In raw mode the library cannot tell text; the first block's guess is
  // what it would have noted.
  if (first->dataType == Z_TEXT) zipInfo.internal_fa = Z_TEXT;
  job->centralSize += kCentralHeaderSize + strlen(name);
  uLong crc = entry->passCrcKnown ? entry->passCrc : first->crc;
  entry->opened = zipOpenNewFileInZip3(job->zip, name, &zipInfo, nullptr, 0, nullptr, 0, nullptr,
                                       Z_DEFLATED, job->level, 1, -MAX_WBITS, 8,
                                       Z_DEFAULT_STRATEGY, encrypt ? job->password : nullptr,
                                       crc) == ZIP_OK;
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
              zipWriteInFileInZip(job->zip, piece->output, (unsigned)piece->outputSize) == ZIP_OK &&
              !ArchivePassesLimit(job);
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
  bool ok = zipCloseFileInZipRaw(job->zip, (uLong)entry->size, entry->crc) == ZIP_OK &&
            !ArchivePassesLimit(job) && (!entry->passCrcKnown || entry->passCrc == entry->crc);
  entry->opened = false;
  if (!ok) return FailEntry(job, entry);
  AddLogLine(entry->path.c_str(), LOG_MARK_SUCCESS);
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

bool DrainFlight(ArchiveJob* job) {
  while (CanWriteOldest(job->flight)) {
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
  const bool encrypt = job->password && job->password[0] != '\0';
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
  if (!PlatformGetFileInfo(entry->path.c_str(), &info) || info.isFolder) return false;
  uint64_t size = info.size > entry->listedSize ? info.size : entry->listedSize;
  if (size >= kZip32Limit) {
    entry->failureText = kFileTooLargeText;
    return false;
  }
  PlatformFile* file = PlatformOpenRead(entry->path.c_str());
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

// A failure of the walk at path: logged once everything before it is in.
// Always returns false.
bool QueueFailure(ArchiveJob* job, const char* path) {
  PendingEntry* entry = AddPendingEntry(job, path, 0);
  entry->failed = true;
  entry->complete = true;
  DrainFlight(job);
  return false;
}

// Queues one file. Returns false when the walk must end: this file failed
// (logged after the files before it), or an earlier one did.
bool QueueFile(ArchiveJob* job, const char* path, uint64_t listedSize) {
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
  DrainFlight(job);
  return false;
}

// After a failure: waits for the pieces being deflated and frees what is left.
void EmptyFlight(ArchiveFlight* flight) {
  DropQueuedPieces(flight->pool);
  for (PendingEntry* entry : flight->entries) {
    for (DeflatePiece* piece : entry->pieces) {
      WaitForPiece(flight->pool, piece);
      FreeDeflatePiece(piece);
    }
    delete entry;
  }
  flight->entries.clear();
}

// Queues every file below folder (depth first, in listing order). Returns
// false at the first failure; a folder that cannot be listed adds nothing
// and counts as done.
bool AddFolderToArchive(ArchiveJob* job, const char* folderText) {
  char folder[VQ_TEXT_SIZE];
  char pattern[VQ_TEXT_SIZE];
  if (!WithTrailingBackslash(folderText, folder, sizeof folder) ||
      !CopyText(pattern, sizeof pattern, folder) || !AppendText(pattern, sizeof pattern, "*")) {
    return QueueFailure(job, folder);
  }
  PlatformFindData entry;
  PlatformFind* find = PlatformFindFirst(pattern, &entry);
  if (!find) return true;
  bool ok = true;
  do {
    if (IsFolderSelfOrParent(entry.name)) continue;
    if (job->cancel && job->cancel->load()) {
      ok = false;
      break;
    }
    char path[VQ_TEXT_SIZE];
    if (!CopyText(path, sizeof path, folder) || !AppendText(path, sizeof path, entry.name)) {
      // A path cut to fit would name another file: the walk cannot go on.
      ok = QueueFailure(job, path);
      break;
    }
    ok = entry.isFolder ? AddFolderToArchive(job, path) : QueueFile(job, path, entry.size);
  } while (ok && PlatformFindNext(find, &entry));
  PlatformFindClose(find);
  return ok;
}

bool CloseArchive(ArchiveJob* job) {
  if (!job->zip) return true;
  int result = zipClose(job->zip, nullptr);
  job->zip = nullptr;
  return result == ZIP_OK;
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
  ArchiveFlight flight;
  flight.pool = StartDeflatePool(job->level);
  flight.bytes = 0;
  flight.stopped = false;
  flight.readBuffer = (unsigned char*)malloc(VQ_DEFLATE_PIECE_SIZE);
  if (!flight.pool || !flight.readBuffer) {
    StopDeflatePool(flight.pool);
    free(flight.readBuffer);
    return false;
  }
  job->flight = &flight;
  bool ok = AddFolderToArchive(job, job->sourceFolder) && DrainFlight(job);
  EmptyFlight(&flight);
  StopDeflatePool(flight.pool);
  free(flight.readBuffer);
  job->flight = nullptr;
  if (!CloseArchive(job)) ok = false;
  return ok;
}

uint32_t SumFolderSize(const char* folderText, bool restart) {
  if (restart) gSumTotal = 0;
  char folder[VQ_TEXT_SIZE];
  char pattern[VQ_TEXT_SIZE];
  if (!WithTrailingBackslash(folderText, folder, sizeof folder) ||
      !CopyText(pattern, sizeof pattern, folder) || !AppendText(pattern, sizeof pattern, "*")) {
    return gSumTotal;
  }
  PlatformFindData entry;
  PlatformFind* find = PlatformFindFirst(pattern, &entry);
  if (!find) return gSumTotal;
  do {
    if (IsFolderSelfOrParent(entry.name)) continue;
    if (entry.isFolder) {
      char path[VQ_TEXT_SIZE];
      if (CopyText(path, sizeof path, folder) && AppendText(path, sizeof path, entry.name)) {
        SumFolderSize(path, false);
      }
    } else {
      gSumTotal += (uint32_t)entry.size;
    }
  } while (PlatformFindNext(find, &entry));
  PlatformFindClose(find);
  return gSumTotal;
}

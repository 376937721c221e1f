#include "build/deflate_pool.h"

#include <stdlib.h>
#include <string.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "zlib.h"

struct DeflatePool {
  int level;
  std::mutex lock;
  std::condition_variable queued;    // a piece to take, or stopping
  std::condition_variable finished;  // a piece is done
  std::deque<DeflatePiece*> todo;
  size_t unannounced;  // input bytes queued since the workers were last woken
  bool stopping;
  std::vector<std::thread> workers;
};

namespace {

// Deflates piece->input into a buffer of its own. A fresh stream for every
// piece: after deflateReset the window still holds the last piece's bytes,
// and the match search reads a little past the data, so a reused stream
// could pick other (equally long) matches depending on what the thread did
// before.
bool DeflateOnePiece(int level, DeflatePiece* piece, const unsigned char* data) {
  piece->crc = crc32(crc32(0L, Z_NULL, 0), data, (uInt)piece->dataSize);
  z_stream stream;
  memset(&stream, 0, sizeof stream);
  if (deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    return false;
  }
  bool ok = piece->dictionarySize == 0 ||
            deflateSetDictionary(&stream, piece->input, (uInt)piece->dictionarySize) == Z_OK;
  // The bound covers a finished stream; a sync flush adds an empty stored
  // block, and the loop grows the buffer should that still not do.
  size_t capacity = ok ? deflateBound(&stream, (uLong)piece->dataSize) + 64 : 0;
  piece->output = ok ? (unsigned char*)malloc(capacity) : nullptr;
  ok = piece->output != nullptr;
  stream.next_in = (Bytef*)data;
  stream.avail_in = (uInt)piece->dataSize;
  stream.next_out = piece->output;
  stream.avail_out = (uInt)capacity;
  const int flush = piece->last ? Z_FINISH : Z_SYNC_FLUSH;
  while (ok) {
    int result = deflate(&stream, flush);
    if (result == Z_STREAM_END || (flush == Z_SYNC_FLUSH && result == Z_OK && stream.avail_out > 0)) {
      break;
    }
    if (result != Z_OK && result != Z_BUF_ERROR) {
      ok = false;
      break;
    }
    size_t used = capacity - stream.avail_out;
    size_t larger = capacity + capacity / 2 + 1024;
    unsigned char* grown = (unsigned char*)realloc(piece->output, larger);
    if (!grown) {
      ok = false;
      break;
    }
    piece->output = grown;
    capacity = larger;
    stream.next_out = grown + used;
    stream.avail_out = (uInt)(capacity - used);
  }
  piece->outputSize = capacity - stream.avail_out;
  piece->dataType = stream.data_type;
  deflateEnd(&stream);
  return ok;
}

// Reads piece->path into buffer (a piece and a byte) and sets the size.
bool ReadSmallFile(DeflatePiece* piece, unsigned char* buffer) {
  PlatformFileInfo info;
  if (!PlatformGetFileInfoUtf8(piece->path, &info) || info.isFolder) return false;
  if (info.size >= VQ_DEFLATE_PIECE_SIZE) {
    piece->grown = true;
    return true;
  }
  PlatformFile* file = PlatformOpenReadUtf8(piece->path);
  if (!file) return false;
  size_t got = 0;
  bool ok = PlatformReadFile(file, buffer, VQ_DEFLATE_PIECE_SIZE + 1, &got);
  PlatformCloseFile(file);
  piece->grown = got > VQ_DEFLATE_PIECE_SIZE;
  piece->dataSize = got;
  return ok;
}

bool RunPiece(int level, DeflatePiece* piece, unsigned char* buffer) {
  if (piece->aesPassword) {
    piece->aesReady = CryptoRandom(piece->aesSalt, sizeof piece->aesSalt) &&
                      ZipAesDeriveKeys(piece->aesPassword, strlen(piece->aesPassword),
                                       piece->aesSalt, &piece->aesKeys);
  }
  if (!piece->path) return DeflateOnePiece(level, piece, piece->input + piece->dictionarySize);
  if (!buffer || !ReadSmallFile(piece, buffer)) return false;
  return piece->grown || DeflateOnePiece(level, piece, buffer);
}

void RunWorker(DeflatePool* pool) {
  // The buffer small files are read into, one for the worker's life.
  unsigned char* buffer = (unsigned char*)malloc(VQ_DEFLATE_PIECE_SIZE + 1);
  std::unique_lock<std::mutex> hold(pool->lock);
  for (;;) {
    pool->queued.wait(hold, [pool] { return pool->stopping || !pool->todo.empty(); });
    if (pool->todo.empty()) break;
    DeflatePiece* piece = pool->todo.front();
    pool->todo.pop_front();
    hold.unlock();
    bool ok = RunPiece(pool->level, piece, buffer);
    free(piece->input);  // the input is no longer needed: memory back early
    piece->input = nullptr;
    hold.lock();
    piece->failed = !ok;
    piece->done = true;
    pool->finished.notify_all();
  }
  hold.unlock();
  free(buffer);
}

}  // namespace

DeflatePool* StartDeflatePool(int level) {
  DeflatePool* pool = new DeflatePool();
  pool->level = level;
  pool->stopping = false;
  pool->unannounced = 0;
  unsigned count = std::thread::hardware_concurrency();
  if (count == 0) count = 1;
  for (unsigned i = 0; i < count; ++i) {
    // Threads that cannot start are simply not there; none at all is a failure.
    try {
      pool->workers.emplace_back(RunWorker, pool);
    } catch (...) {
      break;
    }
  }
  if (pool->workers.empty()) {
    delete pool;
    return nullptr;
  }
  return pool;
}

DeflatePiece* NewDeflatePiece(size_t dictionarySize, size_t dataSize) {
  DeflatePiece* piece = (DeflatePiece*)calloc(1, sizeof(DeflatePiece));
  if (!piece) return nullptr;
  // One byte at least: malloc(0) may give nullptr for an empty file.
  piece->input = (unsigned char*)malloc(dictionarySize + dataSize + 1);
  if (!piece->input) {
    free(piece);
    return nullptr;
  }
  piece->dictionarySize = dictionarySize;
  piece->dataSize = dataSize;
  return piece;
}

// Waking a worker for every small file costs more than deflating it: the
// workers are woken once pieces worth half a piece's input are waiting, or when
// the caller is about to wait itself.
void SubmitPiece(DeflatePool* pool, DeflatePiece* piece) {
  bool wake = false;
  {
    std::lock_guard<std::mutex> hold(pool->lock);
    pool->todo.push_back(piece);
    pool->unannounced += piece->reserved;
    wake = pool->unannounced >= VQ_DEFLATE_PIECE_SIZE;
    if (wake) pool->unannounced = 0;
  }
  if (wake) pool->queued.notify_all();
}

void WaitForPiece(DeflatePool* pool, DeflatePiece* piece) {
  std::unique_lock<std::mutex> hold(pool->lock);
  if (piece->done) return;
  pool->unannounced = 0;
  pool->queued.notify_all();
  pool->finished.wait(hold, [piece] { return piece->done; });
}

void DropQueuedPieces(DeflatePool* pool) {
  std::lock_guard<std::mutex> hold(pool->lock);
  for (DeflatePiece* piece : pool->todo) piece->failed = piece->done = true;
  pool->todo.clear();
  pool->finished.notify_all();
}

void FreeDeflatePiece(DeflatePiece* piece) {
  if (!piece) return;
  free(piece->input);
  free(piece->output);
  free(piece);
}

void StopDeflatePool(DeflatePool* pool) {
  if (!pool) return;
  {
    std::lock_guard<std::mutex> hold(pool->lock);
    pool->stopping = true;
  }
  pool->queued.notify_all();
  for (std::thread& worker : pool->workers) worker.join();
  delete pool;
}

// Worker threads that deflate pieces of files, one thread per processor. A
// piece carries up to 32 KB of the data before it as its dictionary and ends
// on a byte boundary (a sync flush; the last piece of a file finishes the
// stream), so the pieces of one file, end to end, are one raw deflate stream.
// A piece's output depends only on its bytes and the level, never on which
// thread took it or when.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "services/zip_aes.h"

enum {
  VQ_DEFLATE_PIECE_SIZE = 1 << 20,    // data bytes a piece takes from a file
  VQ_DEFLATE_DICTIONARY_SIZE = 32768  // deflate's whole window
};

struct DeflatePiece {
  // Set by the caller before submitting.
  unsigned char* input;   // the dictionary, then the data; freed with the piece
  size_t dictionarySize;  // 0..VQ_DEFLATE_DICTIONARY_SIZE
  size_t dataSize;
  bool last;              // finishes the stream
  // Instead of input: a file (UTF-8 path) of less than a piece that the worker reads
  // whole (opened once, as PlatformOpenReadUtf8 shares it) and deflates as one
  // last piece. Must stay valid until the piece is done.
  const char* path;
  size_t reserved;        // the caller's count of the piece's memory, also its weight
                          // when the pool gathers pieces before waking workers
  // Set on an AES-256 entry's first piece: the worker also draws the entry's
  // salt and derives its keys, a thousand rounds of PBKDF2 that would hold
  // up the writing of every entry if the writer did them.
  const char* aesPassword;

  // Valid once WaitForPiece returned.
  unsigned char* output;  // raw deflate data, outputSize bytes
  size_t outputSize;
  unsigned long crc;      // CRC-32 of the data (not the dictionary)
  int dataType;           // zlib's guess from the first block: Z_TEXT, Z_BINARY or Z_UNKNOWN
  bool failed;            // deflate could not run (out of memory), or path could not be read
  bool grown;             // path holds a piece or more by now: not read, not deflated
  bool done;              // set under the pool's lock
  bool aesReady;          // with aesPassword: aesSalt and aesKeys hold the entry's
  uint8_t aesSalt[ZIP_AES_SALT_SIZE];
  ZipAesKeys aesKeys;
};

struct DeflatePool;

// Starts one worker per processor (at least one) deflating at level 0..9.
// nullptr when no thread could be started.
DeflatePool* StartDeflatePool(int level);

// A new piece with room for dictionarySize + dataSize input bytes, nothing
// else set. nullptr when out of memory.
DeflatePiece* NewDeflatePiece(size_t dictionarySize, size_t dataSize);

// Queues the piece; the pool owns it until WaitForPiece returns.
void SubmitPiece(DeflatePool* pool, DeflatePiece* piece);

// Blocks until a worker has finished the piece.
void WaitForPiece(DeflatePool* pool, DeflatePiece* piece);

// Marks every piece that no worker has taken yet as done and failed, not
// deflated: what a stopped walk waits for is only the pieces being worked on.
void DropQueuedPieces(DeflatePool* pool);

// Frees a piece that is not queued (never submitted, or waited for).
void FreeDeflatePiece(DeflatePiece* piece);

// Finishes the queued pieces, ends the workers and frees the pool.
void StopDeflatePool(DeflatePool* pool);

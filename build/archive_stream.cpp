#include "build/archive_stream.h"

#include <stdlib.h>
#include <string.h>

struct ArchiveStream {
  FILE* file;
  uint64_t position;  // where the library reads and writes next
  uint64_t start;     // where buffer[0] goes in the file
  size_t length;      // bytes of the buffer to write there
  uint64_t end;       // the file's size as far as written
  bool failed;
  unsigned char buffer[1 << 20];
};

namespace {

// 64-bit offsets: the C library's long is 32 bits on Windows.
bool SeekFile(FILE* file, uint64_t offset) {
#ifdef _WIN32
  return _fseeki64(file, (__int64)offset, SEEK_SET) == 0;
#else
  return fseeko(file, (off_t)offset, SEEK_SET) == 0;
#endif
}

bool Flush(ArchiveStream* stream) {
  if (stream->length > 0 && !stream->failed) {
    stream->failed = !SeekFile(stream->file, stream->start) ||
                     fwrite(stream->buffer, 1, stream->length, stream->file) != stream->length;
  }
  stream->length = 0;
  stream->start = stream->position;
  return !stream->failed;
}

uLong ZCALLBACK ReadStream(voidpf, voidpf opaque, void* buffer, uLong size) {
  ArchiveStream* stream = (ArchiveStream*)opaque;
  if (!Flush(stream) || !SeekFile(stream->file, stream->position)) return 0;
  size_t got = fread(buffer, 1, size, stream->file);
  stream->position += got;
  stream->start = stream->position;
  return (uLong)got;
}

uLong ZCALLBACK WriteStream(voidpf, voidpf opaque, const void* data, uLong size) {
  ArchiveStream* stream = (ArchiveStream*)opaque;
  if (stream->failed) return 0;
  const size_t room = sizeof stream->buffer;
  // Only a write that continues or overwrites the buffered bytes joins them.
  if (stream->position < stream->start || stream->position > stream->start + stream->length ||
      stream->position + size > stream->start + room) {
    if (!Flush(stream)) return 0;
    if (size >= room) {
      if (!SeekFile(stream->file, stream->position) ||
          fwrite(data, 1, size, stream->file) != size) {
        stream->failed = true;
        return 0;
      }
      stream->position += size;
      stream->start = stream->position;
      if (stream->position > stream->end) stream->end = stream->position;
      return size;
    }
  }
  size_t at = (size_t)(stream->position - stream->start);
  memcpy(stream->buffer + at, data, size);
  if (at + size > stream->length) stream->length = at + size;
  stream->position += size;
  if (stream->position > stream->end) stream->end = stream->position;
  return size;
}

ZPOS64_T ZCALLBACK TellStream(voidpf, voidpf opaque) {
  return ((ArchiveStream*)opaque)->position;
}

long ZCALLBACK SeekStream(voidpf, voidpf opaque, ZPOS64_T offset, int origin) {
  ArchiveStream* stream = (ArchiveStream*)opaque;
  uint64_t base = origin == ZLIB_FILEFUNC_SEEK_SET   ? 0
                  : origin == ZLIB_FILEFUNC_SEEK_END ? stream->end
                                                     : stream->position;
  stream->position = base + offset;
  return 0;
}

int ZCALLBACK CloseStream(voidpf, voidpf opaque) {
  ArchiveStream* stream = (ArchiveStream*)opaque;
  bool ok = Flush(stream);
  if (fclose(stream->file) != 0) ok = false;
  free(stream);
  return ok ? 0 : -1;
}

int ZCALLBACK StreamError(voidpf, voidpf opaque) {
  ArchiveStream* stream = (ArchiveStream*)opaque;
  return stream->failed || ferror(stream->file) ? 1 : 0;
}

}  // namespace

ArchiveStream* WrapArchiveFile(FILE* file) {
  if (!file) return nullptr;
  ArchiveStream* stream = (ArchiveStream*)malloc(sizeof(ArchiveStream));
  if (!stream || fseek(file, 0, SEEK_END) != 0) {
    free(stream);
    fclose(file);
    return nullptr;
  }
#ifdef _WIN32
  __int64 end = _ftelli64(file);
#else
  off_t end = ftello(file);
#endif
  stream->file = file;
  stream->position = stream->start = 0;
  stream->length = 0;
  stream->end = end > 0 ? (uint64_t)end : 0;
  stream->failed = false;
  return stream;
}

uint64_t ArchiveStreamSize(const ArchiveStream* stream) { return stream->end; }

void SetArchiveStreamFunctions(zlib_filefunc64_def* functions) {
  functions->zread_file = ReadStream;
  functions->zwrite_file = WriteStream;
  functions->ztell64_file = TellStream;
  functions->zseek64_file = SeekStream;
  functions->zclose_file = CloseStream;
  functions->zerror_file = StreamError;
}

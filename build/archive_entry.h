// Writing the source archive's entries through the zip library: the archive
// file, created with the first entry, each entry from its deflated data, and
// the size the archive will reach when closed, held to the job's limit.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "build/archive.h"

// Entries carry no zip64 fields (the extractor reads 32-bit entries), so
// every size and offset must stay below this.
const uint64_t kZip32Limit = 0xFFFFFFFFu;

// Whether the job's entries are encrypted (its password is not empty),
// traditionally or, with job->aes256, as AE-2 entries.
bool ArchiveEncrypted(const ArchiveJob* job);

// Opens the entry of the file at path (UTF-8; named by its path below the
// job's source folder, flagged as UTF-8 unless plain ASCII) for raw deflate
// data, creating the archive first when no entry came before. dataType is
// zlib's guess at the data (Z_TEXT marks the entry as text); crc is the
// whole file's CRC-32, which encryption needs before the first byte. An
// AES-256 entry takes salt and keys as a worker derived them (nullptr: drawn
// and derived here).
// Returns false when the name does not fit or the zip library failed.
bool OpenArchiveEntry(ArchiveJob* job, const char* path, int dataType, unsigned long crc,
                      const uint8_t* aesSalt = nullptr, const ZipAesKeys* aesKeys = nullptr);
// Whether the job's entries are AES-256 (AE-2) ones.
bool ArchiveUsesAes(const ArchiveJob* job);

// Appends raw deflate data to the open entry. Returns false when the zip
// library failed, or when the archive would pass job->sizeLimit (failureText
// then says so).
bool WriteArchiveEntry(ArchiveJob* job, const unsigned char* data, size_t size);

// Closes the open entry with the file's size and CRC-32. Returns false as
// WriteArchiveEntry does.
bool CloseArchiveEntry(ArchiveJob* job, uint64_t size, unsigned long crc);

// Writes the central directory and closes the archive file, if one was
// created. Returns false when the zip library failed.
bool CloseArchive(ArchiveJob* job);

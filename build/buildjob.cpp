#include "build/buildjob.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <atomic>

#include "base/layout.h"
#include "base/meta_check.h"
#include "build/archive.h"
#include "build/folder_size.h"
#include "build/stubicon.h"
#include "build/stubimage.h"
#include "platform/platform.h"
#include "services/buildlog.h"
#include "services/paths.h"

void (*gBuildEntryClock)(PlatformLocalTime* now) = nullptr;

static std::atomic<bool> gBuildCancel(false);
static std::atomic<bool> gBuildBusy(false);

void CancelBuildJob() { gBuildCancel = true; }
bool BuildJobCancelled() { return gBuildCancel; }
bool BuildJobBusy() { return gBuildBusy; }

const char* const kArchiveFailedText = "Failed to add all files to the archive.";
const char* const kCreateOutputFailedText = "Failed to create the output executable.";
const char* const kReadArchiveFailedText = "Failed to read compressed data.";
const char* const kWriteOutputFailedText = "Failed to write the output executable.";
const char* const kTempNameFailedText = "Failed to create the temporary archive.";
const char* const kSettingNotTextText =
    "Failed to write the settings: a path or command line is not one line of valid text.";
const char* const kIconUnreadableText = "Failed to read the icon file, the default icon is used.";

namespace {

enum { kMetaHeaderSize = 16384 };

bool Fail(const char* text) {
  ReportBuildFailed();
  ShowBuildFailure(text);
  return false;
}

// A failure or a cancel leaves the output path as it was: what was written
// so far (under the output's sibling name) goes. Returns text.
const char* RemoveOutput(PlatformFile* output, const char* writtenPath, const char* text) {
  if (output) PlatformCloseFile(output);
  PlatformDeleteFile(writtenPath);
  return BuildJobCancelled() ? nullptr : text;
}

// Reserves a unique name in the temporary folder from the project name's
// first characters (the system creates it as an empty file) and gives the
// temporary archive the same name with ".zip" in place of ".tmp". Only the
// last extension changes: a dot in the prefix must not make two builds share
// an archive name. The reservation stays until the build ends, so that no
// other build is given the same name meanwhile.
bool ReserveTemporaryArchive(const char* projectName, char* reservation, char* archivePath,
                             size_t size) {
  char folder[VQ_TEXT_SIZE];
  if (!PlatformTempFolder(folder, sizeof folder) ||
      !PlatformTempFileName(folder, projectName, reservation, size)) {
    return false;
  }
  size_t length = strlen(reservation);
  if (length >= 4 && CopyText(archivePath, size, reservation)) {
    memcpy(archivePath + length - 4, ".zip", 4);
    return true;
  }
  PlatformDeleteFile(reservation);
  return false;
}

// The stub takes the project's icon when its file has the one accepted size
// and reads in full; otherwise it keeps its own and the build goes on.
void UseCustomIcon(const char* iconFile) {
  if (iconFile[0] == '\0') return;
  StubIconResult result = STUB_ICON_UNREADABLE;
  if (PathExists(iconFile) && ListedFileSize(iconFile) == VQ_STUB_ICON_FILE_SIZE) {
    result = ReplaceStubIcon(gStubImage, gStubImageSize, gStubIconReference,
                             gStubIconReferenceSize, iconFile);
  }
  if (result == STUB_ICON_UNREADABLE) AddLogLine(kIconUnreadableText, LOG_MARK_FAILURE);
}

// Appends key<index>=value and a CR, the value in UTF-8. false when the
// value has no UTF-8 form or holds a line end; fault then tells the line as
// given.
bool AppendLaunchLine(std::string* out, const char* key, int index, const char* value,
                      char* fault, size_t faultSize) {
  char name[32];
  snprintf(name, sizeof name, "%s%d", key, index);
  char utf8[VQ_UTF8_TEXT_SIZE];
  if (strpbrk(value, "\r\n") || !PlatformSystemToUtf8(value, utf8, sizeof utf8)) {
    if (fault && faultSize) snprintf(fault, faultSize, "%s=%s", name, value);
    return false;
  }
  out->append(name);
  out->push_back('=');
  out->append(utf8);
  out->push_back('\r');
  return true;
}

// Copies the archive behind what is written already, moving the progress bar
// by archive bytes. Returns false on a read or write failure (*writeFailed
// tells which).
bool CopyArchive(PlatformFile* archive, PlatformFile* output, uint32_t zipSize,
                 unsigned char* buffer, bool* writeFailed) {
  uint64_t copied = 0;
  SetBuildProgress(0);
  for (;;) {
    if (BuildJobCancelled()) return false;
    size_t got = 0;
    if (!PlatformReadFile(archive, buffer, VQ_COPY_PIECE_SIZE, &got)) return false;
    if (got == 0) return true;
    if (!PlatformWriteFile(output, buffer, got)) {
      *writeFailed = true;
      return false;
    }
    copied += got;
    SetBuildProgress(ProgressPosition(copied, zipSize));
  }
}

}  // namespace

void CreateFolderPath(const char* path) {
  char normal[VQ_TEXT_SIZE];
  NormalisePath(path, normal, sizeof normal);
  char part[VQ_TEXT_SIZE];
  for (size_t i = 0; normal[i] != '\0'; ++i) {
    if (normal[i] != '\\' || i == 0) continue;
    memcpy(part, normal, i);
    part[i] = '\0';
    PlatformCreateFolder(part);
  }
  if (normal[0] != '\0') PlatformCreateFolder(normal);
}

bool FormatMetaBlock(const ProjectRecord* record, const LaunchList* launch, uint32_t zipSize,
                     uint32_t unzipSize, std::string* out, char* fault, size_t faultSize) {
  out->clear();
  char folder[VQ_UTF8_TEXT_SIZE];
  if (strpbrk(record->ExtractionFolder, "\r\n") ||
      !PlatformSystemToUtf8(record->ExtractionFolder, folder, sizeof folder)) {
    if (fault && faultSize) {
      snprintf(fault, faultSize, VQ_META_EXTRACTION_PATH "=%s", record->ExtractionFolder);
    }
    return false;
  }
  char header[kMetaHeaderSize];
  int length = snprintf(header, sizeof header, VQ_META_HEADER_FORMAT, folder,
                        (int)(int32_t)zipSize, (int)(int32_t)unzipSize, record->Checkbox1,
                        record->Checkbox2, record->Checkbox3, record->OverwriteMode);
  if (length < 0 || (size_t)length >= sizeof header) return false;  // the buffer holds any
  out->assign(header, (size_t)length);
  for (int i = 0; i < VQ_MAX_LAUNCH && launch->ExecFile[i][0] != '\0'; ++i) {
    if (!AppendLaunchLine(out, VQ_KEY_EXEC_FILE, i,
                          PathBelowFolder(launch->ExecFile[i], record->SourceFolder), fault,
                          faultSize) ||
        !AppendLaunchLine(out, VQ_KEY_CMD_LINE, i, launch->CmdLine[i], fault, faultSize) ||
        !AppendLaunchLine(out, VQ_KEY_WIN_STATE, i, launch->WinState[i], fault, faultSize)) {
      return false;
    }
  }
  char check[VQ_META_CHECK_LINE_LENGTH + 1];
  FormatMetaCheckLine(out->data(), out->size(), check);
  out->append(check);
  return true;
}

namespace {

// Everything after the temporary archive's name is reserved: the archive,
// then the packed executable, written under a sibling name of the output
// and moved onto it once complete. Returns nullptr when the packed
// executable is in place or the build was cancelled (*built tells which),
// otherwise the failure's message. The temporary archive is left to the
// caller.
const char* WritePackedExecutable(const ProjectRecord* record, const char* archivePath,
                                  bool* built) {
  *built = false;
  PlatformFileInfo info;
  if (PlatformGetFileInfo(archivePath, &info)) PlatformDeleteFile(archivePath);

  // The walk sees every name as the file system holds it; the record's
  // texts stay in the system code page. Settings that cannot go into the
  // meta data block fail the build before anything is made.
  char sourceFolder[VQ_UTF8_TEXT_SIZE];
  std::string block;
  if (!PlatformSystemToUtf8(record->SourceFolder, sourceFolder, sizeof sourceFolder) ||
      !FormatMetaBlock(record, &gLaunch, 0, 0, &block, nullptr, 0)) {
    return kSettingNotTextText;
  }
  ArchiveJob job;
  InitArchiveJob(&job);
  job.sourceFolder = sourceFolder;
  job.archivePath = archivePath;
  job.password = record->Checkbox3 == 1 ? record->Password : "";
  job.aes256 = UsesAes256(record);
  job.level = record->CompressLevel;
  job.showProgress = true;
  job.clock = gBuildEntryClock;
  job.cancel = &gBuildCancel;
  if (!BuildSourceArchive(&job)) {
    if (BuildJobCancelled()) return nullptr;
    return job.failureText ? job.failureText : kArchiveFailedText;
  }

  char outputFolder[VQ_TEXT_SIZE];
  if (FolderOfPath(record->OutputFile, outputFolder, sizeof outputFolder)) {
    CreateFolderPath(outputFolder);
  }
  char written[VQ_TEXT_SIZE];
  bool outputIsFolder = PlatformGetFileInfo(record->OutputFile, &info) && info.isFolder;
  if (outputIsFolder || !ReserveSiblingName(record->OutputFile, written, sizeof written)) {
    return kCreateOutputFailedText;
  }
  PlatformFile* output = PlatformCreateWrite(written);
  if (!output) return RemoveOutput(nullptr, written, kCreateOutputFailedText);

  UseCustomIcon(record->IconFile);
  if (!PlatformWriteFile(output, gStubImage, gStubImageSize)) {
    return RemoveOutput(output, written, kWriteOutputFailedText);
  }

  uint32_t zipSize = ListedFileSize(archivePath);
  uint32_t unzipSize = SumFolderSize(sourceFolder, true);
  FormatMetaBlock(record, &gLaunch, zipSize, unzipSize, &block, nullptr, 0);
  if (!PlatformWriteFile(output, block.data(), block.size())) {
    return RemoveOutput(output, written, kWriteOutputFailedText);
  }

  unsigned char* buffer = (unsigned char*)malloc(VQ_COPY_PIECE_SIZE);
  PlatformFile* archive = buffer ? PlatformOpenRead(archivePath) : nullptr;
  if (!archive) {
    free(buffer);
    return RemoveOutput(output, written, kReadArchiveFailedText);
  }
  AddLogLine("-----", LOG_MARK_NONE);
  AddLogLine("Writing File...", LOG_MARK_SUCCESS);

  bool writeFailed = false;
  bool copied = CopyArchive(archive, output, zipSize, buffer, &writeFailed);
  free(buffer);
  PlatformCloseFile(archive);
  // A late write error (the disk filled up) shows only when closing.
  bool closed = PlatformCloseFile(output);
  if (writeFailed || !closed) return RemoveOutput(nullptr, written, kWriteOutputFailedText);
  if (!copied) return RemoveOutput(nullptr, written, kReadArchiveFailedText);
  // The output is in use (a packed executable still running) or the like.
  if (BuildJobCancelled() || !PlatformReplaceFile(written, record->OutputFile)) {
    return RemoveOutput(nullptr, written, kCreateOutputFailedText);
  }
  *built = true;
  return nullptr;
}

}  // namespace

bool BuildJob() {
  // Busy before the cancel is looked at: whoever cancels and then finds the
  // job not busy knows that it has made no file and will make none.
  gBuildBusy = true;
  if (BuildJobCancelled()) {
    gBuildCancel = false;
    gBuildBusy = false;
    ReportBuildFailed();
    return false;
  }
  char reservation[VQ_TEXT_SIZE];
  char archivePath[VQ_TEXT_SIZE];
  if (!ReserveTemporaryArchive(gProject.ProjectName, reservation, archivePath, VQ_TEXT_SIZE)) {
    gBuildBusy = false;
    return Fail(kTempNameFailedText);
  }
  bool built = false;
  const char* failure = WritePackedExecutable(&gProject, archivePath, &built);
  // Tidied before any report: the failure box waits for the user, who may
  // end the program from there. The archive goes first, while its name is
  // still reserved.
  PlatformDeleteFile(archivePath);
  PlatformDeleteFile(reservation);
  gBuildCancel = false;
  gBuildBusy = false;
  if (failure) return Fail(failure);
  if (!built) {
    ReportBuildFailed();  // cancelled: the program is ending, no box to wait for
    return false;
  }
  ReportBuildDone();
  return true;
}

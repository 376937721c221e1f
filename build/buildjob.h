// The build job: the temporary archive of the source folder, then the packed
// executable (stub image, meta data block, archive), reported through the
// build log.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

#include "platform/platform.h"
#include "project/project.h"

// Failure messages, shown in a box captioned "Failed" after the log's
// failure report.
extern const char* const kArchiveFailedText;      // the walk failed
extern const char* const kCreateOutputFailedText; // the output cannot be created
extern const char* const kReadArchiveFailedText;  // no archive to copy (empty source)
extern const char* const kWriteOutputFailedText;  // writing the output failed (disk full)
extern const char* const kTempNameFailedText;     // no temporary file name
extern const char* const kSettingNotTextText;     // a value FormatMetaBlock refuses

// The log line (failure mark) of a build whose icon file cannot be used:
// missing, not of the accepted size, or unreadable. The build goes on with
// the stub's own icon.
extern const char* const kIconUnreadableText;

// The time every archive entry carries; null (the default): the local time
// of the moment each is added. Reproducible builds set a fixed one.
extern void (*gBuildEntryClock)(PlatformLocalTime* now);

// Builds gProject and gLaunch into gProject.OutputFile, walking the source
// folder by UTF-8 paths (SourceFolder converted once). The packed
// executable is written beside it under a sibling name (ReserveSiblingName)
// and takes the output's place only when complete. Returns true when it is
// in place and "Completed Successfully." was logged; false after a failure
// report and its message box, or after a cancel (reported without a box).
// Whatever the way out, the output path is as it was before or holds the
// whole packed executable, and the temporary folder is as the build found
// it.
bool BuildJob();

// Asks the running BuildJob, or the next to start, to stop; safe from
// another thread and from a signal handler. The job ends within a piece of
// work as a cancelled build with its files tidied, and the request with it.
void CancelBuildJob();
bool BuildJobCancelled();
// True while a BuildJob runs and its files are not yet tidied (the temporary
// archive and any half-written output still there).
bool BuildJobBusy();

// Creates every folder along path from left to right (after NormalisePath);
// failures, such as a folder that exists, are ignored.
void CreateFolderPath(const char* path);

// The whole meta data block in out, nothing cut: the header with LF line
// ends; ExecFile<i>, CmdLine<i>, WinState<i> with CR line ends for the launch
// entries before the first empty file text (ExecFile values lose the source
// folder in front); the check line. Every value is converted from the system
// code page to UTF-8 (PlatformSystemToUtf8). Returns false when a value has
// no UTF-8 form or holds a line end, which would end its line early; fault
// (when not null) then holds its key, "=" and the value as given.
bool FormatMetaBlock(const ProjectRecord* record, const LaunchList* launch, uint32_t zipSize,
                     uint32_t unzipSize, std::string* out, char* fault, size_t faultSize);

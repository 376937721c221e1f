// libFuzzer target: any bytes as a project file. LoadProject must neither
// crash nor overrun, and leave every text of the record and the launch list
// terminated within its buffer.
#include "platform/platform.h"
#include "project/project.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static char gPath[64];

static void RemoveFile() { PlatformDeleteFile(gPath); }

static void CheckText(const char* text) {
  if (memchr(text, '\0', VQ_TEXT_SIZE) == nullptr) abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!gPath[0]) {
    snprintf(gPath, sizeof gPath, "\\tmp\\vq-fuzz-%d.vqx", (int)getpid());
    atexit(RemoveFile);
  }
  PlatformFile* f = PlatformCreateWrite(gPath);
  if (!f) abort();
  if (!PlatformWriteFile(f, data, size) || !PlatformCloseFile(f)) abort();

  static ProjectRecord record;
  static LaunchList launch;
  InitProject(&record, &launch);
  CopyText(record.ProjectFilePath, VQ_TEXT_SIZE, gPath);
  if (LoadProject(&record, &launch) == PROJECT_NOT_LOADED) abort();  // the file is there

  const char* texts[] = {record.Version, record.ProjectName, record.SourceFolder, record.Password,
                         record.ExtractionFolder, record.IconFile, record.OutputFile};
  for (const char* t : texts) CheckText(t);
  int count = LaunchCount(&launch);
  for (int i = 0; i < count; i++) {
    CheckText(launch.ExecFile[i]);
    CheckText(launch.CmdLine[i]);
    CheckText(launch.WinState[i]);
  }
  return 0;
}

// The project a builder is started with: the file its command line names.
#include "project/project.h"

#include <string.h>

#include "platform/platform.h"
#include "services/cmdline.h"
#include "services/paths.h"

ProjectLoad ProjectPathFromCommandLine(const char* tail, ProjectRecord* record, LaunchList* launch) {
  char path[VQ_TEXT_SIZE];
  PlatformFileInfo info;
  if (!ProjectPathInTail(tail, path, sizeof path) || strpbrk(path, "*?") ||
      !PlatformGetFileInfo(path, &info) || info.isFolder) {
    return PROJECT_NOT_LOADED;
  }
  CopyText(record->ProjectFilePath, sizeof record->ProjectFilePath, path);
  return LoadProject(record, launch);
}

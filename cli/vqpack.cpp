// vqpack: builds a packed executable from a project file without the wizard.
//   vqpack PROJECT.vqx [--source DIR] [--output FILE]
// Exit code 0 when the build succeeded, 1 when it failed, 2 for a wrong
// command line or a missing project file.
#include <stdio.h>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "build/buildjob.h"
#include "cli/consolelog.h"
#include "cli/packoptions.h"
#include "platform/platform.h"
#include "project/project.h"
#include "shell/buildlog.h"
#include "shell/paths.h"

namespace {

const char* const kUsage =
    "usage: vqpack PROJECT.vqx [--source DIR] [--output FILE]\n"
    "  Builds the packed executable of a project file.\n"
    "  --source DIR   pack DIR instead of the project's source folder; launch\n"
    "                 entries keep their places below it\n"
    "  --output FILE  write the packed executable to FILE\n";

// No windows from a console tool: messages (the project version warning)
// go to standard error and are taken as answered.
int ConsoleMessageBox(PlatformOwner, const char* text, const char* caption, unsigned) {
  fprintf(stderr, "vqpack: %s %s\n", caption, text);
  return PLATFORM_IDOK;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
  // Every entry allocates and frees deflate's state (about 270 KB); glibc
  // would hand it back to the system each time and fault it in afresh for
  // the next file, which costs more than compressing a small file.
  mallopt(M_TRIM_THRESHOLD, 16 << 20);
#endif
  PackOptions options;
  char error[VQ_TEXT_SIZE];
  if (!ParsePackArguments(argc, argv, &options, error, sizeof error)) {
    fprintf(stderr, "vqpack: %s\n%s", error, kUsage);
    return 2;
  }
  if (options.help) {
    fputs(kUsage, stdout);
    return 0;
  }
  PlatformSetMessageBoxHook(ConsoleMessageBox);

  InitProject(&gProject, &gLaunch);
  if (!NormalisePath(options.projectPath, gProject.ProjectFilePath,
                     sizeof gProject.ProjectFilePath) ||
      !PathExists(gProject.ProjectFilePath)) {
    fprintf(stderr, "vqpack: project file not found: %s\n", options.projectPath);
    return 2;
  }
  LoadProject(&gProject, &gLaunch);
  if (!ApplyPackOverrides(&options, &gProject, &gLaunch, error, sizeof error)) {
    fprintf(stderr, "vqpack: %s\n", error);
    return 2;
  }

  ResetBuildLog(ConsoleLogSink(stdout, stderr, isatty(fileno(stdout)) != 0));
  bool built = BuildJob();
  ResetBuildLog(nullptr);
  if (!built) return 1;
  char shown[VQ_TEXT_SIZE];
  if (!PlatformSystemPath(gProject.OutputFile, shown, sizeof shown)) CopyText(shown, sizeof shown, gProject.OutputFile);
  printf("Packed executable: %s\n", shown);
  return 0;
}

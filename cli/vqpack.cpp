// vqpack: builds a packed executable without the wizard, from a project
// file, from options alone, or from a project file with options over it.
// Exit code 0 when the build succeeded, 1 when it failed, 2 for a wrong
// command line, a missing project file, a setting the wizard would refuse,
// or a setting or file name that the packed executable cannot carry as
// UTF-8 (nothing is written then).
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>

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

#include "base/layout.h"
#include "build/buildjob.h"
#include "cli/consolelog.h"
#include "cli/packoptions.h"
#include "platform/platform.h"
#include "project/project.h"
#include "services/buildlog.h"
#include "services/paths.h"

namespace {

// In the shape help2man reads into the man page: usage, description, the
// option list with two blanks before each description, a closing note.
const char* const kUsage =
    "Usage: vqpack [PROJECT.vqx] [options]\n"
    "Builds the packed executable of a project file, or of the options alone\n"
    "(then --source and --output are needed). Options override the project.\n"
    "\n"
    "Options:\n"
    "  --source DIR          pack DIR; launch entries keep their places below it\n"
    "  --output FILE         write the packed executable to FILE (.exe)\n"
    "  --level N             compression level 0 (none) to 9 (best)\n"
    "  --progress on|off     show a progress window while extracting\n"
    "  --delete-files on|off  delete the extracted files after the programs end\n"
    "  --overwrite all|ask|skip  what happens to files that exist already\n"
    "  --extract-to PATH     extraction folder, path variables allowed\n"
    "                        (default *AppDir*\\SubDirectory)\n"
    "  --icon FILE           a 32x32 icon of 256 colours (" VQ_TEXT_OF(VQ_ICON_FILE_BYTES) " bytes)\n"
    "  --launch FILE         start FILE (below the source folder) after extraction;\n"
    "                        repeat for more; replaces the project's entries\n"
    "    --cmdline TEXT      its command line (default *Command*)\n"
    "    --window show|hide|max|min  its window (default show)\n"
    "  --password-file FILE  protect with the password on FILE's first line\n"
    "  --password-env NAME   protect with the password in environment variable NAME\n"
    "  --encryption aes256|zipcrypto  with a password: AES-256 (WinZip AE-2),\n"
    "                        which 7-Zip and WinZip open but Windows Explorer and\n"
    "                        Info-ZIP unzip 6 do not, or the traditional zip\n"
    "                        encryption every zip tool opens, which is easily\n"
    "                        broken (default zipcrypto)\n"
    "  --save-project FILE   also write the project file the wizard opens\n"
    "  -h, --help            print this text\n"
    "  --version             print the version\n"
    "\n"
    "With SOURCE_DATE_EPOCH set, every entry carries that time and two builds\n"
    "of the same input are byte for byte the same; a password build is not,\n"
    "since its encryption headers carry random bytes by design.\n";

// SOURCE_DATE_EPOCH (seconds since 1970, UTC) as a calendar time.
bool gEpochSet = false;
PlatformLocalTime gEpochTime;

void EpochClock(PlatformLocalTime* now) { *now = gEpochTime; }

bool ReadSourceDateEpoch(char* error, size_t errorSize) {
  const char* text = getenv("SOURCE_DATE_EPOCH");
  if (!text || !text[0]) return true;
  char* end = nullptr;
  long long seconds = strtoll(text, &end, 10);
  if (*end || seconds < 0) {
    snprintf(error, errorSize, "SOURCE_DATE_EPOCH is not a number of seconds: %s", text);
    return false;
  }
  long long days = seconds / 86400, rest = seconds % 86400;
  // Days since 1970-01-01 to a civil date (Howard Hinnant's algorithm).
  long long z = days + 719468, era = z / 146097, doe = z - era * 146097;
  long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
  int month = (int)(mp < 10 ? mp + 3 : mp - 9);
  gEpochTime = {(int)(yoe + era * 400 + (month <= 2)), month, (int)(doy - (153 * mp + 2) / 5 + 1),
                (int)(rest / 3600), (int)(rest / 60 % 60), (int)(rest % 60)};
  gEpochSet = true;
  return true;
}

// Ctrl+C or a termination request: the build stops and tidies its files,
// then the signal ends the program as it would have. A second one ends it
// at once.
volatile sig_atomic_t gStopSignal = 0;

void StopBuild(int number) {
  gStopSignal = number;
  signal(number, SIG_DFL);
  CancelBuildJob();
}

void StopBuildOnSignals() {
  const int kSignals[] = {SIGINT, SIGTERM,
#ifdef SIGHUP
                          SIGHUP,
#endif
  };
  for (int number : kSignals) signal(number, StopBuild);
}

}  // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
  // Every entry allocates and frees deflate's state (about 270 KB); glibc
  // would hand it back to the system each time and fault it in afresh for
  // the next file, which costs more than compressing a small file.
  mallopt(M_TRIM_THRESHOLD, 16 << 20);
  // Large files go through the deflate workers in pieces of about 1 MB;
  // from the heap they reuse pages instead of mapping fresh ones each time.
  mallopt(M_MMAP_THRESHOLD, 4 << 20);
#endif
  PackOptions options;
  char error[VQ_TEXT_SIZE];
  int bad = 0;
  if (!PlatformSystemArguments(argc, argv, &bad)) {
    fprintf(stderr, "vqpack: %s: this name holds characters the system's code page cannot show\n",
            argv[bad]);
    return 2;
  }
  if (!ParsePackArguments(argc, argv, &options, error, sizeof error)) {
    fprintf(stderr, "vqpack: %s\n%s", error, kUsage);
    return 2;
  }
  if (options.help) {
    fputs(kUsage, stdout);
    return 0;
  }
  if (options.version) {
    puts("vqpack " VQ_VERSION);  // the version of CMakeLists.txt
    return 0;
  }
  if (!ReadSourceDateEpoch(error, sizeof error)) {
    fprintf(stderr, "vqpack: %s\n", error);
    return 2;
  }

  InitProject(&gProject, &gLaunch);
  if (options.projectPath) {
    if (!NormalisePath(options.projectPath, gProject.ProjectFilePath,
                       sizeof gProject.ProjectFilePath) ||
        !PathExists(gProject.ProjectFilePath)) {
      fprintf(stderr, "vqpack: project file not found: %s\n", options.projectPath);
      return 2;
    }
    if (LoadProject(&gProject, &gLaunch) == PROJECT_OTHER_VERSION)
      fputs("vqpack: Unsupported Project file. The version of the project file you selected may not "
            "be fully supported.\n", stderr);
  }
  if (!ApplyPackOverrides(&options, &gProject, &gLaunch, error, sizeof error) ||
      !CheckLaunchEntries(&gProject, &gLaunch, error, sizeof error) ||
      !CheckPackTexts(&gProject, &gLaunch, error, sizeof error)) {
    fprintf(stderr, "vqpack: %s\n", error);
    return 2;
  }
  if (options.saveProject) {
    CopyText(gProject.Version, sizeof gProject.Version, "1.2");
    if (!NormalisePath(options.saveProject, gProject.ProjectFilePath,
                       sizeof gProject.ProjectFilePath) ||
        !SaveProject(&gProject, &gLaunch)) {
      fprintf(stderr, "vqpack: cannot write the project file %s\n", options.saveProject);
      return 2;
    }
  }
  if (gEpochSet) gBuildEntryClock = EpochClock;

  ResetBuildLog(ConsoleLogSink(stdout, stderr, isatty(fileno(stdout)) != 0));
  StopBuildOnSignals();
  bool built = BuildJob();
  ResetBuildLog(nullptr);
  if (gStopSignal) {
    // A signal in the last moments finds the output already in place.
    if (!built) fputs("vqpack: stopped; the output file was left as it was\n", stderr);
    fflush(stderr);
    raise(gStopSignal);
    return 128 + gStopSignal;
  }
  if (!built) return 1;
  char shown[VQ_TEXT_SIZE];
  if (!PlatformSystemPath(gProject.OutputFile, shown, sizeof shown)) CopyText(shown, sizeof shown, gProject.OutputFile);
  printf("Packed executable: %s\n", shown);
  return 0;
}

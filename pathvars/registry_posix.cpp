// No registry off Windows: every value the path variables read is missing.
#include "pathvars/pathvars.h"

bool ReadShellFolder(const char*, char* out, size_t outSize) {
  if (outSize > 0) out[0] = 0;
  return false;
}

bool ReadProgramFilesDir(char* out, size_t outSize) {
  if (outSize > 0) out[0] = 0;
  return false;
}

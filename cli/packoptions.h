// vqpack's command line and the overrides it applies to a loaded project.
#pragma once

#include <stddef.h>

#include "project/project.h"

struct PackOptions {
  const char* projectPath;  // required
  const char* source;       // --source DIR, or null
  const char* output;       // --output FILE, or null
  bool help;                // -h / --help
};

// Reads "PROJECT.vqx [--source DIR] [--output FILE]" (also --source=DIR and
// --output=FILE) from argv[1..]. Returns false with a reason in error when
// the arguments do not fit that form.
bool ParsePackArguments(int argc, char** argv, PackOptions* options, char* error,
                        size_t errorSize);

// Takes the project's paths as the wizard pages take them: through
// NormalisePath, the source folder with a trailing backslash. A source
// override re-bases every launch entry below the old source folder to the
// same place below the new one; an output override replaces OutputFile.
// Returns false with a reason in error when there is no source folder, a
// path does not fit its buffer, or CheckBuildSettings refuses a setting (the
// output then already has its ".exe" ending).
bool ApplyPackOverrides(const PackOptions* options, ProjectRecord* record, LaunchList* launch,
                        char* error, size_t errorSize);

// The command line and the .vqx file association.
#pragma once

#include <stddef.h>

#include "platform/platform.h"
#include "base/text.h"

// The project path a command tail names: behind its first double quote up to
// the next one, or the whole tail when it holds no quote. Returns false for
// an empty tail or when the path does not fit outSize (out then empty).
bool ProjectPathInTail(const char* tail, char* out, size_t outSize);

// Creates or opens the key and sets the value as REG_SZ, its length counting
// the terminating zero. Failures are ignored: the association is a
// convenience, and a builder without rights to write it still runs.
void WriteRegistryString(PlatformRegistryRoot root, const char* keyPath, const char* valueName,
                         const char* text);

// Points `extension` at `typeName` under HKEY_CLASSES_ROOT: the type's
// description, its default icon, and the open command
// "<builderPath>" "%1". Overwrites whatever was registered before.
void RegisterProjectType(const char* extension, const char* builderPath, const char* typeName,
                         const char* description, const char* iconPath);

#include "build/buildthread.h"

#include <windows.h>

#include "build/buildjob.h"

namespace {

typedef uintptr_t(__cdecl* BeginThreadEx)(void* security, unsigned stackSize,
                                          unsigned(__stdcall* start)(void*), void* argument,
                                          unsigned flags, unsigned* threadId);

unsigned __stdcall BuildJobThread(void*) {
  BuildJob();
  return 0;  // returning ends the thread through _endthreadex
}

}  // namespace

void* StartBuildJobThread() {
  HMODULE runtime = LoadLibraryA("msvcrt.dll");
  if (!runtime) return nullptr;
  BeginThreadEx begin = (BeginThreadEx)(void*)GetProcAddress(runtime, "_beginthreadex");
  if (!begin) return nullptr;
  unsigned id = 0;
  return (void*)begin(nullptr, 0, BuildJobThread, nullptr, 0, &id);
}

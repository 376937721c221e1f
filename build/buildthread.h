// Windows only: BuildJob on a thread of its own, so that the build page's
// message loop keeps running while the job reports to it.
#pragma once

// Starts BuildJob on a new thread through the runtime library's
// _beginthreadex, looked up by name in msvcrt. Returns the thread's handle
// (a HANDLE, to be closed by the caller), or null when msvcrt or the function
// cannot be found or the thread cannot be started.
void* StartBuildJobThread();

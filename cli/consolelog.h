// The build log on a console: each line as it is added (oldest first, so the
// order reads naturally), a progress bar redrawn in place on a terminal, and
// failure messages on standard error.
#pragma once

#include <stdio.h>

#include "services/buildlog.h"

// The sink for ResetBuildLog. Lines go to out; with terminal set the
// progress bar is drawn on out too. Failure messages go to err.
const BuildLogSink* ConsoleLogSink(FILE* out, FILE* err, bool terminal);

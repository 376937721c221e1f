// The Variables dialog (Windows): the 21 path variables with what each
// stands for on this computer; picking one puts it into the output page's
// extraction-path box.
#pragma once

#include <windows.h>

// Shows the dialog modal to page until OK, the close box or a pick ends it:
// page is disabled meanwhile, so it can neither be left nor open a second
// copy under a pending pick. A pick replaces the whole text of page's
// control extractionBoxId.
void ShowVariablesDialog(HWND page, int extractionBoxId);

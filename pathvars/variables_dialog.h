// The Variables dialog (Windows): the 21 path variables with what each
// stands for on this computer; picking one puts it into the output page's
// extraction-path box.
#pragma once

#include <windows.h>

// Shows the dialog modally, without an owner, until OK, the close box or a
// pick ends it. A pick replaces the whole text of extractionBox.
void ShowVariablesDialog(HWND extractionBox);

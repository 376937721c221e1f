// Archive entry names the extractor accepts: nothing may land outside the
// extraction folder, whatever the archive says.
#pragma once

// True when name is a relative path that stays inside the folder it is
// extracted to. False for an empty name, one starting with "\" or "/", one
// holding ":" (a drive, or a stream of some file), and one with a component
// made only of dots and blanks that holds "..", which Windows reads as the
// parent folder.
bool IsEntryNameSafe(const char* name);

// True when fullPath lies below folder (which ends with "\"), letters
// compared without regard to case, and is not the folder itself.
bool IsInsideFolder(const char* fullPath, const char* folder);

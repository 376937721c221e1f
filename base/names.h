// Names that the builder, the packer and the extractor stub must spell alike:
// the keys of project files and meta data blocks, and the words their values
// use. Texts, not variables, so that a program takes only what it uses.
#pragma once

// The project file's section.
#define VQ_PROJECT_SECTION "Varnoquist"

// Launch entry keys, numbered 0 .. VQ_MAX_LAUNCH - 1: the same in project
// files and in meta data blocks.
#define VQ_KEY_EXEC_FILE "ExecFile"
#define VQ_KEY_CMD_LINE "CmdLine"
#define VQ_KEY_WIN_STATE "WinState"

// The meta data block's section and header keys.
#define VQ_META_SECTION "VQ"
#define VQ_META_EXTRACTION_PATH "ExtractionPath"
#define VQ_META_ZIP_SIZE "ZipSize"
#define VQ_META_UNZIP_SIZE "UnZipSize"
#define VQ_META_PROGRESS_BAR "ProgressBar"
#define VQ_META_DELETE_FILES "DeleteFiles"
#define VQ_META_PASSWORD "Password"
#define VQ_META_OVERWRITE "Overwrite"
// The block's last line: its CRC-32 (layout.h).
#define VQ_META_CHECK "Check"

// A launch entry's window states (matched ignoring case); the first is the
// default.
#define VQ_WINDOW_SHOW "*ShowWin*"
#define VQ_WINDOW_HIDE "*HideWin*"
#define VQ_WINDOW_MAXIMIZE "*MaximizeWin*"
#define VQ_WINDOW_MINIMIZE "*MinimizeWin*"

// A new launch entry's command line: the packed executable's own arguments.
#define VQ_COMMAND_VARIABLE "*Command*"

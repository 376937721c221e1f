// The checks on a project's settings that the options and output pages make
// on Next, and that vqpack makes before it builds: one set of rules for both.
#pragma once

#include <stddef.h>

#include "base/layout.h"
#include "project/project.h"

enum OptionCheck {
  OPTION_OK,
  OPTION_NO_PASSWORD,          // protection on, the password blank
  OPTION_NO_EXTRACTION_PATH,   // ExtractionFolder blank
  OPTION_INVALID_ICON,         // IconFile given, but not a 2238-byte file
  OPTION_NO_OUTPUT_FILE,       // OutputFile blank
  OPTION_DUPLICATE_FILE_NAME,  // the output's file name lies in the source folder
  OPTION_LEVEL_OUT_OF_RANGE,   // CompressLevel outside 0..9 (a page cannot store it)
  OPTION_OVERWRITE_OUT_OF_RANGE,  // OverwriteMode outside 0..2 (likewise)
};

// The message box text and title for a check that failed; null for OPTION_OK.
// The two range checks have no box (the pages cannot produce them) and so no
// title: their texts are for the packer's console.
const char* OptionCheckText(OptionCheck check);
const char* OptionCheckTitle(OptionCheck check);

// The level label of the options page: "OFF" for 0, "BEST" for 9, otherwise
// the number after one blank (" 4", " 12", " -1"). out holds 16 bytes.
void CompressLevelLabel(int level, char* out);

// What the options page refuses on Next: protection on (Checkbox3 is 1) with
// a password that is blank once trimmed.
OptionCheck CheckOptionsPage(const ProjectRecord* record);

// Steps of the output page's Next after its boxes were stored, in order,
// the first failure winning: an extraction path, an icon of exactly
// VQ_STUB_ICON_FILE_SIZE bytes when one is named (nothing else of it is looked
// at), an output file; then OutputFile gets ForceExtension(".exe"), and its
// file name must not lie directly in the source folder. The record keeps
// what was stored before a failure.
OptionCheck CheckOutputPage(ProjectRecord* record);

// Everything a build needs that the pages would not let through, for a
// record that came from a file rather than through the pages: the level and
// overwrite ranges, then CheckOptionsPage and CheckOutputPage.
OptionCheck CheckBuildSettings(ProjectRecord* record);

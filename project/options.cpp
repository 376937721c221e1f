#include "project/options.h"

#include <stdio.h>
#include <string.h>

#include "services/paths.h"

namespace {

struct CheckMessage {
  OptionCheck check;
  const char* text;
  const char* title;
};

const CheckMessage kCheckMessages[] = {
    {OPTION_NO_PASSWORD, "Please select a password.", "No Password."},
    {OPTION_NO_EXTRACTION_PATH, "Please select an extraction path for the files.",
     "No extraction path."},
    {OPTION_INVALID_ICON,
     "The icon you selected doesn't exist or isn't 32x32 pixels and 256 colours.",
     "Invalid icon."},
    {OPTION_NO_OUTPUT_FILE, "Please select an output executable file.", "No output file."},
    {OPTION_DUPLICATE_FILE_NAME, "Please select a different name for the output executable file.",
     "Duplicate file name."},
    {OPTION_LEVEL_OUT_OF_RANGE, "The compression level is not 0 to 9.", nullptr},
    {OPTION_OVERWRITE_OUT_OF_RANGE, "The overwrite mode is not 0, 1 or 2.", nullptr},
};

const CheckMessage* MessageOf(OptionCheck check) {
  for (const CheckMessage& m : kCheckMessages)
    if (m.check == check) return &m;
  return nullptr;
}

}  // namespace

const char* OptionCheckText(OptionCheck check) {
  const CheckMessage* m = MessageOf(check);
  return m ? m->text : nullptr;
}

const char* OptionCheckTitle(OptionCheck check) {
  const CheckMessage* m = MessageOf(check);
  return m ? m->title : nullptr;
}

void CompressLevelLabel(int level, char* out) {
  if (level == 0) {
    CopyText(out, 16, "OFF");
  } else if (level == 9) {
    CopyText(out, 16, "BEST");
  } else {
    snprintf(out, 16, " %d", level);
  }
}

OptionCheck CheckOptionsPage(const ProjectRecord* record) {
  if (record->Checkbox3 == 1 && IsBlankText(record->Password)) return OPTION_NO_PASSWORD;
  return OPTION_OK;
}

OptionCheck CheckOutputPage(ProjectRecord* record) {
  if (IsBlankText(record->ExtractionFolder)) return OPTION_NO_EXTRACTION_PATH;
  if (!IsBlankText(record->IconFile) && ListedFileSize(record->IconFile) != VQ_STUB_ICON_FILE_SIZE)
    return OPTION_INVALID_ICON;
  if (IsBlankText(record->OutputFile)) return OPTION_NO_OUTPUT_FILE;
  char output[VQ_TEXT_SIZE];
  ForceExtension(record->OutputFile, ".exe", output, sizeof output);
  CopyText(record->OutputFile, sizeof record->OutputFile, output);
  // Only the name counts, wherever the output goes: the same name in the
  // source folder would be packed and extracted over the packed executable.
  const char* slash = strrchr(record->OutputFile, '\\');
  char twin[2 * VQ_TEXT_SIZE];
  snprintf(twin, sizeof twin, "%s%s", record->SourceFolder,
           slash ? slash + 1 : record->OutputFile);
  if (PathExists(twin)) return OPTION_DUPLICATE_FILE_NAME;
  return OPTION_OK;
}

OptionCheck CheckBuildSettings(ProjectRecord* record) {
  if (record->CompressLevel < 0 || record->CompressLevel > 9) return OPTION_LEVEL_OUT_OF_RANGE;
  if (record->OverwriteMode < 0 || record->OverwriteMode > 2) return OPTION_OVERWRITE_OUT_OF_RANGE;
  OptionCheck check = CheckOptionsPage(record);
  return check != OPTION_OK ? check : CheckOutputPage(record);
}

// The size of a source folder as the meta data block's UnZipSize holds it
// and the archive's progress bar counts it.
#pragma once

#include <stdint.h>

// Sum of the listed sizes of all files below folder (UTF-8), modulo 2^32,
// added to a running total that restart first sets to 0. Returns the running
// total. A folder that cannot be listed adds nothing, nor does an item whose
// path does not fit VQ_TEXT_SIZE or whose name is not UTF-8.
uint32_t SumFolderSize(const char* folder, bool restart);

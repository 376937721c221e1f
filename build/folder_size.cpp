#include "build/folder_size.h"

#include "build/folder_walk.h"

namespace {

uint32_t gSumTotal = 0;  // SumFolderSize's running total

bool AddFileSize(void*, const char*, uint64_t listedSize) {
  gSumTotal += (uint32_t)listedSize;
  return true;
}

}  // namespace

uint32_t SumFolderSize(const char* folder, bool restart) {
  if (restart) gSumTotal = 0;
  const FolderVisitor sum = {nullptr, nullptr, AddFileSize, nullptr, nullptr};
  WalkFolder(folder, &sum);
  return gSumTotal;
}

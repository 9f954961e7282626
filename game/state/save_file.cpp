#include "game/state/save_file.h"

#include "engine/core/files.h"

bool SaveImageMatches(const uint8_t* data, size_t size, size_t imageSize, int32_t version) {
  if (!data || size < imageSize || size < 4) return false;
  StreamReader reader = wre_StreamReaderMake(data, size);
  return wre_StreamReadInt32(&reader) == version;
}

int32_t SaveImageWrite(const char* name, const uint8_t* image, int32_t size) {
  FileRecord* file = wre_FileNew(name);
  if (!file) return kFileErrCreate;
  int32_t result = wre_FileSave(file, image, size);
  wre_FileDispose(file);
  return result;
}

SaveFolderScope::SaveFolderScope() : SaveFolderScope(kSaveFolder) {}

SaveFolderScope::SaveFolderScope(const char* folder) : pushed_(wre_FolderPush() == 0) { wre_FolderSet(folder); }

SaveFolderScope::~SaveFolderScope() {
  if (pushed_) wre_FolderPop();
}

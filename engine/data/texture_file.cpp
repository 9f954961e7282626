#include "engine/data/texture_file.h"

#include <cstdio>

#include "engine/core/files.h"
#include "engine/core/wre_types.h"
#include "engine/data/bmp.h"
#include "engine/data/offscreen.h"
#include "engine/data/texture.h"

namespace {

// An image read whole and decoded; null with the result code when it fails, the file noted.
Offscreen* ReadImage(const char* name, int32_t* result) {
  FileRecord* record = wre_FileLoad(name, 0);
  if (!record) {
    *result = wre_FileGetLastError();
    wre_FileNoteFailed(name);
    return nullptr;
  }
  Offscreen* image = wre_OffscreenLoadBMPMemory(record->data, record->size);
  wre_FileDispose(record);
  *result = image ? 0 : -1;
  if (!image) wre_FileNoteFailed(name);
  return image;
}

int32_t ApplyDepth(Offscreen* image, int32_t depth, bool keyed, bool opacity) {
  switch (depth) {
    case 0: return 0;
    case 16: return opacity ? wre_OffscreenConvertTo_4444_16Bit(image) : wre_OffscreenConvertTo_555_16Bit(image);
    case 24: return (keyed || opacity) ? wre_OffscreenConvertTo32Bit(image) : wre_OffscreenConvertTo24Bit(image);
    case 32: return wre_OffscreenConvertTo32Bit(image);
    default: return kTextureFileErrDepth;
  }
}

int32_t ApplyAlpha(Offscreen* image, const Offscreen* opacity, bool keyed, const ColourRecord& key) {
  if (opacity) return wre_OffscreenApplyOpacity(image, opacity);
  if (!keyed) return 0;
  int32_t result = 0;
  if (image->depth == 8 || (image->depth == 16 && (image->flags & kOffscreen565))) {
    result = wre_OffscreenConvertTo_555_16Bit(image);
  } else if (image->depth == 24) {
    result = wre_OffscreenConvertTo32Bit(image);
  }
  if (result != 0) return result;
  ColourFloat colour{};
  wre_ColourFromU8(&key, &colour);
  return wre_OffscreenSetColourKey(image, &colour);
}

struct Images {
  Offscreen* image = nullptr;
  Offscreen* opacity = nullptr;
  Offscreen* mips[kTextureMipLevels] = {};
  int32_t mipCount = 0;
  ~Images() {
    wre_OffscreenDispose(image);
    wre_OffscreenDispose(opacity);
    for (Offscreen* mip : mips) wre_OffscreenDispose(mip);
  }
};

// One mip level with its depth and alpha; false (with the result, the failing file noted) on an
// error, true with a null image when the level's file is missing.
bool ReadMip(const char* file, const char* opacityFile, int32_t level, int32_t depth, bool keyed,
             const ColourRecord& key, const Offscreen* above, Offscreen** out, int32_t* result) {
  char name[kFolderPathSize];
  wre_TextureMipName(file, level, name, sizeof(name));
  FileRecord* record = wre_FileLoad(name, 0);
  if (!record) return true;  // no more levels
  Offscreen* image = wre_OffscreenLoadBMPMemory(record->data, record->size);
  wre_FileDispose(record);
  if (!image) {
    *result = -1;
    wre_FileNoteFailed(name);
    return false;
  }
  // Each level is half the one above (at least 1): a level of another size would not fit its surface.
  int32_t wantW = above->width > 1 ? above->width / 2 : 1;
  int32_t wantH = above->height > 1 ? above->height / 2 : 1;
  if (image->width != wantW || image->height != wantH) {
    wre_OffscreenDispose(image);
    *result = kTextureErrSize;
    wre_FileNoteFailed(name);
    return false;
  }
  Offscreen* opacity = nullptr;
  if (opacityFile) {
    char opacityName[kFolderPathSize];
    wre_TextureMipName(opacityFile, level, opacityName, sizeof(opacityName));
    opacity = ReadImage(opacityName, result);
    if (!opacity) {
      wre_OffscreenDispose(image);
      return false;
    }
  }
  *result = ApplyDepth(image, depth, keyed, opacity != nullptr);
  if (*result == 0) *result = ApplyAlpha(image, opacity, keyed, key);
  wre_OffscreenDispose(opacity);
  if (*result != 0) {
    wre_OffscreenDispose(image);
    wre_FileNoteFailed(name);
    return false;
  }
  *out = image;
  return true;
}

}  // namespace

void wre_TextureMipName(const char* file, int32_t level, char* out, int32_t outSize) {
  if (!out || outSize < 1) return;
  if (!file) file = "";
  if (level < 10) {
    std::snprintf(out, static_cast<size_t>(outSize), "%s_0%1d", file, level);
  } else {
    std::snprintf(out, static_cast<size_t>(outSize), "%s_%2d", file, level);
  }
}

int32_t wre_TextureLoadFile(const char* file, int32_t keyFlag, const ColourRecord* keyColour, int32_t, int32_t,
                            DrawingContext* context, int32_t* outHandle, int32_t createFlags, int32_t p1, int32_t p2,
                            int32_t p3, int32_t p4, int32_t depth, const char* opacityFile, int32_t mipFlag) {
  if (!context) return -1;
  if (!outHandle) return kWreErrNull;
  if (!file) return kWreErrNull;
  // A failure past the reads (a conversion, no free slot, the upload) is noted against the picture.
  const auto fail = [file](int32_t result) {
    wre_FileNoteFailed(file);
    return result;
  };
  bool keyed = keyFlag != 0;
  ColourRecord key{};
  if (keyColour) {
    key = *keyColour;
  } else {
    wre_ColourSet(&key, 255, 0, 255, 255);
  }

  Images images;
  int32_t result = 0;
  images.image = ReadImage(file, &result);
  if (!images.image) return result;
  if (opacityFile) {
    images.opacity = ReadImage(opacityFile, &result);
    if (!images.opacity) return result;
  }
  result = ApplyDepth(images.image, depth, keyed, images.opacity != nullptr);
  if (result != 0) return fail(result);
  result = wre_TextureFindFree(outHandle);
  if (result != 0) return fail(result);
  result = ApplyAlpha(images.image, images.opacity, keyed, key);
  if (result != 0) return fail(result);
  wre_OffscreenDispose(images.opacity);
  images.opacity = nullptr;

  if (mipFlag) {
    const Offscreen* above = images.image;
    for (int32_t level = 1; level <= kTextureMipLevels; ++level) {
      Offscreen* mip = nullptr;
      if (!ReadMip(file, opacityFile, level, depth, keyed, key, above, &mip, &result)) return result;
      if (!mip) break;
      images.mips[images.mipCount++] = mip;
      above = mip;
    }
  }

  result = wre_TextureDefine(*outHandle, images.image, context, createFlags, file, nullptr, p1, p2, p3, p4,
                             images.mipCount, images.mipCount > 0 ? images.mips : nullptr);
  return result != 0 ? fail(result) : 0;
}

int32_t wre_TextureLoadEx(const char* file, int32_t keyFlag, const ColourRecord* keyColour, int32_t spare1,
                          int32_t spare2, DrawingContext* context, int32_t* outHandle, int32_t depth,
                          const char* opacityFile) {
  return wre_TextureLoadFile(file, keyFlag, keyColour, spare1, spare2, context, outHandle, 0, 0, 0, 0, 0, depth,
                             opacityFile, 0);
}

int32_t wre_TextureLoadEffect(const char* file, int32_t keyFlag, const ColourRecord* keyColour, int32_t spare1,
                              int32_t spare2, DrawingContext* context, int32_t* outHandle, int32_t createFlags,
                              int32_t p1, int32_t p2, int32_t p3, int32_t p4) {
  return wre_TextureLoadFile(file, keyFlag, keyColour, spare1, spare2, context, outHandle, createFlags, p1, p2, p3, p4,
                             0, nullptr, 0);
}

int32_t wre_TextureLoadKeyed(const char* file, int32_t keyFlag, const ColourRecord* keyColour, int32_t spare1,
                             int32_t spare2, DrawingContext* context, int32_t* outHandle) {
  return wre_TextureLoadEx(file, keyFlag, keyColour, spare1, spare2, context, outHandle, 0, nullptr);
}

int32_t wre_TextureLoadWithOpacity(const char* file, DrawingContext* context, int32_t* outHandle, int32_t depth,
                                   const char* opacityFile) {
  return wre_TextureLoadEx(file, 0, nullptr, 0, 0, context, outHandle, depth, opacityFile);
}

int32_t wre_TextureLoad(const char* file, DrawingContext* context, int32_t* outHandle) {
  return wre_TextureLoadWithOpacity(file, context, outHandle, 0, nullptr);
}

int32_t wre_TextureUnloadByFile(const char* file) {
  int32_t handle = wre_TextureFindByFile(file);
  if (handle < 0) return -1;
  wre_TextureRelease(handle);
  return 0;
}

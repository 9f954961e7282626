// Shared set-up for the model reader and loader tests: memory, maths tables and the material
// table up, a stand-in texture table behind the readers' texture entries, and a watch on engine
// blocks that counts what a test leaves behind.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/userdata.h"
#include "engine/data/material.h"
#include "engine/data/model_textures.h"

namespace model_test {

// Loaded textures by upper-cased file name; made ones get the next index.
inline std::map<std::string, int32_t> gTextures;
inline int32_t gNextTexture = 1;
inline bool gRefuseCreate = false;

inline std::string Upper(const char* text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}
inline int32_t FindTexture(const char* file) {
  auto it = gTextures.find(Upper(file));
  return it == gTextures.end() ? -1 : it->second;
}
inline int32_t CreateTexture(const char* file) {
  if (gRefuseCreate) return -1;
  const int32_t index = gNextTexture++;
  gTextures[Upper(file)] = index;
  return index;
}

inline std::set<void*>* gWatched = nullptr;
inline void* WatchedAlloc(size_t size) {
  void* header = std::malloc(size);
  if (header && gWatched) gWatched->insert(header);
  return header;
}

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wre_MemoryInit();
    ASSERT_EQ(wre_MathTablesInit(), 0);
    ASSERT_EQ(wre_MaterialTableInit(64), 0);
    gObjectServices = wre_ObjectCoreServices();
    gTextures.clear();
    gNextTexture = 1;
    gRefuseCreate = false;
    const ModelTextureServices services{&FindTexture, &CreateTexture};
    wre_ModelSetTextureServices(&services);
  }
  void TearDown() override {
    wre_ModelSetTextureServices(nullptr);
    wre_MaterialTableFree();
    wre_MathTablesExit();
    gObjectServices = wre_ObjectCoreServices();
    StopWatch();
  }
  // Blocks allocated from here on are watched; Leaks() frees and counts those still live.
  void Watch() {
    gWatched = &watched_;
    wre_MemorySetHeap(&WatchedAlloc);
  }
  int Leaks() {
    StopWatch();
    int left = 0;
    for (void* header : watched_) {
      if (wre_MemoryDispose(static_cast<char*>(header) + 16) == 0) ++left;
    }
    watched_.clear();
    return left;
  }
  static int32_t MaterialsInUse() {
    int32_t n = 0;
    for (int32_t i = 0; i < gMaterialCount; ++i) n += gMaterialTable[i].inUse ? 1 : 0;
    return n;
  }
  static std::vector<int32_t> UserValues(const EngineObject* object) {
    std::vector<int32_t> out;
    for (const UserData* r = object->userData; r; r = r->next) out.push_back(r->kind == 1 ? r->value : -r->kind);
    return out;
  }

 private:
  void StopWatch() {
    wre_MemorySetHeap(nullptr);
    gWatched = nullptr;
  }
  std::set<void*> watched_;
};

inline void ExpectPoint(const Point4& p, float x, float y, float z, float tolerance = 1e-4f) {
  EXPECT_NEAR(p.x, x, tolerance);
  EXPECT_NEAR(p.y, y, tolerance);
  EXPECT_NEAR(p.z, z, tolerance);
}

// Big- and little-endian byte builders for hand-made fixtures.
struct ByteWriter {
  std::vector<uint8_t> bytes;
  ByteWriter& Be32(uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) bytes.push_back(static_cast<uint8_t>(v >> s));
    return *this;
  }
  ByteWriter& BeFloat(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return Be32(bits);
  }
  ByteWriter& Le16(uint32_t v) {
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
  }
  ByteWriter& Le32(uint32_t v) {
    for (int s = 0; s <= 24; s += 8) bytes.push_back(static_cast<uint8_t>(v >> s));
    return *this;
  }
  ByteWriter& LeFloat(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return Le32(bits);
  }
  ByteWriter& Text(const std::string& text, size_t field = 0) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    const size_t pad = field ? field - text.size() : 1;
    bytes.insert(bytes.end(), pad, 0);
    return *this;
  }
  ByteWriter& Zero(size_t n) {
    bytes.insert(bytes.end(), n, 0);
    return *this;
  }
};

}  // namespace model_test

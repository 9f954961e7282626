// A fixture for the save files: the test runs inside a fresh folder holding "data/prefs", with the
// engine's memory layer up and no data folder saved; helpers read and build big-endian images.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "game/state/circuit_file.h"
#include "game/state/scores.h"
#include "support/temp_dir.h"

class SaveFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wre_MemoryInit();
    while (wre_FolderPop() == 0) {
    }
    wre_FolderSet(nullptr);
    home_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    std::filesystem::create_directories("data/prefs");
  }
  void TearDown() override {
    CircuitClose();
    ScoresClose();
    std::filesystem::current_path(home_);
  }

  static std::filesystem::path PathOf(const std::string& name) { return std::filesystem::path("data/prefs") / name; }
  static bool Exists(const std::string& name) { return std::filesystem::exists(PathOf(name)); }
  static std::string Read(const std::string& name) { return TempDir::Read(PathOf(name)); }
  void Write(const std::string& name, const std::string& bytes) { dir_.Write("data/prefs/" + name, bytes); }

  static int32_t Be32(const std::string& image, size_t offset) {
    auto byte = [&](size_t k) { return static_cast<uint32_t>(static_cast<uint8_t>(image.at(offset + k))); };
    return static_cast<int32_t>(byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3));
  }
  static void Put32(std::string& image, size_t offset, uint32_t value) {
    for (int k = 0; k < 4; ++k) image.at(offset + k) = static_cast<char>(value >> (24 - 8 * k));
  }
  static uint32_t Bits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return bits;
  }
  static const uint8_t* Data(const std::string& image) { return reinterpret_cast<const uint8_t*>(image.data()); }

  TempDir dir_;

 private:
  std::filesystem::path home_;
};

// A fresh folder below /tmp for one test, removed with everything in it afterwards.
#pragma once
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

struct TempFolder {
  std::string path;
  TempFolder() {
    char name[] = "/tmp/vhtestXXXXXX";
    char* made = mkdtemp(name);
    path = made ? made : "/tmp";
  }
  ~TempFolder() {
    std::error_code error;
    if (path != "/tmp") std::filesystem::remove_all(path, error);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string operator/(const std::string& name) const { return path + "/" + name; }
  // The folder in Windows form.
  std::string Windows() const {
    std::string text = path;
    for (char& c : text) {
      if (c == '/') c = '\\';
    }
    return text;
  }
  void Write(const std::string& name, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(*this / name).parent_path());
    std::ofstream out(*this / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(*this / name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(*this / name); }
};

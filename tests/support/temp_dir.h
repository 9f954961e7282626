// A fresh folder under the system's temporary folder (TMPDIR when set), removed with everything in
// it at the end. The members that take a name take it relative to the folder.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vh-test-XXXXXX").string();
    if (char* made = mkdtemp(pattern.data())) path_ = made;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  // The folder in Windows form ("\" separators), as the launcher writes its paths.
  std::string Windows() const {
    std::string text = str();
    for (char& c : text) {
      if (c == '/') c = '\\';
    }
    return text;
  }

  // Writes a file below the folder, making its folders; returns its full path.
  std::filesystem::path Write(const std::string& relative, const std::string& bytes) const {
    std::filesystem::path full = path_ / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream(full, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return full;
  }
  // The bytes of a file below the folder (empty when it cannot be read).
  std::string Contents(const std::string& relative) const { return Read(path_ / relative); }
  bool Exists(const std::string& relative) const { return std::filesystem::exists(path_ / relative); }

  // The bytes of any file, by its full path (empty when it cannot be read).
  static std::string Read(const std::filesystem::path& full) {
    std::ifstream in(full, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::filesystem::path path_;
};

#include "tools/datagen/tree_output.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "tools/datagen/raster.h"
#include "tools/datagen/texture_list_writer.h"

std::filesystem::path TreeDataPath(const TreeOutput& tree, const std::string& relative) {
  return std::filesystem::path(tree.root) / "data" / relative;
}

void TreeFolder(TreeOutput& tree, const std::string& path) {
  std::error_code error;
  std::filesystem::create_directories(TreeDataPath(tree, path), error);
  if (error) {
    std::fprintf(stderr, "datagen: cannot create data/%s: %s\n", path.c_str(), error.message().c_str());
    tree.ok = false;
  }
}

void TreePut(TreeOutput& tree, const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::filesystem::path full = TreeDataPath(tree, path);
  TreeFolder(tree, full.parent_path().lexically_relative(std::filesystem::path(tree.root) / "data").string());
  if (!CodexSaveFile(full.string(), std::string(bytes.begin(), bytes.end()))) {
    std::fprintf(stderr, "datagen: cannot write data/%s\n", path.c_str());
    tree.ok = false;
  }
  tree.files.push_back("data/" + path);
}

void TreePutText(TreeOutput& tree, const std::string& path, const std::string& text) {
  TreePut(tree, path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string TreeCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

TreeListBuilder TreeListStart(const std::string& folder, const std::string& comment) {
  TreeListBuilder b;
  b.list.folder = folder;
  CodexWriteComment(b.writer, comment);
  return b;
}

void TreeListAdd(TreeListBuilder& b, const std::string& file) {
  TextureListAddTexture(b.writer, file);
  b.list.files.push_back(file);
}

void TreeListAddKeyed(TreeListBuilder& b, const std::string& file) {
  TextureListAddKeyed(b.writer, file, kKeyRed, kKeyGreen, kKeyBlue);
  b.list.files.push_back(file);
}

void TreeListAddDepthKeyed(TreeListBuilder& b, const std::string& file, int32_t depth) {
  TextureListAddDepthKeyed(b.writer, file, depth, kKeyRed, kKeyGreen, kKeyBlue);
  b.list.files.push_back(file);
}

void TreeListAddDepth(TreeListBuilder& b, const std::string& file, int32_t depth) {
  TextureListAddDepth(b.writer, file, depth);
  b.list.files.push_back(file);
}

void TreeListAddProcedural(TreeListBuilder& b, const std::string& file) {
  TextureListAddProcedural(b.writer, file);
  b.list.files.push_back(file);
}

void TreeListAddMip(TreeListBuilder& b, const std::string& file, int32_t depth) {
  TextureListAddMip(b.writer, file, depth);
  b.list.files.push_back(file);
}

void TreeListAddMipKeyed(TreeListBuilder& b, const std::string& file, int32_t depth) {
  TextureListAddMipKeyed(b.writer, file, kKeyRed, kKeyGreen, kKeyBlue, depth);
  b.list.files.push_back(file);
}

void TreeListIdent(TreeListBuilder& b, const std::string& ident) {
  TextureListSetIdent(b.writer, ident);
  b.list.idents.push_back(ident);
}

void TreeListFinish(TreeOutput& tree, TreeListBuilder& b) {
  TreePutText(tree, b.list.folder + "/texture.codx", CodexFinish(b.writer));
  tree.lists.push_back(b.list);
}

#include "tools/datagen/game_tree.h"

#include "tools/datagen/media_tree.h"

TreeOutput DatagenWriteTreeFiles(const std::string& root) {
  TreeOutput tree;
  tree.root = root;
  TreeFolder(tree, "prefs");
  tree.ok &= DatagenWriteMedia(root);
  TreeWriteMenus(tree);
  TreeWriteInterface(tree);
  TreeWriteCraft(tree);
  TreeWriteIntro(tree);
  TreeWriteLevels(tree);
  return tree;
}

bool DatagenWriteTree(const std::string& root) {
  const TreeOutput tree = DatagenWriteTreeFiles(root);
  return tree.ok && TreeCheck(tree);
}

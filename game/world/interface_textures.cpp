#include "game/world/interface_textures.h"

#include "engine/core/fatal.h"
#include "engine/core/files.h"
#include "engine/data/codex.h"
#include "engine/data/texture.h"
#include "engine/data/texture_file.h"
#include "engine/data/texture_list.h"
#include "engine/render/camera.h"
#include "game/state/prefs.h"
#include "game/state/view_components.h"

namespace {

constexpr const char* kTextureList = "texture.codx";
constexpr const char* kTextureListFatal = "Error at parse texture file";
constexpr const char* kSharedFolder = "data:textures";
constexpr const char* kInterfaceFolder = "data:interface";
constexpr const char* kQuitPauseIdent = "vqz_QuitPauseTexture";
constexpr const char* kInterfaceSheet = "qz_interface.BMP";
constexpr const char* kInterfaceOpacity = "qz_interface_opacity.BMP";
constexpr const char* kMenuSheet = "qz_menu.BMP";
constexpr const char* kMenuOpacity = "qz_menu_opacity.BMP";
constexpr int32_t kSheetDepth = 16;

DrawingContext* ContextOf(const ViewComponents* view) {
  return view && view->camera ? view->camera->context : nullptr;
}

// Both lists in one codex mode; the interface folder is left current.
void ReadTextureLists(uint32_t mode, const ViewComponents* view) {
  wre_CodexSetMode(mode);
  for (const char* folder : {kSharedFolder, kInterfaceFolder}) {
    wre_FolderSet(folder);
    if (wre_CodexLoadTextures(kTextureList, 0, ContextOf(view)) != 0)
      wre_SystemFatalErrorFile(kTextureListFatal, wre_FileFailed());
  }
}

// A sheet keyed at the default colour with its opacity picture, from the current folder. A failure
// is fatal and names the picture that failed, the sheet or its opacity picture.
int32_t LoadSheet(const char* file, const char* opacity, const char* fatal, const ViewComponents* view) {
  int32_t handle = -1;
  wre_FileFailedClear();
  if (wre_TextureLoadEx(file, 1, nullptr, 0, 0, ContextOf(view), &handle, kSheetDepth, opacity) != 0) {
    wre_SystemFatalErrorFile(fatal, wre_FileFailed());
  }
  return handle;
}

}  // namespace

bool InterfaceTexturesLoad(ViewComponents* view) {
  gQuitPauseTexture = -1;
  ReadTextureLists(kCodexModeLoad, view);
  gQuitPauseTexture = wre_TextureFindByIdent(kQuitPauseIdent);
  gInterfaceTexture =
      LoadSheet(kInterfaceSheet, kInterfaceOpacity, "Couldn't load vqz_TextureFilename_Interface2", view);
  if (RaceActiveGet()) {
    gMenuSheetTexture = LoadSheet(kMenuSheet, kMenuOpacity, "Couldn't load vqz_TextureFilename_Interface3", view);
  }
  return true;
}

int32_t InterfaceTexturesUnload(ViewComponents* view) {
  gQuitPauseTexture = -1;
  ReadTextureLists(kCodexModeUnload, view);
  wre_TextureUnloadByFile(kInterfaceSheet);
  gInterfaceTexture = -1;
  if (RaceActiveGet()) {
    wre_TextureUnloadByFile(kMenuSheet);
    gMenuSheetTexture = -1;
  }
  return 0;
}

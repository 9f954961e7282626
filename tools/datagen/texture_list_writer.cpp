#include "tools/datagen/texture_list_writer.h"

namespace {

const char* const kModifier = "kVKT_TextureModifier_DisplacementMap";
const char* const kEffect = "KVKT_TextureEffect_DropWavelet";

}  // namespace

void TextureListAddTexture(CodexWriter& writer, const std::string& file) {
  CodexWriteLine(writer, "kVKT_Texture", {file});
}

void TextureListAddKeyed(CodexWriter& writer, const std::string& file, int32_t r, int32_t g, int32_t b) {
  CodexWriteLine(writer, "kVKT_BasicAlpha_Texture", {file, CodexInt(r), CodexInt(g), CodexInt(b)});
}

void TextureListAddProcedural(CodexWriter& writer, const std::string& file) {
  CodexWriteLine(writer, "kVKT_ProceduralTexture", {file, kModifier, kEffect});
}

void TextureListAddProceduralKeyed(CodexWriter& writer, const std::string& file, int32_t r, int32_t g, int32_t b) {
  CodexWriteLine(writer, "kVKT_ProceduralAlphaTexture",
                 {file, CodexInt(r), CodexInt(g), CodexInt(b), kModifier, kEffect});
}

void TextureListAddDepth(CodexWriter& writer, const std::string& file, int32_t depth) {
  CodexWriteLine(writer, "kVKT_RequestDepthTexture", {file, CodexInt(depth)});
}

void TextureListAddDepthKeyed(CodexWriter& writer, const std::string& file, int32_t depth, int32_t r, int32_t g,
                              int32_t b) {
  CodexWriteLine(writer, "kVKT_RequestDepthAlphaTexture", {file, CodexInt(depth), CodexInt(r), CodexInt(g), CodexInt(b)});
}

void TextureListAddOpacity(CodexWriter& writer, const std::string& file, int32_t depth,
                           const std::string& opacityFile) {
  CodexWriteLine(writer, "kVKT_OpacityRequestDepthTexture", {file, CodexInt(depth), opacityFile});
}

void TextureListAddMip(CodexWriter& writer, const std::string& file, int32_t depth) {
  CodexWriteLine(writer, "kVKT_MipDepthRequest_Texture", {file, CodexInt(depth)});
}

void TextureListAddMipKeyed(CodexWriter& writer, const std::string& file, int32_t r, int32_t g, int32_t b,
                            int32_t depth) {
  CodexWriteLine(writer, "kVKT_AlphaMipDepthRequest_Texture", {file, CodexInt(r), CodexInt(g), CodexInt(b), CodexInt(depth)});
}

void TextureListSetIdent(CodexWriter& writer, const std::string& ident) {
  CodexWriteLine(writer, "kVKT_SetTextureIdent", {ident});
}

void TextureListSetDamping(CodexWriter& writer, const std::string& ident, float damping) {
  CodexWriteLine(writer, "kVKT_EffectMod_DropWavelet_SetDamping", {ident, CodexFloat(damping)});
}

void TextureListAddDrop(CodexWriter& writer, const std::string& ident, int32_t x, int32_t y, int32_t strength,
                        int32_t interval) {
  CodexWriteLine(writer, "kVKT_EffectMod_DropWavelet_AddDrop",
                 {ident, CodexInt(x), CodexInt(y), CodexInt(strength), CodexInt(interval)});
}

// Writes texture lists ("texture.codx"): one line per texture with its options, each ident line
// right after the texture it names, and the ripple settings of procedural textures after their
// ident. Every function adds one line to the writer.
#pragma once
#include <cstdint>
#include <string>

#include "tools/datagen/codex_writer.h"

void TextureListAddTexture(CodexWriter& writer, const std::string& file);
void TextureListAddKeyed(CodexWriter& writer, const std::string& file, int32_t r, int32_t g, int32_t b);
void TextureListAddProcedural(CodexWriter& writer, const std::string& file);
void TextureListAddProceduralKeyed(CodexWriter& writer, const std::string& file, int32_t r, int32_t g, int32_t b);
// depth: 0 keeps the image's own, or 16, 24, 32.
void TextureListAddDepth(CodexWriter& writer, const std::string& file, int32_t depth);
void TextureListAddDepthKeyed(CodexWriter& writer, const std::string& file, int32_t depth, int32_t r, int32_t g,
                              int32_t b);
// An opacity texture needs depth 16, 24 or 32.
void TextureListAddOpacity(CodexWriter& writer, const std::string& file, int32_t depth,
                           const std::string& opacityFile);
// Mip levels are the files "<file>_01" .. "<file>_16", extension included.
void TextureListAddMip(CodexWriter& writer, const std::string& file, int32_t depth);
void TextureListAddMipKeyed(CodexWriter& writer, const std::string& file, int32_t r, int32_t g, int32_t b,
                            int32_t depth);
void TextureListSetIdent(CodexWriter& writer, const std::string& ident);
void TextureListSetDamping(CodexWriter& writer, const std::string& ident, float damping);
// x and y in texture units 0-255, interval in ticks.
void TextureListAddDrop(CodexWriter& writer, const std::string& ident, int32_t x, int32_t y, int32_t strength,
                        int32_t interval);

#include "platform/plat_font.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

struct PlatFont {
  TTF_Font* ttf = nullptr;
  std::string file;
  int lineHeight = 0;
};

namespace {

constexpr const char* kFallbackRegular = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kFallbackBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

bool EnsureTtf() {
  static bool ready = TTF_WasInit() > 0 || TTF_Init() == 0;
  return ready;
}

// The family names of the classic dialog fonts map to the faces that stand in for them. The
// system font's glyphs are narrow for their height, so a condensed face stands in for it.
const char* StandInFamily(const char* face) {
  if (!face || !*face) return "DejaVu Sans";
  if (strcasecmp(face, "System") == 0) return "DejaVu Sans Condensed";
  static const char* const kAliases[] = {"MS Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2"};
  for (const char* alias : kAliases)
    if (strcasecmp(face, alias) == 0) return "DejaVu Sans";
  return face;
}

std::string MatchFontFile(const char* family, int weight) {
  // The library's own configuration, released at exit so that nothing of it outlives the process.
  static const bool ready = [] {
    if (!FcInit()) return false;
    std::atexit(FcFini);
    return true;
  }();
  if (!ready) return {};
  FcConfig* config = nullptr;  // the current one
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return {};
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  std::string file;
  if (match) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
      file = reinterpret_cast<const char*>(path);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return file;
}

// Windows-1252 bytes 0x80..0x9F; 0 marks the five undefined ones (shown as U+FFFD).
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string* out, uint32_t cp) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Length of a valid UTF-8 sequence at p (at most n bytes), 0 when it is not one.
size_t Utf8SequenceLength(const unsigned char* p, size_t n) {
  unsigned char c = p[0];
  size_t len;
  uint32_t cp;
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (len > n) return 0;
  for (size_t i = 1; i < len; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
  if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
  return len;
}

PlatFont* SharedFont(PlatFont** slot, const char* face, int height, int weight) {
  if (!*slot) *slot = plat_FontCreate(face, height, weight);
  return *slot;
}

}  // namespace

PlatFont* plat_FontCreate(const char* face, int height, int weight) {
  if (!EnsureTtf()) return nullptr;
  if (weight <= 0) weight = 400;
  weight = std::clamp(weight, 100, 900);
  const int64_t wanted = height < 0 ? -int64_t{height} : int64_t{height};
  const int magnitude = height == 0 ? 13 : static_cast<int>(std::clamp<int64_t>(wanted, 4, 200));

  std::string file = MatchFontFile(StandInFamily(face), weight);
  TTF_Font* ttf = file.empty() ? nullptr : TTF_OpenFont(file.c_str(), magnitude);
  if (!ttf) {
    file = weight >= 600 ? kFallbackBold : kFallbackRegular;
    ttf = TTF_OpenFont(file.c_str(), magnitude);
    if (!ttf) return nullptr;
  }
  if (height > 0) {
    // A cell height: the largest size whose line height still fits it.
    int size = magnitude;
    while (size > 1 && TTF_FontHeight(ttf) > magnitude) {
      --size;
      TTF_SetFontSize(ttf, size);
    }
  }
  auto* font = new PlatFont;
  font->ttf = ttf;
  font->file = file;
  font->lineHeight = TTF_FontHeight(ttf);
  return font;
}

void plat_FontDestroy(PlatFont* font) {
  if (!font) return;
  if (font->ttf) TTF_CloseFont(font->ttf);
  delete font;
}

PlatFont* plat_FontDialog() {
  static PlatFont* font = nullptr;
  return SharedFont(&font, "MS Sans Serif", -11, 400);
}

PlatFont* plat_FontSystem() {
  static PlatFont* font = nullptr;
  // Character height 12 in the condensed face gives about the classic font's 7-pixel average
  // width, so captions sized for it fit their buttons.
  return SharedFont(&font, "System", -12, 700);
}

int plat_FontHeight(const PlatFont* font) { return font ? font->lineHeight : 0; }

int plat_FontTextWidth(const PlatFont* font, const char* utf8, size_t length) {
  if (!font || !utf8 || length == 0) return 0;
  std::string text(utf8, length);
  int w = 0, h = 0;
  if (TTF_SizeUTF8(font->ttf, text.c_str(), &w, &h) != 0) return 0;
  return w;
}

std::string plat_FontFile(const PlatFont* font) { return font ? font->file : std::string(); }

std::string plat_TextForDisplay(const char* bytes, size_t length) {
  std::string out;
  if (!bytes) return out;
  out.reserve(length);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  size_t i = 0;
  while (i < length) {
    unsigned char c = p[i];
    if (c < 0x80) {
      if (c == '\r' || c == '\n')
        out.push_back(static_cast<char>(c));
      else if (c < 0x20 || c == 0x7F)
        out.push_back(' ');
      else
        out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    size_t len = Utf8SequenceLength(p + i, length - i);
    if (len) {
      out.append(bytes + i, len);
      i += len;
      continue;
    }
    uint32_t cp = c >= 0xA0 ? c : kCp1252High[c - 0x80];
    AppendUtf8(&out, cp ? cp : 0xFFFD);
    ++i;
  }
  return out;
}

void plat_WrapText(const char* text, size_t length, int width, PlatMeasureFn measure, void* user,
                   std::vector<PlatTextLine>* lines) {
  if (!lines) return;
  lines->clear();
  if (!text || !measure) return;
  size_t pos = 0;
  while (pos < length) {
    size_t eol = pos;
    while (eol < length && text[eol] != '\r' && text[eol] != '\n') ++eol;

    size_t lineStart = pos;
    if (lineStart == eol) lines->push_back(PlatTextLine{lineStart, 0});
    while (lineStart < eol) {
      size_t fit = lineStart;  // end of the text that fits so far
      size_t i = lineStart;
      bool first = true;
      while (i < eol) {
        size_t j = i;
        while (j < eol && text[j] == ' ') ++j;
        if (j == eol) {  // only blanks remain: they go with this line
          fit = eol;
          break;
        }
        size_t k = j;
        while (k < eol && text[k] != ' ') ++k;
        if (first || measure(text + lineStart, k - lineStart, user) <= width) {
          fit = k;
          i = k;
          first = false;
        } else {
          break;
        }
      }
      size_t end = fit;
      if (fit < eol)  // a soft break: the blanks at it are dropped
        while (end > lineStart && text[end - 1] == ' ') --end;
      lines->push_back(PlatTextLine{lineStart, end - lineStart});
      lineStart = fit;
      if (lineStart < eol)
        while (lineStart < eol && text[lineStart] == ' ') ++lineStart;
    }
    pos = eol;
    if (pos < length) {
      if (text[pos] == '\r' && pos + 1 < length && text[pos + 1] == '\n')
        pos += 2;
      else
        pos += 1;
    }
  }
}

void plat_DrawTextLine(PlatCanvas* canvas, const PlatFont* font, const char* utf8, size_t length,
                       int x, int y, PlatRect clip, uint32_t colour) {
  if (!canvas || !font || !utf8 || length == 0) return;
  PlatRect area = plat_RectIntersect(clip, PlatRect{0, 0, canvas->width, canvas->height});
  if (plat_RectEmpty(area)) return;
  std::string text(utf8, length);
  SDL_Surface* glyphs = TTF_RenderUTF8_Blended(font->ttf, text.c_str(), SDL_Color{255, 255, 255, 255});
  if (!glyphs) return;
  SDL_Surface* argb = glyphs;
  if (glyphs->format->format != SDL_PIXELFORMAT_ARGB8888)
    argb = SDL_ConvertSurfaceFormat(glyphs, SDL_PIXELFORMAT_ARGB8888, 0);
  if (argb && SDL_LockSurface(argb) == 0) {
    PlatRect box = plat_RectIntersect(PlatRect{x, y, argb->w, argb->h}, area);
    for (int cy = box.y; cy < box.y + box.h; ++cy) {
      const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) +
                                                          static_cast<size_t>(cy - y) * argb->pitch);
      for (int cx = box.x; cx < box.x + box.w; ++cx)
        plat_CanvasBlendPixel(canvas, cx, cy, colour, static_cast<int>(row[cx - x] >> 24));
    }
    SDL_UnlockSurface(argb);
  }
  if (argb && argb != glyphs) SDL_FreeSurface(argb);
  SDL_FreeSurface(glyphs);
}

void plat_DrawTextCentred(PlatCanvas* canvas, const PlatFont* font, const char* utf8,
                          size_t length, PlatRect rect, uint32_t colour) {
  if (!font) return;
  int w = plat_FontTextWidth(font, utf8, length);
  int x = rect.x + (rect.w - w) / 2;
  int y = rect.y + (rect.h - plat_FontHeight(font)) / 2;
  plat_DrawTextLine(canvas, font, utf8, length, x, y, rect, colour);
}

namespace {
int MeasureWithFont(const char* text, size_t length, void* user) {
  return plat_FontTextWidth(static_cast<const PlatFont*>(user), text, length);
}
}  // namespace

int plat_DrawTextWrapped(PlatCanvas* canvas, const PlatFont* font, const char* bytes,
                         size_t length, PlatRect rect, uint32_t colour) {
  if (!font || !bytes) return 0;
  std::string text = plat_TextForDisplay(bytes, length);
  std::vector<PlatTextLine> lines;
  plat_WrapText(text.data(), text.size(), rect.w, MeasureWithFont, const_cast<PlatFont*>(font),
                &lines);
  const int step = plat_FontHeight(font);
  int y = rect.y;
  for (const PlatTextLine& line : lines) {
    if (y >= rect.y + rect.h) break;
    plat_DrawTextLine(canvas, font, text.data() + line.start, line.length, rect.x, y, rect, colour);
    y += step;
  }
  return static_cast<int>(lines.size()) * step;
}

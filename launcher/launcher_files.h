// Disc launcher: file wrappers, whole-file loads and the background picture.
//
// Every file the launcher reads is opened read-only (a disc is read-only); only the state file is
// written, and not through these wrappers. Handles are those of plat_winfile.h, -1 for none.
#pragma once
#include <cstddef>
#include <cstdint>

#include "launcher/launcher_state.h"

// 1 on success, 0 on failure. The file is opened for reading only.
int LauncherFileOpenRW(const char* path, int* handle);
// Opens the file for reading and writing, making it empty only when it does not exist yet.
// 1 on success, 0 on failure.
int LauncherFileCreate(const char* path, int* handle);
// The new position, -1 on failure.
int64_t LauncherFileSeek(int handle, int64_t offset, int origin);
// The size of the file; the position is left at its end. -1 on failure.
int64_t LauncherFileSize(int handle);
// Reads exactly `count` bytes, or up to the end of the file. 1 on failure, 0 on success.
int LauncherFileRead(int handle, void* buffer, size_t count);
// 1 on failure, 0 on success.
int LauncherFileClose(int handle);
// A zero-filled block of `size` bytes; false when there is no memory for it.
bool LauncherMemAlloc(size_t size, LauncherBlock* block);

// Loads a whole file followed by one zero byte. 1 on success; 0 on failure with `block` as it was.
int LauncherFileLoad(const char* path, LauncherBlock* block);

// Reads the first 1078 bytes of the picture into `header` (a shorter file leaves the rest zero).
// 1 on success, 0 on failure.
int LauncherBitmapHeaderRead(const char* path, uint8_t header[1078]);
// Fills the logical palette from the header's colour table (offset 54): version 0x300, 236 entries
// in use, all 256 filled. Returns 1.
int LauncherPaletteCreate(const uint8_t header[1078], LauncherPalette* palette);

// Checks a whole picture file (as LauncherFileLoad gives it, or its bytes alone) and describes it
// for drawing. False, drawing nothing, unless: the information header is at least 40 bytes, 8 bits
// per pixel, uncompressed, 0 < width <= 8192, 0 < |height| <= 8192, and all rows lie inside the
// file. The pixels start at the file header's offset when that lies past the colour table and
// inside the file, else right after the colour table (256 entries when the count of colours used is
// 0). A negative height is a top-down picture.
bool LauncherBitmapLocate(const uint8_t* file, size_t size, LauncherBitmapView* view);

// Draws the picture (as LauncherFileLoad gives it: its last byte is the added zero) 1:1 with its top-left corner at x, y into a canvas of 0x00RRGGBB pixels
// (`pitch` pixels from one row to the next), clipped to the canvas. Nothing is drawn for a picture
// that fails the checks above.
void LauncherBitmapDraw(const LauncherBlock& picture, uint32_t* canvas, int canvasWidth,
                        int canvasHeight, int pitch, int x, int y);

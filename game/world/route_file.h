// The route file of a course: "qz_route_<course, two characters, blank-padded>.qz" in the level's
// course folder "data:courses:<level word>", big-endian: the magic 170, then per node the marker 1,
// the point's four floats and the has-gate flag, then the end marker 0 (8 + 24 bytes a node). The
// gate records are not stored: gate nodes are bound to the course's gates in list order on reading.
#pragma once
#include <cstddef>
#include <cstdint>

struct ViewComponents;

constexpr int32_t kRouteFileMagic = 170;
constexpr int32_t kRouteFileHeader = 8;   // magic and end marker
constexpr int32_t kRouteFileRecord = 24;  // marker, four floats, flag

// "qz_route_%2d.qz" of the course (course 3 gives "qz_route_ 3.qz"); false when it does not fit.
bool RouteFileName(int32_t course, char* out, size_t size);

// Builds the route list from a route file's bytes, binding gate nodes to the running gate list.
// 0, with the list loaded; 300100 when a route is already loaded; -5000 when memory runs out;
// 300102 unless the bytes hold exactly the layout (length 8 + 24n with n >= 1, magic 170, every
// marker 1, finite points within reach of the loaded level's bounds, flags 0 or 1, the end
// marker 0) with one gate node for each gate of the course. Nothing stays allocated after a failure.
int32_t RouteParse(const uint8_t* data, size_t size);
// Reads the file of gCourse from the folder of gLevel into the route list. 0; 5001 when it is
// missing; otherwise as RouteParse. The current folder is kept.
int32_t RouteFileRead(ViewComponents* view);
// Writes the route list as the file of gCourse in the folder of gLevel, replacing an old file only
// once the new one is complete. 0; 300101 without a route; -5000; 5002 when it cannot be written.
int32_t RouteFileWrite(ViewComponents* view);

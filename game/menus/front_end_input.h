// The front end's input: one polled event (a typed key, a held key, the left mouse button at the
// menu pointer) turned into its effect on the current screen: names typed, settings cycled, keys
// captured, pages stepped and tabs clicked, races and circuits started.
#pragma once
#include <cstdint>

struct ViewComponents;

// Printable characters that name typing accepts; function keys and other codes above them never
// enter a name.
constexpr int32_t kNameCharFirst = 32;
constexpr int32_t kNameCharLast = 126;
constexpr int32_t kPlayerNameLimit = 10;
constexpr int32_t kCircuitNameLimit = 15;

inline constexpr const char* kCircuitOverwriteQuestion = "This will overwrite the current circuit!";

// Acts on the event. 0, or the result of the screen switch, race or circuit it started; -1 when
// the player page could not rebuild its racer. A consumed event empties the input queues.
int32_t FrontEndPageInput(int32_t typed, int32_t held, ViewComponents* view);

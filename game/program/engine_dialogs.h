// The start-up choices of the rendering engine and, for a renderer with several display devices,
// of the output device: the two modal dialogs and what their answers mean.
#pragma once
#include <cstdint>

struct DeviceList;

// Probes the renderers and asks with the "Rendering Engine" dialog, the first available of
// Direct3D, OpenGL and software preselected. Returns the chosen kind (100, 101 or 103); -1 when
// the player cancelled or the dialog cannot be shown (no display), and the program then ends.
int32_t RenderingEngineSelect();

// The renderer's device-select callback. -1 for a null list; 0 at once for one device; more are
// offered in the "Select Output Device" dialog and the chosen device's index in the list comes
// back. An empty list, a dialog that cannot be shown and a cancelled one end the program through
// the fatal path.
int32_t OutputDeviceSelect(DeviceList* list);

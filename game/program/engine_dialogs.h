// The start-up choices of the rendering engine and, for a renderer with several display devices,
// of the output device: the two modal dialogs and what their answers mean.
#pragma once
#include <cstdint>

struct DeviceList;

// Probes the renderers and asks with the "Rendering Engine" dialog, the first available of
// Direct3D, OpenGL and software preselected. Returns the chosen kind (100, 101 or 103); -1 when
// the player cancelled. A dialog that cannot be shown (no display) answers the preselected kind.
int32_t RenderingEngineSelect();

// The renderer's device-select callback. -1 for a null list; 0 at once for one device; more are
// offered in the "Select Output Device" dialog and the chosen device's index in the list comes
// back (device 0 when the dialog cannot be shown). An empty list and a cancelled dialog end the
// program through the fatal path.
int32_t OutputDeviceSelect(DeviceList* list);

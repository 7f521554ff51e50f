// The transparent colour of a GIF save, picked by the user in the image view:
// a blinking title asks for a click (or Space under the pointer, Escape
// cancels), then a box shows the colour and offers to use it, to pick again
// or to cancel. Never asks while a capture runs.
#pragma once
#include <windows.h>

#include "capture/win/imagefiles.h"

struct gdImageStruct;

namespace gmbx {

// Lets the user pick the transparent colour of the GIF palette image im (the
// current image made into a palette image, same size as the view's image):
// the palette index of the accepted point, kGifSaveCancelled when the user
// cancels, -1 during a capture or without a main window. Runs its own message
// loop; the main window is disabled while the pick waits.
int PickTransparentColour(const gdImageStruct* im);

// The chooser SaveGIF should get: the pick when the save options ask for a
// transparent colour and no capture runs, else empty (no transparency).
GifTransparentChooser TransparentChooserForSave();

// True while the pick waits for a point (title blinking).
bool TransparentPickActive();

}  // namespace gmbx

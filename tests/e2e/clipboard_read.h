// Reading the picture the program put on the clipboard, for the end-to-end
// tests.
#pragma once
#include <windows.h>

#include <memory>

#include "imageio/dib.h"

namespace gmbx::e2e {

// The clipboard's device-independent bitmap once there is one (messages are
// pumped meanwhile); null when none came within ms milliseconds.
std::unique_ptr<Dib> WaitForClipboardDib(DWORD ms);

}  // namespace gmbx::e2e

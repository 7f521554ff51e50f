#include "capture/settings.h"

namespace gmbx {

WindowSettings g_settings;
RunFlags g_run;

}  // namespace gmbx

// Compiled only by the layering checks: a layer builds on the layers below it, and an include of
// a layer above it (or of a backend, from the Qt layer) does not compile.
#if defined(VANTILE_INCLUDE_APP)
#include "app/app_delegate.h"
#elif defined(VANTILE_INCLUDE_X11)
#include "backends/x11/x11_connection.h"
#else
#include "core/regions/bsp_node.h"
#include "platform/platform.h"
#endif

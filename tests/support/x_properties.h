#pragma once

#include "support/xcb_handles.h"

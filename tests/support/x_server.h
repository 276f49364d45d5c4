#pragma once

#include "support/desktop.h"

#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/regions/region_preset.h"
#include "platform/platform.h"

namespace vantile {

// What `vantile presets` prints: the screens numbered from 1 in the screen list's order (primary
// first), each as "N<TAB>NAME<TAB>WxH+X+Y<TAB>PRESET", then the presets as "NAME<TAB>ID" in the
// menu's order. X and Y are measured from the primary screen's top-left corner with y down, in
// whole pixels, and carry a minus sign when negative; PRESET is "-" for a screen with no chosen
// preset. A name's control characters are printed as spaces so that each entry stays one line.
std::string presetListing(const std::vector<Screen>& screens,
                          const std::vector<RegionPreset>& presets,
                          const std::map<std::string, Uuid>& activePresetIDs);

// "WxH+X+Y" of a screen's frame as above.
std::string screenGeometry(const Rect& frame, const Rect& primaryFrame);

// The text with each control character replaced by a space.
std::string printableName(std::string_view text);

} // namespace vantile

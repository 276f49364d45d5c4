#pragma once

#include <functional>
#include <string>

#include "core/regions/region_preset.h"

namespace vantile {

// What the editor's floating toolbar reports.
struct EditorToolbarCallbacks {
    std::function<void()> onDone;
    std::function<void()> onCancel;
    std::function<void(const RegionPreset&)> onPresetSelected;
    // True when the preset was saved.
    std::function<bool(const std::string&)> onSave;
};

// The editor's floating toolbar as its owner sees it.
class EditorToolbar {
  public:
    virtual ~EditorToolbar() = default;
    virtual void orderFront() = 0;
    virtual void orderOut() = 0;
    // Whether the user is typing a preset name in it or has its preset list open: keys then
    // belong to the toolbar.
    virtual bool holdsKeys() const = 0;
};

} // namespace vantile

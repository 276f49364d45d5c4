#pragma once

namespace vantile {

// Whoever runs the editor: told by the editor windows' keys to apply or to cancel the edit.
class RegionEditorDelegate {
  public:
    virtual ~RegionEditorDelegate() = default;
    // Applies the working trees of all editor windows and closes the editor.
    virtual void finishRegionEditing() = 0;
    // Closes the editor without applying anything.
    virtual void closeRegionEditor() = 0;
};

} // namespace vantile

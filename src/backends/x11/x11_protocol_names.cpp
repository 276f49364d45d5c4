#include "backends/x11/x11_protocol_names.h"

#include <array>

namespace vantile {
namespace {

// Indexed by major opcode; 120..126 are unused by the core protocol.
constexpr std::array<std::string_view, 128> kCoreRequests = {
    "",
    "CreateWindow",
    "ChangeWindowAttributes",
    "GetWindowAttributes",
    "DestroyWindow",
    "DestroySubwindows",
    "ChangeSaveSet",
    "ReparentWindow",
    "MapWindow",
    "MapSubwindows",
    "UnmapWindow",
    "UnmapSubwindows",
    "ConfigureWindow",
    "CirculateWindow",
    "GetGeometry",
    "QueryTree",
    "InternAtom",
    "GetAtomName",
    "ChangeProperty",
    "DeleteProperty",
    "GetProperty",
    "ListProperties",
    "SetSelectionOwner",
    "GetSelectionOwner",
    "ConvertSelection",
    "SendEvent",
    "GrabPointer",
    "UngrabPointer",
    "GrabButton",
    "UngrabButton",
    "ChangeActivePointerGrab",
    "GrabKeyboard",
    "UngrabKeyboard",
    "GrabKey",
    "UngrabKey",
    "AllowEvents",
    "GrabServer",
    "UngrabServer",
    "QueryPointer",
    "GetMotionEvents",
    "TranslateCoordinates",
    "WarpPointer",
    "SetInputFocus",
    "GetInputFocus",
    "QueryKeymap",
    "OpenFont",
    "CloseFont",
    "QueryFont",
    "QueryTextExtents",
    "ListFonts",
    "ListFontsWithInfo",
    "SetFontPath",
    "GetFontPath",
    "CreatePixmap",
    "FreePixmap",
    "CreateGC",
    "ChangeGC",
    "CopyGC",
    "SetDashes",
    "SetClipRectangles",
    "FreeGC",
    "ClearArea",
    "CopyArea",
    "CopyPlane",
    "PolyPoint",
    "PolyLine",
    "PolySegment",
    "PolyRectangle",
    "PolyArc",
    "FillPoly",
    "PolyFillRectangle",
    "PolyFillArc",
    "PutImage",
    "GetImage",
    "PolyText8",
    "PolyText16",
    "ImageText8",
    "ImageText16",
    "CreateColormap",
    "FreeColormap",
    "CopyColormapAndFree",
    "InstallColormap",
    "UninstallColormap",
    "ListInstalledColormaps",
    "AllocColor",
    "AllocNamedColor",
    "AllocColorCells",
    "AllocColorPlanes",
    "FreeColors",
    "StoreColors",
    "StoreNamedColor",
    "QueryColors",
    "LookupColor",
    "CreateCursor",
    "CreateGlyphCursor",
    "FreeCursor",
    "RecolorCursor",
    "QueryBestSize",
    "QueryExtension",
    "ListExtensions",
    "ChangeKeyboardMapping",
    "GetKeyboardMapping",
    "ChangeKeyboardControl",
    "GetKeyboardControl",
    "Bell",
    "ChangePointerControl",
    "GetPointerControl",
    "SetScreenSaver",
    "GetScreenSaver",
    "ChangeHosts",
    "ListHosts",
    "SetAccessControl",
    "SetCloseDownMode",
    "KillClient",
    "RotateProperties",
    "ForceScreenSaver",
    "SetPointerMapping",
    "GetPointerMapping",
    "SetModifierMapping",
    "GetModifierMapping",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "NoOperation",
};

// Indexed by error code; 0 is not an error.
constexpr std::array<std::string_view, 18> kCoreErrors = {
    "",          "BadRequest", "BadValue",    "BadWindow",   "BadPixmap", "BadAtom",
    "BadCursor", "BadFont",    "BadMatch",    "BadDrawable", "BadAccess", "BadAlloc",
    "BadColor",  "BadGC",      "BadIDChoice", "BadName",     "BadLength", "BadImplementation",
};

// Indexed by minor opcode; gaps are opcodes RandR never assigned or has retired.
constexpr std::array<std::string_view, 47> kRandrRequests = {
    "QueryVersion",
    "",
    "SetScreenConfig",
    "",
    "SelectInput",
    "GetScreenInfo",
    "GetScreenSizeRange",
    "SetScreenSize",
    "GetScreenResources",
    "GetOutputInfo",
    "ListOutputProperties",
    "QueryOutputProperty",
    "ConfigureOutputProperty",
    "ChangeOutputProperty",
    "DeleteOutputProperty",
    "GetOutputProperty",
    "CreateMode",
    "DestroyMode",
    "AddOutputMode",
    "DeleteOutputMode",
    "GetCrtcInfo",
    "SetCrtcConfig",
    "GetCrtcGammaSize",
    "GetCrtcGamma",
    "SetCrtcGamma",
    "GetScreenResourcesCurrent",
    "SetCrtcTransform",
    "GetCrtcTransform",
    "GetPanning",
    "SetPanning",
    "SetOutputPrimary",
    "GetOutputPrimary",
    "GetProviders",
    "GetProviderInfo",
    "SetProviderOffloadSink",
    "SetProviderOutputSource",
    "ListProviderProperties",
    "QueryProviderProperty",
    "ConfigureProviderProperty",
    "ChangeProviderProperty",
    "DeleteProviderProperty",
    "GetProviderProperty",
    "GetMonitors",
    "SetMonitor",
    "DeleteMonitor",
    "CreateLease",
    "FreeLease",
};

constexpr std::array<std::string_view, 4> kRandrErrors = {"BadOutput", "BadCrtc", "BadMode",
                                                          "BadProvider"};

template <std::size_t N>
std::string_view lookup(const std::array<std::string_view, N>& table, std::size_t index) {
    return index < table.size() ? table[index] : std::string_view{};
}

} // namespace

std::string_view coreRequestName(std::uint8_t majorOpcode) {
    return lookup(kCoreRequests, majorOpcode);
}

std::string_view coreErrorName(std::uint8_t errorCode) {
    return lookup(kCoreErrors, errorCode);
}

std::string_view randrRequestName(std::uint16_t minorOpcode) {
    return lookup(kRandrRequests, minorOpcode);
}

std::string_view randrErrorName(std::uint8_t offset) {
    return lookup(kRandrErrors, offset);
}

} // namespace vantile

#include "support/program_home.h"

namespace vantile::test {

ProgramHome::ProgramHome()
    : dir_("vantile-home"), home_(dir_.makeSubdir("home")),
      configHome_(dir_.makeSubdir("home/.config")), cacheHome_(dir_.makeSubdir("home/.cache")),
      dataHome_(dir_.makeSubdir("home/.local/share")), runtimeDir_(dir_.makeSubdir("runtime")) {}

void ProgramHome::applyTo(ProcessOptions& options, const std::string& display) const {
    options.environment.insert_or_assign("DISPLAY", display);
    options.environment.insert_or_assign("HOME", home_.string());
    options.environment.insert_or_assign("XDG_CONFIG_HOME", configHome_.string());
    options.environment.insert_or_assign("XDG_CACHE_HOME", cacheHome_.string());
    options.environment.insert_or_assign("XDG_DATA_HOME", dataHome_.string());
    options.environment.insert_or_assign("XDG_RUNTIME_DIR", runtimeDir_.string());
    options.environment.insert_or_assign("QT_QPA_PLATFORM", "xcb");
    for (const char* name :
         {"WAYLAND_DISPLAY", "WAYLAND_SOCKET", "DBUS_SESSION_BUS_ADDRESS", "SESSION_MANAGER",
          "XAUTHORITY", "XDG_CURRENT_DESKTOP", "XDG_SESSION_TYPE", "XDG_SESSION_DESKTOP",
          "DESKTOP_SESSION", "QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE"}) {
        options.removedEnvironment.emplace_back(name);
    }
}

} // namespace vantile::test

#include "ipc/runtime_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vantile {

std::optional<std::string> displayKey(const std::string& display) {
    const auto colon = display.rfind(':');
    if (colon == std::string::npos || colon + 1 >= display.size()) {
        return std::nullopt;
    }
    std::string host = display.substr(0, colon);
    std::string number = display.substr(colon + 1);
    number = number.substr(0, number.find('.'));
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    std::string key = host.empty() ? number : host + "_" + number;
    for (char& c : key) {
        const bool safe = std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
        if (!safe) {
            c = '_';
        }
    }
    return key;
}

RuntimePaths runtimePaths(const std::string& runtimeDir, const std::string& key) {
    const std::string dir = runtimeDir + "/vantile";
    return RuntimePaths{dir, dir + "/" + key + ".sock", dir + "/" + key + ".lock"};
}

std::optional<std::string> waylandDisplayKey(const std::string& display) {
    if (display.empty()) {
        return std::nullopt;
    }
    std::string key = "wayland_" + display;
    for (char& c : key) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') {
            c = '_';
        }
    }
    return key;
}

// A Wayland session names its display in WAYLAND_DISPLAY (its X display, if any, only serves
// older programs); an X session in DISPLAY.
std::optional<RuntimePaths> runtimePathsFromEnvironment(std::string* error) {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* display = std::getenv("DISPLAY");
    const auto key =
        wayland && *wayland ? waylandDisplayKey(wayland) : displayKey(display ? display : "");
    if (!key) {
        if (error) {
            *error = display && *display
                         ? "cannot use the display name \"" + std::string(display) + "\""
                         : "no display: neither WAYLAND_DISPLAY nor DISPLAY is set";
        }
        return std::nullopt;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/') {
        return runtimePaths(runtime, *key);
    }
    return runtimePaths("/tmp/vantile-" + std::to_string(::getuid()), *key);
}

namespace {
std::optional<std::string> checkPrivate(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return "cannot inspect " + path + ": " + std::strerror(errno);
    }
    if (!S_ISDIR(st.st_mode)) {
        return path + " is not a folder";
    }
    if (st.st_uid != ::getuid()) {
        return path + " belongs to another user";
    }
    if ((st.st_mode & 077) != 0) {
        return path + " is open to other users (it must have mode 0700)";
    }
    return std::nullopt;
}
} // namespace

std::optional<std::string> foreignFileAtSocket(const std::string& path) {
    // A regular file is replaced like a stale socket, but a folder cannot be, and binding or
    // connecting there only reports an address in use or a refused connection.
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        return path + " is a directory, not vantile's socket; remove it";
    }
    return std::nullopt;
}

std::optional<std::string> ensurePrivateDirectory(const std::string& path) {
    // The parent of the fallback folder under /tmp does not exist in every session.
    const auto slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        const std::string parent = path.substr(0, slash);
        if (parent.rfind("/tmp/vantile-", 0) == 0 && ::mkdir(parent.c_str(), 0700) != 0 &&
            errno != EEXIST) {
            return "cannot create " + parent + ": " + std::strerror(errno);
        }
        if (parent.rfind("/tmp/vantile-", 0) == 0) {
            if (auto problem = checkPrivate(parent)) {
                return problem;
            }
        }
    }
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        return "cannot create " + path + ": " + std::strerror(errno);
    }
    return checkPrivate(path);
}

} // namespace vantile

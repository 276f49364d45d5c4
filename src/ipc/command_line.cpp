#include "ipc/command_line.h"

#include "core/windows/window_action.h"
#include "ipc/instance_command.h"

namespace vantile {

namespace {

std::string actionList() {
    std::string names;
    for (auto action : allWindowActions) {
        names += names.empty() ? "" : ", ";
        names += rawValue(action);
    }
    return names;
}

CommandLine invalid(std::string error) {
    CommandLine result;
    result.kind = CommandLine::Kind::invalid;
    result.error = std::move(error);
    return result;
}

bool looksLikeUrl(const std::string& arg) {
    const auto colon = arg.find(':');
    return colon != std::string::npos && colon > 0;
}

// The rest of the line belongs to the command, options included.
CommandLine instanceCommand(const std::vector<std::string>& args, std::size_t first) {
    CommandLine result;
    result.commandWords.assign(args.begin() + static_cast<std::ptrdiff_t>(first), args.end());
    std::string error;
    if (!parseInstanceCommand(result.commandWords, &error)) {
        return invalid(error);
    }
    result.kind = CommandLine::Kind::command;
    return result;
}

} // namespace

std::string usageText() {
    return "Usage: vantile [--strict-x-errors] [--desktop x11|kwin] [URL | snap ACTION | show]\n"
           "       vantile presets | use PRESET [--screen N] | clear [--screen N] | edit | quit\n"
           "       vantile shortcuts [--edit] | reload\n"
           "\n"
           "Snaps the focused window to halves, quarters, thirds and more.\n"
           "\n"
           "  (no argument)      start vantile for this X display (or bring it to the front)\n"
           "  URL                hand a vantile:// URL to the running instance, starting it\n"
           "                     if none runs: vantile://snap?action=ACTION, vantile://show\n"
           "  snap ACTION        move the focused window; ACTION is one of:\n"
           "                     " +
           actionList() +
           "\n"
           "  show               bring vantile to the front\n"
           "These exit 0 once the instance has received the request (not whether a window\n"
           "moved), 1 when it did not take it, 2 for a wrong request or a URL too long.\n"
           "\n"
           "These act on the running instance like its tray menu, and never start one:\n"
           "  presets            list the screens (number, name, WxH+X+Y, chosen preset or -)\n"
           "                     and the presets (name, id), one per line, tab-separated\n"
           "  use PRESET [--screen N]\n"
           "                     choose a preset, by name or id, for screen N (numbered as\n"
           "                     'presets' lists them) or else for the screen under the pointer\n"
           "  clear [--screen N] clear the layout of screen N or of the one under the pointer\n"
           "  edit               open the region editor\n"
           "  shortcuts          list the shortcuts, one per line, tab-separated: the chord,\n"
           "                     the command, and active, taken (another program holds the\n"
           "                     chord), invalid (with the reason) or unbound\n"
           "  shortcuts --edit   open the Shortcuts window\n"
           "  reload             read shortcuts.json again (it is also read when it changes)\n"
           "  quit               end the running instance\n"
           "They exit 0 when done, 1 when vantile cannot do it now (no instance, or the\n"
           "desktop cannot be controlled yet), 2 for a wrong request.\n"
           "\n"
           "  --ping             wait until the running instance has handled everything\n"
           "                     sent to it before; exit 1 when none is running\n"
           "  --strict-x-errors  abort on any unexpected X error (for testing)\n"
           "  --desktop x11|kwin control the X display, or KDE Plasma's KWin on Wayland,\n"
           "                     instead of the one this session runs\n"
           "  --help             show this text\n"
           "  --version          show the version\n";
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine result;
    std::vector<std::string> words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            result.kind = CommandLine::Kind::help;
            return result;
        }
        if (words.empty() && result.kind == CommandLine::Kind::run && isInstanceCommand(arg)) {
            return instanceCommand(args, i);
        }
        if (arg == "--version") {
            result.kind = CommandLine::Kind::version;
            return result;
        }
        if (arg == "--strict-x-errors") {
            result.strictXErrors = true;
        } else if (arg == "--desktop") {
            if (i + 1 == args.size() || (args[i + 1] != "x11" && args[i + 1] != "kwin")) {
                return invalid("--desktop takes x11 or kwin");
            }
            result.desktop = args[++i];
        } else if (arg == "--ping") {
            result.kind = CommandLine::Kind::ping;
        } else if (arg.rfind("-", 0) == 0) {
            return invalid("unknown option '" + arg + "'");
        } else {
            words.push_back(arg);
        }
    }
    if (result.kind == CommandLine::Kind::ping && !words.empty()) {
        return invalid("--ping takes no other arguments");
    }
    if (words.empty()) {
        return result;
    }
    if (words[0] == "snap") {
        if (words.size() != 2) {
            return invalid("snap needs exactly one action, one of: " + actionList());
        }
        if (!windowActionFromRawValue(words[1])) {
            return invalid("unknown action '" + words[1] + "'; use one of: " + actionList());
        }
        result.url = "vantile://snap?action=" + words[1];
        return result;
    }
    if (words.size() != 1) {
        return invalid("too many arguments");
    }
    if (words[0] == "show") {
        result.url = "vantile://show";
    } else if (looksLikeUrl(words[0])) {
        result.url = words[0];
    } else {
        return invalid("unknown command '" + words[0] + "'");
    }
    return result;
}

} // namespace vantile

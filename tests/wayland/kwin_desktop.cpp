#include "wayland/kwin_desktop.h"

#include <fstream>

#include "support/harness_error.h"
#include "support/wait.h"

namespace vantile::test {

namespace {

// The installed kwin_wayland carries a file capability that a container may refuse to grant; a
// copy has none. It must keep its name, or KWin's Qt platform plug-in does not load.
std::filesystem::path kwinCopy(const TempDir& dir) {
    const auto bin = dir.makeSubdir("bin");
    std::filesystem::copy_file("/usr/bin/kwin_wayland", bin / "kwin_wayland");
    return bin / "kwin_wayland";
}

} // namespace

SessionBus::SessionBus(const std::filesystem::path& folder) {
    const auto file = folder / "bus.address";
    daemon_ = std::make_unique<Process>(ProcessOptions{
        .argv = {"dbus-daemon", "--session", "--nofork", "--print-address=1"}, .outputFile = file});
    if (!waitUntil([&] { return readTextFile(file).find('\n') != std::string::npos; }, 5000ms)) {
        throw HarnessError("the session bus did not start: " + daemon_->report());
    }
    address_ = readTextFile(file);
    address_.erase(address_.find('\n'));
}

KWinDesktop::KWinDesktop(KWinOptions options) {
    const auto runtime = dir_.makeSubdir("runtime");
    const auto config = dir_.makeSubdir("home/.config");
    // An idle screen locks itself after a while, and nothing is drawn behind the lock.
    std::ofstream(config / "kscreenlockerrc") << "[Daemon]\nAutolock=false\nLockOnResume=false\n";
    if (!options.edgeTiling) {
        std::ofstream(config / "kwinrc")
            << "[Windows]\nElectricBorderTiling=false\nElectricBorderMaximize=false\n";
    }
    ProcessOptions kwin{.argv = {kwinCopy(dir_), "--virtual", "--socket", "kwin-test", "--width",
                                 std::to_string(options.width), "--height",
                                 std::to_string(options.height), "--output-count",
                                 std::to_string(options.outputs)},
                        .environment = environment(),
                        .outputFile = dir_.path() / "kwin.log"};
    kwin.environment.insert({{"KWIN_WAYLAND_NO_PERMISSION_CHECKS", "1"}, {"KWIN_COMPOSE", "Q"}});
    kwin.environment.erase("WAYLAND_DISPLAY");
    kwin_ = std::make_unique<Process>(kwin);
    // The bus answers a ping for any path once KWin holds its name; a method of the scripting
    // object itself answers only once KWin can take scripts.
    const auto ready = [&] {
        return std::filesystem::exists(runtime / "kwin-test") &&
               dbusCall({"--dest=org.kde.KWin", "/Scripting",
                         "org.kde.kwin.Scripting.isScriptLoaded", "string:none"});
    };
    if (!waitUntil([&] { return !kwin_->running() || ready(); }, 20000ms, 50ms) ||
        !kwin_->running()) {
        throw HarnessError("KWin did not start: " + kwin_->report());
    }
}

std::map<std::string, std::string> KWinDesktop::environment() const {
    const auto home = dir_.path() / "home";
    return {{"DBUS_SESSION_BUS_ADDRESS", bus_.address()},
            {"XDG_RUNTIME_DIR", dir_.path() / "runtime"},
            {"WAYLAND_DISPLAY", dir_.path() / "runtime/kwin-test"},
            {"HOME", home},
            {"XDG_CONFIG_HOME", home / ".config"},
            {"QT_QPA_PLATFORM", "wayland"}};
}

std::optional<std::string> KWinDesktop::dbusCall(const std::vector<std::string>& args) const {
    const auto output = dir_.path() / "dbus-send.out";
    ProcessOptions call{.argv = {"dbus-send", "--session", "--print-reply", "--type=method_call"},
                        .environment = environment(),
                        .outputFile = output};
    call.argv.insert(call.argv.end(), args.begin(), args.end());
    Process process(call);
    if (process.waitExit(5000ms) != 0) {
        lastFailure_ = process.describe() + ": " + readTextFile(output);
        return std::nullopt;
    }
    return readTextFile(output);
}

std::vector<std::string> KWinDesktop::evaluate(const std::string& script) {
    const std::string name = "probe-" + std::to_string(++scripts_);
    const auto file = dir_.path() / (name + ".js");
    std::ofstream(file) << "function out(text) { print('" << name << " ' + text); }\n"
                        << "try {\n"
                        << script << "\n} catch (e) { out('error ' + e); }\n"
                        << "out('end');\n";
    const auto scripting = [&](const std::vector<std::string>& args) {
        std::vector<std::string> call = {"--dest=org.kde.KWin", "/Scripting"};
        call.insert(call.end(), args.begin(), args.end());
        return dbusCall(call);
    };
    if (!scripting(
            {"org.kde.kwin.Scripting.loadScript", "string:" + file.string(), "string:" + name}) ||
        !scripting({"org.kde.kwin.Scripting.start"})) {
        throw HarnessError("KWin did not take the script " + name + ": " + lastFailure_ +
                           kwin_->report());
    }
    const std::string prefix = "js: " + name + " ";
    std::vector<std::string> lines;
    const bool ended = waitUntil(
        [&] {
            lines.clear();
            std::istringstream log(this->log());
            for (std::string line; std::getline(log, line);) {
                if (line.starts_with(prefix)) {
                    lines.push_back(line.substr(prefix.size()));
                }
            }
            return !lines.empty() && lines.back() == "end";
        },
        5000ms, 10ms);
    scripting({"org.kde.kwin.Scripting.unloadScript", "string:" + name});
    if (!ended || (lines.size() > 1 && lines[lines.size() - 2].starts_with("error "))) {
        throw HarnessError("the script " + name +
                           " failed: " + (lines.empty() ? "" : lines.front()));
    }
    lines.pop_back();
    return lines;
}

std::optional<Rect> KWinDesktop::frameOf(const std::string& title) {
    const auto lines = evaluate("workspace.clientList().forEach(function (c) {\n"
                                "  if (c.caption === '" +
                                title +
                                "') {\n"
                                "    var g = c.frameGeometry;\n"
                                "    out(g.x + ' ' + g.y + ' ' + g.width + ' ' + g.height);\n"
                                "  }\n"
                                "});");
    if (lines.empty()) {
        return std::nullopt;
    }
    Rect frame;
    std::istringstream(lines.front()) >> frame.x >> frame.y >> frame.width >> frame.height;
    return frame;
}

void KWinDesktop::place(const std::string& title, const Rect& f) {
    std::ostringstream script;
    script << "workspace.clientList().forEach(function (c) {\n"
           << "  if (c.caption === '" << title << "') {\n"
           << "    c.frameGeometry = {x: " << f.x << ", y: " << f.y << ", width: " << f.width
           << ", height: " << f.height << "};\n  }\n});";
    evaluate(script.str());
}

void KWinDesktop::pressShortcut(const std::string& name) const {
    if (!dbusCall({"--dest=org.kde.kglobalaccel", "/component/kwin",
                   "org.kde.kglobalaccel.Component.invokeShortcut", "string:" + name})) {
        throw HarnessError("KGlobalAccel did not fire " + name);
    }
}

std::unique_ptr<Process> KWinDesktop::startClient(const std::string& title, int width, int height,
                                                  int output) {
    ProcessOptions options{
        .argv = {std::string(VANTILE_BINARY_DIR) + "/tests/vantile_wayland_client", title,
                 std::to_string(width), std::to_string(height)},
        .environment = environment(),
        .outputFile = dir_.path() / (title + ".log")};
    if (output >= 0) {
        options.passedDescriptors = {{output, 1}};
    }
    auto client = std::make_unique<Process>(options);
    if (!waitUntil([&] { return frameOf(title).has_value(); }, 10000ms, 20ms)) {
        throw HarnessError("the client window " + title + " did not appear: " + client->report());
    }
    return client;
}

} // namespace vantile::test

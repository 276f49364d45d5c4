#include "backends/x11/x11_strut_scan.h"

#include <algorithm>
#include <set>

namespace vantile {
namespace {

// Frames nest clients a few levels deep at most (IceWM: frame, container, client).
constexpr int kDeepestLevel = 3;
constexpr int kLongestAncestry = 8;

using Probed = std::map<xcb_window_t, ProbedWindow>;

// The root children that hold a client, found by walking up from every known client.
std::set<xcb_window_t> framesOfClients(const Probed& probed, const std::set<xcb_window_t>& clients,
                                       xcb_window_t root) {
    std::map<xcb_window_t, xcb_window_t> parentOf;
    for (const auto& [window, info] : probed) {
        for (xcb_window_t child : info.children) {
            parentOf[child] = window;
        }
        if (info.parent != XCB_WINDOW_NONE) {
            parentOf[window] = info.parent;
        }
    }
    std::set<xcb_window_t> frames;
    for (xcb_window_t window : clients) {
        for (int step = 0; step < kLongestAncestry; ++step) {
            auto parent = parentOf.find(window);
            if (parent == parentOf.end()) {
                break;
            }
            if (parent->second == root) {
                frames.insert(window);
                break;
            }
            window = parent->second;
        }
    }
    return frames;
}

bool worthSearching(const ProbedWindow& info, const std::set<xcb_window_t>& clients) {
    return info.viewable && !info.isClient && info.struts.empty() && !clients.contains(info.window);
}

} // namespace

StrutScan::StrutScan(X11Connection& connection)
    : connection_(connection),
      tree_(connection, xcb_query_tree(connection.raw(), connection.root())),
      clientList_(requestProperty(connection, connection.root(),
                                  connection.atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW)),
      workArea_(requestProperty(connection, connection.root(), connection.atom("_NET_WORKAREA"),
                                XCB_ATOM_CARDINAL)),
      currentDesktop_(requestProperty(connection, connection.root(),
                                      connection.atom("_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL,
                                      1)) {}

std::vector<xcb_window_t> StrutScan::probeAll(const std::vector<xcb_window_t>& windows,
                                              const Size& rootSize, Probed& probed) {
    std::vector<WindowProbe> probes;
    std::set<xcb_window_t> asked;
    for (xcb_window_t window : windows) {
        if (!probed.contains(window) && asked.insert(window).second) {
            probes.emplace_back(connection_, window);
        }
    }
    std::vector<xcb_window_t> found;
    for (WindowProbe& probe : probes) {
        ProbedWindow info = probe.get(rootSize);
        found.push_back(info.window);
        probed[info.window] = std::move(info);
    }
    return found;
}

std::vector<Strut> StrutScan::get(const Size& rootSize) {
    std::vector<xcb_window_t> rootChildren;
    if (auto tree = tree_.get()) {
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        rootChildren.assign(children, children + xcb_query_tree_children_length(tree.get()));
    }
    const auto listed = takeValues(clientList_, XCB_ATOM_WINDOW);
    std::set<xcb_window_t> clients;
    if (listed) {
        clients.insert(listed->begin(), listed->end());
    }
    Probed probed;
    std::vector<xcb_window_t> level = rootChildren;
    level.insert(level.end(), clients.begin(), clients.end());
    probeAll(level, rootSize, probed);
    for (const auto& [window, info] : probed) {
        if (info.isClient) {
            clients.insert(window);
        }
    }
    const std::set<xcb_window_t> frames = framesOfClients(probed, clients, connection_.root());
    level.clear();
    for (xcb_window_t window : rootChildren) {
        if (!frames.contains(window) && worthSearching(probed[window], clients)) {
            level.push_back(window);
        }
    }
    for (int depth = 2; depth <= kDeepestLevel && !level.empty(); ++depth) {
        std::vector<xcb_window_t> children;
        for (xcb_window_t window : level) {
            const auto& inside = probed[window].children;
            children.insert(children.end(), inside.begin(), inside.end());
        }
        level.clear();
        for (xcb_window_t window : probeAll(children, rootSize, probed)) {
            if (worthSearching(probed[window], clients)) {
                level.push_back(window);
            }
        }
    }
    std::vector<Strut> struts;
    for (const auto& [window, info] : probed) {
        struts.insert(struts.end(), info.struts.begin(), info.struts.end());
    }
    // The work area of the desktop in view: four values per desktop.
    const auto area = takeValues(workArea_, XCB_ATOM_CARDINAL);
    const std::size_t desktop =
        firstValue(takeValues(currentDesktop_, XCB_ATOM_CARDINAL)).value_or(0);
    if (area && area->size() >= 4 * (desktop + 1)) {
        const std::uint32_t* v = area->data() + 4 * desktop;
        const std::vector<Strut> extra = workAreaStruts(
            {double(v[0]), double(v[1]), double(v[2]), double(v[3])}, rootSize, struts);
        struts.insert(struts.end(), extra.begin(), extra.end());
    }
    return struts;
}

} // namespace vantile

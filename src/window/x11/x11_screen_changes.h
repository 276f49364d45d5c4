#pragma once

// Tells when the monitors or the space that panels reserve change on an X display.
//
// Monitors: RandR screen, CRTC and output notifications, and ConfigureNotify of the root window,
// the only sign Xvfb gives when a monitor is set or deleted. Panels: _NET_WORKAREA on the root,
// and the strut properties of the windows that may carry them: the window manager's clients
// (_NET_CLIENT_LIST) and the mapped children of the root (panels that no window manager lists).
// Such a window counts only while it carries a strut (when it arrives, maps, unmaps or changes
// the strut), so that ordinary windows coming, going and moving, and their other properties,
// report nothing.

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "window/platform.h"
#include "window/x11/x11_connection.h"

namespace vantile {

class X11ScreenChanges : public ScreenChanges {
  public:
    // Starts listening at once; the connection must outlive this object. Events reach it when
    // the connection is drained, and one report follows each drained batch that held a change.
    explicit X11ScreenChanges(X11Connection& connection);
    X11ScreenChanges(const X11ScreenChanges&) = delete;
    X11ScreenChanges& operator=(const X11ScreenChanges&) = delete;

    void setHandler(std::function<void()> handler) override;

  private:
    // Which of the two strut properties a window carries.
    static constexpr std::uint8_t kNoStrut = 0;
    static constexpr std::uint8_t kPartialStrut = 1;
    static constexpr std::uint8_t kLegacyStrut = 2;

    void selectRootEvents();
    void readMappedRootChildren();
    void onEvent(const xcb_generic_event_t& event);
    bool isRandrChange(const xcb_generic_event_t& event) const;
    void onMapping(std::uint8_t type, const xcb_generic_event_t& event);
    void onReparent(const xcb_reparent_notify_event_t& event);
    bool carriesStrut(xcb_window_t window) const;
    void onPropertyChange(const xcb_property_notify_event_t& event);
    void onDrained();
    bool updateWatchedWindows();
    std::vector<xcb_window_t> readClientList();
    std::map<xcb_window_t, std::uint8_t> watch(const std::vector<xcb_window_t>& windows);
    void report();

    X11Connection& connection_;
    std::uint8_t randrFirstEvent_ = 0;
    bool hasRandr_ = false;
    xcb_atom_t workArea_;
    xcb_atom_t clientList_;
    xcb_atom_t strutPartial_;
    xcb_atom_t strut_;

    std::set<xcb_window_t> listedClients_;
    std::set<xcb_window_t> mappedRootChildren_;
    // The windows whose strut properties are heard, with the ones each carries.
    std::map<xcb_window_t, std::uint8_t> watched_;
    bool clientListChanged_ = false;
    bool membershipChanged_ = false;
    bool changed_ = false;

    std::function<void()> handler_;
    bool reporting_ = false;
    bool reportAgain_ = false;
    // Last, so that no event reaches a half-destroyed object.
    X11Connection::Subscription subscription_;
};

} // namespace vantile

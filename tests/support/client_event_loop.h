#pragma once

// The event loop of a test client's connection, on a thread of its own, as another program would
// run it: the window manager's pings are answered and close requests remembered; every other
// event is read and dropped, so nothing piles up and the window manager never waits on the test.

#include <xcb/xcb.h>

#include <atomic>
#include <thread>

#include "base/unique_fd.h"

namespace vantile::test {

struct ClientProtocolAtoms {
    xcb_atom_t wmProtocols = XCB_ATOM_NONE;
    xcb_atom_t wmDeleteWindow = XCB_ATOM_NONE;
    xcb_atom_t netWmPing = XCB_ATOM_NONE;
};

class ClientEventLoop {
  public:
    ClientEventLoop(xcb_connection_t* connection, xcb_window_t root, ClientProtocolAtoms atoms);
    // Stops the thread; the connection must outlive the loop.
    ~ClientEventLoop();
    ClientEventLoop(const ClientEventLoop&) = delete;
    ClientEventLoop& operator=(const ClientEventLoop&) = delete;

    bool closeRequested() const { return closeRequested_; }
    int pingsAnswered() const { return pingsAnswered_; }

  private:
    void run();
    void drain();
    void handleClientMessage(const xcb_client_message_event_t& message);

    xcb_connection_t* connection_;
    xcb_window_t root_;
    ClientProtocolAtoms atoms_;
    std::atomic<bool> closeRequested_ = false;
    std::atomic<int> pingsAnswered_ = 0;
    UniqueFd stop_;
    std::thread thread_;
};

} // namespace vantile::test

#pragma once

// Screens of an X display: the RandR monitors, with the space panels reserve taken off.

#include <memory>
#include <optional>
#include <vector>

#include "backends/x11/x11_connection.h"
#include "platform/platform.h"

namespace vantile {

class X11Screens : public Screens {
  public:
    explicit X11Screens(X11Connection& connection);

    std::vector<Screen> screens() const override;
    std::optional<Screen> mainScreen() const override;
    Point mouseLocation() const override;
    std::optional<std::uint32_t> currentDesktop() const override;

    // Asks now for what screens() reads first; the next call takes the answers, and they are
    // dropped unless it comes at once.
    void askAhead();
    void dropAhead() { ahead_.reset(); }

  private:
    struct Ahead;
    X11Connection& connection_;
    mutable std::shared_ptr<Ahead> ahead_;
};

} // namespace vantile

#pragma once

// The program's own X connection to a test's server, with unexpected X errors fatal, as the
// program runs under test.

#include <memory>

#include "backends/x11/x11_connection.h"
#include "support/x_server.h"

namespace vantile::test {

inline std::unique_ptr<X11Connection> connectTo(const XServer& server) {
    auto connection = X11Connection::open(server.display().c_str());
    if (connection) {
        connection->setStrictErrors(true);
    }
    return connection;
}

} // namespace vantile::test

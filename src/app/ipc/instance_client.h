#pragma once

#include <chrono>
#include <string>

#include "app/ipc/message.h"

namespace vantile {

enum class SendResult { delivered, noInstance, failed };

// Sends one message to the instance listening at the socket. For a ping, waits up to the timeout
// for the answer. `error` explains a failure.
SendResult sendToInstance(const std::string& socketPath, const InstanceMessage& message,
                          std::chrono::milliseconds replyTimeout, std::string* error);

// Sends one message and reads the whole answer, which ends when the instance closes the
// connection; fails when it takes longer than the timeout or grows beyond maxMessageSize.
SendResult askInstance(const std::string& socketPath, const InstanceMessage& message,
                       std::chrono::milliseconds replyTimeout, std::string* reply,
                       std::string* error);

} // namespace vantile

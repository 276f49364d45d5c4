#pragma once

#include <chrono>
#include <string>

#include "ipc/message.h"

namespace vantile {

// tooLong: not sent, since the instance would not take a message that long.
enum class SendResult { delivered, noInstance, tooLong, failed };

// Sends one message to the instance listening at the socket and waits up to the timeout for the
// answer: for a URL the acknowledgement that the instance has read it whole, for a ping the pong.
// Only then is it delivered. `error` explains anything else.
SendResult sendToInstance(const std::string& socketPath, const InstanceMessage& message,
                          std::chrono::milliseconds replyTimeout, std::string* error);

// Sends one message and reads the whole answer, which ends when the instance closes the
// connection; fails when it takes longer than the timeout or grows beyond maxMessageSize.
SendResult askInstance(const std::string& socketPath, const InstanceMessage& message,
                       std::chrono::milliseconds replyTimeout, std::string* reply,
                       std::string* error);

} // namespace vantile

// The one exception type of the host library: every failure a host can meet
// (missing module, refused instance, misuse of a closed plug-in) carries a
// message meant for the person running the host.
#pragma once

#include <stdexcept>
#include <string>

namespace sorrel::host {

class HostError : public std::runtime_error {
public:
    explicit HostError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace sorrel::host

// Failures of sorrel-render, each with a message for the person running it.
// UsageError marks a wrong command line, which earns a pointer to --help.
#pragma once

#include <stdexcept>
#include <string>

namespace sorrel::render {

class RenderError : public std::runtime_error {
public:
    explicit RenderError(const std::string& message) : std::runtime_error(message) {}
};

class UsageError : public RenderError {
public:
    explicit UsageError(const std::string& message) : RenderError(message) {}
};

} // namespace sorrel::render

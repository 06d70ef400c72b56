// Runs a command-line tool of the build and collects its exit code and output.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace sorrel::test {

struct RunResult {
    int exitCode;
    std::string output; // stdout and stderr together
};

inline RunResult runCommand(const std::string& program, const std::vector<std::string>& arguments)
{
    std::string command = "'" + program + "'";
    for (const std::string& argument : arguments)
        command += " '" + argument + "'";
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    RunResult result{-1, ""};
    if (pipe == nullptr)
        return result;
    std::array<char, 4096> chunk{};
    while (std::fgets(chunk.data(), chunk.size(), pipe) != nullptr)
        result.output += chunk.data();
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace sorrel::test

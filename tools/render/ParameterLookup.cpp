#include "ParameterLookup.h"

#include "RenderError.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace sorrel::render {

namespace {

std::string normalised(const std::string& text)
{
    const auto isSpace = [](unsigned char c) { return std::isspace(c) != 0; };
    const auto first = std::find_if_not(text.begin(), text.end(), isSpace);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), isSpace).base();
    std::string result;
    for (auto it = first; it < last; ++it) {
        result += static_cast<char>(std::tolower(static_cast<unsigned char>(*it)));
    }
    return result;
}

} // namespace

VstInt32 findParameter(host::VstPlugin& plugin, const std::string& key)
{
    const VstInt32 count = plugin.effect().numParams;
    if (std::all_of(key.begin(), key.end(), [](unsigned char c) { return std::isdigit(c) != 0; })) {
        if (key.size() > 9 || std::stoi(key) >= count) {
            throw RenderError("parameter index " + key + " is outside 0 to " + std::to_string(count - 1));
        }
        return std::stoi(key);
    }
    const std::string wanted = normalised(key);
    std::vector<VstInt32> matches;
    for (VstInt32 index = 0; index < count; ++index) {
        if (normalised(plugin.parameterName(index)) == wanted) {
            matches.push_back(index);
        }
    }
    if (matches.empty()) {
        throw RenderError("the plug-in has no parameter named '" + key + "' (--list-params shows them)");
    }
    if (matches.size() > 1) {
        throw RenderError("several parameters are named '" + key + "' (indices " + std::to_string(matches[0]) + " and " +
                          std::to_string(matches[1]) + "); give an index");
    }
    return matches.front();
}

} // namespace sorrel::render

// What sorrel-inspect prints about an opened plug-in: the effect record, the
// strings and numbers the plug-in reports, its parameters and programs, and
// the peak levels of one rendered block.
#pragma once

#include "VstPlugin.h"

#include <ostream>

namespace sorrel::host {

class PluginReport {
public:
    explicit PluginReport(VstPlugin& plugin) : plugin_(plugin) {}

    void print(std::ostream& out);

private:
    void printSummary(std::ostream& out);
    void printParameters(std::ostream& out);
    void printPrograms(std::ostream& out);
    void printRender(std::ostream& out);

    VstPlugin& plugin_;
};

} // namespace sorrel::host

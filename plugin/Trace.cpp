#include "Trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void trace(const char* format, ...)
{
    static const bool enabled = std::getenv("SORREL_TRACE") != nullptr;
    if (!enabled)
        return;
    std::va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

// Diagnostics: printf-style messages starting with "Class::operation() - ".
// They go to stderr only when SORREL_TRACE is set in the environment.
#pragma once

void trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

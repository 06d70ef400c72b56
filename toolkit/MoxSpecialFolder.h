// The folders where an application keeps its data, after the XDG base-directory
// rules: per user $XDG_DATA_HOME (else ~/.local/share), for all users the entries
// of $XDG_DATA_DIRS (else /usr/local/share:/usr/share).
#pragma once

#include <cstddef>

// Writes base + "/" + subFolder and, when fileName is given, "/" + fileName. For all
// users the base is the first entry that holds that file, or the first entry when
// none does. Relative entries do not count, as the XDG rules say. Nothing is
// created. False when no base is known or the result does not fit size bytes with
// its terminating zero.
bool GetSpecialFolderPath(char* buffer, std::size_t size, const char* subFolder, const char* fileName, bool perUser);

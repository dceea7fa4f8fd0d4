#pragma once
// The physical floor every benchmark measures against: one read() of the whole file into one
// buffer and the start of every line found with memchr. Nothing the engine does can cost less.

#include <cstddef>

// The number of line starts; 0 when the file cannot be read.
size_t ReadAndFindLineStarts(const char *path);

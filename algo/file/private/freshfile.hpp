#pragma once
// The logger's files, emptied at each start without waiting for the disk.
#include <cstdio>

namespace algo::freshfile {

// freopen(path, "w", stream), except that a regular file of ours that holds data is unlinked
// and made anew (with its mode) instead of truncated in place. On a file system that discards
// freed blocks at once, truncating makes the caller wait for the disk; here the old file stays
// open, so its blocks go only when release() closes it.
std::FILE* reopen(const char* path, std::FILE* stream);

// Lets go of the old files kept by reopen.
void release();

}  // namespace algo::freshfile

#include "algo/file/private/freshfile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace algo::freshfile {
namespace {
std::vector<int> kept;
}  // namespace

std::FILE* reopen(const char* path, std::FILE* stream) {
    // Only where the outcome is the same as truncating: no symlink followed, no other name
    // for the same file, a file we may make anew.
    int old = ::open(path, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (old >= 0 && (::fstat(old, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 ||
                     st.st_blocks == 0 || st.st_uid != ::geteuid() || ::unlink(path) != 0)) {
        ::close(old);
        old = -1;
    }
    std::FILE* f = std::freopen(path, "w", stream);
    if (old >= 0) {
        if (f) ::fchmod(::fileno(f), st.st_mode & 07777);
        kept.push_back(old);
    }
    return f;
}

void release() {
    for (int fd : kept) ::close(fd);
    kept.clear();
}

}  // namespace algo::freshfile

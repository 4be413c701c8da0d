#include "basic/assert.hpp"

#include <stdexcept>

namespace basic {

std::string sourcePath(const char* file) {
    std::string path(file);
    // Cut everything before the top-level source directory so messages read "basic/pool.hpp".
    for (const char* root : {"/basic/", "/algo/", "/util/", "/game/", "/tools/", "/tests/"}) {
        auto pos = path.rfind(root);
        if (pos != std::string::npos) return path.substr(pos + 1);
    }
    return path;
}

static std::string compose(const std::string& file, int line, const std::string& message) {
    return file + "(" + std::to_string(line) + "): " + message;
}

AssertError::AssertError(std::string file, int line, const std::string& message)
    : Error(compose(file, line, message)), file_(std::move(file)), line_(line), message_(message) {}

void assertFailed(const char* file, int line, const std::string& message) {
    throw AssertError(sourcePath(file), line, message);
}

void indexError(const char* file, int line, const std::string& what) {
    throw std::out_of_range(compose(sourcePath(file), line, what));
}

}  // namespace basic

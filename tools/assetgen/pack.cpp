#include "tools/assetgen/pack.hpp"

#include <zip.h>

#include <cstdio>
#include <stdexcept>

#include "tools/assetgen/source.hpp"

namespace assetgen {

void packZip(const std::string& zipPath, const std::string& dir,
             const std::vector<std::string>& names) {
    std::remove(zipPath.c_str());
    int err = 0;
    zip_t* z = zip_open(zipPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z)
        throw std::runtime_error(zipPath + ": cannot create the archive (libzip error " +
                                 std::to_string(err) + ")");
    // libzip reads the sources at zip_close; keep the bytes alive until then.
    std::vector<std::string> keep;
    keep.reserve(names.size());
    for (const auto& name : names) {
        if (name.empty() || name.find('/') != std::string::npos) {
            zip_discard(z);
            throw std::runtime_error(zipPath + ": member name '" + name +
                                     "' must be a plain file name");
        }
        keep.push_back(readFile(dir + "/" + name));
        zip_source_t* s = zip_source_buffer(z, keep.back().data(), keep.back().size(), 0);
        zip_int64_t index = s ? zip_file_add(z, name.c_str(), s, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (s) zip_source_free(s);
            std::string why = zip_strerror(z);
            zip_discard(z);
            throw std::runtime_error(zipPath + ": cannot add " + name + ": " + why);
        }
        // A fixed time stamp keeps the archive identical from build to build.
        zip_file_set_mtime(z, static_cast<zip_uint64_t>(index), 1262304000, 0);
        zip_set_file_compression(z, static_cast<zip_uint64_t>(index),
                                 name.size() > 4 && name.substr(name.size() - 4) == ".ogg"
                                     ? ZIP_CM_STORE
                                     : ZIP_CM_DEFLATE,
                                 9);
    }
    if (zip_close(z) != 0) {
        std::string why = zip_strerror(z);
        zip_discard(z);
        throw std::runtime_error(zipPath + ": cannot write the archive: " + why);
    }
}

}  // namespace assetgen

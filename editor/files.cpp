#include "editor/files.hpp"

#include <filesystem>

#include "game/levelfile.hpp"

namespace editor {

namespace {

bool endsWith(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

bool isLevelPath(const std::string& path) {
    return endsWith(path, ".bmp") || endsWith(path, ".txt");
}

std::string sibling(const std::string& path, const std::string& extension) {
    return (isLevelPath(path) ? path.substr(0, path.size() - 4) : path) + extension;
}

std::string resolvePath(const std::string& path, const std::string& base) {
    std::filesystem::path p(path);
    if (p.is_relative() && !base.empty()) p = std::filesystem::path(base) / p;
    return std::filesystem::absolute(p).lexically_normal().string();
}

std::vector<std::string> saveLevel(const std::string& path, const game::Grid& grid,
                                   const std::string& proof) {
    std::vector<std::string> written;
    const std::string bmp = sibling(path, ".bmp");
    game::writeFileAtomically(bmp, game::levelBitmap(grid));
    written.push_back(bmp);
    const std::string txt = sibling(path, ".txt");
    game::writeFileAtomically(txt, game::levelText(grid));
    written.push_back(txt);
    if (!proof.empty()) {
        const std::string file = sibling(path, ".proof");
        game::writeFileAtomically(file, proof);
        written.push_back(file);
    }
    return written;
}

}  // namespace editor

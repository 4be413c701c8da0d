#include "editor/prefs.hpp"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "algo/file/initfile.hpp"
#include "algo/file/userdir.hpp"

namespace editor {

namespace {

// Well-formed UTF-8 without control characters other than line ends and tabs.
bool plainText(const std::string& bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            if (c < 0x20 && c != '\n' && c != '\r' && c != '\t') return false;
            ++i;
            continue;
        }
        const int more = c >= 0xF0 && c < 0xF5 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : -1;
        if (more < 0 || i + static_cast<std::size_t>(more) >= bytes.size()) return false;
        for (int k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        i += static_cast<std::size_t>(more) + 1;
    }
    return true;
}

// The first line that is neither blank, a comment, nor "key = value", or empty.
std::string strayLine(const std::string& bytes) {
    std::istringstream in(bytes);
    std::string line;
    while (std::getline(in, line)) {
        const auto first = line.find_first_not_of(" \t\r\xEF\xBB\xBF");
        if (first == std::string::npos || line[first] == '#' || line[first] == ';') continue;
        if (line.find('=') == std::string::npos) return line;
    }
    return {};
}

}  // namespace

std::string Preferences::defaultPath() {
    return (algo::userConfigDir("starhop") / "editor.ini").string();
}

Preferences::Preferences(std::string path) : path_(std::move(path)) {
    if (path_.empty()) return;
    std::string damage;
    std::error_code ec;
    bool loaded = false;
    if (std::filesystem::is_directory(path_, ec)) {
        damage = "is a directory";
    } else if (std::filesystem::exists(path_, ec)) {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        if (!in)
            damage = "cannot be read";
        else if (!plainText(bytes.str()))
            damage = "is not a text of settings";
        else if (std::string line = strayLine(bytes.str()); !line.empty())
            damage = "has a line that is no setting: " + line.substr(0, 40);
        else
            loaded = true;
    }
    if (loaded) {
        // Read by the engine's settings file, which writes the same map back when it goes.
        algo::InitFile file;
        try {
            file.load(path_);
            damage = take(file);
        } catch (const std::exception& e) {
            damage = std::string("cannot be read (") + e.what() + ")";
        }
        if (!damage.empty()) damage = moveAside(damage);
    } else if (!damage.empty()) {
        damage = moveAside(damage);
    }
    if (damage.empty()) return;
    values = PrefValues{};
    problem_ = damage;
    if (path_.empty()) return;
    try {
        save();
    } catch (const std::exception& e) {
        problem_ += std::string("; ") + e.what();
    }
}

std::string Preferences::take(const algo::InitFile& file) {
    const std::string zoom = file.get("zoom"), language = file.get("language"),
                      grid = file.get("grid");
    values.file = file.get("file");
    if (!zoom.empty()) {
        if (zoom.size() != 1 || zoom[0] < '1' || zoom[0] > '0' + kMaxZoom)
            return "zoom '" + zoom + "' is not 1 to " + std::to_string(kMaxZoom);
        values.zoom = zoom[0] - '0';
    }
    if (!language.empty()) {
        if (language != "en" && language != "ja")
            return "language '" + language + "' is neither en nor ja";
        values.language = language;
    }
    if (!grid.empty()) {
        if (grid != "on" && grid != "off") return "grid '" + grid + "' is neither on nor off";
        values.grid = grid == "on";
    }
    if (!values.file.empty() && std::filesystem::path(values.file).is_relative())
        return "file '" + values.file + "' is not an absolute path";
    return {};
}

std::string Preferences::moveAside(const std::string& damage) {
    std::string text = path_ + " " + damage + ": the defaults are used";
    const std::string aside = path_ + ".damaged";
    std::error_code ec;
    if (!std::filesystem::is_directory(path_, ec) && std::rename(path_.c_str(), aside.c_str()) == 0)
        return text + ", the old file kept as " + aside;
    // What cannot be moved aside is not written over either.
    path_.clear();
    return text + " and nothing is saved";
}

Preferences::~Preferences() = default;

void Preferences::save() {
    if (path_.empty()) return;
    // Keys of a later version are kept.
    algo::InitFile file;
    file.load(path_);
    file.set(values.file, "file");
    file.set(std::to_string(values.zoom), "zoom");
    file.set(values.language, "language");
    file.set(values.grid ? "on" : "off", "grid");
    file.save();
}

}  // namespace editor

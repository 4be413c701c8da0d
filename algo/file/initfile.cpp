#include "algo/file/initfile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "algo/file/logger.hpp"

namespace algo {

std::string_view trimBlank(std::string_view text) {
    constexpr std::string_view kBlank = " \t\r\n";
    std::size_t first = text.find_first_not_of(kBlank);
    if (first == std::string_view::npos) return {};
    std::size_t last = text.find_last_not_of(kBlank);
    return text.substr(first, last - first + 1);
}

bool readLine(std::istream& in, std::string& line) {
    line.clear();
    std::streambuf* buf = in.rdbuf();
    if (!buf) {
        in.setstate(std::ios::badbit);
        return false;
    }
    bool any = false;
    for (;;) {
        int c = buf->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            if (!any) in.setstate(std::ios::eofbit);
            return any;
        }
        any = true;
        if (c == '\n') return true;
        if (c == '\r') {
            if (buf->sgetc() == '\n') buf->sbumpc();
            return true;
        }
        line.push_back(static_cast<char>(c));
    }
}

void skipByteOrderMark(std::istream& in) {
    std::streambuf* buf = in.rdbuf();
    if (!buf || buf->sgetc() != 0xEF) return;
    const auto start = buf->pubseekoff(0, std::ios::cur, std::ios::in);
    char mark[3] = {};
    if (buf->sgetn(mark, 3) == 3 && mark[1] == '\xBB' && mark[2] == '\xBF') return;
    buf->pubseekpos(start, std::ios::in);  // not a mark: read it as text
}

namespace {

std::string systemError(const std::string& file, const char* what) {
    return file + ": " + what + " (" + std::strerror(errno) + ")";
}

// Writes `text` to `path` so that the old file stays whole until the new one is complete.
void replaceFile(const std::string& path, const std::string& text) {
    const std::string temp = path + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) throw std::runtime_error(systemError(temp, "cannot create"));
    auto fail = [&](const char* what) {
        std::string message = systemError(temp, what);
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        throw std::runtime_error(message);
    };
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("cannot write");
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) fail("cannot write");
    int closed = ::close(fd);
    fd = -1;
    if (closed != 0) fail("cannot write");
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        std::string message = systemError(path, "cannot replace");
        ::unlink(temp.c_str());
        throw std::runtime_error(message);
    }
}

}  // namespace

InitFile::~InitFile() {
    try {
        save();
    } catch (const std::exception& e) {
        log(std::string("InitFile: settings not saved: ") + e.what());
    }
}

void InitFile::print() const {
    for (const auto& [key, value] : lines_) {
        std::string line = "lines_[\"" + key + "\"] = " + value + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
}

void InitFile::load(const std::string& filename) {
    filename_ = filename;
    std::error_code ec;
    if (filename.empty() || !std::filesystem::exists(filename, ec)) return;
    if (std::filesystem::is_directory(filename, ec))
        throw std::runtime_error(filename + ": is a directory, not a settings file");
    std::ifstream file(filename, std::ios::binary);
    if (!file) throw std::runtime_error(systemError(filename, "cannot open"));
    // Read whole first, so that a read error leaves the map as it was.
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) throw std::runtime_error(systemError(filename, "cannot read"));
    std::istringstream in(text.str());
    parse(in);
}

void InitFile::parse(std::istream& in) {
    skipByteOrderMark(in);
    std::string line;
    while (readLine(in, line)) {
        std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string_view view(line);
        lines_[std::string(trimBlank(view.substr(0, eq)))] = trimBlank(view.substr(eq + 1));
    }
}

std::string InitFile::format() const {
    std::string text;
    for (const auto& [key, value] : lines_) {
        text += key;
        text += "\t= ";
        text += value;
        text += "\r\n";
    }
    return text;
}

void InitFile::save() {
    if (filename_.empty())
        throw std::runtime_error("InitFile.save: no file name (load was never called)");
    replaceFile(filename_, format());
}

namespace {

// The key as a C string literal would show it: a line break or a NUL in it must not cut the
// message short.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(c));
            out += hex;
        } else
            out += c;
    }
    return out + "\"";
}

bool blankAtAnEnd(const std::string& text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return !text.empty() && (blank(text.front()) || blank(text.back()));
}

}  // namespace

void InitFile::checkStorable(const std::string& key, const std::string& value) const {
    // A line ends at CR or LF, the key at the first "=", and loading trims blanks and tabs off
    // both: anything else would come back different from the file.
    const char* problem = nullptr;
    if (key.find('=') != std::string::npos)
        problem = "the key contains \"=\"";
    else if (key.find_first_of("\r\n") != std::string::npos)
        problem = "the key contains a line break";
    else if (blankAtAnEnd(key))
        problem = "the key begins or ends with a blank or tab";
    else if (value.find_first_of("\r\n") != std::string::npos)
        problem = "the value contains a line break";
    else if (blankAtAnEnd(value))
        problem = "the value begins or ends with a blank or tab";
    if (!problem) return;
    throw std::invalid_argument((filename_.empty() ? std::string("InitFile") : filename_) +
                                ": cannot store key " + quoted(key) + ": " + problem +
                                ", which the settings file cannot hold");
}

std::string InitFile::get(const std::string& key) const {
    auto it = lines_.find(key);
    return it == lines_.end() ? std::string() : it->second;
}

void InitFile::setDefault(const std::string& key, const std::string& value) {
    checkStorable(key, value);
    if (get(key).empty()) set(value, key);
}

void InitFile::remove(const std::string& key) {
    lines_.erase(key);
}

void InitFile::set(const std::string& value, const std::string& key) {
    checkStorable(key, value);
    lines_[key] = value;
}

}  // namespace algo

#include "tools/assetgen/picture.hpp"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>

#include "tools/assetgen/source.hpp"

namespace assetgen {

namespace {

const char* const kFontDir = "/usr/share/fonts/truetype/dejavu/";

struct Sprite {
    std::vector<std::string> rows;
    std::vector<int> lineNumbers;
    std::string file;
};

// Coverage of a pixel by a shape, from a 4 x 4 grid of samples.
double coverage(int px, int py, const std::function<bool(double, double)>& inside) {
    int hits = 0;
    for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx)
            if (inside(px + (sx + 0.5) / 4.0, py + (sy + 0.5) / 4.0)) ++hits;
    return hits / 16.0;
}

bool insidePolygon(const std::vector<std::pair<double, double>>& poly, double x, double y) {
    bool in = false;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        auto [xi, yi] = poly[i];
        auto [xj, yj] = poly[j];
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
    }
    return in;
}

class TtfSession {
  public:
    TtfSession() {
        if (!TTF_WasInit() && TTF_Init() != 0)
            throw std::runtime_error(std::string("font engine: ") + TTF_GetError());
    }
};

class Painter {
  public:
    Painter(const std::string& argument) : argument_(argument) {}

    void run(const std::string& path) {
        if (++depth_ > 8) throw std::runtime_error(path + ": imports nest too deep");
        Source src(path);
        const auto& lines = src.lines();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            Line line = lines[i];
            for (auto& w : line.words) {
                auto at = w.find("$1");
                if (at != std::string::npos) w.replace(at, 2, argument_);
            }
            if (line.words.empty()) continue;
            // "when VALUE command..." runs the command only for that argument, "unless VALUE"
            // for every other.
            if (line.words[0] == "when" || line.words[0] == "unless") {
                if (line.words.size() < 3)
                    src.fail(line, line.words[0] + " takes a value and a command");
                if ((line.words[1] == argument_) != (line.words[0] == "when")) continue;
                line.words.erase(line.words.begin(), line.words.begin() + 2);
            }
            const std::string& cmd = line.words[0];
            if (cmd == "sprite" || cmd == "grid") {
                Sprite sprite;
                sprite.file = path;
                std::size_t j = i + 1;
                for (; j < lines.size(); ++j) {
                    std::string row = trim(lines[j].raw);
                    if (row == "end") break;
                    if (row.empty())
                        src.fail(lines[j], "blank line inside a grid (close it with 'end')");
                    if (!sprite.rows.empty() && row.size() != sprite.rows[0].size())
                        src.fail(lines[j], "grid row is " + std::to_string(row.size()) +
                                               " characters wide, the first row " +
                                               std::to_string(sprite.rows[0].size()));
                    sprite.rows.push_back(row);
                    sprite.lineNumbers.push_back(lines[j].number);
                }
                if (j == lines.size()) src.fail(line, "grid without 'end'");
                if (sprite.rows.empty()) src.fail(line, "empty grid");
                i = j;
                if (cmd == "sprite") {
                    want(src, line, 2, 2);
                    sprites_[line.words[1]] = std::move(sprite);
                } else {
                    want(src, line, 3, 3);
                    Options none(src, line, line.words.size());
                    place(src, line, sprite, src.integer(line, line.words[1]),
                          src.integer(line, line.words[2]), none);
                }
                continue;
            }
            command(src, line, path);
        }
        --depth_;
    }

    Image take(const std::string& path) {
        if (image_.width == 0) throw SourceError(path, 0, "no 'size' line");
        return std::move(image_);
    }

  private:
    static std::string trim(const std::string& s) {
        auto b = s.find_first_not_of(" \t");
        if (b == std::string::npos) return "";
        auto e = s.find_last_not_of(" \t");
        return s.substr(b, e - b + 1);
    }

    static void want(const Source& src, const Line& line, std::size_t min, std::size_t max) {
        if (line.words.size() < min || line.words.size() > max)
            src.fail(line, "'" + line.words[0] + "' takes " + std::to_string(min - 1) +
                               (min == max ? "" : " to " + std::to_string(max - 1)) + " arguments");
    }

    std::uint32_t colour(const Source& src, const Line& line, const std::string& word) {
        if (word.size() != 1) src.fail(line, "colour names are one character, not '" + word + "'");
        auto it = palette_.find(word[0]);
        if (it == palette_.end()) src.fail(line, "colour '" + word + "' is not defined");
        return it->second;
    }

    void needCanvas(const Source& src, const Line& line) {
        if (image_.width == 0) src.fail(line, "'" + line.words[0] + "' before 'size'");
    }

    void blend(int x, int y, std::uint32_t c, double a) {
        if (x < 0 || y < 0 || x >= image_.width || y >= image_.height || a <= 0) return;
        std::uint32_t& d = image_.rgb[static_cast<std::size_t>(y) * image_.width + x];
        if (image_.keyed) {
            if (a >= 0.5) d = c;
            return;
        }
        if (a >= 1) {
            d = c;
            return;
        }
        auto mix = [&](int shift) {
            double s = (c >> shift) & 0xff, t = (d >> shift) & 0xff;
            return static_cast<std::uint32_t>(std::lround(s * a + t * (1 - a))) << shift;
        };
        d = mix(16) | mix(8) | mix(0);
    }

    void shape(std::uint32_t c, double x0, double y0, double x1, double y1,
               const std::function<bool(double, double)>& inside) {
        int ix0 = static_cast<int>(std::floor(x0)), iy0 = static_cast<int>(std::floor(y0));
        int ix1 = static_cast<int>(std::ceil(x1)), iy1 = static_cast<int>(std::ceil(y1));
        for (int y = iy0; y <= iy1; ++y)
            for (int x = ix0; x <= ix1; ++x) blend(x, y, c, coverage(x, y, inside));
    }

    void place(const Source& src, const Line& line, const Sprite& s, int x, int y,
               const Options& opt) {
        needCanvas(src, line);
        int scale = static_cast<int>(opt.real("scale", 1));
        bool flip = opt.real("flip", 0) != 0;
        std::string swaps = opt.text("swap", "");
        opt.finish();
        if (scale < 1 || scale > 16) src.fail(line, "scale must be 1 to 16");
        std::map<char, char> swap;
        for (std::size_t k = 0; k < swaps.size(); k += 3) {
            if (k + 1 >= swaps.size() || (k + 2 < swaps.size() && swaps[k + 2] != ','))
                src.fail(line, "swap is a comma list of character pairs, like bB,lL");
            swap[swaps[k]] = swaps[k + 1];
        }
        int w = static_cast<int>(s.rows[0].size());
        for (std::size_t r = 0; r < s.rows.size(); ++r) {
            for (int col = 0; col < w; ++col) {
                char ch = s.rows[r][static_cast<std::size_t>(col)];
                if (ch == '.') continue;
                if (swap.count(ch)) ch = swap[ch];
                auto it = palette_.find(ch);
                if (it == palette_.end())
                    throw SourceError(s.file, s.lineNumbers[r],
                                      std::string("colour '") + ch + "' is not defined");
                int dx = flip ? w - 1 - col : col;
                for (int sy = 0; sy < scale; ++sy)
                    for (int sx = 0; sx < scale; ++sx)
                        blend(x + dx * scale + sx, y + static_cast<int>(r) * scale + sy, it->second,
                              1.0);
            }
        }
    }

    void text(const Source& src, const Line& line) {
        needCanvas(src, line);
        std::uint32_t ink = colour(src, line, line.words[1]);
        double cx = src.real(line, line.words[2]), cy = src.real(line, line.words[3]);
        int size = src.integer(line, line.words[4]);
        const std::string& quoted = line.words[5];
        if (quoted.size() < 3 || quoted.front() != '"')
            src.fail(line, "the text must be a non-empty quoted string");
        std::string str = quoted.substr(1, quoted.size() - 2);
        Options opt(src, line, 6);
        std::string font = opt.text("font", "DejaVuSans-Bold");
        std::string align = opt.text("align", "centre");
        std::string outlineName = opt.text("outline", "");
        int width = static_cast<int>(opt.real("width", 1));
        std::string shadowName = opt.text("shadow", "");
        int dx = static_cast<int>(opt.real("dx", 1)), dy = static_cast<int>(opt.real("dy", 1));
        opt.finish();
        if (size < 4 || size > 200) src.fail(line, "text size must be 4 to 200");
        if (align != "centre" && align != "left" && align != "right")
            src.fail(line, "align is centre, left or right");
        if (font.find('/') != std::string::npos) src.fail(line, "font is a name, not a path");

        static TtfSession session;
        std::string file = std::string(kFontDir) + font + ".ttf";
        std::unique_ptr<TTF_Font, void (*)(TTF_Font*)> f(TTF_OpenFont(file.c_str(), size),
                                                         TTF_CloseFont);
        if (!f) src.fail(line, "cannot open font " + file + " (fonts-dejavu-core installed?)");
        SDL_Color white{255, 255, 255, 0};
        std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> surf(
            TTF_RenderUTF8_Blended(f.get(), str.c_str(), white), SDL_FreeSurface);
        if (!surf || surf->format->BytesPerPixel != 4)
            src.fail(line, std::string("cannot render the text: ") + TTF_GetError());

        int w = surf->w, h = surf->h;
        std::vector<double> alpha(static_cast<std::size_t>(w) * h);
        int bx0 = w, by0 = h, bx1 = -1, by1 = -1;
        SDL_LockSurface(surf.get());
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<const std::uint32_t*>(
                static_cast<const std::uint8_t*>(surf->pixels) + y * surf->pitch);
            for (int x = 0; x < w; ++x) {
                std::uint32_t a = (row[x] & surf->format->Amask) >> surf->format->Ashift;
                alpha[static_cast<std::size_t>(y) * w + x] = a / 255.0;
                if (a) {
                    bx0 = std::min(bx0, x), by0 = std::min(by0, y);
                    bx1 = std::max(bx1, x), by1 = std::max(by1, y);
                }
            }
        }
        SDL_UnlockSurface(surf.get());
        if (bx1 < 0) src.fail(line, "the text draws nothing");
        double inkW = bx1 - bx0 + 1, inkH = by1 - by0 + 1;
        double left = align == "left" ? cx : align == "right" ? cx - inkW : cx - inkW / 2;
        int ox = static_cast<int>(std::lround(left)) - bx0;
        int oy = static_cast<int>(std::lround(cy - inkH / 2)) - by0;

        auto at = [&](const std::vector<double>& m, int x, int y) {
            if (x < 0 || y < 0 || x >= w || y >= h) return 0.0;
            return m[static_cast<std::size_t>(y) * w + x];
        };
        // Threshold first in crisp pictures so the outline hugs the pixels actually drawn.
        if (image_.keyed)
            for (auto& a : alpha) a = a >= 0.5 ? 1.0 : 0.0;
        std::vector<double> grown = alpha;
        if (!outlineName.empty() && width > 0) {
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    double best = 0;
                    for (int ky = -width; ky <= width; ++ky)
                        for (int kx = -width; kx <= width; ++kx)
                            if (kx * kx + ky * ky <= width * width + width)
                                best = std::max(best, at(alpha, x + kx, y + ky));
                    grown[static_cast<std::size_t>(y) * w + x] = best;
                }
        }
        auto paint = [&](const std::vector<double>& m, std::uint32_t c, int sx, int sy,
                         int margin) {
            for (int y = -margin; y < h + margin; ++y)
                for (int x = -margin; x < w + margin; ++x)
                    blend(ox + x + sx, oy + y + sy, c, at(m, x, y));
        };
        if (!shadowName.empty()) paint(grown, colour(src, line, shadowName), dx, dy, 0);
        if (!outlineName.empty()) paint(grown, colour(src, line, outlineName), 0, 0, 0);
        paint(alpha, ink, 0, 0, 0);
    }

    void command(const Source& src, const Line& line, const std::string& path) {
        const auto& w = line.words;
        const std::string& cmd = w[0];
        auto num = [&](std::size_t i) { return src.real(line, w[i]); };
        if (cmd == "size") {
            want(src, line, 3, 3);
            if (image_.width) src.fail(line, "'size' given twice");
            int width = src.integer(line, w[1]), height = src.integer(line, w[2]);
            if (width < 1 || height < 1 || width > 1024 || height > 1024)
                src.fail(line, "size must be 1 to 1024 on each side");
            image_.width = width;
            image_.height = height;
            image_.rgb.assign(static_cast<std::size_t>(width) * height, 0);
        } else if (cmd == "keyed") {
            want(src, line, 1, 1);
            image_.keyed = true;
        } else if (cmd == "colour") {
            want(src, line, 3, 3);
            if (w[1].size() != 1 || w[1] == "." || w[1] == "\"")
                src.fail(line, "a colour name is one character other than '.'");
            if (w[2].size() != 6 ||
                w[2].find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                src.fail(line, "colour value must be six hex digits RRGGBB");
            palette_[w[1][0]] = static_cast<std::uint32_t>(std::stoul(w[2], nullptr, 16));
        } else if (cmd == "import") {
            want(src, line, 2, 2);
            std::string name = w[1];
            if (name.front() == '"') name = name.substr(1, name.size() - 2);
            try {
                run(directoryOf(path) + "/" + name);
            } catch (const SourceError& e) {
                throw std::runtime_error(std::string(e.what()) + "\n  imported from " + path + ":" +
                                         std::to_string(line.number));
            }
        } else if (cmd == "fill") {
            want(src, line, 2, 2);
            needCanvas(src, line);
            std::fill(image_.rgb.begin(), image_.rgb.end(), colour(src, line, w[1]));
        } else if (cmd == "rect") {
            want(src, line, 6, 6);
            needCanvas(src, line);
            auto c = colour(src, line, w[1]);
            double x = num(2), y = num(3), rw = num(4), rh = num(5);
            shape(c, x, y, x + rw, y + rh, [=](double px, double py) {
                return px >= x && px < x + rw && py >= y && py < y + rh;
            });
        } else if (cmd == "round") {
            want(src, line, 7, 7);
            needCanvas(src, line);
            auto c = colour(src, line, w[1]);
            double x = num(2), y = num(3), rw = num(4), rh = num(5), r = num(6);
            shape(c, x, y, x + rw, y + rh, [=](double px, double py) {
                double qx = std::clamp(px, x + r, x + rw - r),
                       qy = std::clamp(py, y + r, y + rh - r);
                return px >= x && px < x + rw && py >= y && py < y + rh &&
                       (px - qx) * (px - qx) + (py - qy) * (py - qy) <= r * r;
            });
        } else if (cmd == "disc" || cmd == "ellipse") {
            bool disc = cmd == "disc";
            want(src, line, disc ? 5 : 6, disc ? 5 : 6);
            needCanvas(src, line);
            auto c = colour(src, line, w[1]);
            double cx = num(2), cy = num(3), rx = num(4), ry = disc ? rx : num(5);
            if (rx <= 0 || ry <= 0) src.fail(line, "radius must be positive");
            shape(c, cx - rx, cy - ry, cx + rx, cy + ry, [=](double px, double py) {
                double u = (px - cx) / rx, v = (py - cy) / ry;
                return u * u + v * v <= 1.0;
            });
        } else if (cmd == "star") {
            want(src, line, 5, 7);
            needCanvas(src, line);
            auto c = colour(src, line, w[1]);
            double cx = num(2), cy = num(3), r = num(4);
            double inner = w.size() > 5 ? num(5) : 0.45, turn = w.size() > 6 ? num(6) : 0;
            std::vector<std::pair<double, double>> poly;
            for (int k = 0; k < 10; ++k) {
                double a = (turn - 90 + 36.0 * k) * M_PI / 180, rr = k % 2 ? r * inner : r;
                poly.emplace_back(cx + rr * std::cos(a), cy + rr * std::sin(a));
            }
            shape(c, cx - r, cy - r, cx + r, cy + r,
                  [&poly](double px, double py) { return insidePolygon(poly, px, py); });
        } else if (cmd == "vgrad") {
            want(src, line, 7, 7);
            needCanvas(src, line);
            auto a = colour(src, line, w[1]), b = colour(src, line, w[2]);
            int x = static_cast<int>(num(3)), y = static_cast<int>(num(4));
            int rw = static_cast<int>(num(5)), rh = static_cast<int>(num(6));
            for (int j = 0; j < rh; ++j) {
                double t = rh > 1 ? static_cast<double>(j) / (rh - 1) : 0;
                for (int i = 0; i < rw; ++i) {
                    blend(x + i, y + j, a, 1.0);
                    blend(x + i, y + j, b, t);
                }
            }
        } else if (cmd == "text") {
            if (w.size() < 6) src.fail(line, "text takes colour, x, y, size, \"text\", options");
            text(src, line);
        } else if (cmd == "draw") {
            if (w.size() < 4) src.fail(line, "draw takes a sprite name, x, y, options");
            auto it = sprites_.find(w[1]);
            if (it == sprites_.end()) src.fail(line, "no sprite named '" + w[1] + "'");
            Options opt(src, line, 4);
            place(src, line, it->second, src.integer(line, w[2]), src.integer(line, w[3]), opt);
        } else {
            src.fail(line, "unknown command '" + cmd + "'");
        }
    }

    std::string argument_;
    int depth_ = 0;
    Image image_;
    std::map<char, std::uint32_t> palette_;
    std::map<std::string, Sprite> sprites_;
};

std::string bmpHeaders(int width, int height, int bits, unsigned paletteEntries,
                       unsigned rowBytes) {
    unsigned pixelOffset = 14 + 40 + paletteEntries * 4;
    unsigned imageBytes = rowBytes * static_cast<unsigned>(height);
    std::string s;
    s += "BM";
    put32(s, pixelOffset + imageBytes);
    put32(s, 0);
    put32(s, pixelOffset);
    put32(s, 40);
    put32(s, static_cast<unsigned>(width));
    put32(s, static_cast<unsigned>(height));  // positive: rows stored bottom-up
    put16(s, 1);
    put16(s, static_cast<unsigned>(bits));
    put32(s, 0);  // no compression
    put32(s, imageBytes);
    put32(s, 2835);  // 72 dpi
    put32(s, 2835);
    put32(s, paletteEntries);
    put32(s, 0);
    return s;
}

}  // namespace

Image renderPicture(const std::string& path, const std::string& argument) {
    Painter painter(argument);
    painter.run(path);
    return painter.take(path);
}

std::string encodeIndexedBmp(int width, int height, const std::vector<std::uint8_t>& indexes,
                             const std::vector<std::uint32_t>& palette) {
    if (palette.empty() || palette.size() > 256)
        throw std::runtime_error("palette must hold 1 to 256 colours");
    unsigned rowBytes = (static_cast<unsigned>(width) + 3) & ~3u;
    std::string s = bmpHeaders(width, height, 8, 256, rowBytes);
    for (std::size_t i = 0; i < 256; ++i) {
        std::uint32_t c = i < palette.size() ? palette[i] : 0;
        s.push_back(static_cast<char>(c & 0xff));
        s.push_back(static_cast<char>((c >> 8) & 0xff));
        s.push_back(static_cast<char>((c >> 16) & 0xff));
        s.push_back(0);
    }
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x)
            s.push_back(static_cast<char>(indexes[static_cast<std::size_t>(y) * width + x]));
        for (unsigned p = static_cast<unsigned>(width); p < rowBytes; ++p) s.push_back(0);
    }
    return s;
}

std::string encodeBmp(const Image& image) {
    if (image.keyed) {
        std::vector<std::uint32_t> palette{image.rgb.at(0)};
        std::map<std::uint32_t, std::uint8_t> index{{image.rgb[0], 0}};
        std::vector<std::uint8_t> pixels;
        pixels.reserve(image.rgb.size());
        for (std::uint32_t c : image.rgb) {
            auto it = index.find(c);
            if (it == index.end()) {
                if (palette.size() == 256)
                    throw std::runtime_error("a colour-keyed picture may use at most 256 colours");
                it = index.emplace(c, static_cast<std::uint8_t>(palette.size())).first;
                palette.push_back(c);
            }
            pixels.push_back(it->second);
        }
        return encodeIndexedBmp(image.width, image.height, pixels, palette);
    }
    unsigned rowBytes = (static_cast<unsigned>(image.width) * 3 + 3) & ~3u;
    std::string s = bmpHeaders(image.width, image.height, 24, 0, rowBytes);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            std::uint32_t c = image.rgb[static_cast<std::size_t>(y) * image.width + x];
            s.push_back(static_cast<char>(c & 0xff));
            s.push_back(static_cast<char>((c >> 8) & 0xff));
            s.push_back(static_cast<char>((c >> 16) & 0xff));
        }
        for (unsigned p = static_cast<unsigned>(image.width) * 3; p < rowBytes; ++p) s.push_back(0);
    }
    return s;
}

}  // namespace assetgen

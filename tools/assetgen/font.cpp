#include "tools/assetgen/font.hpp"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "tools/assetgen/source.hpp"

namespace assetgen {

namespace {

// Design pixels are squares of this many font units.
constexpr int kUnitsPerPixel = 64;

std::string hexCode(char32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
    return buf;
}

// A glyph name: one character, "space", or U+XXXX (for ';' and '"', which the line reader
// takes as a comment and a quote).
char32_t glyphCode(const Source& src, const Line& line, const std::string& word) {
    if (word == "space") return U' ';
    if (word.size() > 2 && word[0] == 'U' && word[1] == '+') {
        char* end = nullptr;
        unsigned long v = std::strtoul(word.c_str() + 2, &end, 16);
        if (*end != '\0' || v == 0 || v > 0xFFFF || (v >= 0xD800 && v <= 0xDFFF))
            src.fail(line, "'" + word + "' is not a character of the basic plane");
        return static_cast<char32_t>(v);
    }
    std::vector<char32_t> codes;
    if (!decodeUtf8(word, codes) || codes.size() != 1)
        src.fail(line, "a glyph is named by one character, 'space' or U+XXXX, not '" + word + "'");
    if (codes[0] > 0xFFFF) src.fail(line, "'" + word + "' lies outside the basic plane");
    return codes[0];
}

// ---- big-endian writing

void be16(std::string& s, unsigned v) {
    s.push_back(static_cast<char>((v >> 8) & 0xff));
    s.push_back(static_cast<char>(v & 0xff));
}
void be32(std::string& s, std::uint32_t v) {
    be16(s, v >> 16);
    be16(s, v & 0xffff);
}
void be64(std::string& s, std::uint64_t v) {
    be32(s, static_cast<std::uint32_t>(v >> 32));
    be32(s, static_cast<std::uint32_t>(v));
}
void set32(std::string& s, std::size_t at, std::uint32_t v) {
    std::string b;
    be32(b, v);
    s.replace(at, 4, b);
}

std::uint32_t checksum(const std::string& data) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < data.size(); i += 4) {
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < 4; ++k)
            word = (word << 8) | (i + k < data.size() ? static_cast<std::uint8_t>(data[i + k]) : 0);
        sum += word;
    }
    return sum;
}

struct Rect {
    int x0, y0, x1, y1;  // design pixels, x1 and y1 exclusive, y upward
};

// Ink pixels merged into rectangles: runs of a row, stacked with equal runs below them.
std::vector<Rect> rectangles(const Glyph& g) {
    std::vector<Rect> done, open;
    const int h = static_cast<int>(g.rows.size());
    for (int r = 0; r < h; ++r) {
        const std::string& row = g.rows[static_cast<std::size_t>(r)];
        const int y = g.y + (h - 1 - r);  // bottom of this pixel row
        std::vector<Rect> next;
        for (int c = 0; c < static_cast<int>(row.size());) {
            if (row[static_cast<std::size_t>(c)] != '#') {
                ++c;
                continue;
            }
            int e = c;
            while (e < static_cast<int>(row.size()) && row[static_cast<std::size_t>(e)] == '#') ++e;
            auto it = std::find_if(open.begin(), open.end(),
                                   [&](const Rect& o) { return o.x0 == c && o.x1 == e; });
            if (it != open.end()) {
                Rect grown = *it;
                grown.y0 = y;
                next.push_back(grown);
                open.erase(it);
            } else {
                next.push_back(Rect{c, y, e, y + 1});
            }
            c = e;
        }
        done.insert(done.end(), open.begin(), open.end());
        open = std::move(next);
    }
    done.insert(done.end(), open.begin(), open.end());
    return done;
}

struct Outline {
    std::vector<Rect> rects;
    int advance = 0;
    int xMin = 0, yMin = 0, xMax = 0, yMax = 0;  // font units; all 0 when empty
};

Outline outline(std::vector<Rect> rects, int advance) {
    Outline o;
    o.advance = advance * kUnitsPerPixel;
    if (rects.empty()) return o;
    o.xMin = o.yMin = 1 << 30;
    o.xMax = o.yMax = -(1 << 30);
    for (Rect& r : rects) {
        r = Rect{r.x0 * kUnitsPerPixel, r.y0 * kUnitsPerPixel, r.x1 * kUnitsPerPixel,
                 r.y1 * kUnitsPerPixel};
        o.xMin = std::min(o.xMin, r.x0);
        o.yMin = std::min(o.yMin, r.y0);
        o.xMax = std::max(o.xMax, r.x1);
        o.yMax = std::max(o.yMax, r.y1);
    }
    o.rects = std::move(rects);
    return o;
}

// A simple glyph: one clockwise contour of four on-curve points per rectangle.
std::string glyphData(const Outline& o) {
    std::string s;
    if (o.rects.empty()) return s;
    be16(s, static_cast<unsigned>(o.rects.size()));
    be16(s, static_cast<std::uint16_t>(o.xMin));
    be16(s, static_cast<std::uint16_t>(o.yMin));
    be16(s, static_cast<std::uint16_t>(o.xMax));
    be16(s, static_cast<std::uint16_t>(o.yMax));
    for (std::size_t i = 0; i < o.rects.size(); ++i) be16(s, static_cast<unsigned>(4 * i + 3));
    be16(s, 0);                                                           // no instructions
    for (std::size_t i = 0; i < 4 * o.rects.size(); ++i) s.push_back(1);  // on curve
    std::string xs, ys;
    int px = 0, py = 0;
    for (const Rect& r : o.rects) {
        const int pts[4][2] = {{r.x0, r.y0}, {r.x0, r.y1}, {r.x1, r.y1}, {r.x1, r.y0}};
        for (const auto& p : pts) {
            be16(xs, static_cast<std::uint16_t>(p[0] - px));
            be16(ys, static_cast<std::uint16_t>(p[1] - py));
            px = p[0];
            py = p[1];
        }
    }
    s += xs;
    s += ys;
    while (s.size() % 4) s.push_back(0);
    return s;
}

std::string nameTable(const std::string& family) {
    std::string postscript;
    for (char c : family)
        if (c != ' ') postscript.push_back(c);
    const std::vector<std::pair<int, std::string>> names = {
        {0, "Original pixel design, made in the Starhop repository"},
        {1, family},
        {2, "Regular"},
        {3, family + " Regular 1.000"},
        {4, family},
        {5, "Version 1.000"},
        {6, postscript + "-Regular"},
    };
    std::string records, strings;
    for (const auto& [id, text] : names) {
        std::string utf16;
        for (unsigned char c : text) be16(utf16, c);  // ASCII only
        be16(records, 3);                             // Windows
        be16(records, 1);                             // Unicode basic plane
        be16(records, 0x0409);                        // English
        be16(records, static_cast<unsigned>(id));
        be16(records, static_cast<unsigned>(utf16.size()));
        be16(records, static_cast<unsigned>(strings.size()));
        strings += utf16;
    }
    std::string s;
    be16(s, 0);
    be16(s, static_cast<unsigned>(names.size()));
    be16(s, static_cast<unsigned>(6 + records.size()));
    return s + records + strings;
}

// Format 4, one segment per run of consecutive characters (their glyphs are consecutive too).
std::string cmapTable(const std::vector<char32_t>& codes) {
    struct Segment {
        unsigned start, end;
        int delta;
    };
    std::vector<Segment> segs;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const unsigned c = static_cast<unsigned>(codes[i]);
        const int glyph = static_cast<int>(i) + 1;
        if (!segs.empty() && segs.back().end + 1 == c) {
            segs.back().end = c;
        } else {
            segs.push_back({c, c, glyph - static_cast<int>(c)});
        }
    }
    segs.push_back({0xFFFF, 0xFFFF, 1});
    const unsigned n = static_cast<unsigned>(segs.size());
    unsigned searchRange = 2, entrySelector = 0;
    while (searchRange * 2 <= 2 * n) {
        searchRange *= 2;
        ++entrySelector;
    }
    std::string sub;
    be16(sub, 4);
    be16(sub, 16 + 8 * n);
    be16(sub, 0);
    be16(sub, 2 * n);
    be16(sub, searchRange);
    be16(sub, entrySelector);
    be16(sub, 2 * n - searchRange);
    for (const auto& sg : segs) be16(sub, sg.end);
    be16(sub, 0);
    for (const auto& sg : segs) be16(sub, sg.start);
    for (const auto& sg : segs) be16(sub, static_cast<unsigned>(sg.delta) & 0xffff);
    for (std::size_t i = 0; i < segs.size(); ++i) be16(sub, 0);

    std::string s;
    be16(s, 0);
    be16(s, 2);
    be16(s, 0);  // Unicode, basic plane
    be16(s, 3);
    be32(s, 4 + 2 * 8);
    be16(s, 3);  // Windows, Unicode basic plane
    be16(s, 1);
    be32(s, 4 + 2 * 8);
    return s + sub;
}

}  // namespace

bool decodeUtf8(const std::string& text, std::vector<char32_t>& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        int more = 0;
        char32_t c = 0;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            more = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            more = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            more = 3;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(more) >= text.size()) return false;  // cut short
        for (int k = 1; k <= more; ++k) {
            const auto n = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((n & 0xC0) != 0x80) return false;
            c = (c << 6) | (n & 0x3F);
        }
        // Overlong forms, surrogates and values past the last plane are not characters.
        static const char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (c < kMin[more] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        out.push_back(c);
        i += static_cast<std::size_t>(more) + 1;
    }
    return true;
}

FontDesign readFontDesign(const std::string& path) {
    Source src(path);
    FontDesign d;
    const auto& lines = src.lines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        const auto& w = line.words;
        if (w.empty()) continue;
        if (w[0] == "name" && w.size() >= 2) {
            d.name.clear();
            for (std::size_t k = 1; k < w.size(); ++k) {
                if (k > 1) d.name += ' ';
                d.name += w[k];
            }
            for (unsigned char c : d.name)
                if (c < 0x20 || c > 0x7e) src.fail(line, "the font's name must be plain ASCII");
        } else if ((w[0] == "em" || w[0] == "ascent" || w[0] == "descent") && w.size() == 2) {
            int v = src.integer(line, w[1]);
            if (v < 1 || v > 64) src.fail(line, w[0] + " must lie between 1 and 64 pixels");
            (w[0] == "em" ? d.em : w[0] == "ascent" ? d.ascent : d.descent) = v;
        } else if (w[0] == "glyph" && w.size() >= 2) {
            const char32_t code = glyphCode(src, line, w[1]);
            if (d.glyphs.count(code))
                src.fail(line, hexCode(code) + " already has a glyph (line " +
                                   std::to_string(d.glyphs[code].line) + ")");
            Options opt(src, line, 2);
            Glyph g;
            g.line = line.number;
            g.y = static_cast<int>(opt.real("y", 0));
            const int advance = static_cast<int>(opt.real("advance", -1));
            opt.finish();
            for (++i; i < lines.size(); ++i) {
                const Line& row = lines[i];
                if (!row.words.empty() && row.words[0] == "end") break;
                std::string text = row.raw;
                while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
                    text.pop_back();
                const auto first = text.find_first_not_of(" \t");
                text = first == std::string::npos ? std::string() : text.substr(first);
                if (text.empty()) src.fail(row, "blank line inside a glyph grid");
                if (text.find_first_not_of("#.") != std::string::npos)
                    src.fail(row, "a glyph row holds only '#' (ink) and '.' (paper)");
                if (!g.rows.empty() && text.size() != g.rows[0].size())
                    src.fail(row, "this row is " + std::to_string(text.size()) +
                                      " pixels wide, the glyph's first row " +
                                      std::to_string(g.rows[0].size()));
                g.rows.push_back(text);
            }
            if (i == lines.size()) src.fail(line, "glyph without 'end'");
            const int width = g.rows.empty() ? 0 : static_cast<int>(g.rows[0].size());
            g.advance = advance >= 0 ? advance : width + 1;
            if (g.advance < 1) src.fail(line, "a glyph needs an advance of at least 1 pixel");
            const int top = g.y + static_cast<int>(g.rows.size());
            if (top > d.ascent || g.y < -d.descent)
                src.fail(line, "the glyph reaches outside the ascent and descent");
            d.glyphs[code] = std::move(g);
        } else {
            src.fail(line, "expected name, em, ascent, descent or glyph");
        }
    }
    if (d.name.empty()) src.fail(0, "the font has no name");
    if (d.ascent + d.descent > d.em * 2) src.fail(0, "ascent and descent exceed two ems");
    if (d.glyphs.empty()) src.fail(0, "the font has no glyphs");
    if (!d.glyphs.count(U' ')) src.fail(0, "the font has no space");
    return d;
}

void checkCoverage(const FontDesign& design, const std::string& fontPath, const std::string& path) {
    const std::string text = readFile(path);
    std::vector<char32_t> codes;
    if (!decodeUtf8(text, codes)) throw SourceError(path, 0, "the text is not valid UTF-8");
    int line = 1;
    for (char32_t c : codes) {
        if (c == U'\n') {
            ++line;
            continue;
        }
        if (c == U'\r' || c == U'\t' || design.glyphs.count(c)) continue;
        std::string utf8;
        // Encoded again for the message.
        if (c < 0x80) {
            utf8.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            utf8.push_back(static_cast<char>(0xC0 | (c >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            utf8.push_back(static_cast<char>(0xE0 | (c >> 12)));
            utf8.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
        throw SourceError(path, line,
                          "'" + utf8 + "' (" + hexCode(c) + ") has no glyph in " + fontPath);
    }
}

std::string encodeTtf(const FontDesign& d) {
    // Glyph 0 is the box shown for a missing character; the others follow in character order.
    std::vector<char32_t> codes;
    std::vector<Outline> glyphs;
    {
        const int w = 5, h = 7;
        glyphs.push_back(outline(
            {{0, 0, w, 1}, {0, h - 1, w, h}, {0, 1, 1, h - 1}, {w - 1, 1, w, h - 1}}, w + 1));
    }
    for (const auto& [code, g] : d.glyphs) {
        codes.push_back(code);
        glyphs.push_back(outline(rectangles(g), g.advance));
    }
    const unsigned numGlyphs = static_cast<unsigned>(glyphs.size());
    const int unitsPerEm = d.em * kUnitsPerPixel;
    const int ascender = d.ascent * kUnitsPerPixel;
    const int descender = -d.descent * kUnitsPerPixel;

    int xMin = 0, yMin = 0, xMax = 0, yMax = 0, advanceMax = 0;
    int minLsb = 1 << 30, minRsb = 1 << 30, maxExtent = 0;
    unsigned maxPoints = 0, maxContours = 0;
    long advanceSum = 0;
    for (const Outline& o : glyphs) {
        advanceMax = std::max(advanceMax, o.advance);
        advanceSum += o.advance;
        if (o.rects.empty()) continue;
        xMin = std::min(xMin, o.xMin);
        yMin = std::min(yMin, o.yMin);
        xMax = std::max(xMax, o.xMax);
        yMax = std::max(yMax, o.yMax);
        minLsb = std::min(minLsb, o.xMin);
        minRsb = std::min(minRsb, o.advance - o.xMax);
        maxExtent = std::max(maxExtent, o.xMax);
        maxContours = std::max(maxContours, static_cast<unsigned>(o.rects.size()));
        maxPoints = std::max(maxPoints, static_cast<unsigned>(4 * o.rects.size()));
    }

    std::string glyf, loca;
    for (const Outline& o : glyphs) {
        be32(loca, static_cast<std::uint32_t>(glyf.size()));
        glyf += glyphData(o);
    }
    be32(loca, static_cast<std::uint32_t>(glyf.size()));

    std::string hmtx;
    for (const Outline& o : glyphs) {
        be16(hmtx, static_cast<unsigned>(o.advance));
        be16(hmtx, static_cast<std::uint16_t>(o.xMin));
    }

    std::string head;
    be32(head, 0x00010000);
    be32(head, 0x00010000);  // revision 1.0
    be32(head, 0);           // checksum adjustment, set below
    be32(head, 0x5F0F3CF5);
    be16(head, 0x000B);  // baseline at y 0, left side bearing at x 0, whole-pixel scaling
    be16(head, static_cast<unsigned>(unitsPerEm));
    be64(head, 3786912000ull);  // 2024-01-01, fixed so that builds are reproducible
    be64(head, 3786912000ull);
    be16(head, static_cast<std::uint16_t>(xMin));
    be16(head, static_cast<std::uint16_t>(yMin));
    be16(head, static_cast<std::uint16_t>(xMax));
    be16(head, static_cast<std::uint16_t>(yMax));
    be16(head, 0);  // regular
    be16(head, 8);  // smallest readable size in pixels
    be16(head, 2);
    be16(head, 1);  // long loca offsets
    be16(head, 0);

    std::string hhea;
    be32(hhea, 0x00010000);
    be16(hhea, static_cast<std::uint16_t>(ascender));
    be16(hhea, static_cast<std::uint16_t>(descender));
    be16(hhea, 0);
    be16(hhea, static_cast<unsigned>(advanceMax));
    be16(hhea, static_cast<std::uint16_t>(minLsb));
    be16(hhea, static_cast<std::uint16_t>(minRsb));
    be16(hhea, static_cast<std::uint16_t>(maxExtent));
    be16(hhea, 1);  // upright caret
    be16(hhea, 0);
    be16(hhea, 0);
    for (int i = 0; i < 4; ++i) be16(hhea, 0);
    be16(hhea, 0);
    be16(hhea, numGlyphs);

    // Dropout control for every size. A font without any instructions is auto-hinted by
    // FreeType, which bends the kana off the pixel grid; with this it is scaled exactly.
    const std::string prep = {'\xB8', '\x01', '\xFF', '\x85', '\xB0', '\x01', '\x8D'};

    std::string maxp;
    be32(maxp, 0x00010000);
    be16(maxp, numGlyphs);
    be16(maxp, maxPoints);
    be16(maxp, maxContours);
    be16(maxp, 0);
    be16(maxp, 0);
    be16(maxp, 2);  // zones
    be16(maxp, 0);  // twilight points
    be16(maxp, 0);  // storage
    be16(maxp, 0);  // function definitions
    be16(maxp, 0);  // instruction definitions
    be16(maxp, 2);  // stack elements
    be16(maxp, static_cast<unsigned>(prep.size()));
    be16(maxp, 0);
    be16(maxp, 0);

    std::string post;
    be32(post, 0x00030000);  // no glyph names
    be32(post, 0);
    be16(post, static_cast<std::uint16_t>(-kUnitsPerPixel));
    be16(post, kUnitsPerPixel);
    be32(post, 0);
    for (int i = 0; i < 4; ++i) be32(post, 0);

    auto has = [&](char32_t lo, char32_t hi) {
        auto it = d.glyphs.lower_bound(lo);
        return it != d.glyphs.end() && it->first <= hi;
    };
    std::string os2;
    be16(os2, 4);
    be16(os2, static_cast<unsigned>(advanceSum / static_cast<long>(numGlyphs)));
    be16(os2, 400);
    be16(os2, 5);
    be16(os2, 0);  // no embedding restrictions
    const int sub = unitsPerEm / 2;
    for (int i = 0; i < 2; ++i) {  // subscript, superscript
        be16(os2, static_cast<unsigned>(sub));
        be16(os2, static_cast<unsigned>(sub));
        be16(os2, 0);
        be16(os2, static_cast<std::uint16_t>(i == 0 ? kUnitsPerPixel * 2 : sub));
    }
    be16(os2, kUnitsPerPixel);
    be16(os2, static_cast<unsigned>(3 * kUnitsPerPixel));
    be16(os2, 0);
    for (int i = 0; i < 10; ++i) os2.push_back(0);
    be32(os2, has(0x20, 0x7E) ? 1u : 0u);  // Basic Latin
    be32(os2,
         (has(0x3040, 0x309F) ? 1u << 17 : 0u) | (has(0x30A0, 0x30FF) ? 1u << 18 : 0u));  // kana
    be32(os2, 0);
    be32(os2, 0);
    os2 += "NONE";
    be16(os2, 0x00C0);  // regular, typographic metrics are the line metrics
    be16(os2, static_cast<unsigned>(codes.front()));
    be16(os2, static_cast<unsigned>(codes.back()));
    be16(os2, static_cast<std::uint16_t>(ascender));
    be16(os2, static_cast<std::uint16_t>(descender));
    be16(os2, 0);
    be16(os2, static_cast<unsigned>(std::max(ascender, yMax)));
    be16(os2, static_cast<unsigned>(std::max(-descender, -yMin)));
    be32(os2, 1u | (has(0x3040, 0x30FF) ? 1u << 17 : 0u));  // Latin 1, Japanese
    be32(os2, 0);
    be16(os2, static_cast<unsigned>(5 * kUnitsPerPixel));  // x-height of the design
    be16(os2, static_cast<unsigned>(7 * kUnitsPerPixel));  // capital height
    be16(os2, 0);
    be16(os2, 0x20);
    be16(os2, 1);

    // Tables in tag order, each 4-byte aligned.
    const std::vector<std::pair<std::string, std::string>> tables = {
        {"OS/2", os2},
        {"cmap", cmapTable(codes)},
        {"glyf", glyf},
        {"head", head},
        {"hhea", hhea},
        {"hmtx", hmtx},
        {"loca", loca},
        {"maxp", maxp},
        {"name", nameTable(d.name)},
        {"post", post},
        {"prep", prep},
    };
    const unsigned n = static_cast<unsigned>(tables.size());
    unsigned searchRange = 1, entrySelector = 0;
    while (searchRange * 2 <= n) {
        searchRange *= 2;
        ++entrySelector;
    }
    std::string font;
    be32(font, 0x00010000);
    be16(font, n);
    be16(font, searchRange * 16);
    be16(font, entrySelector);
    be16(font, n * 16 - searchRange * 16);
    std::size_t offset = 12 + 16 * tables.size();
    std::size_t headAt = 0;
    std::string body;
    for (const auto& [tag, data] : tables) {
        font += tag;
        be32(font, checksum(data));
        be32(font, static_cast<std::uint32_t>(offset + body.size()));
        be32(font, static_cast<std::uint32_t>(data.size()));
        if (tag == "head") headAt = offset + body.size();
        body += data;
        while (body.size() % 4) body.push_back(0);
    }
    font += body;
    set32(font, headAt + 8, 0xB1B0AFBAu - checksum(font));
    return font;
}

}  // namespace assetgen

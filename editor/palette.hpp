#pragma once
// The tile palette beside the level: every tile code with its picture, name and legend
// character.
#include <array>
#include <cstdint>

#include "algo/surface/texture.hpp"

namespace editor {

class TextCache;
class Texts;

/// The panel right of the level view: a heading and the 16 tiles in two columns, each with
/// its picture as play draws it (on white, twice as large), its name in the current language
/// and its code and legend character of the text grid. Owns the enlarged tile pictures.
///
/// @code
/// editor::Palette palette;
/// int code = palette.codeAt(mouseX, mouseY);  // -1 outside the entries
/// palette.draw(screen, text, heading, texts, selected, code);
/// @endcode
class Palette {
  public:
    static constexpr int kLeft = 512;   ///< the panel's left edge in the window
    static constexpr int kWidth = 288;  ///< and its width; it is as high as the view

    /// The tile code of the entry under window point (x, y), or -1.
    int codeAt(int x, int y) const;
    void draw(algo::Texture& screen, TextCache& text, TextCache& heading, const Texts& texts,
              int selected, int hover);

  private:
    std::array<algo::Texture, 16> tiles_;
};

}  // namespace editor

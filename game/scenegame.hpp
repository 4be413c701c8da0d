#pragma once
// Play: one level from its bitmap, the actors on it, the elapsed time, the closing curtain.
#include <cstdint>
#include <memory>
#include <string>

#include "algo/game/scene.hpp"
#include "algo/surface/texture.hpp"
#include "basic/singleton.hpp"
#include "game/level.hpp"

namespace algo {
class Music;
}

namespace game {

class LevelPack;

// Time is counted in update passes and shown as seconds, here and on the clear screen.
inline constexpr double kSecondsPerPass = 1.0 / 60;

// Paints the cells of `grid` in the given columns and rows from mapTexture onto `target` as
// play draws them: cell (c, r) at (16 + 15c, 16 + 15r), row by row, each tile overlapping its
// left and upper neighbours by a pixel. The editor draws its levels with it too.
void drawGridTiles(const Grid& grid, algo::Texture& target, int fromColumn = 0,
                   int toColumn = kGridSize - 1, int fromRow = 0, int toRow = kGridSize - 1);

// Where a level played for someone else ends (the editor's test play): told in place of the
// switch to the next level or the clear screen, and of the game over. The play scene stays
// on top; the owner moves the scene stack after the update that told it.
class PlayEnd {
  public:
    virtual ~PlayEnd() = default;
    // `cleared`: the curtain is over; otherwise the last rabbit died.
    virtual void playEnded(bool cleared) = 0;
};

class SceneGame_ : public algo::Scene, public basic::Singleton<SceneGame_> {
  public:
    // "map" (the level number) and "time"; with "grid" (a const Grid*, read at once) the
    // level's cells come from that grid instead of the bitmap of level "map", as initGrid.
    void init(const basic::Args& args) override;
    // init with the level's cells from `grid` (the editor's, a pack's) instead of the bitmap
    // of level "map". Quiet, it starts no music, loads no curtain picture and leaves the
    // audio's pause alone: for a search, which never draws the scene and silences the sound
    // effects itself (setSoundsQuiet).
    void initGrid(const Grid& grid, const basic::Args& args, bool quiet);
    void exit() override {}
    void update() override;
    // One pass of play as update runs it unpaused: time, countdown, actors, and after the
    // countdown the switch to the next level or the clear scene. A search calls it in place
    // of update, so no key and no focus change can pause its passes.
    void advance();
    void draw() override;
    // The same frame drawn tile by tile onto a white screen, without the still-tile layer:
    // what draw must match pixel for pixel.
    void drawPlain();

    // Stars still to collect; from 0 down to -60 the closing countdown.
    std::int32_t rest() const { return rest_; }
    void decrementRest() { rest_ -= 1; }
    std::int32_t level() const { return level_; }
    std::int32_t time() const { return time_; }
    MapView map() { return MapView::of(map_); }
    // The levels the scene plays from now on: a pack's (borrowed: it must outlive its use
    // here), or with nullptr the game's own data/mapN.bmp. A pack brings its levels, the
    // next level or the clear scene after its last, and its tunes where it has them.
    void usePack(const LevelPack* pack) { pack_ = pack; }
    const LevelPack* pack() const { return pack_; }

    // The seconds shown in the corner ("0.02" on the first frame of a game).
    std::string timeText() const;

    // Paused, the scene keeps its last frame dimmed under "PAUSE" and does not update, so
    // the level stands still; the music holds. P (or a pad's Start) pauses and resumes, and
    // losing the input focus pauses when turned on. The scene stack is left alone: a pop
    // would start the level afresh.
    bool paused() const { return paused_; }
    void pause();
    void resume();
    void setPauseOnFocusLoss(bool on) { pauseOnFocusLoss_ = on; }

    // Null (the game): a level goes on to the next one, the clear screen or the game over.
    void setPlayEnd(PlayEnd* end) { end_ = end; }
    // The last rabbit is lost: the game-over scene, or the PlayEnd's word.
    void gameOver();

    ~SceneGame_();

  private:
    template <class U, class... Args>
    friend class basic::SingletonOwner;
    SceneGame_();

    void begin(const basic::Args& args, const Grid* grid, bool quiet);
    // Brings the layer up to the grid: whole when it is new or the screen changed (the keyed
    // sheets then take the screen's format too), otherwise only the cells whose code differs
    // from the one it shows.
    bool refreshLayer(algo::Texture& screen);
    void drawOver(algo::Texture& screen);

    algo::Texture clearTexture_;
    Grid map_{};
    // The white ground and every tile as the screen shows them, in the screen's format;
    // `shown_` holds the codes it was drawn with.
    algo::Texture layer_;
    Grid shown_{};
    bool layerValid_ = false;
    std::int32_t rest_ = 0;
    std::int32_t level_ = 0;
    std::int32_t time_ = 0;
    bool pauseKey();

    bool paused_ = false;
    bool pauseOnFocusLoss_ = true;
    bool padStart_ = false;  // Start held in the previous update
    const LevelPack* pack_ = nullptr;
    // The running level's music; released when the next level starts its own.
    std::unique_ptr<algo::Music> music_;
    PlayEnd* end_ = nullptr;
};

}  // namespace game

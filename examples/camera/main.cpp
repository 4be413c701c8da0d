// camera: a world four screens wide and three high, seen through Camera2D_. The hero, a Sprite,
// walks with the cursor keys; the camera eases after it and zooms in and out. The background
// grid (drawGrid) marks world units at every zoom, and the map in the corner shows the whole
// world with the part on screen.
//
// Keys: cursor keys walk, Z zooms in, X zooms out, Escape quits (so does closing the window).
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "algo/game/sprite.hpp"
#include "algo/input/easyinput.hpp"
#include "algo/input/event.hpp"
#include "algo/surface/camera2d.hpp"
#include "algo/surface/display.hpp"
#include "algo/system/engine.hpp"
#include "algo/timer/fps.hpp"

namespace {

constexpr int kWorldWidth = 2048;
constexpr int kWorldHeight = 1536;
constexpr int kMapScale = 16;  // world units per pixel of the corner map
constexpr int kMapX = 512 - 8 - kWorldWidth / kMapScale;
constexpr int kMapY = 8;

// A tree or a rock: its picture's top-left corner at a world position.
struct Thing {
    algo::Texture* picture;
    int x, y;
};

algo::Texture keyed(const char* path) {
    algo::Texture t(path);
    t.setColorKeyFromPixel(true);  // the top-left pixel's colour is see-through
    return t;
}

}  // namespace

int main() {
    return algo::runProgram([] {
        auto& screen = algo::Display_::instance();
        screen.setVideoMode(512, 512, 16, false);
        screen.setCaption("camera");
        algo::setFPS(60);

        // ---- start: pictures, the hero, the world, the camera
        algo::Texture heroPicture = keyed("data/hero.bmp");
        algo::Texture treePicture = keyed("data/tree.bmp");
        algo::Texture rockPicture = keyed("data/rock.bmp");

        algo::Sprite hero;
        hero.texture = &heroPicture;  // borrowed: the sprite never frees it
        hero.fromTexture();           // show the whole picture
        hero.pos = {kWorldWidth / 2.0L, kWorldHeight / 2.0L};
        hero.visible = true;

        // The hero's mark on the corner map: a sprite drawn in screen pixels.
        algo::Texture markPicture(4, 4);
        markPicture.fill(255, 255, 255);
        algo::Sprite mark;
        mark.texture = &markPicture;
        mark.fromTexture();
        mark.visible = true;

        std::vector<Thing> things;
        std::mt19937 random(2024);  // the same world on every run
        for (int i = 0; i < 240; ++i) {
            algo::Texture* picture = i % 3 ? &treePicture : &rockPicture;
            things.push_back({picture, static_cast<int>(random() % (kWorldWidth - 24)),
                              static_cast<int>(random() % (kWorldHeight - 32))});
        }
        // Drawn top to bottom, so that a lower thing stands in front of a higher one.
        std::sort(things.begin(), things.end(), [](auto& a, auto& b) { return a.y < b.y; });

        auto& camera = algo::Camera2D_::instance();
        camera.set(hero.pos.x, hero.pos.y, 1.0L);
        auto& input = algo::EasyInput_::instance();
        auto& events = algo::EventControl_::instance();

        while (events.poll()) {  // false after Escape or a closed window
            // ---- update: walk, zoom, let the camera follow
            const long double step = 3;
            if (input.count(algo::EasyInput_::Left)) hero.pos.x -= step;
            if (input.count(algo::EasyInput_::Right)) hero.pos.x += step;
            if (input.count(algo::EasyInput_::Up)) hero.pos.y -= step;
            if (input.count(algo::EasyInput_::Down)) hero.pos.y += step;
            hero.pos.x = std::clamp<long double>(hero.pos.x, 0, kWorldWidth);
            hero.pos.y = std::clamp<long double>(hero.pos.y, 0, kWorldHeight);
            // A count of 1 is the pass in which the key went down: one step per press.
            if (input.count(algo::EasyInput_::Button(0)) == 1)
                camera.targetZoom = std::min(4.0L, camera.targetZoom * 2);
            if (input.count(algo::EasyInput_::Button(1)) == 1)
                camera.targetZoom = std::max(0.25L, camera.targetZoom / 2);
            camera.target = hero.pos;
            camera.update();  // a tenth of the way to the hero, a twentieth to the zoom

            if (!algo::waitFrame()) continue;  // too late for this frame: skip drawing it

            // ---- draw: ground, grid, things, hero, map
            screen.fill(96, 160, 80);
            camera.drawGrid(64, 80, 140, 64, 255);
            camera.putRect(0, 0, kWorldWidth, kWorldHeight, 40, 60, 30, 255, false);
            for (const Thing& t : things) {
                const long double x = camera.screenX(t.x), y = camera.screenY(t.y);
                if (x < -100 || y < -130 || x > 512 || y > 512) continue;  // off screen
                camera.putTexture(nullptr, *t.picture, t.x, t.y);
            }
            // Through the camera, centred on its position: the sprite's own draw copies in
            // screen pixels, without the camera's transform.
            camera.putTexture(nullptr, *hero.getTexture(),
                              static_cast<int>(hero.pos.x) - hero.width() / 2,
                              static_cast<int>(hero.pos.y) - hero.height() / 2);

            screen.drawRect(kMapX, kMapY, kMapX + kWorldWidth / kMapScale,
                            kMapY + kWorldHeight / kMapScale, 20, 40, 20, 255, true);
            for (const Thing& t : things)
                screen.drawPixel(static_cast<std::int16_t>(kMapX + t.x / kMapScale),
                                 static_cast<std::int16_t>(kMapY + t.y / kMapScale), 60, 120, 60,
                                 255);
            const long double halfView = 256 / camera.zoom / kMapScale;
            const long double viewX = kMapX + camera.pos.x / kMapScale;
            const long double viewY = kMapY + camera.pos.y / kMapScale;
            screen.drawRect(algo::toPixel16(viewX - halfView), algo::toPixel16(viewY - halfView),
                            algo::toPixel16(viewX + halfView), algo::toPixel16(viewY + halfView),
                            255, 255, 160, 255, false);
            // Sprite::draw puts the rectangle's top-left at pos plus half its size.
            mark.pos = {kMapX + hero.pos.x / kMapScale - mark.width(),
                        kMapY + hero.pos.y / kMapScale - mark.height()};
            mark.draw();

            char status[64];
            std::snprintf(status, sizeof status, "x %4d  y %4d  zoom %.2f",
                          static_cast<int>(hero.pos.x), static_cast<int>(hero.pos.y),
                          static_cast<double>(camera.zoom));
            screen.drawString(8, 8, status, 255, 255, 255, 255);
            screen.drawString(8, 496, "cursor keys walk, Z zooms in, X out", 255, 255, 255, 255);
            screen.flip();
        }
        // ---- end: the pictures go with this scope, before the engine ends
        return 0;
    });
}

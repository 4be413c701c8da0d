#include "tools/replay/trace.hpp"

#include <cstdio>

#include "algo/game/scene.hpp"
#include "algo/input/easyinput.hpp"
#include "game/lifeball.hpp"
#include "game/rabbit.hpp"
#include "game/sceneclear.hpp"
#include "game/scenegame.hpp"
#include "game/scenegameover.hpp"
#include "game/scenestart.hpp"

namespace replay {

namespace {

std::string real(long double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17Lg", v);
    return buf;
}

std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

const char* boolean(bool b) {
    return b ? "true" : "false";
}

template <class T>
std::string bodies() {
    std::string out = "[";
    bool first = true;
    for (std::uint32_t slot = 0; slot < algo::ActorTable<T>::kSlots; ++slot) {
        const T* a = algo::ActorTable<T>::list[slot].get();
        if (!a) continue;
        if (!first) out += ",";
        first = false;
        out += "{\"slot\":" + std::to_string(slot) + ",\"color\":" + std::to_string(a->color()) +
               ",\"x\":" + real(a->pos().x) + ",\"y\":" + real(a->pos().y) +
               ",\"vx\":" + real(a->vel().x) + ",\"vy\":" + real(a->vel().y) +
               ",\"left\":" + boolean(a->left()) + ",\"onGround\":" + boolean(a->onGround()) + "}";
    }
    return out + "]";
}

std::string balls() {
    std::string out = "[";
    bool first = true;
    for (std::uint32_t slot = 0; slot < game::LifeBall::kSlots; ++slot) {
        const game::LifeBall* b = game::LifeBall::list[slot].get();
        if (!b) continue;
        if (!first) out += ",";
        first = false;
        out += "{\"slot\":" + std::to_string(slot) + ",\"life\":" + std::to_string(b->life()) + "}";
    }
    return out + "]";
}

}  // namespace

std::string traceLine(long pass, bool drawn, const std::vector<std::string>& sounds) {
    const algo::Scene* scene = &algo::SceneControl_::instance().current();
    std::string out = "{\"pass\":" + std::to_string(pass) + ",\"scene\":";
    if (scene == &game::SceneStart_::instance())
        out += "\"title\"";
    else if (scene == &game::SceneGame_::instance())
        out += game::SceneGame_::instance().paused() ? "\"pause\"" : "\"play\"";
    else if (scene == &game::SceneClear_::instance())
        out += "\"clear\"";
    else if (scene == &game::SceneGameOver_::instance())
        out += "\"gameover\"";
    else
        out += "\"other\"";
    out += std::string(",\"drawn\":") + boolean(drawn) + ",\"input\":[";
    auto& in = algo::EasyInput_::instance();
    for (std::uint32_t i = 0; i < 6; ++i) {
        if (i) out += ",";
        out += std::to_string(in.count(i));
    }
    out += "],\"sounds\":[";
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        if (i) out += ",";
        out += quoted(sounds[i]);
    }
    out += "]";

    if (scene == &game::SceneStart_::instance()) {
        out += ",\"choice\":" + std::to_string(game::SceneStart_::instance().choice());
    } else if (scene == &game::SceneGame_::instance()) {
        const auto& g = game::SceneGame_::instance();
        out += ",\"level\":" + std::to_string(g.level()) + ",\"time\":" + std::to_string(g.time()) +
               ",\"rest\":" + std::to_string(g.rest()) + ",\"timeText\":" + quoted(g.timeText());
        out += ",\"rabbits\":" + bodies<game::Rabbit>();
        out += ",\"corpses\":" + bodies<game::DeadRabbit>();
        out += ",\"balls\":" + balls();
    } else if (scene == &game::SceneClear_::instance()) {
        const auto& c = game::SceneClear_::instance();
        out += ",\"timeText\":" + quoted(c.timeText()) + ",\"grade\":" + std::to_string(c.grade());
    } else if (scene == &game::SceneGameOver_::instance()) {
        const auto& g = game::SceneGameOver_::instance();
        out += ",\"curtainY\":" + real(g.curtainY()) + ",\"curtainVy\":" + real(g.curtainSpeed());
    }
    return out + "}";
}

}  // namespace replay

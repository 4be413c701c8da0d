#include "algo/game/vector2d.hpp"

#include <cmath>
#include <numbers>

namespace algo {

long double Vector2D::angle() const {
    return std::atan2(y, x);
}

void Vector2D::setAngle(long double a) {
    rotate(a - angle());
}

long double Vector2D::length() const {
    return std::sqrt(x * x + y * y);
}

void Vector2D::setLength(long double len) {
    const long double l = length();
    if (l == 0.0L) return;
    x /= l;
    y /= l;
    x *= len;
    y *= len;
}

void Vector2D::rotate(long double r) {
    const long double c = std::cos(r), s = std::sin(r);
    const long double nx = x * c - y * s;
    const long double ny = x * s + y * c;
    x = nx;
    y = ny;
}

long double toRadian(long double deg) {
    return deg * std::numbers::pi_v<long double> / 180.0L;
}

std::int16_t toPixel16(long double v) {
    if (std::isnan(v)) return 0;
    if (v <= -32768.0L) return INT16_MIN;
    if (v >= 32767.0L) return INT16_MAX;
    return static_cast<std::int16_t>(v);
}

}  // namespace algo

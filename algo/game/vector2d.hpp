#pragma once
// Plane vector in extended precision; a fresh one points down the screen, (0, 1).
#include <cstdint>

namespace algo {

/// A plane vector of two extended-precision reals, x to the right and y down the screen,
/// with in-place arithmetic and polar operations. A plain value; note that a default one is
/// (0, 1), not (0, 0).
///
/// @code
/// algo::Vector2D speed{3.0L, 0.0L};
/// speed.rotate(algo::toRadian(90));  // now about (0, 3)
/// speed.setLength(1.5L);
/// position += speed;
/// @endcode
struct Vector2D {
    long double x = 0.0L;
    long double y = 1.0L;

    Vector2D& operator+=(const Vector2D& v) {
        x += v.x;
        y += v.y;
        return *this;
    }
    Vector2D& operator-=(const Vector2D& v) {
        x -= v.x;
        y -= v.y;
        return *this;
    }
    Vector2D& operator*=(long double s) {
        x *= s;
        y *= s;
        return *this;
    }
    Vector2D& operator/=(long double s) {
        x /= s;
        y /= s;
        return *this;
    }

    // atan2(y, x), in (-pi, pi].
    long double angle() const;
    // Turns to direction a, keeping the length.
    void setAngle(long double a);
    long double length() const;
    // The zero vector has no direction and stays zero.
    void setLength(long double len);
    void rotate(long double r);
};

long double toRadian(long double deg);

// Truncates toward zero into a 16-bit pixel coordinate, saturating at the ends of the
// range (NaN gives 0), so a far-away point stays far away instead of wrapping on screen.
std::int16_t toPixel16(long double v);

}  // namespace algo

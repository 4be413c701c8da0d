#pragma once
/// @file
/// Plane vector in extended precision; a fresh one points down the screen, (0, 1).
#include <cstdint>

namespace algo {

/// A plane vector of two extended-precision reals, x to the right and y down the screen,
/// with in-place arithmetic and polar operations. A plain value; note that a default one is
/// (0, 1), not (0, 0). Angles are in radians, measured from +x toward +y: with y down, a
/// positive angle turns clockwise on the screen.
///
/// @code
/// algo::Vector2D speed{3.0L, 0.0L};
/// speed.rotate(algo::toRadian(90));  // now about (0, 3)
/// speed.setLength(1.5L);
/// position += speed;
/// @endcode
struct Vector2D {
    /// Rightward component (pixels, in the game).
    long double x = 0.0L;
    /// Downward component; 1 in a default vector.
    long double y = 1.0L;

    /// Adds v component by component.
    Vector2D& operator+=(const Vector2D& v) {
        x += v.x;
        y += v.y;
        return *this;
    }
    /// Subtracts v component by component.
    Vector2D& operator-=(const Vector2D& v) {
        x -= v.x;
        y -= v.y;
        return *this;
    }
    /// Scales both components by s.
    Vector2D& operator*=(long double s) {
        x *= s;
        y *= s;
        return *this;
    }
    /// Divides both components by s (by 0: infinities or NaN, no error).
    Vector2D& operator/=(long double s) {
        x /= s;
        y /= s;
        return *this;
    }

    /// The direction in radians, atan2(y, x), in (-pi, pi]: 0 rightward, pi / 2 downward.
    long double angle() const;
    /// Turns to direction a (radians), keeping the length.
    void setAngle(long double a);
    /// The Euclidean length.
    long double length() const;
    /// Scales to length len, keeping the direction (a negative len reverses it). The zero
    /// vector has no direction and stays zero.
    void setLength(long double len);
    /// Turns by r radians: a positive r turns from +x toward +y, clockwise on the screen.
    void rotate(long double r);
};

/// Degrees to radians: deg × pi / 180.
long double toRadian(long double deg);

/// Truncates toward zero into a 16-bit pixel coordinate, saturating at the ends of the
/// range (NaN gives 0), so a far-away point stays far away instead of wrapping on screen.
std::int16_t toPixel16(long double v);

}  // namespace algo

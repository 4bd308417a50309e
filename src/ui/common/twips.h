#pragma once

namespace calvex {

// Window designs are given in twips; at 100 % scale 15 twips make one pixel.
inline constexpr int twips(int value) {
    return value / 15;
}

}  // namespace calvex

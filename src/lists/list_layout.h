#pragma once

#include <span>

#include "session/window_apis.h"

namespace calvex {

// Design sizes are in twips; 15 twips make one pixel.
inline constexpr int kTwipsPerPixel = 15;
inline constexpr int twipsToPixels(int twips) {
    return twips / kTwipsPerPixel;
}

struct ToolbarButton {
    const char* key;
    const char* toolTip;
};

struct ListColumn {
    const char* header;
    // The column is as wide as this text in the window's font.
    const char* widthSample;
};

// What tells the six list windows apart.
struct ListLayout {
    const char* name;
    const char* caption;
    int clientWidth;  // twips
    int clientHeight;
    int gridLeft;
    int gridTop;
    int gridWidth;
    int gridHeight;
    int toolbarHeight;
    std::span<const ToolbarButton> buttons;
    std::span<const ListColumn> columns;
    // The column the Plot button reads the unit from.
    int unitColumn;
};

const ListLayout& listLayout(ListKind kind, bool dual);

}  // namespace calvex

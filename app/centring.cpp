#include "app/centring.h"

#include <algorithm>

FramePosition centredFrame(int screenWidth, int screenHeight, int clientWidth, int clientHeight,
                           const FrameMargins& frame) {
    const int width = clientWidth + frame.left + frame.right;
    const int height = clientHeight + frame.top + frame.bottom;
    return {std::max(0, (screenWidth - width) / 2), std::max(0, (screenHeight - height) / 2)};
}

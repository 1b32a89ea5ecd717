#pragma once

struct FrameMargins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct FramePosition {
    int x = 0;
    int y = 0;
};

// Where the top-left corner of a window's frame goes so that the window with its frame
// stands in the middle of the screen: halves rounded toward zero, never beyond the
// screen's top-left corner.
FramePosition centredFrame(int screenWidth, int screenHeight, int clientWidth, int clientHeight,
                           const FrameMargins& frame);

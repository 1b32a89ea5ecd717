#include "clock/dragsector.h"

int dragSector(int dx, int dy) {
    int sector = 0;
    if (dy < -50) sector = 1;
    if (dy > 50) sector = 5;
    if (dx > 50) sector = 3;
    if (dx < -50) sector = 7;
    if (dx > 25) {
        if (dy < -25) sector = 2;
        if (dy > 25) sector = 4;
    }
    if (dx < -25) {
        if (dy < -25) sector = 8;
        if (dy > 25) sector = 6;
    }
    return sector;
}

bool sectorStepIsForward(int from, int to) {
    bool forward = to > from;
    if (from == 8 && to == 1) forward = true;
    if (from == 1 && to == 8) forward = false;
    return forward;
}

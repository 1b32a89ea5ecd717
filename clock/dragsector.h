#pragma once

// The sector (1..8 clockwise from straight up, 0 the dead zone) of a pointer
// offset from the press point of a drag; y grows downward. Strict comparisons:
// an offset of exactly 25 or 50 does not pass.
int dragSector(int dx, int dy);

// Ten minutes forward (true) or back (false) for a change of sector.
bool sectorStepIsForward(int from, int to);

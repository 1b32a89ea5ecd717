#pragma once

// Unmaps the pages of font files that this process has read so far. Qt keeps
// every glyph it has drawn in its own cache, so after the first window is drawn
// the files are seldom read again; the kernel maps 64 KiB around every glyph
// read, which would otherwise stay in the program's memory for good. A later
// read maps back only what it touches.
void releaseFontPages();

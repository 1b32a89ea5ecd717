#pragma once

class QKeyEvent;

// The character a key press types, as the classic key-press handlers see it ('\r'
// for Enter, '?' for a character beyond ASCII); 0 for keys that move the focus or
// work a shortcut, which keep their meaning.
char typedCharacter(const QKeyEvent* event);

#pragma once

class QString;
class QWidget;

// The program's table of cursors by number. A control names a cursor by number;
// a number with no cursor registered leaves the control's default cursor.
void registerResourceCursor(int number, const QString& resourceName);
void applyCursor(QWidget* control, int number);

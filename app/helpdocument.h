#pragma once

#include <QString>

// Which file the help request opens: the help file when it exists, otherwise the
// program's own HTML help beside the executable.
QString helpDocumentFor(const QString& helpFile);

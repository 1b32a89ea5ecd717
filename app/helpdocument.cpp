#include "app/helpdocument.h"

#include <QFileInfo>

QString helpDocumentFor(const QString& helpFile) {
    if (QFileInfo(helpFile).isFile()) return helpFile;
    const QFileInfo info(helpFile);
    const QString page =
        info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".html");
    // A renamed executable still finds the program's own page.
    return QFileInfo(page).isFile() ? page : info.path() + QStringLiteral("/pipiron.html");
}

#include "app/handlerguard.h"
#include "app/programimage.h"
#include "app/programstyle.h"
#include "app/qtplatform.h"
#include "app/windowset.h"
#include "clock/mainwindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <QSessionManager>

namespace {

// The last line of defence: nothing thrown in an event handler crosses the loop.
class PipironApplication : public QApplication {
public:
    using QApplication::QApplication;
    Platform* platform = nullptr;

    bool notify(QObject* receiver, QEvent* event) override {
        if (!platform) return QApplication::notify(receiver, event);
        bool result = false;
        return guarded(*platform, [&] { result = QApplication::notify(receiver, event); }) &&
               result;
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    PipironApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setStyle(new ProgramStyle);
    QGuiApplication::setDesktopFileName(QStringLiteral("pipiron"));
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(programImage(u"mainicon"))));

    QtPlatform platform;
    app.platform = &platform;
    // Until the settings are applied, messages carry the executable's name.
    platform.setApplicationTitle(
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());

    WindowSet windows(platform);
    QObject::connect(
        &app, &QGuiApplication::commitDataRequest, Form1, [&platform](QSessionManager& manager) {
            if (Form1->switchIsOn() && !manager.allowsInteraction()) {
                manager.cancel();
                return;
            }
            bool canClose = true;
            if (!guarded(platform, [&] { Form1->FormCloseQuery(canClose); }) || !canClose)
                manager.cancel();
            manager.release();
        });
    guarded(platform, [] { Form1->LoadSettings(); });
    Form1->show();
    const int result = QApplication::exec();
    app.platform = nullptr;
    return result;
}

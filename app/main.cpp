#include "app/buildinfo.h"
#include "app/commandline.h"
#include "app/displayloss.h"
#include "app/fontpages.h"
#include "app/fonts.h"
#include "app/handlerguard.h"
#include "app/logoutsequence.h"
#include "app/programimage.h"
#include "app/programstyle.h"
#include "app/qtplatform.h"
#include "app/terminationsignals.h"
#include "app/windowset.h"
#include "app/xrequests.h"
#include "app/xsmpclient.h"
#include "clock/mainwindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <QTimer>

#include <fontconfig/fontconfig.h>
#include <malloc.h>

#include <thread>

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
    if (const std::optional<int> status = answerCommandLine(argc, argv)) return *status;
    // The font configuration is read while Qt connects to the display.
    std::jthread readFontConfiguration([] {
        FcInit();
        findStandInFonts();
    });
    const QByteArray sessionManager = XsmpClient::takeAddress();
    std::vector<std::string> arguments = argumentsForQt(argc, argv);
    std::vector<char*> qtArgv;
    for (std::string& argument : arguments) qtArgv.push_back(argument.data());
    qtArgv.push_back(nullptr);
    int qtArgc = int(arguments.size());
    std::optional<DisplayOpenCheck> displayCheck(std::in_place, arguments);
    PipironApplication app(qtArgc, qtArgv.data());
    displayCheck.reset();
    sendXRequestsBeforeSleep(app);
    // Taken from here on; read once the windows exist and a loop runs.
    TerminationSignals terminationSignals;
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setStyle(new ProgramStyle);
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kApplicationId));
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(programImage(u"mainicon"))));

    QtPlatform platform;
    app.platform = &platform;
    // Until the settings are applied, messages carry the executable's name.
    platform.setApplicationTitle(
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());

    readFontConfiguration.join();
    WindowSet windows(platform);
    QObject::connect(&terminationSignals, &TerminationSignals::received, Form1,
                     [] { Form1->endSession(false); });
    // A display that goes away ends the program as a signal does.
    DisplayLossWatch displayLoss([] { Form1->endSession(false); });
    XsmpClient session(sessionManager);
    LogoutSequence logout(session, *Form1);
    guarded(platform, [] { Form1->LoadSettings(); });
    Form1->show();
    // By then the first window is drawn and its glyphs are in Qt's cache, the time's
    // other digits join them, and what start-up allocated and freed (fontconfig's
    // parsing, mostly on its own thread's heap) can go back to the system.
    QTimer::singleShot(2000, Form1, [] {
        Form1->cacheTimeGlyphs();
        releaseFontPages();
#ifdef __GLIBC__
        malloc_trim(0);
#endif
    });
    const int result = QApplication::exec();
    app.platform = nullptr;
    return result;
}

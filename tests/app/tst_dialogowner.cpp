#include "app/qtplatform.h"
#include "app/windowset.h"
#include "clock/mainwindow.h"
#include "mini/miniwindow.h"
#include "settings/aboutwindow.h"
#include "settings/settingswindow.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>

namespace {

// The desktop's own dialogs and modal showing, with a set clock and the program in
// a fresh folder (no sound file: the start-up message comes up).
class RealDialogs : public QtPlatform {
public:
    LocalTime now{9, 5, 0, 0};
    QString exe;
    LocalTime localTime() override { return now; }
    QString executablePath() override { return exe; }
    void messageBeep(unsigned) override {}
};

QPoint centreOf(const QWidget* window) {
    return window->frameGeometry().center();
}

}  // namespace

// Each dialog stands over the window the user acted in: transient for it (a child
// surface on Wayland) and centred on it; with no window showing, centred on the screen.
TEST(DialogOwner, EachDialogBelongsToTheWindowTheUserActedIn) {
    enum class Owner { None, Main, Mini };
    struct Case {
        const char* name;
        bool armed;
        bool showMain;
        std::function<void()> act;
        std::function<void()> inMini;  // set: done once the mini timer shows
        Owner owner;
    } cases[] = {
        {"警告 after 終了 in the menu",
         true,
         true,
         [] { Form1->Exit1->trigger(); },
         {},
         Owner::Main},
        {"警告 after 終了 in the mini timer", true, true, [] { Form1->Mini->trigger(); },
         [] { Form4->Exit->trigger(); }, Owner::Main},
        {"error box while the mini timer shows", false, true, [] { Form1->Mini->trigger(); },
         [] {
             Form1->timeLocale.picture = "h:mm:ss tt";  // a time that is not "HH:MM"
             Form1->Timer1->start(1);
         },
         Owner::Mini},
        {"設定", false, true, [] { Form1->Setting->trigger(); }, {}, Owner::Main},
        {"About", false, true, [] { Form1->About1->trigger(); }, {}, Owner::Main},
        {"message at start-up", false, false, [] { Form1->LoadSettings(); }, {}, Owner::None},
    };
    QTemporaryDir folder;
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RealDialogs platform;
        platform.exe = folder.filePath(QStringLiteral("pipiron"));
        WindowSet windows(platform);
        Form1->Timer1->stop();
        if (c.showMain) {
            Form1->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1));
            Form1->move(screen.width() - Form1->width() - 40,
                        screen.height() - Form1->height() - 40);
        }
        if (c.armed) Form1->BtnSetClick();

        // The user: acts in the mini timer once it shows, then looks at the dialog.
        QWidget* dialog = nullptr;
        QWindow* standsOver = nullptr;
        QPoint dialogCentre;
        bool inMiniDone = false;
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, &user, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == Form4 && c.inMini && !inMiniDone) {
                inMiniDone = true;
                Form4->move(60, 60);
                c.inMini();
                return;
            }
            if (!modal || modal == Form4) return;
            if (!dialog) {  // the first to come up; any later message is simply closed
                dialog = modal;
                Form1->Timer1->stop();
                Form1->timeLocale = TimeLocale{};
                standsOver = modal->windowHandle()->transientParent();
                dialogCentre = centreOf(modal);
            }
            modal->close();
            if (Form4->MiniMode) Form4->Open1->trigger();
        });
        user.start(50);
        c.act();
        user.stop();

        ASSERT_NE(dialog, nullptr);
        QWidget* owner = c.owner == Owner::Main   ? static_cast<QWidget*>(Form1)
                         : c.owner == Owner::Mini ? static_cast<QWidget*>(Form4)
                                                  : nullptr;
        EXPECT_EQ(standsOver, owner ? owner->windowHandle() : nullptr);
        const QPoint expected = owner ? centreOf(owner) : screen.center();
        EXPECT_LE((dialogCentre - expected).manhattanLength(), 60)
            << dialogCentre.x() << "," << dialogCentre.y() << " for " << expected.x() << ","
            << expected.y();
    }
}

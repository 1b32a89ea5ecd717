#include "windowfixture.h"

#include "app/qtplatform.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QTest>

using namespace Qt::StringLiterals;

class About : public WindowTest {};

TEST_F(About, ShowsTheProgramsOwnTextsOnWhite) {
    start();
    EXPECT_EQ(Form2->windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(Form2->LblTitle->text(), QStringLiteral("ぴぴろん"));
    EXPECT_EQ(Form2->LblVer->text(), QStringLiteral("Version 1.01"));
    EXPECT_EQ(Form2->LblCopy->text(), QStringLiteral("1997.7"));
    EXPECT_EQ(Form2->Button1->text(), QStringLiteral("ＯＫ"));
    EXPECT_EQ(Form2->size(), QSize(193, 134));
    const Qt::WindowFlags flags = Form2->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(Form2->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(Form2->Button1->geometry(), QRect(120, 104, 65, 25));
    EXPECT_EQ(Form2->Image1->picture().size(), QSize(32, 32));
    // The credit stays clear of the date beside it.
    Form2->show();
    EXPECT_LE(Form2->Label2->geometry().right(), Form2->LblCopy->x());
}

// The real modal loop: the tick goes on while the About window is up.
TEST_F(About, OkClosesItWithAClickEnterOrSpace) {
    enum class Press { Click, Enter, Space };
    start();
    for (Press press : {Press::Click, Press::Enter, Press::Space}) {
        platform.setTime(9, int(press), 0);
        QTimer::singleShot(1100, qApp, [press] {
            ASSERT_TRUE(Form2->isVisible());
            EXPECT_EQ(QApplication::focusWidget(), Form2->Button1);
            switch (press) {
                case Press::Click:
                    QTest::mouseClick(Form2->Button1, Qt::LeftButton);
                    break;
                case Press::Enter:
                    QTest::keyClick(Form2->Button1, Qt::Key_Return);
                    break;
                case Press::Space:
                    QTest::keyClick(Form2->Button1, Qt::Key_Space);
                    break;
            }
        });
        Form1->Timer1->start(1000);
        runModal(Form2);
        Form1->Timer1->stop();
        EXPECT_TRUE(Form2->isHidden());
        EXPECT_EQ(Form1->LblNow->text(), QStringLiteral("09:0%1").arg(int(press)));
    }
}

TEST_F(About, HelpGoesToThePlatformWithoutWaiting) {
    start();
    Form1->K5->trigger();
    const QString hlp = folder.filePath(QStringLiteral("pipiron.hlp"));
    ASSERT_EQ(platform.helps.size(), 1u);
    EXPECT_EQ(platform.helps[0], std::make_tuple(hlp, 3u, 0u));

    // F1 while one of the menus is open asks for the same file by context 0.
    Form1->show();
    Form1->K4->popup(Form1->mapToGlobal(QPoint(0, 0)));
    QTest::keyClick(Form1->K4, Qt::Key_F1);
    Form1->K4->hide();
    ASSERT_EQ(platform.helps.size(), 2u);
    EXPECT_EQ(platform.helps[1], std::make_tuple(hlp, 1u, 0u));
    // F1 anywhere else does nothing.
    QTest::keyClick(Form1, Qt::Key_F1);
    EXPECT_EQ(platform.helps.size(), 2u);
}

// The help file of the executable's name when it exists, else a page of that name,
// else the program's own page, however the executable is called.
TEST_F(About, HelpOpensTheHelpFileElseAPageBesideTheExecutable) {
    const struct {
        const char* executable;
        QStringList files;
        const char* opened;
    } cases[] = {{"pipiron", {u"pipiron.html"_s}, "pipiron.html"},
                 {"pipiron", {u"pipiron.hlp"_s, u"pipiron.html"_s}, "pipiron.hlp"},
                 {"mezamashi", {u"pipiron.html"_s}, "pipiron.html"},
                 {"mezamashi", {u"mezamashi.html"_s, u"pipiron.html"_s}, "mezamashi.html"},
                 {"mezamashi", {u"mezamashi.hlp"_s, u"pipiron.html"_s}, "mezamashi.hlp"},
                 {"mezamashi", {}, "pipiron.html"}};
    start();
    for (const auto& [executable, files, opened] : cases) {
        QTemporaryDir beside;
        for (const QString& name : files) {
            QFile file(beside.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        platform.exe = beside.filePath(QString::fromLatin1(executable));
        platform.helps.clear();
        Form1->LoadSettings();
        Form1->K5->trigger();
        ASSERT_EQ(platform.helps.size(), 1u);
        EXPECT_EQ(helpDocumentFor(std::get<0>(platform.helps[0])),
                  beside.filePath(QString::fromLatin1(opened)))
            << executable << " " << files.join(u' ').toStdString();
    }
}

namespace {
std::string loggedWarnings;
void recordWarnings(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtWarningMsg) loggedWarnings += text.toStdString() + "\n";
}
}  // namespace

// With no program that can show the page (no xdg-open, or one that finds no
// browser), a box over the main window says where the page is, and nothing is
// written on standard error; a viewer that starts shows no box.
TEST(HelpWithoutViewer, ABoxNamesThePagesFullPath) {
    struct Case {
        const char* opener;  // the xdg-open on PATH; nullptr: none
        bool box;
    } cases[] = {{nullptr, true},
                 {"echo no browser >&2; echo nothing >&1; exit 3", true},
                 {"exit 0", false}};
    QWidget window;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const QByteArray path = qgetenv("PATH");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.opener ? c.opener : "no xdg-open");
        QTemporaryDir folder;
        if (c.opener) {
            QFile script(folder.filePath(u"xdg-open"_s));
            ASSERT_TRUE(script.open(QIODevice::WriteOnly));
            script.write(QByteArray("#!/bin/sh\n") + c.opener + "\n");
            script.close();
            script.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        }
        qputenv("PATH", folder.path().toUtf8());
        QtPlatform platform;
        platform.setApplicationTitle(u"ぴぴろん"_s);
        platform.currentWindow = [&window] { return &window; };

        QString title, text;
        QWidget* parent = nullptr;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, qApp, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            title = box->windowTitle();
            text = box->text();
            parent = box->parentWidget();
            QTest::keyClick(box, Qt::Key_Return);
        });
        answer.start(20);
        loggedWarnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(recordWarnings);
        platform.showHelp(folder.filePath(u"mezamashi.hlp"_s), 3, 0);
        // The verdict comes when xdg-open ends; a viewer that starts gives none.
        for (int waited = 0; title.isEmpty() && waited < (c.box ? 5000 : 500); waited += 20)
            QTest::qWait(20);
        qInstallMessageHandler(previous);
        qputenv("PATH", path);

        EXPECT_EQ(!title.isEmpty(), c.box);
        if (!c.box) continue;
        EXPECT_EQ(title, u"ぴぴろん"_s);
        EXPECT_TRUE(text.endsWith(u"\n"_s + folder.filePath(u"pipiron.html"_s)))
            << text.toStdString();
        EXPECT_EQ(parent, &window);
        EXPECT_EQ(loggedWarnings.find(folder.path().toStdString()), std::string::npos)
            << loggedWarnings;
    }
}

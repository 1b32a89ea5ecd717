// Another program for the desktop tests: a window titled "keycatcher" with a text
// box that has the keyboard, writing its whole text to stdout at every change.
#include <QApplication>
#include <QPlainTextEdit>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QPlainTextEdit edit;
    edit.setWindowTitle(QStringLiteral("keycatcher"));
    edit.resize(300, 200);
    QObject::connect(&edit, &QPlainTextEdit::textChanged, &edit, [&edit] {
        std::printf("[%s]\n", edit.toPlainText().toUtf8().constData());
        std::fflush(stdout);
    });
    edit.show();
    return QApplication::exec();
}

// The yardstick for the idle figures: the least a Qt Widgets program does to
// show a 128 by 128 picture and redraw it once a second.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTime>
#include <QTimer>
#include <QWidget>

namespace {

class BareWindow : public QWidget {
public:
    BareWindow() : m_image(128, 128, QImage::Format_RGB32) {
        setFixedSize(m_image.size());
        redraw();
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &BareWindow::redraw);
        timer->start(1000);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(0, 0, m_image);
    }

private:
    // A second hand, so that every redraw changes the picture.
    void redraw() {
        m_image.fill(Qt::white);
        QPainter painter(&m_image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(64, 64);
        painter.drawEllipse(QPointF(0, 0), 60, 60);
        painter.rotate(6.0 * QTime::currentTime().second());
        painter.drawLine(QPointF(0, 0), QPointF(0, -56));
        painter.end();
        update();
    }

    QImage m_image;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    BareWindow window;
    window.show();
    return QApplication::exec();
}

#include "app/lookchanges.h"

#include <QEvent>
#include <QWidget>

namespace {

class LookFollower : public QObject {
public:
    LookFollower(QWidget* window, std::function<void()> follow)
        : QObject(window), m_follow(std::move(follow)) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::PaletteChange:
            case QEvent::StyleChange:
            case QEvent::ApplicationPaletteChange:
                if (m_pending) break;
                m_pending = true;
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        m_pending = false;
                        m_follow();
                    },
                    Qt::QueuedConnection);
                break;
            default:
                break;
        }
        return false;
    }

private:
    std::function<void()> m_follow;
    bool m_pending = false;
};

}  // namespace

void followLookChanges(QWidget* window, std::function<void()> follow) {
    new LookFollower(window, std::move(follow));
}

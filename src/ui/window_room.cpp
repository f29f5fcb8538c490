#include "window_room.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace {

class RoomKeeper : public QObject {
public:
    explicit RoomKeeper(QMdiSubWindow* sub) : QObject(sub), m_sub(sub) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::LayoutRequest)
            // After the layout has done its work, when the new minimum is known.
            QTimer::singleShot(0, this, [this] { grow(); });
        return false;
    }

private:
    void grow()
    {
        // A window maximized or laid down keeps what its state gives it.
        if (!m_sub || m_sub->isMaximized() || m_sub->isMinimized() || m_sub->isShaded())
            return;
        const QSize now = m_sub->size();
        const QSize least = m_sub->minimumSizeHint();
        if (now.width() >= least.width() && now.height() >= least.height())
            return;
        QSize wanted = now.expandedTo(m_sub->sizeHint().expandedTo(least));
        // Within the area: the window moves up and left as far as it must, so that what it grew
        // for stays in sight.
        QRect room = m_sub->mdiArea() ? m_sub->mdiArea()->viewport()->rect() : QRect(QPoint(), wanted);
        wanted = wanted.boundedTo(room.size());
        QPoint at = m_sub->pos();
        at.setX(std::max(0, std::min(at.x(), room.width() - wanted.width())));
        at.setY(std::max(0, std::min(at.y(), room.height() - wanted.height())));
        m_sub->setGeometry(QRect(at, wanted));
    }
    QPointer<QMdiSubWindow> m_sub;
};

} // namespace

QMdiSubWindow* addWorkingWindow(QMdiArea* area, QWidget* window)
{
    QMdiSubWindow* sub = area->addSubWindow(window);
    window->installEventFilter(new RoomKeeper(sub));
    return sub;
}

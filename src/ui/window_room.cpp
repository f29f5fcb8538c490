#include "window_room.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTimer>

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
        if (!m_sub)
            return;
        const QSize now = m_sub->size();
        const QSize least = m_sub->minimumSizeHint();
        if (now.width() >= least.width() && now.height() >= least.height())
            return;
        const QSize natural = m_sub->sizeHint().expandedTo(least);
        m_sub->resize(now.expandedTo(natural));
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

#include "ui/WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace {

QRect AvailableScreenArea(const QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// The rectangle to centre on: the opener's frame, or the whole screen.
QRect Anchor(const QWidget* window, Centring centring, const QWidget* opener)
{
    if (centring == Centring::OverOpenerEach && opener && opener->window()->isVisible())
        return opener->window()->frameGeometry();
    return AvailableScreenArea(window);
}

void Centre(QWidget* window, Centring centring, const QWidget* opener)
{
    QRect placed(QPoint(0, 0), window->frameGeometry().size());
    placed.moveCenter(Anchor(window, centring, opener).center());
    // Keep the title bar reachable when the opener sits near a screen edge.
    const QRect screen = AvailableScreenArea(window);
    if (!screen.isEmpty()) {
        placed.moveRight(qMin(placed.right(), screen.right()));
        placed.moveBottom(qMin(placed.bottom(), screen.bottom()));
        placed.moveLeft(qMax(placed.left(), screen.left()));
        placed.moveTop(qMax(placed.top(), screen.top()));
    }
    window->move(placed.topLeft());
}

class CentreOnShow : public QObject {
public:
    CentreOnShow(QWidget* window, Centring centring, const QWidget* opener)
        : QObject(window), m_centring(centring), m_opener(opener)
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A spontaneous show is the window system restoring a minimised
        // window: it stays where the user left it.
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            Centre(static_cast<QWidget*>(watched), m_centring, m_opener);
            if (m_centring == Centring::OnScreenOnce) {
                watched->removeEventFilter(this);
                deleteLater();
            }
        }
        return false;
    }

private:
    Centring m_centring;
    QPointer<const QWidget> m_opener;
};

} // namespace

void CentreWhenShown(QWidget* window, Centring centring, const QWidget* opener)
{
    window->installEventFilter(new CentreOnShow(window, centring, opener));
}

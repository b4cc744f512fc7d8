#include "app/TrendPlace.h"

#include <algorithm>
#include <limits>

namespace {

// The squared distance between the centres of two rectangles.
long long Distance(const QRect& a, const QRect& b) {
    const long long dx = a.center().x() - b.center().x(), dy = a.center().y() - b.center().y();
    return dx * dx + dy * dy;
}

// A strip of the title bar must be on the screen for the window to be moved back by hand.
constexpr int Reachable = 48;

const QRect* ScreenOf(const QRect& place, const QList<QRect>& screens) {
    const QRect* nearest = nullptr;
    long long best = std::numeric_limits<long long>::max();
    for (const QRect& screen : screens) {
        const QRect shown = screen.intersected(place);
        if (shown.width() >= Reachable && shown.height() >= Reachable && place.top() >= screen.top() - Reachable / 2)
            return &screen;
        if (Distance(place, screen) < best) {
            best = Distance(place, screen);
            nearest = &screen;
        }
    }
    return nearest;
}

}  // namespace

QRect BringOntoScreens(const QRect& place, const QList<QRect>& screens) {
    if (screens.isEmpty()) return place;
    const QRect& screen = *ScreenOf(place, screens);
    const QRect shown = screen.intersected(place);
    if (shown.width() >= Reachable && shown.height() >= Reachable && place.top() >= screen.top() - Reachable / 2)
        return place;
    QRect moved(place.topLeft(), place.size().boundedTo(screen.size()));
    moved.moveLeft(std::clamp(moved.left(), screen.left(), screen.right() + 1 - moved.width()));
    moved.moveTop(std::clamp(moved.top(), screen.top(), screen.bottom() + 1 - moved.height()));
    return moved;
}

QRect BesideWindow(const QRect& main, const QSize& size, const QList<QRect>& screens) {
    QRect right(QPoint(main.right() + 1 + 8, main.top()), size);
    if (screens.isEmpty()) return right;
    const QRect& screen = *ScreenOf(main, screens);
    if (right.right() <= screen.right()) return right;
    QRect left(QPoint(main.left() - 8 - size.width(), main.top()), size);
    if (left.left() >= screen.left()) return left;
    // No room on either side: the side with more room, kept on the screen.
    return screen.right() - main.right() >= main.left() - screen.left() ? right : left;
}

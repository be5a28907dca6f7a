#include "app/dock_geometry.h"

namespace tolvane {
namespace {

// The strip left visible of a hidden window.
constexpr int strip = 2;
// The band kept free above the bottom of the screen.
constexpr int bottomBand = 30;

// The cursor is near when it lies strictly inside the window grown by the given
// margins; the docked side gets the narrow margin.
bool cursorNear(const DockRect& w, const DockPoint& c, int leftMargin, int rightMargin,
                int topMargin, int bottomMargin) {
    return c.x > w.left - leftMargin && c.x < w.left + w.width + rightMargin &&
           c.y > w.top - topMargin && c.y < w.top + w.height + bottomMargin;
}

bool touchesAnEdge(const DockRect& w, const DockScreen& s) {
    return w.top <= 0 || w.left <= 0 || w.left + w.width >= s.width ||
           w.top >= s.height - bottomBand;
}

void topStep(DockRect& w, const DockPoint& c) {
    if (w.top <= 0)
        w.top = cursorNear(w, c, 10, 10, strip, 10) ? 0 : strip - w.height;
}

void leftStep(DockRect& w, const DockPoint& c) {
    if (w.left <= 0)
        w.left = cursorNear(w, c, strip, 10, 10, 10) ? 0 : strip - w.width;
}

void rightStep(DockRect& w, const DockPoint& c, const DockScreen& s) {
    if (w.left + w.width >= s.width)
        w.left = cursorNear(w, c, 10, strip, 10, 10) ? s.width - w.width : s.width - strip;
}

void bottomStep(DockRect& w, const DockPoint& c, const DockScreen& s) {
    const int shownTop = s.height - w.height - bottomBand;
    const bool near = cursorNear(w, c, 10, 10, 10, bottomBand + strip);
    if (near && w.top + w.height + bottomBand >= s.height)
        w.top = shownTop;
    else if (!near && w.top == shownTop)
        w.top = s.height - strip;
}

} // namespace

DockPlacement dockPlacement(const DockRect& window, const DockPoint& cursor,
                            const DockScreen& screen) {
    DockRect w = window;
    const bool topmost = touchesAnEdge(w, screen);
    topStep(w, cursor);
    leftStep(w, cursor);
    rightStep(w, cursor, screen);
    bottomStep(w, cursor, screen);
    return {w.left, w.top, topmost};
}

} // namespace tolvane

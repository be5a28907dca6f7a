// The screen-edge docking decision of one tick, as a pure function of the
// window's outer rectangle, the cursor and the primary screen's size. The timer
// of the main window applies it to the real window.
#pragma once

namespace tolvane {

struct DockRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct DockPoint {
    int x = 0;
    int y = 0;
};

struct DockScreen {
    int width = 0;
    int height = 0;
};

struct DockPlacement {
    int left = 0;
    int top = 0;
    bool topmost = false;

    bool operator==(const DockPlacement&) const = default;
};

// A window at or past an edge is topmost; then the top, left, right and bottom
// steps each show or hide the window, each seeing the moves of the steps before it.
DockPlacement dockPlacement(const DockRect& window, const DockPoint& cursor,
                            const DockScreen& screen);

} // namespace tolvane

#pragma once

class QMouseEvent;

// A tool of the map view: it is handed the mouse events on the bare map (in pixels of the
// surface) before the view pulls the map about with them.
class FieldTool {
public:
    virtual ~FieldTool() = default;
    // True when the tool took the event.
    virtual bool surfaceMouse(QMouseEvent *event) = 0;
    // True while a drag of the tool is held (the view scrolls along at its edges).
    virtual bool dragging() const { return false; }
};

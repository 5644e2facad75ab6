#pragma once

// What the services need from the program that owns the windows and their keys: the current
// window drawn again, and a viewer run as a modal window. The services declare it so that
// they depend on nothing above them; the terminal host implements it.
class WindowOwner {
public:
    // Draws the current window (panel or viewer) into the screen.
    virtual void drawCurrentWindow() = 0;
    // Runs the viewer at a position as a modal window until it is closed (Editor without
    // EF_NONMODAL).
    virtual void runModalViewer(int position) = 0;

protected:
    ~WindowOwner() = default;
};

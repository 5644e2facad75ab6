#pragma once

#include <memory>
#include <string>
#include <vector>

#include "far/plugin_api.h"
#include "windows/viewer.h"

// The host's windows: the panels at position 0, then the open viewers in the order they were
// opened. One of them is current; a switch asked for with ACTL_SETCURRENTWINDOW happens at
// ACTL_COMMIT.
class WindowList {
public:
    int count() const { return 1 + static_cast<int>(viewers_.size()); }
    int current() const { return current_; }
    // The viewer at a position (1 and up), or none.
    Viewer* viewerAt(int position);
    Viewer* currentViewer() { return viewerAt(current_); }
    // The position of the viewer on the path, or -1.
    int find(const std::string& path) const;

    // Adds a viewer, makes it current and returns its position.
    int open(std::unique_ptr<Viewer> viewer);
    // Closes the viewer at a position; the last opened remaining window becomes current.
    void close(int position);
    void makeCurrent(int position);

    // ACTL_GETWINDOWINFO: Pos -1 is the current window. False for a position out of range.
    bool describe(WindowInfo& info, const std::string& panelDirectory) const;
    bool requestSwitch(int position);
    // Applies a requested switch; true when the current window changed.
    bool commit();

private:
    std::vector<std::unique_ptr<Viewer>> viewers_;
    int current_ = 0;
    int pending_ = -1;
    int nextId_ = 1;
};

// An absolute path without "." and ".." steps or doubled slashes, relative ones taken from the
// directory; this is how windows are named, so that one file has one name.
std::string normalizePath(const std::string& path, const std::string& directory);

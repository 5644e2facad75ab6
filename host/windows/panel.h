#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "far/plugin_api.h"
#include "terminal/display.h"

struct PanelEntry {
    std::string name;
    bool directory = false;
    uint64_t size = 0;
    time_t modified = 0;
};

// The file panel of the current directory: ".." first (except at the root), then the
// directories, then the files, each group by name ignoring case; a cursor over them.
class Panel {
public:
    // Reads the directory; the cursor goes to the entry named keep when there is one, else
    // stays at its index.
    void read(const std::string& directory, const std::string& keep = std::string());
    const std::string& directory() const { return directory_; }
    const std::vector<PanelEntry>& entries() const { return entries_; }
    int current() const { return current_; }
    const PanelEntry* currentEntry() const;
    void moveCursor(int delta);
    void setCursor(int index);
    std::string error() const { return error_; }

    // Draws the panel into the rectangle (frame, directory title, names, sizes and times).
    void draw(Display& display, int x, int y, int width, int height);
    // FCTL_GETPANELINFO: the items, the current item and the directory. The items stay valid
    // until the next call.
    void fillPanelInfo(PanelInfo& info);

private:
    std::string directory_;
    std::vector<PanelEntry> entries_;
    int current_ = 0;
    int top_ = 0;
    int rows_ = 1;
    std::string error_;
    std::vector<PluginPanelItem> records_;
};

// "name}" when a name does not fit its column, as the host marks cut names.
std::string fitName(const std::string& name, int width);

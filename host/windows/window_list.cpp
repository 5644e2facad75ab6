#include "windows/window_list.h"

#include <cstring>

Viewer* WindowList::viewerAt(int position) {
    if (position < 1 || position >= count()) return nullptr;
    return viewers_[position - 1].get();
}

int WindowList::find(const std::string& path) const {
    for (size_t i = 0; i < viewers_.size(); ++i) {
        if (viewers_[i]->path() == path) return static_cast<int>(i) + 1;
    }
    return -1;
}

int WindowList::open(std::unique_ptr<Viewer> viewer) {
    viewer->setId(nextId_++);
    viewers_.push_back(std::move(viewer));
    current_ = count() - 1;
    pending_ = -1;
    return current_;
}

void WindowList::close(int position) {
    if (position < 1 || position >= count()) return;
    viewers_.erase(viewers_.begin() + (position - 1));
    current_ = count() - 1;
    pending_ = -1;
}

void WindowList::makeCurrent(int position) {
    if (position >= 0 && position < count()) current_ = position;
}

bool WindowList::describe(WindowInfo& info, const std::string& panelDirectory) const {
    int position = info.Pos == -1 ? current_ : info.Pos;
    if (position < 0 || position >= count()) return false;
    std::memset(&info, 0, sizeof info);
    info.Pos = position;
    info.Current = position == current_;
    if (position == 0) {
        info.Type = WTYPE_PANELS;
        std::strncpy(info.TypeName, "Panels", sizeof info.TypeName - 1);
        std::strncpy(info.Name, panelDirectory.c_str(), sizeof info.Name - 1);
    } else {
        info.Type = WTYPE_EDITOR;
        info.Modified = 0;  // the viewer never changes its file
        std::strncpy(info.TypeName, "Edit", sizeof info.TypeName - 1);
        std::strncpy(info.Name, viewers_[position - 1]->path().c_str(), sizeof info.Name - 1);
    }
    return true;
}

bool WindowList::requestSwitch(int position) {
    if (position < 0 || position >= count()) return false;
    pending_ = position;
    return true;
}

bool WindowList::commit() {
    int pending = pending_;
    pending_ = -1;
    if (pending < 0 || pending >= count() || pending == current_) return false;
    current_ = pending;
    return true;
}

std::string normalizePath(const std::string& path, const std::string& directory) {
    std::string full = !path.empty() && path[0] == '/' ? path : directory + "/" + path;
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= full.size()) {
        size_t slash = full.find('/', start);
        std::string part = full.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    std::string normalized;
    for (const std::string& part : parts) normalized += "/" + part;
    return normalized.empty() ? "/" : normalized;
}

#include "windows/panel.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "widgets/frame.h"

namespace {

const uint8_t kPanelColor = 0x1B;
const uint8_t kDirectoryColor = 0x1F;
const uint8_t kCursorColor = 0x30;
const uint8_t kTitleColor = 0x30;
const DWORD kDirectoryAttribute = 0x10;  // FILE_ATTRIBUTE_DIRECTORY
const DWORD kNormalAttribute = 0x80;     // FILE_ATTRIBUTE_NORMAL
// Seconds from 1601 (the host's file times) to 1970.
const uint64_t kEpochDifference = 11644473600ULL;

bool entryBefore(const PanelEntry& a, const PanelEntry& b) {
    if (a.name == "..") return b.name != "..";
    if (b.name == "..") return false;
    if (a.directory != b.directory) return a.directory;
    int order = strcasecmp(a.name.c_str(), b.name.c_str());
    return order != 0 ? order < 0 : a.name < b.name;
}

FILETIME fileTime(time_t time) {
    uint64_t ticks = (static_cast<uint64_t>(time) + kEpochDifference) * 10000000ULL;
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

std::string sizeText(const PanelEntry& entry) {
    if (entry.name == "..") return "Up";
    if (entry.directory) return "Folder";
    if (entry.size < 10000000ULL) return std::to_string(entry.size);
    if (entry.size < 10000000ULL * 1024) return std::to_string(entry.size / 1024) + " K";
    return std::to_string(entry.size / (1024 * 1024)) + " M";
}

std::string timeText(time_t time) {
    char text[32] = "";
    struct tm local {};
    if (localtime_r(&time, &local)) strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

}  // namespace

std::string fitName(const std::string& name, int width) {
    if (width <= 0) return std::string();
    if (static_cast<int>(name.size()) <= width) return name;
    return name.substr(0, width - 1) + "}";
}

void Panel::read(const std::string& directory, const std::string& keep) {
    std::string previousName = currentEntry() ? currentEntry()->name : std::string();
    directory_ = directory;
    entries_.clear();
    error_.clear();
    DIR* folder = opendir(directory.c_str());
    if (!folder) error_ = std::strerror(errno);
    while (folder) {
        dirent* item = readdir(folder);
        if (!item) break;
        std::string name = item->d_name;
        if (name == "." || (name == ".." && directory == "/")) continue;
        PanelEntry entry;
        entry.name = name;
        struct stat status {};
        std::string path = directory == "/" ? "/" + name : directory + "/" + name;
        if (stat(path.c_str(), &status) == 0) {
            entry.directory = S_ISDIR(status.st_mode);
            entry.size = static_cast<uint64_t>(status.st_size);
            entry.modified = status.st_mtime;
        } else {
            entry.directory = item->d_type == DT_DIR;
        }
        entries_.push_back(entry);
    }
    if (folder) closedir(folder);
    if (directory != "/" && std::none_of(entries_.begin(), entries_.end(), [](const PanelEntry& e) { return e.name == ".."; })) {
        PanelEntry up;
        up.name = "..";
        up.directory = true;
        entries_.push_back(up);
    }
    std::sort(entries_.begin(), entries_.end(), entryBefore);
    const std::string& wanted = keep.empty() ? previousName : keep;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].name == wanted) {
            current_ = static_cast<int>(i);
            return;
        }
    }
    setCursor(current_);
}

const PanelEntry* Panel::currentEntry() const {
    if (current_ < 0 || current_ >= static_cast<int>(entries_.size())) return nullptr;
    return &entries_[current_];
}

void Panel::setCursor(int index) {
    int last = static_cast<int>(entries_.size()) - 1;
    current_ = std::max(std::min(index, last), 0);
}

void Panel::moveCursor(int delta) { setCursor(current_ + delta); }

void Panel::draw(Display& display, int x, int y, int width, int height) {
    if (width < 4 || height < 3) return;
    drawFrame(display, Box{x, y, width, height}, kPanelColor, true, std::string());
    std::string title = " " + fitText(directory_, width - 6) + " ";
    drawCentred(display, x + 1, y, width - 2, kTitleColor, title);

    // Name, then a size column and a time column when there is room for them.
    int inner = width - 2;
    int sizeWidth = inner >= 40 ? 10 : 0;
    int timeWidth = inner >= 60 ? 17 : 0;
    int nameWidth = inner - (sizeWidth ? sizeWidth + 1 : 0) - (timeWidth ? timeWidth + 1 : 0);
    bool footer = height >= 6;
    rows_ = std::max(height - 2 - (footer ? 2 : 0), 1);
    if (current_ < top_) top_ = current_;
    if (current_ >= top_ + rows_) top_ = current_ - rows_ + 1;
    top_ = std::max(std::min(top_, static_cast<int>(entries_.size()) - rows_), 0);

    for (int row = 0; row < rows_; ++row) {
        int index = top_ + row;
        int lineY = y + 1 + row;
        if (index >= static_cast<int>(entries_.size())) break;
        const PanelEntry& entry = entries_[index];
        uint8_t color = index == current_ ? kCursorColor : entry.directory ? kDirectoryColor : kPanelColor;
        std::string line = fitName(entry.name, nameWidth);
        line.resize(nameWidth, ' ');
        if (sizeWidth) {
            std::string size = fitText(sizeText(entry), sizeWidth);
            line += std::string(1 + sizeWidth - size.size(), ' ') + size;
        }
        if (timeWidth) line += " " + (entry.name == ".." ? std::string(timeWidth, ' ') : fitText(timeText(entry.modified), timeWidth));
        display.text(x + 1, lineY, color, line);
    }
    if (footer) {
        int lineY = y + height - 3;
        for (int column = 1; column < width - 1; ++column) display.glyph(x + column, lineY, kPanelColor, GlyphHorizontal);
        std::string info = error_.empty() ? std::string() : "cannot read: " + error_;
        if (info.empty() && currentEntry()) info = currentEntry()->name;
        display.text(x + 1, lineY + 1, kPanelColor, fitText(info, inner));
    }
}

void Panel::fillPanelInfo(PanelInfo& info) {
    std::memset(&info, 0, sizeof info);
    records_.assign(entries_.size(), PluginPanelItem{});
    for (size_t i = 0; i < entries_.size(); ++i) {
        PluginPanelItem& record = records_[i];
        const PanelEntry& entry = entries_[i];
        record.FindData.dwFileAttributes = entry.directory ? kDirectoryAttribute : kNormalAttribute;
        record.FindData.ftLastWriteTime = fileTime(entry.modified);
        record.FindData.ftCreationTime = record.FindData.ftLastWriteTime;
        record.FindData.ftLastAccessTime = record.FindData.ftLastWriteTime;
        record.FindData.nFileSizeHigh = static_cast<DWORD>(entry.size >> 32);
        record.FindData.nFileSizeLow = static_cast<DWORD>(entry.size & 0xFFFFFFFFu);
        std::strncpy(record.FindData.cFileName, entry.name.c_str(), MAX_PATH - 1);
        record.NumberOfLinks = 1;
    }
    info.PanelType = 0;  // a file panel
    info.PanelItems = records_.empty() ? nullptr : records_.data();
    info.ItemsNumber = static_cast<int>(records_.size());
    // No selection: the host reports the current item as the selected one.
    info.SelectedItems = records_.empty() ? nullptr : &records_[current_];
    info.SelectedItemsNumber = records_.empty() ? 0 : 1;
    info.CurrentItem = current_;
    info.TopPanelItem = top_;
    info.Visible = 1;
    info.Focus = 1;
    std::strncpy(info.CurDir, directory_.c_str(), NM - 1);
}

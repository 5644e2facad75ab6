#include "far/host_services.h"

#include <cstdio>
#include <cstring>

namespace {

PluginStartupInfo hostTable{};
String moduleDirectory;

const char kMenuHelpTopic[] = "content";
const int kMenuMaxHeight = 20;
const int kMenuItemTextLength = 120;

}  // namespace

void bindHost(const PluginStartupInfo& info) {
    // A host that hands over a shorter table gets the rest of ours zeroed, never read past.
    size_t size = sizeof hostTable;
    if (info.StructSize > 0 && static_cast<size_t>(info.StructSize) < size) size = info.StructSize;
    std::memset(&hostTable, 0, sizeof hostTable);
    std::memcpy(&hostTable, &info, size);

    char path[MAX_PATH];
    std::memcpy(path, info.ModuleName, sizeof path);
    path[sizeof path - 1] = 0;
    char* separator = std::strrchr(path, '\\');
    char* slash = std::strrchr(path, '/');
    if (!separator || (slash && slash > separator)) separator = slash;
    if (separator) {
        separator[1] = 0;
        moduleDirectory.assign(path);
    } else {
        moduleDirectory.assign("");
    }
}

const PluginStartupInfo& host() { return hostTable; }

const String& pluginDirectory() { return moduleDirectory; }

INT_PTR hostAdvancedControl(int command, void* parameter) {
    return hostTable.AdvControl ? hostTable.AdvControl(hostTable.ModuleNumber, command, parameter) : 0;
}

int hostEditorControl(int command, void* parameter) {
    return hostTable.EditorControl ? hostTable.EditorControl(command, parameter) : 0;
}

void hostSwitchToWindow(int position) {
    hostAdvancedControl(ACTL_SETCURRENTWINDOW, reinterpret_cast<void*>(static_cast<INT_PTR>(position)));
    hostAdvancedControl(ACTL_COMMIT, nullptr);
}

const char* hostMessage(int index) {
    if (!hostTable.GetMsg) return nullptr;
    return hostTable.GetMsg(hostTable.ModuleNumber, index);
}

int ShowMessage(const char* text) {
    if (!hostTable.Message) return 0;
    const char* items[3] = {"Tinker", text, "Ok"};
    if (!text) {
        items[0] = "Wrong argument!";
        items[1] = "Msg";
    }
    hostTable.Message(hostTable.ModuleNumber, 0, nullptr, items, 3, 1);
    return 0;
}

int ChooseFromMenu(const char* title, StringList& items, int preselected) {
    int count = items.count();
    if (!hostTable.Menu || count == 0) return -1;
    FarMenuItem* menuItems = new FarMenuItem[count]();
    for (int i = 0; i < count; ++i) {
        const String& item = *items.at(i);
        // "&n " and at most the first 120 characters of the item.
        int used = std::snprintf(menuItems[i].Text, sizeof menuItems[i].Text, "&%d ", i + 1);
        const char* text = item.text() ? item.text() : "";
        int length = static_cast<int>(strnlen(text, kMenuItemTextLength));
        std::memcpy(menuItems[i].Text + used, text, length);
        menuItems[i].Text[used + length] = 0;
        menuItems[i].Selected = i == preselected;
    }
    String shownTitle = withoutHotkeyMark(title);
    int choice = hostTable.Menu(hostTable.ModuleNumber, -1, -1, kMenuMaxHeight, FMENU_WRAPMODE,
                                title ? shownTitle.text() : nullptr, nullptr, kMenuHelpTopic, nullptr, nullptr,
                                menuItems, count);
    delete[] menuItems;
    return choice;
}

String withoutHotkeyMark(const char* text) {
    String shown;
    shown.prepare(0);
    if (!text) return shown;
    bool marked = false;
    for (const char* scan = text; *scan; ++scan) {
        if (!marked && scan[0] == '&' && scan[1] == '&') {
            ++scan;
        } else if (!marked && scan[0] == '&' && scan[1]) {
            marked = true;
            continue;
        }
        shown.append(*scan);
    }
    return shown;
}

String formatMessage(const char* format, const char* argument) {
    String result;
    result.prepare(0);
    if (!format) return result;
    bool argumentUsed = false;
    for (const char* scan = format; *scan; ++scan) {
        if (scan[0] == '%' && scan[1] == '%') {
            result.append('%');
            ++scan;
        } else if (scan[0] == '%' && scan[1] == 's' && !argumentUsed) {
            result.append(argument ? argument : "");
            argumentUsed = true;
            ++scan;
        } else {
            result.append(*scan);
        }
    }
    return result;
}

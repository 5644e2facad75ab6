#pragma once

// Our declarations of FAR Manager's 1.70-series plug-in interface (32-bit ANSI): the records
// the host and the plug-in exchange, the host's services and the constants the plug-in uses.
// On 32-bit Windows the records carry the host's published layout (2-byte packing); elsewhere
// the same declarations take the target's natural alignment.

#include <cstddef>

#include "far/win_types.h"

#if defined(_WIN32) && !defined(_WIN64)
#define TINKER_FAR_ABI_32 1
#pragma pack(push, 2)
#endif

enum { NM = 260 };

// What OpenPlugin is called from.
enum {
    OPEN_DISKMENU = 0,
    OPEN_PLUGINSMENU = 1,
    OPEN_FINDLIST = 2,
    OPEN_SHORTCUT = 3,
    OPEN_COMMANDLINE = 4,
    OPEN_EDITOR = 5,
    OPEN_VIEWER = 6,
};

// PluginInfo flags.
enum {
    PF_PRELOAD = 0x1,
    PF_DISABLEPANELS = 0x2,
    PF_EDITOR = 0x4,
    PF_VIEWER = 0x8,
    PF_FULLCMDLINE = 0x10,
};

// Menu flags.
enum {
    FMENU_SHOWAMPERSAND = 0x1,
    FMENU_WRAPMODE = 0x2,
    FMENU_AUTOHIGHLIGHT = 0x4,
    FMENU_REVERSEAUTOHIGHLIGHT = 0x8,
    FMENU_USEEXT = 0x20,
    FMENU_CHANGECONSOLETITLE = 0x40,
};

// Input box flags.
enum {
    FIB_ENABLEEMPTY = 0x1,
    FIB_PASSWORD = 0x2,
    FIB_EXPANDENV = 0x4,
    FIB_NOUSELASTHISTORY = 0x8,
    FIB_BUTTONS = 0x10,
    FIB_NOAMPERSAND = 0x20,
};

// Panel control commands.
enum {
    FCTL_CLOSEPLUGIN = 0,
    FCTL_GETPANELINFO = 1,
    FCTL_GETANOTHERPANELINFO = 2,
};

// Editor control commands.
enum {
    ECTL_GETSTRING = 0,
    ECTL_GETINFO = 6,
    ECTL_SETPOSITION = 7,
    ECTL_SELECT = 8,
    ECTL_REDRAW = 9,
    ECTL_SAVEFILE = 20,
    ECTL_QUIT = 21,
};

// Advanced control commands.
enum {
    ACTL_GETFARVERSION = 0,
    ACTL_GETWINDOWINFO = 9,
    ACTL_GETWINDOWCOUNT = 10,
    ACTL_SETCURRENTWINDOW = 11,
    ACTL_COMMIT = 12,
};

// Window types.
enum {
    WTYPE_PANELS = 1,
    WTYPE_VIEWER = 2,
    WTYPE_EDITOR = 3,
    WTYPE_DIALOG = 4,
    WTYPE_VMENU = 5,
    WTYPE_HELP = 6,
};

// Editor flags.
enum {
    EF_NONMODAL = 0x1,
    EF_CREATENEW = 0x2,
    EF_ENABLE_F6 = 0x4,
    EF_DISABLEHISTORY = 0x8,
    EF_DELETEONCLOSE = 0x10,
    EF_IMMEDIATERETURN = 0x100,
    EF_DELETEONLYFILEONCLOSE = 0x200,
};

// Results of the Editor service.
enum {
    EEC_OPEN_ERROR = 0,
    EEC_MODIFIED = 1,
    EEC_NOT_MODIFIED = 2,
    EEC_LOADING_INTERRUPTED = 3,
};

// Help flags.
enum : DWORD {
    FHELP_SELFHELP = 0,
    FHELP_FARHELP = 0x1,
    FHELP_CUSTOMFILE = 0x2,
    FHELP_CUSTOMPATH = 0x4,
    FHELP_USECONTENTS = 0x40000000,
    FHELP_NOSHOWERROR = 0x80000000,
};

struct FarMenuItem {
    char Text[128];
    int Selected;
    int Checked;
    int Separator;
};

// The host's own find-data record: 318 bytes under 2-byte packing (not WIN32_FIND_DATA).
struct FAR_FIND_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    char cFileName[MAX_PATH];
    char cAlternateFileName[14];
};

struct PluginPanelItem {
    FAR_FIND_DATA FindData;
    DWORD PackSizeHigh;
    DWORD PackSize;
    DWORD Flags;
    DWORD NumberOfLinks;
    char* Description;
    char* Owner;
    char** CustomColumnData;
    int CustomColumnNumber;
    DWORD_PTR UserData;
    DWORD CRC32;
    DWORD_PTR Reserved[2];
};

struct PanelInfo {
    int PanelType;
    int Plugin;
    RECT PanelRect;
    PluginPanelItem* PanelItems;
    int ItemsNumber;
    PluginPanelItem* SelectedItems;
    int SelectedItemsNumber;
    int CurrentItem;
    int TopPanelItem;
    int Visible;
    int Focus;
    int ViewMode;
    char ColumnTypes[80];
    char ColumnWidths[80];
    char CurDir[NM];
    int ShortNames;
    int SortMode;
    DWORD Flags;
    DWORD Reserved;
};

struct WindowInfo {
    int Pos;
    int Type;
    int Modified;
    int Current;
    char TypeName[64];
    char Name[NM];
};

struct EditorInfo {
    int EditorID;
    const char* FileName;
    int WindowSizeX;
    int WindowSizeY;
    int TotalLines;
    int CurLine;
    int CurPos;
    int CurTabPos;
    int TopScreenLine;
    int LeftPos;
    int Overtype;
    int BlockType;
    int BlockStartLine;
    int AnsiMode;
    int TableNum;
    DWORD Options;
    int TabSize;
    int BookMarkCount;
    DWORD CurState;
    DWORD Reserved[6];
};

struct EditorSetPosition {
    int CurLine;
    int CurPos;
    int CurTabPos;
    int TopScreenLine;
    int LeftPos;
    int Overtype;
};

struct EditorSaveFile {
    char FileName[NM];
    char* FileEOL;
};

// The host's services.
typedef const char*(WINAPI* FARAPIGETMSG)(INT_PTR PluginNumber, int MsgId);
typedef int(WINAPI* FARAPIMESSAGE)(INT_PTR PluginNumber, DWORD Flags, const char* HelpTopic,
                                   const char* const* Items, int ItemsNumber, int ButtonsNumber);
typedef int(WINAPI* FARAPIMENU)(INT_PTR PluginNumber, int X, int Y, int MaxHeight, DWORD Flags,
                                const char* Title, const char* Bottom, const char* HelpTopic,
                                const int* BreakKeys, int* BreakCode, const FarMenuItem* Item,
                                int ItemsNumber);
typedef int(WINAPI* FARAPIINPUTBOX)(const char* Title, const char* SubTitle, const char* HistoryName,
                                    const char* SrcText, char* DestText, int DestLength,
                                    const char* HelpTopic, DWORD Flags);
typedef int(WINAPI* FARAPICONTROL)(HANDLE hPlugin, int Command, void* Param);
typedef int(WINAPI* FARAPIEDITORCONTROL)(int Command, void* Param);
typedef INT_PTR(WINAPI* FARAPIADVCONTROL)(INT_PTR ModuleNumber, int Command, void* Param);
typedef int(WINAPI* FARAPIEDITOR)(const char* FileName, const char* Title, int X1, int Y1, int X2,
                                  int Y2, DWORD Flags, int StartLine, int StartChar);
typedef void(WINAPI* FARAPITEXT)(int X, int Y, int Color, const char* Str);
typedef HANDLE(WINAPI* FARAPISAVESCREEN)(int X1, int Y1, int X2, int Y2);
typedef void(WINAPI* FARAPIRESTORESCREEN)(HANDLE hScreen);
typedef BOOL(WINAPI* FARAPISHOWHELP)(const char* ModuleName, const char* Topic, DWORD Flags);
// Services the plug-in never calls keep their slot with a placeholder signature.
typedef int(WINAPI* FARAPIUNUSED)();

struct PluginStartupInfo {
    int StructSize;
    char ModuleName[NM];
    INT_PTR ModuleNumber;
    const char* RootKey;
    FARAPIMENU Menu;
    FARAPIUNUSED Dialog;
    FARAPIMESSAGE Message;
    FARAPIGETMSG GetMsg;
    FARAPICONTROL Control;
    FARAPISAVESCREEN SaveScreen;
    FARAPIRESTORESCREEN RestoreScreen;
    FARAPIUNUSED GetDirList;
    FARAPIUNUSED GetPluginDirList;
    FARAPIUNUSED FreeDirList;
    FARAPIUNUSED Viewer;
    FARAPIEDITOR Editor;
    FARAPIUNUSED CmpName;
    FARAPIUNUSED CharTable;
    FARAPITEXT Text;
    FARAPIEDITORCONTROL EditorControl;
    void* FSF;
    FARAPISHOWHELP ShowHelp;
    FARAPIADVCONTROL AdvControl;
    FARAPIINPUTBOX InputBox;
    FARAPIUNUSED DialogEx;
    FARAPIUNUSED SendDlgMessage;
    FARAPIUNUSED DefDlgProc;
    DWORD_PTR Reserved;
    FARAPIUNUSED ViewerControl;
};

struct PluginInfo {
    int StructSize;
    DWORD Flags;
    const char* const* DiskMenuStrings;
    int* DiskMenuNumbers;
    int DiskMenuStringsNumber;
    const char* const* PluginMenuStrings;
    int PluginMenuStringsNumber;
    const char* const* PluginConfigStrings;
    int PluginConfigStringsNumber;
    const char* CommandPrefix;
    DWORD Reserved;
};

#ifdef TINKER_FAR_ABI_32
#pragma pack(pop)

// The host reads and writes these records at these sizes and offsets.
static_assert(sizeof(PluginStartupInfo) == 372, "PluginStartupInfo layout");
static_assert(offsetof(PluginStartupInfo, ModuleNumber) == 264, "PluginStartupInfo.ModuleNumber");
static_assert(offsetof(PluginStartupInfo, Menu) == 272, "PluginStartupInfo.Menu");
static_assert(offsetof(PluginStartupInfo, Message) == 280, "PluginStartupInfo.Message");
static_assert(offsetof(PluginStartupInfo, GetMsg) == 284, "PluginStartupInfo.GetMsg");
static_assert(offsetof(PluginStartupInfo, Control) == 288, "PluginStartupInfo.Control");
static_assert(offsetof(PluginStartupInfo, SaveScreen) == 292, "PluginStartupInfo.SaveScreen");
static_assert(offsetof(PluginStartupInfo, RestoreScreen) == 296, "PluginStartupInfo.RestoreScreen");
static_assert(offsetof(PluginStartupInfo, Editor) == 316, "PluginStartupInfo.Editor");
static_assert(offsetof(PluginStartupInfo, Text) == 328, "PluginStartupInfo.Text");
static_assert(offsetof(PluginStartupInfo, EditorControl) == 332, "PluginStartupInfo.EditorControl");
static_assert(offsetof(PluginStartupInfo, ShowHelp) == 340, "PluginStartupInfo.ShowHelp");
static_assert(offsetof(PluginStartupInfo, AdvControl) == 344, "PluginStartupInfo.AdvControl");
static_assert(offsetof(PluginStartupInfo, InputBox) == 348, "PluginStartupInfo.InputBox");
static_assert(offsetof(PluginStartupInfo, ViewerControl) == 368, "PluginStartupInfo.ViewerControl");
static_assert(sizeof(PluginInfo) == 44, "PluginInfo layout");
static_assert(offsetof(PluginInfo, PluginMenuStrings) == 20, "PluginInfo.PluginMenuStrings");
static_assert(offsetof(PluginInfo, CommandPrefix) == 36, "PluginInfo.CommandPrefix");
static_assert(sizeof(FarMenuItem) == 140, "FarMenuItem layout");
static_assert(sizeof(FAR_FIND_DATA) == 318, "FAR_FIND_DATA layout");
static_assert(sizeof(PluginPanelItem) == 366, "PluginPanelItem layout");
static_assert(offsetof(PluginPanelItem, FindData.cFileName) == 44, "PluginPanelItem.cFileName");
static_assert(offsetof(PluginPanelItem, PackSizeHigh) == 318, "PluginPanelItem.PackSizeHigh");
static_assert(offsetof(PluginPanelItem, Reserved) == 358, "PluginPanelItem.Reserved");
static_assert(sizeof(PanelInfo) == 496, "PanelInfo layout");
static_assert(offsetof(PanelInfo, PanelItems) == 24, "PanelInfo.PanelItems");
static_assert(offsetof(PanelInfo, ItemsNumber) == 28, "PanelInfo.ItemsNumber");
static_assert(offsetof(PanelInfo, CurrentItem) == 40, "PanelInfo.CurrentItem");
static_assert(offsetof(PanelInfo, CurDir) == 220, "PanelInfo.CurDir");
static_assert(sizeof(WindowInfo) == 340, "WindowInfo layout");
static_assert(offsetof(WindowInfo, Name) == 80, "WindowInfo.Name");
static_assert(sizeof(EditorInfo) == 100, "EditorInfo layout");
static_assert(offsetof(EditorInfo, WindowSizeY) == 12, "EditorInfo.WindowSizeY");
static_assert(offsetof(EditorInfo, TotalLines) == 16, "EditorInfo.TotalLines");
static_assert(sizeof(EditorSetPosition) == 24, "EditorSetPosition layout");
static_assert(sizeof(EditorSaveFile) == 264, "EditorSaveFile layout");
#elif defined(_WIN64) || (defined(__x86_64__) && defined(__LP64__))
static_assert(sizeof(PluginStartupInfo) == 480, "PluginStartupInfo layout (64-bit)");
static_assert(sizeof(PluginInfo) == 80, "PluginInfo layout (64-bit)");
static_assert(sizeof(PluginPanelItem) == 400, "PluginPanelItem layout (64-bit)");
static_assert(sizeof(PanelInfo) == 512, "PanelInfo layout (64-bit)");
static_assert(sizeof(EditorInfo) == 112, "EditorInfo layout (64-bit)");
#endif

// Names outside ASCII as FAR hands them over: in the OEM code page, with the file functions set
// to OEM, which the child's creation follows too; the child reads its command line in the ANSI
// one. The plug-in converts nothing: the bytes of the name and of the output pass as they are.
#include <windows.h>

#include "plugin_case.h"
#include "wine_check.h"

namespace {

using Lines = std::vector<std::string>;

// "café.c" in one of the process's code pages.
std::string cafeIn(UINT codePage) {
    const wchar_t wide[] = L"caf\u00e9.c";
    char narrow[32] = {0};
    WideCharToMultiByte(codePage, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

}  // namespace

WINE_CASE(ANonAsciiFileNameReachesTheBuildAsTheUserSawIt) {
    const std::string ansiName = cafeIn(CP_ACP);
    const std::string oemName = cafeIn(CP_OEMCP);
    CHECK(oemName != ansiName);  // the two code pages differ here, or the case proves nothing

    PluginCase plugin("code-page");
    plugin.enterDirectory("src");
    plugin.write("src\\" + ansiName, "int cafe;\r\n");
    plugin.writeConfig(configWith(outputChild() + " read $0"));
    plugin.start();
    SetFileApisToOEM();
    plugin.openCommandLine("make:" + oemName);
    SetFileApisToANSI();
    CHECK_EQ(plugin.host.messageBoxTexts(), Lines{});
    // The child got the name in its own code page and found the file.
    CHECK_EQ(plugin.savedOutput(), Lines{"read " + ansiName + ": int cafe;"});
}

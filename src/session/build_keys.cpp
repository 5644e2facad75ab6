#include "session/build_keys.h"

#include "session/output_capture.h"
#include "session/output_window.h"
#include "far/host_services.h"
#include "far/message_index.h"
#include "platform/platform.h"

namespace {

const int kQuestionButtons = 2;

// "Stop the build?" with Stop and Continue; true for Stop.
bool userWantsToStop() {
    const PluginStartupInfo& services = host();
    if (!services.Message) return true;
    const char* question = hostMessage(MsgStopBuildQuestion);
    const char* stop = hostMessage(MsgStopBuildYes);
    const char* goOn = hostMessage(MsgStopBuildNo);
    const char* items[] = {"Tinker", question ? question : "Stop the build?", stop ? stop : "Stop",
                           goOn ? goOn : "Continue"};
    int answer = services.Message(services.ModuleNumber, 0, nullptr, items, 4, kQuestionButtons);
    if (answer == 0) return true;
    // The box covered part of the live view.
    RedrawLiveView();
    return false;
}

}  // namespace

bool AnswerKeysDuringBuild() {
    KeyEvent key;
    while (platform().pollKey(key)) {
        if (!key.isKey || !key.keyDown) continue;
        switch (key.virtualKey) {
            case VK_UP: ScrollLiveView(-1); break;
            case VK_DOWN: ScrollLiveView(1); break;
            case VK_PRIOR: ScrollLiveView(-visibleRows()); break;
            case VK_NEXT: ScrollLiveView(visibleRows()); break;
            case VK_HOME: ScrollLiveViewToTop(); break;
            case VK_END: FollowLiveView(); break;
            case VK_ESCAPE:
            case VK_CANCEL:
                if (userWantsToStop()) return false;
                break;
            default:
                break;
        }
    }
    return true;
}

void DropWaitingKeys() {
    KeyEvent key;
    while (platform().pollKey(key)) {
    }
}

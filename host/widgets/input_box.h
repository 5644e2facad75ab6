#pragma once

#include <string>
#include <vector>

#include "widgets/ui_context.h"

struct InputRequest {
    std::string title;
    std::string prompt;
    std::string initialText;
    std::string helpTopic;
    int maxLength = 255;  // bytes of the answer
    unsigned flags = 0;   // FIB_*
    // Earlier answers under the box's history name, oldest first: Up and Down bring them back,
    // and a confirmed answer joins them. None for a box without a history name.
    std::vector<std::string>* history = nullptr;
};

// A framed box with a prompt and an edit line (with Ok and Cancel buttons under FIB_BUTTONS).
// True when confirmed, with the text in answer (environment references expanded under
// FIB_EXPANDENV). An empty answer is accepted only under FIB_ENABLEEMPTY.
bool runInputBox(UiContext& ui, const InputRequest& request, std::string& answer);

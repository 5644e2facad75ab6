#pragma once

#include <string>

#include "widgets/edit_line.h"
#include "widgets/ui_context.h"

struct InputRequest {
    std::string title;
    std::string prompt;
    std::string initialText;
    std::string helpTopic;
    int maxLength = 255;  // bytes of the answer
    unsigned flags = 0;   // FIB_*
};

enum class InputResult { Confirmed, Cancelled, HelpAsked };

// A framed box with a prompt and an edit line (with Ok and Cancel buttons under FIB_BUTTONS).
// An empty answer is confirmed only under FIB_ENABLEEMPTY. The screen under it comes back when
// run() returns. F1 on a box with a help topic ends run() with HelpAsked: the caller shows the
// topic and runs the box again, which carries on with the text as it was.
class InputBox {
public:
    InputBox(UiContext& ui, const InputRequest& request);
    InputResult run();
    // The text typed, at most maxLength bytes.
    const std::string& text() const { return line_.text(); }

private:
    UiContext& ui_;
    const InputRequest& request_;
    EditLine line_;
    int focus_ = 0;
};

// Runs an input box without a help topic to its end; true when confirmed, with the text in answer.
bool runInputBox(UiContext& ui, const InputRequest& request, std::string& answer);

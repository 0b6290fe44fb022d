// Modal message boxes: each is recorded and answered from the test's script.
#include <deque>
#include <vector>

#include "platform/standin/control.h"
#include "platform/standin/faults.h"
#include "platform/standin/reset.h"

namespace {

std::vector<standin::Box> boxes;
std::deque<int> answers;
standin::BoxHook hook = nullptr;

// What a user who just confirms would press.
int DefaultAnswer(UINT type) {
    UINT buttons = type & 0x0Fu;
    return (buttons == MB_OK || buttons == MB_OKCANCEL) ? IDOK : IDYES;
}

}  // namespace

// Records the box, lets the hook act while it is up, and returns the scripted answer. A
// scripted 0 is a box that could not be shown: recorded, no hook, 0 returned.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    STANDIN_FAILABLE(0, ERROR_NOT_ENOUGH_MEMORY);
    int answer = DefaultAnswer(type);
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    standin::Box box{caption != nullptr ? caption : "", text != nullptr ? text : "", type, owner,
                     answer};
    boxes.push_back(box);
    if (answer == 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    // The hook may run a whole second updater, which adds boxes of its own: it gets a copy.
    if (hook != nullptr) {
        hook(box);
    }
    return answer;
}

namespace standin::internal {

void ResetMessageBoxes() {
    boxes.clear();
    answers.clear();
    hook = nullptr;
}

}  // namespace standin::internal

namespace standin {

void ScriptAnswers(const std::vector<int>& scripted) {
    answers.assign(scripted.begin(), scripted.end());
}

const std::vector<Box>& Boxes() { return boxes; }

void SetBoxHook(BoxHook boxHook) { hook = boxHook; }

}  // namespace standin

#include "platform/AnswerLater.h"

#include "platform/PlatformError.h"
#include "platform/win/WideText.h"

#include <windows.h>

#include <exception>
#include <memory>

namespace ondrel::platform {

namespace {

struct Question {
    std::function<bool()> ask;
    std::promise<bool> answer;
};

DWORD WINAPI answer(void* parameter) {
    std::unique_ptr<Question> question(static_cast<Question*>(parameter));
    try {
        question->answer.set_value(question->ask());
    } catch (...) {
        question->answer.set_exception(std::current_exception());
    }
    return 0;
}

} // namespace

// A thread of the system's own rather than a detached std::thread: the MinGW
// threads beneath std::thread now and then lose a thread that is detached
// before it runs, and hang or crash the program.
std::future<bool> answerLater(std::function<bool()> question, const std::string& operation,
                              const std::string& path) {
    auto asked = std::make_unique<Question>();
    asked->ask = std::move(question);
    std::future<bool> result = asked->answer.get_future();
    const HANDLE thread = CreateThread(nullptr, 0, &answer, asked.get(), 0, nullptr);
    if (thread == nullptr)
        throw PlatformError(operation, path,
                            "no thread to ask the volume on: " +
                                win::systemMessage(GetLastError()));
    // The thread owns its question now; closing the handle leaves it running.
    asked.release();
    CloseHandle(thread);
    return result;
}

} // namespace ondrel::platform

#include "platform/AnswerLater.h"

#include "platform/PlatformError.h"

#include <system_error>
#include <thread>

namespace ondrel::platform {

std::future<bool> answerLater(std::function<bool()> question, const std::string& operation,
                              const std::string& path) {
    std::packaged_task<bool()> task(std::move(question));
    std::future<bool> answer = task.get_future();
    try {
        // Detached: nothing may wait for it, the program's end least of all.
        std::thread(std::move(task)).detach();
    } catch (const std::system_error& error) {
        throw PlatformError(operation, path,
                            std::string("no thread to ask the volume on: ") + error.what());
    }
    return answer;
}

} // namespace ondrel::platform

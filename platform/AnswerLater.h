#pragma once

#include <functional>
#include <future>
#include <string>

namespace ondrel::platform {

// Asks a question on a thread of its own and returns at once; the answer is
// ready when the thread has it. The thread holds nothing but the question, so
// the asker may stop waiting, and a question that never returns (a volume
// whose server stopped answering) neither blocks the asker nor keeps the
// program from ending. A thread that cannot be made throws PlatformError
// naming the operation and the path the question is about. One definition
// per family (platform/linux/, platform/win/).
std::future<bool> answerLater(std::function<bool()> question, const std::string& operation,
                              const std::string& path);

} // namespace ondrel::platform

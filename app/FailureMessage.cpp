#include "app/FailureMessage.h"

namespace ondrel {

std::string failureMessage(const std::exception& error, const FailureContext&) {
    return error.what();
}

} // namespace ondrel

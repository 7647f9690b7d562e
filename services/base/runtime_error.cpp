// RuntimeError: a std::runtime_error that also carries the classic error number.
#include "services/base/runtime_error.h"

#include <utility>

namespace base {

// Keeps the number and the description; what() gives the description.
RuntimeError::RuntimeError(int number, std::string description)
    : std::runtime_error(description), number_(number), description_(std::move(description)) {}

int RuntimeError::Number() const { return number_; }

const std::string& RuntimeError::Description() const { return description_; }

}  // namespace base

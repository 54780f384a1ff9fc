// The text of a failure caught at a boundary.
#include "core/Boundary.h"

#include <exception>

namespace hoardscope {

const char* CurrentFailureText() noexcept {
  try {
    throw;
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return kUnexpectedFailure;
  }
}

}  // namespace hoardscope

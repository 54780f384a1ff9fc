// The one catch-all guard of the places where control goes back to a caller that knows nothing of C++
// exceptions: COM methods, exported functions, callbacks from C libraries, window and dialog procedures.
#pragma once

namespace hoardscope {

// The text of a failure that is no std::exception.
inline constexpr const char* kUnexpectedFailure = "An unexpected error occurred.";

// The text of the exception being handled: a std::exception's what(), kUnexpectedFailure for anything else.
// Call it only inside a handler; the text lives as long as the handled exception.
const char* CurrentFailureText() noexcept;

// Runs body and returns what it returns. When body raises anything, returns failed(text) instead, with the
// failure's text; failed runs inside the handler (std::current_exception() is the failure) and must not raise.
template <class Body, class Failed>
auto CatchAll(Body&& body, Failed&& failed) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (...) {
    return failed(CurrentFailureText());
  }
}

}  // namespace hoardscope

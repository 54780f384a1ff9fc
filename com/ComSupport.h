// Small helpers of the COM code: GUID text, and the error information that automation failures leave behind.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "com/ComTypes.h"
#include "core/Boundary.h"

namespace hoardscope {

// The registry form of a GUID: upper case, braced, {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
std::string GuidText(REFGUID guid);
// Reads a GUID in the braced form, in either letter case; nullopt for anything else.
std::optional<GUID> ParseGuid(std::string_view text);

// Sets the calling thread's error information: the interface that failed, its source and the failure's text.
void SetErrorInfoText(REFIID iid, const std::string& source, const std::string& description);

// Runs the body of a COM method of interface iid: S_OK, or, when it raises, failed with the failure's text left
// as the thread's error information from source.
template <class Body>
HRESULT GuardedComCall(REFIID iid, const std::string& source, HRESULT failed, Body&& body) {
  return CatchAll(
      [&] {
        body();
        return S_OK;
      },
      [&](const char* failure) {
        SetErrorInfoText(iid, source, failure);
        return failed;
      });
}

// The text of an automation value, by the automation conversion in the user's default locale: a string as it is,
// empty as "", numbers and dates in their text form. Raises std::runtime_error for a value without a text form
// (null, for one).
std::string TextOfVariant(const VARIANT& value);

// The text of a failure of HRESULT result as "0x" and 8 upper-case hex digits.
std::string HresultText(HRESULT result);

}  // namespace hoardscope

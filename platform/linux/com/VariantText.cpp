// VariantChangeTypeEx of the Linux edition: the conversion of automation values to text, in the formats the
// Windows conversion gives in its US English locale.
#include <cmath>
#include <cstdio>
#include <string>

#include "platform/linux/com/ComAbi.h"

namespace {

std::string FormatReal(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*G", digits, value);
  return text;
}

std::string FormatCurrency(LONGLONG tenThousandths) {
  const bool negative = tenThousandths < 0;
  const ULONGLONG magnitude = negative ? 0 - static_cast<ULONGLONG>(tenThousandths) : tenThousandths;
  std::string text = std::to_string(magnitude / 10000);
  std::string fraction = std::to_string(10000 + magnitude % 10000).substr(1);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) text += "." + fraction;
  return negative ? "-" + text : text;
}

// Days since 1899-12-30 to a civil date (the proleptic Gregorian calendar).
void CivilFromDays(long long days, long long& year, unsigned& month, unsigned& day) {
  const long long z = days - 25569 + 719468;  // 1899-12-30 is 25569 days before 1970-01-01
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned dayOfEra = static_cast<unsigned>(z - era * 146097);
  const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
  day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  year = static_cast<long long>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

// An automation date: whole days since 1899-12-30, and the time of day as the fraction's absolute value (so
// -1.25 is 1899-12-29 06:00). Day 0 shows as its time alone, midnight as its date alone.
std::string FormatDate(DATE date) {
  long long days = static_cast<long long>(std::trunc(date));
  long long seconds = std::llround(std::fabs(date - static_cast<double>(days)) * 86400.0);
  if (seconds >= 86400) {
    seconds -= 86400;
    days += date < 0 ? -1 : 1;
  }
  char text[64];
  std::string result;
  if (days != 0) {
    long long year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    std::snprintf(text, sizeof text, "%u/%u/%lld", month, day, year);
    result = text;
  }
  if (seconds != 0 || days == 0) {
    const long long hour = seconds / 3600;
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld %s", hour % 12 == 0 ? 12 : hour % 12, seconds / 60 % 60,
                  seconds % 60, hour < 12 ? "AM" : "PM");
    result += (result.empty() ? "" : " ") + std::string(text);
  }
  return result;
}

// The text of a value that is not a reference; false when the type has no text form.
bool TextOf(const VARIANT& value, std::string& text) {
  switch (value.vt) {
    case VT_EMPTY: text.clear(); return true;
    case VT_I1: text = std::to_string(static_cast<signed char>(value.cVal)); return true;
    case VT_I2: text = std::to_string(value.iVal); return true;
    case VT_I4: text = std::to_string(value.lVal); return true;
    case VT_INT: text = std::to_string(value.intVal); return true;
    case VT_I8: text = std::to_string(value.llVal); return true;
    case VT_UI1: text = std::to_string(value.bVal); return true;
    case VT_UI2: text = std::to_string(value.uiVal); return true;
    case VT_UI4: text = std::to_string(value.ulVal); return true;
    case VT_UINT: text = std::to_string(value.uintVal); return true;
    case VT_UI8: text = std::to_string(value.ullVal); return true;
    case VT_R4: text = FormatReal(value.fltVal, 7); return true;
    case VT_R8: text = FormatReal(value.dblVal, 15); return true;
    case VT_CY: text = FormatCurrency(value.cyVal.int64); return true;
    case VT_DATE: text = FormatDate(value.date); return true;
    case VT_BOOL: text = value.boolVal ? "-1" : "0"; return true;
    default: return false;
  }
}

// The value a reference points to, as a value of the referenced type.
bool Dereference(const VARIANT& reference, VARIANT& value) {
  VariantInit(&value);
  const VARTYPE type = reference.vt & VT_TYPEMASK;
  if (!reference.byref) return false;
  value.vt = type;
  switch (type) {
    case VT_I1: value.cVal = *reference.pcVal; return true;
    case VT_I2: value.iVal = *reference.piVal; return true;
    case VT_I4: value.lVal = *reference.plVal; return true;
    case VT_INT: value.intVal = *reference.pintVal; return true;
    case VT_I8: value.llVal = *reference.pllVal; return true;
    case VT_UI1: value.bVal = *reference.pbVal; return true;
    case VT_UI2: value.uiVal = *reference.puiVal; return true;
    case VT_UI4: value.ulVal = *reference.pulVal; return true;
    case VT_UINT: value.uintVal = *reference.puintVal; return true;
    case VT_UI8: value.ullVal = *reference.pullVal; return true;
    case VT_R4: value.fltVal = *reference.pfltVal; return true;
    case VT_R8: value.dblVal = *reference.pdblVal; return true;
    case VT_CY: value.cyVal = *reference.pcyVal; return true;
    case VT_DATE: value.date = *reference.pdate; return true;
    case VT_BOOL: value.boolVal = *reference.pboolVal; return true;
    case VT_BSTR: value.bstrVal = *reference.pbstrVal; return true;
    case VT_VARIANT: value = *reference.pvarVal; return !V_ISBYREF(&value);
    default: return false;
  }
}

}  // namespace

HRESULT VariantChangeTypeEx(VARIANT* destination, VARIANT* source, LCID, USHORT, VARTYPE type) {
  if (!destination || !source) return E_INVALIDARG;
  if (type != VT_BSTR) return DISP_E_TYPEMISMATCH;
  VARIANT value;
  if (V_ISBYREF(source)) {
    if (source->vt & VT_ARRAY || !Dereference(*source, value)) return DISP_E_TYPEMISMATCH;
  } else {
    value = *source;
  }
  BSTR converted = nullptr;
  if (value.vt == VT_BSTR) {
    converted = SysAllocStringLen(value.bstrVal, SysStringLen(value.bstrVal));
  } else {
    std::string text;
    if (!TextOf(value, text)) return DISP_E_TYPEMISMATCH;
    const std::u16string wide = WideOfText(text);
    converted = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  }
  if (!converted) return E_OUTOFMEMORY;
  VariantClear(destination);  // may be the source itself: the value was copied out above
  destination->vt = VT_BSTR;
  destination->bstrVal = converted;
  return S_OK;
}

// The quick filter's options, which the view commands (tree, search, export, report) share:
//   --url TEXT --since DATE --until DATE --min-size N --max-size N
// DATE is YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS in UTC (--until a date alone includes that whole day); N is a count of
// bytes with an optional K, M or G (powers of 1024). The filter narrows the load as the window's filter bar does.
#pragma once

#include "Options.h"
#include "settings/QuickFilter.h"

namespace hoardscope {

// The usage line of the options, named FILTER in the commands' usage lines.
extern const char* const kFilterUsage;

enum class TFilterOption {
  NotOne,     // the current argument is none of the filter's options (or lacks its value)
  Read,       // it was one, and its value is in the filter
  Malformed,  // it was one, with a value that cannot be read, said on standard error
};

// Reads the reader's current argument, when it is one of the filter's options, and its value into filter.
TFilterOption ReadFilterOption(TOptionReader& reader, TQuickFilter& filter);

}  // namespace hoardscope

// IReport: where portable code tells the user what no window shows, one line at a time. The Linux edition writes
// the lines to standard error; the Windows edition, whose module may live in a process without a console, hands
// them to the debugger and to standard error when the process has one.
#pragma once

#include <string>

namespace hoardscope {

class IReport {
 public:
  virtual ~IReport() = default;
  // line: the text without its line end.
  virtual void WriteLine(const std::string& line) = 0;
};

}  // namespace hoardscope

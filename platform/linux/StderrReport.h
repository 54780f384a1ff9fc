// The report port on standard error.
#pragma once

#include "platform/ports/Report.h"

namespace hoardscope {

class TStderrReport : public IReport {
 public:
  void WriteLine(const std::string& line) override;
};

}  // namespace hoardscope

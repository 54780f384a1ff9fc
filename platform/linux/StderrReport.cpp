// Each line on standard error.
#include "platform/linux/StderrReport.h"

#include <iostream>

namespace hoardscope {

void TStderrReport::WriteLine(const std::string& line) { std::cerr << line << "\n"; }

}  // namespace hoardscope

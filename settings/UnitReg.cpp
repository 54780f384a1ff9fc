// The process-wide settings.
#include "settings/UnitReg.h"

namespace hoardscope {

TSettings& Settings() {
  static TSettings settings;
  return settings;
}

}  // namespace hoardscope

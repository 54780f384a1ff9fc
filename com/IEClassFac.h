// TIEClassFac: the band's class factory. Besides the class's own entries it files the band as a vertical explorer
// bar and makes the browser list its explorer bars anew.
#pragma once

#include "com/ComObjectFactory.h"

namespace hoardscope {

// The component categories of vertical and horizontal explorer bars.
inline constexpr const char* kVerticalBarCategory = "{00021493-0000-0000-C000-000000000046}";
inline constexpr const char* kHorizontalBarCategory = "{00021494-0000-0000-C000-000000000046}";
// The menu entry of the bar (with its accelerator), the default value of the band's CLSID key.
inline constexpr const char* kBandMenuText = "Hoard&scope";

class TIEClassFac : public TComObjectFactory {
 public:
  using TComObjectFactory::TComObjectFactory;

  void UpdateRegistry(bool doRegister) override;

 private:
  void RegisterBand();
  void UnregisterBand();
};

}  // namespace hoardscope

// The shapes of the dispatch tables generated from the type library's interface definition: what the Linux
// edition knows of its library, coclasses and dual interfaces instead of a compiled type library.
#pragma once

#include <cstddef>
#include <iterator>

#include "platform/linux/com/ComAbi.h"

namespace hoardscope {

struct TDispatchMember {
  const char* Name;
  DISPID Id;
  std::size_t ParameterCount;
  const char* const* ParameterNames;   // ParameterCount names, in declaration order
};

// Calls member on object (a pointer of the interface) with the arguments in declaration order.
using TDispatchInvoker = HRESULT (*)(void* object, DISPID member, VARIANT* arguments);

struct TDispatchInterface {
  const IID* Iid;
  const char* Name;
  const TDispatchMember* Members;
  std::size_t MemberCount;
  TDispatchInvoker Invoke;
};

struct TDispatchCoClass {
  const CLSID* Clsid;
  const char* Name;
  const char* HelpString;
};

struct TDispatchLibrary {
  const char* Name;
  const char* HelpString;
  const GUID* LibraryId;
  int MajorVersion;
  int MinorVersion;
  LCID Locale;
  const TDispatchCoClass* CoClasses;
  std::size_t CoClassCount;
  const TDispatchInterface* Interfaces;
  std::size_t InterfaceCount;
};

}  // namespace hoardscope

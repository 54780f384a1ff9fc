// Hoardscope_TLB: the declarations of the type library (Hoardscope.idl): LIBID_Hoardscope, IIECacheBand and
// IHSCDownload with their IIDs, and the CLSIDs of the coclasses IECacheBand and HSCDownload.
#pragma once

#include "com/ComTypes.h"

#include "Hoardscope_h.h"

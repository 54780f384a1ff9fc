// The definitions of the type library's GUIDs (LIBID, IIDs, CLSIDs), which its header only declares.
#include "com/ComTypes.h"

#include <initguid.h>

#include "Hoardscope_h.h"

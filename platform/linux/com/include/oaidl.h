// What the interface compiler's headers import as <oaidl.h>: in the Linux edition, the COM-compatible layer.
#pragma once

#include "platform/linux/com/ComAbi.h"

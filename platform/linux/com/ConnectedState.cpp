// The process-wide connected state.
#include "platform/linux/com/ConnectedState.h"

namespace hoardscope {

std::atomic<bool> TConnectedState::FForcedOffline{false};

void TConnectedState::ForceOffline() { FForcedOffline = true; }

bool TConnectedState::ForcedOffline() { return FForcedOffline; }

}  // namespace hoardscope

// The setup of a home, as an installer does it on Windows: the data folder ("AppFolder", holding the help and the
// "Save Files" staging folder), the "Search History" key, and the registration of the module installed beside
// this program. `hoardscope setup` runs it; the Linux browser window runs it first on a home that lacks it.
#pragma once

#include "Commands.h"

namespace hoardscope {

// Whether the home's registry names its data folder: the last step of the setup, so the mark of a finished one.
bool HomeIsSetUp(const THomePaths& home);

// Performs every step; safe to run again (search history and settings are kept). A failed step is reported on
// standard error and leaves the home without its mark; false then.
bool SetUpHome(const THomePaths& home);

// Sets up a home that lacks the setup, saying so on standard error in one line.
void SetUpHomeWhenNeeded(const THomePaths& home);

// hoardscope setup: the setup of the run's home. Exit code 0 when done, 1 when a step failed, 2 for arguments.
int RunSetupCommand(const TArguments& args, const THomePaths& home);

}  // namespace hoardscope

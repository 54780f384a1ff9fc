// The import as the view runs it: the export file the user picks goes into the URL cache, and what it ran into is
// said.
#pragma once

#include <optional>

#include "operations/ImportCache.h"
#include "platform/ports/Clock.h"
#include "platform/ports/Desktop.h"
#include "platform/ports/Dialogs.h"
#include "platform/ports/Progress.h"
#include "platform/ports/UrlCacheWriter.h"

namespace hoardscope {

// Asks for an export file and imports it into cache, telling progress of each record, saying when it was
// truncated, which records it left out and which the cache refused, or why it could not be read (then the result
// counts one failure). nullopt when no file was chosen.
std::optional<TImportResult> ImportChosenFile(IUrlCacheWriter& cache, IClock& clock, IDialogs& dialogs, IDesktop& desktop,
                                              IProgress& progress);

}  // namespace hoardscope

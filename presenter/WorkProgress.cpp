// The progress of the view's long work.
#include "presenter/WorkProgress.h"

#include <utility>

namespace hoardscope {

TWorkProgress::TWorkProgress(IViewWidgets& widgets, IDesktop& desktop, TWorkFlags& work, std::string caption)
    : FWidgets(widgets), FDesktop(desktop), FWork(work) {
  FWork = TWorkFlags{true, false};
  FState.Caption = std::move(caption);
}

TWorkProgress::~TWorkProgress() {
  if (FShownAt) FWidgets.HideProgress();
  FWork = TWorkFlags{};
}

void TWorkProgress::Step(std::uint64_t done, std::optional<std::uint64_t> total) {
  FState.Done = done;
  FState.Total = total;
  const TClock::time_point now = TClock::now();
  if (!FShownAt || now - *FShownAt >= std::chrono::milliseconds(kProgressShowIntervalMs)) {
    FShownAt = now;
    FWidgets.ShowProgress(FState);
  }
  FDesktop.ProcessMessages();
}

}  // namespace hoardscope

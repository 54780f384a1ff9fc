// TWorkProgress: the progress of one piece of the view's long work, for the life of that work. The widgets show
// it from the first step on, at most every kProgressShowIntervalMs; waiting messages run at every step, so that
// the view stays responsive and its Stop can be pressed; the Stop is read from the presenter's work flags.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/ports/Desktop.h"
#include "platform/ports/Progress.h"
#include "platform/ports/ViewWidgets.h"

namespace hoardscope {

inline constexpr int kProgressShowIntervalMs = 100;

// Whether long work runs, and whether the user asked it to stop: the presenter's, one piece of work at a time.
struct TWorkFlags {
  bool Running = false;
  bool StopRequested = false;
};

class TWorkProgress final : public IProgress {
 public:
  // Marks work as running, with no Stop asked for yet; nothing shows before the first step.
  TWorkProgress(IViewWidgets& widgets, IDesktop& desktop, TWorkFlags& work, std::string caption);
  // The work is over: its progress goes.
  ~TWorkProgress() override;
  TWorkProgress(const TWorkProgress&) = delete;
  TWorkProgress& operator=(const TWorkProgress&) = delete;

  void Step(std::uint64_t done, std::optional<std::uint64_t> total) override;
  bool StopRequested() const override { return FWork.StopRequested; }

 private:
  using TClock = std::chrono::steady_clock;

  IViewWidgets& FWidgets;
  IDesktop& FDesktop;
  TWorkFlags& FWork;
  TProgressState FState;
  std::optional<TClock::time_point> FShownAt;  // none until the first step
};

}  // namespace hoardscope

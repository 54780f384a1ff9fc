// The progress port: what long work (the load, the search, the export, the import) tells whoever watches it, and
// how it learns that the user asked it to stop. The work knows nothing of a view: the presenter hands it a
// progress that the view's status bar shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace hoardscope {

// How far a piece of work is, as a view shows it.
struct TProgressState {
  std::string Caption;                 // what runs: "Loading", "Searching", "Exporting", "Importing"
  std::uint64_t Done = 0;              // the steps over
  std::optional<std::uint64_t> Total;  // the steps in all; none while they are not known (a cache's walk)
  bool operator==(const TProgressState&) const = default;
};

class IProgress {
 public:
  virtual ~IProgress() = default;

  // done of total steps are over (done never exceeds a total). The work calls it on the thread that started it,
  // between its steps and, while it waits for threads of its own, at least every few tens of milliseconds: the
  // one watching may let the view's waiting messages run here.
  virtual void Step(std::uint64_t done, std::optional<std::uint64_t> total) = 0;
  // Whether the user asked the work to stop. The work then ends before its next step, keeping what it finished
  // whole (no entry half listed, copied or committed), and says that it stopped.
  virtual bool StopRequested() const = 0;
};

}  // namespace hoardscope

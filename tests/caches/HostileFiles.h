// Hostile things a test plants in a copy of a browser's cache folder or hands a reader: files far bigger than what
// they hold, FIFOs under the names of its files, and a guard that turns a read waiting on one of them for ever into
// a failing test.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/caches/EntryBytes.h"

namespace hoardscope {

// A file whose size is claimed by a field, past the end of the bytes actually there (a sparse file): it answers
// reads from what the test wrote, and keeps the largest read it was asked for.
class TClaimedBytes final : public IEntryBytes {
 public:
  // size 0: the head is the whole file.
  TClaimedBytes(std::uint64_t size, std::string head, std::string tail)
      : FSize(std::max<std::uint64_t>(size, head.size() + tail.size())), FHead(std::move(head)), FTail(std::move(tail)) {}
  std::uint64_t Size() const override { return FSize; }
  std::optional<std::string_view> Read(std::uint64_t offset, std::size_t size) override {
    Largest = std::max<std::uint64_t>(Largest, size);
    if (offset > FSize || size > FSize - offset || size > (64u << 20)) return std::nullopt;
    FRead.assign(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
      const std::uint64_t at = offset + i;
      if (at < FHead.size()) FRead[i] = FHead[at];
      else if (at >= FSize - FTail.size()) FRead[i] = FTail[at - (FSize - FTail.size())];
    }
    return std::string_view(FRead);
  }

  std::uint64_t Largest = 0;

 private:
  std::uint64_t FSize;
  std::string FHead;
  std::string FTail;
  std::string FRead;
};

}  // namespace hoardscope

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace hoardscope {

// A FIFO at path, in place of whatever was there.
inline void MakeFifo(const std::filesystem::path& path) {
  std::filesystem::remove(path);
  if (mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("cannot make the FIFO " + path.string());
}

// Unless Done() comes first, after a generous minute it opens each FIFO for writing and closes it again, now and
// then, which lets a reader that waits in opening one of them go on; Released() then says so.
class TFifoGuard {
 public:
  explicit TFifoGuard(std::vector<std::filesystem::path> fifos)
      : FFifos(std::move(fifos)), FThread([this] { Watch(); }) {}
  ~TFifoGuard() {
    Done();
    FThread.join();
  }
  TFifoGuard(const TFifoGuard&) = delete;
  TFifoGuard& operator=(const TFifoGuard&) = delete;

  void Done() {
    {
      const std::lock_guard<std::mutex> lock(FMutex);
      FDone = true;
    }
    FSignal.notify_all();
  }
  bool Released() const { return FReleased; }

 private:
  void Watch() {
    std::unique_lock<std::mutex> lock(FMutex);
    if (FSignal.wait_for(lock, std::chrono::minutes(1), [this] { return FDone; })) return;
    FReleased = true;
    while (!FSignal.wait_for(lock, std::chrono::seconds(1), [this] { return FDone; })) {
      for (const std::filesystem::path& fifo : FFifos) {
        const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);  // fails while no reader waits on it
        if (writer >= 0) close(writer);
      }
    }
  }

  std::vector<std::filesystem::path> FFifos;
  std::mutex FMutex;
  std::condition_variable FSignal;
  bool FDone = false;
  std::atomic<bool> FReleased = false;
  std::thread FThread;
};

}  // namespace hoardscope
#endif

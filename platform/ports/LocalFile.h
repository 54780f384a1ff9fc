// The read of a local file from its start to its end in large pieces, for the URL cache port and the search.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace hoardscope {

// Receives a body piece by piece; returns false to stop reading early, which is no failure.
using BodyPieceSink = std::function<bool(std::string_view piece)>;

// Reads the file in large blocks into a buffer of this thread's and hands each block to sink where it lies. False
// when the file cannot be opened or read (it is gone, it is a folder, it is locked).
bool ReadLocalFile(const std::string& path, const BodyPieceSink& sink);

}  // namespace hoardscope

// Reads an entry's body out of the browser's file and undoes its Content-Encoding on the way, piece by piece: the
// body is never held whole, and the browser's file is only ever opened for reading, never through a link.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <zlib.h>
#ifdef HOARDSCOPE_HAVE_BROTLI
#include <brotli/decode.h>
#endif
#ifdef HOARDSCOPE_HAVE_ZSTD
#include <zstd.h>
#endif

#include "core/ResponseHeaders.h"
#include "core/Tools.h"
#include "platform/caches/BrowserCacheEntry.h"
#include "platform/caches/EntryBytes.h"

namespace hoardscope {
namespace {

constexpr std::size_t kPieceSize = 64 * 1024;
// A stored body that decodes to more than this, or to more than kMaxRatio times its stored size (a small one to
// kMinBombSize), is taken for a decompression bomb.
constexpr std::uint64_t kMaxDecodedSize = std::uint64_t(1) << 30;
constexpr std::uint64_t kMaxRatio = 100;
constexpr std::uint64_t kMinBombSize = std::uint64_t(1) << 20;
// More codings than this are no server's: a header that names more only asks for decoders' memory.
constexpr std::size_t kMaxCodings = 4;

enum class TFlow { Go, Stop, Fail };

// Where a step hands what it decoded: the next step, or the caller's sink at the end of the chain.
using TPieceTarget = std::function<TFlow(std::string_view)>;

// One decoding step of the chain. A step that fails leaves its reason in the chain's failure text.
class TDecodeStep {
 public:
  TDecodeStep(std::string coding, TPieceTarget next, std::string& failure)
      : Coding(std::move(coding)), Next(std::move(next)), Failure(failure) {}
  virtual ~TDecodeStep() = default;
  // The next piece of the encoded stream.
  virtual TFlow Write(std::string_view input) = 0;
  // The encoded stream is over: a stream that ended early fails here.
  virtual TFlow Finish() = 0;

 protected:
  TFlow Emit(const char* data, std::size_t size) {
    if (size == 0) return TFlow::Go;
    Produced += size;
    if (Produced > kMaxDecodedSize) return Fail("decodes to more than 1 GiB; reading stopped");
    return Next(std::string_view(data, size));
  }
  TFlow Fail(const std::string& why) {
    Failure = "The " + Coding + " body " + why + ".";
    return TFlow::Fail;
  }
  TFlow Truncated() { return Fail("is truncated"); }
  TFlow Damaged() { return Fail("is damaged"); }

  std::string Coding;
  bool SawInput = false;   // an empty body decodes to nothing, whatever its coding
  std::vector<char> Out = std::vector<char>(kPieceSize);

 private:
  TPieceTarget Next;
  std::string& Failure;
  std::uint64_t Produced = 0;
};

// gzip, and deflate with or without its zlib wrapper (servers send both under that name).
class TZlibStep : public TDecodeStep {
 public:
  using TDecodeStep::TDecodeStep;
  ~TZlibStep() override {
    if (Started) inflateEnd(&Stream);
  }

  TFlow Write(std::string_view input) override {
    if (Ended || input.empty()) return TFlow::Go;   // bytes after the end of the stream are not part of the body
    SawInput = true;
    if (!Started) {
      Pending.append(input);
      if (Coding == "deflate" && Pending.size() < 2) return TFlow::Go;
      if (inflateInit2(&Stream, WindowBits()) != Z_OK) return Fail("cannot be decoded: out of memory");
      Started = true;
      std::string first = std::move(Pending);
      return Inflate(first);
    }
    return Inflate(input);
  }

  TFlow Finish() override {
    if (!SawInput || Ended) return TFlow::Go;
    return Truncated();
  }

 private:
  // gzip's header, a zlib header (whose first two bytes are a multiple of 31), or raw deflate data.
  int WindowBits() const {
    if (Coding != "deflate") return 15 + 16;
    unsigned header = static_cast<unsigned char>(Pending[0]) * 256u + static_cast<unsigned char>(Pending[1]);
    bool wrapped = (Pending[0] & 0x0f) == Z_DEFLATED && header % 31 == 0;
    return wrapped ? 15 : -15;
  }

  TFlow Inflate(std::string_view input) {
    Stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    Stream.avail_in = static_cast<uInt>(input.size());
    do {
      Stream.next_out = reinterpret_cast<Bytef*>(Out.data());
      Stream.avail_out = static_cast<uInt>(Out.size());
      int rc = inflate(&Stream, Z_NO_FLUSH);
      if (rc == Z_STREAM_END) Ended = true;
      else if (rc != Z_OK && rc != Z_BUF_ERROR) return Damaged();
      TFlow flow = Emit(Out.data(), Out.size() - Stream.avail_out);
      if (flow != TFlow::Go) return flow;
      if (rc == Z_BUF_ERROR) break;   // no progress possible: the step wants more input
    } while (!Ended && (Stream.avail_in > 0 || Stream.avail_out == 0));
    return TFlow::Go;
  }

  z_stream Stream{};
  bool Started = false;
  bool Ended = false;
  std::string Pending;   // the first bytes, until there are enough to tell the wrapper
};

#ifdef HOARDSCOPE_HAVE_BROTLI
class TBrotliStep : public TDecodeStep {
 public:
  TBrotliStep(std::string coding, TPieceTarget next, std::string& failure)
      : TDecodeStep(std::move(coding), std::move(next), failure),
        State(BrotliDecoderCreateInstance(nullptr, nullptr, nullptr)) {}
  ~TBrotliStep() override { BrotliDecoderDestroyInstance(State); }

  TFlow Write(std::string_view input) override {
    if (input.empty() || Result == BROTLI_DECODER_RESULT_SUCCESS) return TFlow::Go;
    SawInput = true;
    if (State == nullptr) return Fail("cannot be decoded: out of memory");
    auto next = reinterpret_cast<const std::uint8_t*>(input.data());
    std::size_t available = input.size();
    do {
      auto outNext = reinterpret_cast<std::uint8_t*>(Out.data());
      std::size_t outAvailable = Out.size();
      Result = BrotliDecoderDecompressStream(State, &available, &next, &outAvailable, &outNext, nullptr);
      if (Result == BROTLI_DECODER_RESULT_ERROR) return Damaged();
      TFlow flow = Emit(Out.data(), Out.size() - outAvailable);
      if (flow != TFlow::Go) return flow;
    } while (Result == BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT);
    return TFlow::Go;
  }

  TFlow Finish() override {
    if (!SawInput || Result == BROTLI_DECODER_RESULT_SUCCESS) return TFlow::Go;
    return Truncated();
  }

 private:
  BrotliDecoderState* State;
  BrotliDecoderResult Result = BROTLI_DECODER_RESULT_NEEDS_MORE_INPUT;
};
#endif

#ifdef HOARDSCOPE_HAVE_ZSTD
class TZstdStep : public TDecodeStep {
 public:
  TZstdStep(std::string coding, TPieceTarget next, std::string& failure)
      : TDecodeStep(std::move(coding), std::move(next), failure), Stream(ZSTD_createDStream()) {}
  ~TZstdStep() override { ZSTD_freeDStream(Stream); }

  // A body may hold several frames one after the other; each must be whole.
  TFlow Write(std::string_view input) override {
    if (input.empty()) return TFlow::Go;
    SawInput = true;
    if (Stream == nullptr) return Fail("cannot be decoded: out of memory");
    ZSTD_inBuffer in{input.data(), input.size(), 0};
    bool outFull = false;
    while (in.pos < in.size || outFull) {
      ZSTD_outBuffer outBuffer{Out.data(), Out.size(), 0};
      FrameRest = ZSTD_decompressStream(Stream, &outBuffer, &in);
      if (ZSTD_isError(FrameRest)) return Damaged();
      TFlow flow = Emit(Out.data(), outBuffer.pos);
      if (flow != TFlow::Go) return flow;
      outFull = outBuffer.pos == outBuffer.size;
    }
    return TFlow::Go;
  }

  TFlow Finish() override {
    if (!SawInput || FrameRest == 0) return TFlow::Go;
    return Truncated();
  }

 private:
  ZSTD_DStream* Stream;
  std::size_t FrameRest = 0;   // what the decoder still expects of the current frame; 0 between frames
};
#endif

// The codings of a Content-Encoding value in the order they were applied; "identity" and blanks left out.
std::vector<std::string> ContentCodings(std::string_view value) {
  std::vector<std::string> codings;
  while (!value.empty()) {
    std::size_t comma = value.find(',');
    std::string_view item = value.substr(0, comma);
    value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
    std::size_t first = item.find_first_not_of(" \t");
    if (first == std::string_view::npos) continue;
    std::string coding = LowerAscii(item.substr(first, item.find_last_not_of(" \t") + 1 - first));
    if (coding == "x-gzip") coding = "gzip";
    if (coding != "identity") codings.push_back(coding);
  }
  return codings;
}

// A step for the coding, or nullptr with the reason in failure when this edition cannot decode it.
std::unique_ptr<TDecodeStep> MakeStep(const std::string& coding, TPieceTarget next, std::string& failure) {
  if (coding == "gzip" || coding == "deflate") return std::make_unique<TZlibStep>(coding, std::move(next), failure);
  if (coding == "br") {
#ifdef HOARDSCOPE_HAVE_BROTLI
    return std::make_unique<TBrotliStep>(coding, std::move(next), failure);
#else
    failure = "br bodies cannot be decoded in this edition.";
    return nullptr;
#endif
  }
  if (coding == "zstd") {
#ifdef HOARDSCOPE_HAVE_ZSTD
    return std::make_unique<TZstdStep>(coding, std::move(next), failure);
#else
    failure = "zstd bodies cannot be decoded in this edition.";
    return nullptr;
#endif
  }
  failure = "The body's content coding \"" + coding + "\" is not one Hoardscope can decode.";
  return nullptr;
}

}  // namespace

std::string ReadDecodedBody(const TBrowserCacheEntry& entry, const TBodySink& sink) {
  if (entry.Encrypted) return "The browser encrypted this entry: its body cannot be read.";
  if (entry.Body.File.empty()) return {};

  // The chain runs from the file's bytes to the sink: the last coding applied is undone first.
  std::string failure;
  const std::vector<std::string> codings = ContentCodings(HeaderValueOf(entry.ResponseHeaders, "Content-Encoding"));
  if (codings.size() > kMaxCodings) {
    return "The body names " + std::to_string(codings.size()) + " content codings, more than " +
           std::to_string(kMaxCodings) + " are not decoded.";
  }
  if (codings.empty() && entry.Body.Size > kMaxDecodedSize) {
    return "The body of " + std::to_string(entry.Body.Size) + " bytes is larger than 1 GiB, the most a copy takes; "
           "it was not read.";
  }
  const std::uint64_t limit =
      codings.empty() ? kMaxDecodedSize
                      : std::min(kMaxDecodedSize, std::max(kMinBombSize, entry.Body.Size * kMaxRatio));
  std::uint64_t decoded = 0;
  std::vector<std::unique_ptr<TDecodeStep>> steps;
  TPieceTarget target = [&](std::string_view piece) {
    decoded += piece.size();
    if (decoded > limit) {
      failure = "The body decodes to more than " + std::to_string(limit) + " bytes from the " +
                std::to_string(entry.Body.Size) + " stored, as a decompression bomb does; reading stopped.";
      return TFlow::Fail;
    }
    return sink(piece) ? TFlow::Go : TFlow::Stop;
  };
  for (const std::string& coding : codings) {
    std::unique_ptr<TDecodeStep> step = MakeStep(coding, target, failure);
    if (!step) return failure;
    TDecodeStep* raw = step.get();
    target = [raw](std::string_view piece) { return raw->Write(piece); };
    steps.push_back(std::move(step));
  }

  TEntryFile file;
  const TEntryFile::TOpenResult opened = file.Open(entry.Body.File);
  if (opened == TEntryFile::TOpenResult::NotAFile) {
    return entry.Body.File + " is not a plain file of the cache (a link, a folder or a FIFO): it is not read.";
  }
  if (opened != TEntryFile::TOpenResult::Opened) return "Cannot open " + entry.Body.File + ".";
  if (entry.Body.Offset > file.Size() || entry.Body.Size > file.Size() - entry.Body.Offset) {
    return "The body runs past the end of " + entry.Body.File + ".";
  }

  for (std::uint64_t done = 0; done < entry.Body.Size;) {
    const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(entry.Body.Size - done, kPieceSize));
    const std::optional<std::string_view> piece = file.Read(entry.Body.Offset + done, size);
    if (!piece) return "Cannot read " + entry.Body.File + ".";
    done += size;
    TFlow flow = target(*piece);
    if (flow == TFlow::Stop) return {};
    if (flow == TFlow::Fail) return failure;
  }
  // Each step learns its input is over once the step before it has flushed everything it held.
  for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
    TFlow flow = (*step)->Finish();
    if (flow == TFlow::Stop) return {};
    if (flow == TFlow::Fail) return failure;
  }
  return {};
}

}  // namespace hoardscope

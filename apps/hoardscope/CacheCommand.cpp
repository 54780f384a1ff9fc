// hoardscope cache: fills, lists, shows and empties the edition's URL cache from the command line (the cache store
// of the Linux edition, the WinInet cache of the Windows edition).
//
//   cache add URL FILE [--headers TEXT | --headers-file F] [--synced TIME] [--type N]
//       reserves a content file, copies FILE into it and commits it as the entry of URL: entry type N (decimal,
//       or hexadecimal after 0x; 1 by default), the expiry its headers give (max-age counted from TIME, else
//       Expires; none without either), last-modified time of FILE, last-sync time TIME (ISO 8601 UTC,
//       2026-12-01T10:00:00.000Z; now by default). In TEXT "\r" and "\n" stand for CR and LF.
//       A header block is at most 64 KiB.
//   cache fetch URL... [--max-time SECONDS] [--max-size BYTES]
//       fetches each URL (http or https) over the network like the browser window does and stores the response,
//       whatever its status, as the URL's entry. One line per response, fields separated by tabs: URL, status
//       code, body size. A URL that cannot be fetched is reported on standard error and the others are still
//       fetched; a failed fetch or an error status (400 and up) gives exit code 1. A response that takes longer
//       than SECONDS or whose body is larger than BYTES (the HTTP layer's limits by default) is not stored and
//       counts as failed. Linux edition only.
//   cache list [--all]
//       one line per entry in walk order, fields separated by tabs: URL, local file, size, last-sync time, entry
//       type, content type. Like the view, it walks normal entries only; --all lists entries of every type. On a
//       browser's cache it lists every key the browser stored, where the view shows one entry per URL.
//   cache info URL
//       the entry stored under exactly URL, one field a line, then "headers:" and the raw header block.
//   cache delete URL [--force]
//       removes the entry and its file; on a browser's cache that no profile was found to own, only with --force.
//   cache clear           removes every entry and its file.
//
// On a browser's cache (--cache SOURCE) only list, info and delete work; the local file they show is the decoded
// copy when one was written, else the browser's own file that holds the body.
//
// A URL that is not in the cache gives exit code 1, bad usage 2.
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <system_error>
#include <vector>

#include "platform/ports/CacheAdmin.h"
#include "Commands.h"
#include "Options.h"
#include "core/ResponseHeaders.h"
#include "core/TimeText.h"
#include "core/Tools.h"

namespace hoardscope {
namespace {

constexpr const char* kCacheUsage =
    "usage: hoardscope cache add URL FILE [--headers TEXT | --headers-file F] [--synced TIME] [--type N]\n"
    "       hoardscope cache fetch URL... [--max-time SECONDS] [--max-size BYTES]\n"
    "       hoardscope cache list [--all]\n"
    "       hoardscope cache info URL\n"
    "       hoardscope cache delete URL [--force]\n"
    "       hoardscope cache clear\n";

constexpr std::size_t kMaxHeaderBytes = 64 * 1024;

int Usage() {
  std::cerr << kCacheUsage;
  return 2;
}

int Failure(const std::string& message) {
  std::cerr << "hoardscope: " << message << "\n";
  return 1;
}

// "(error N: what the cache ran into)", or "(error N)" when it says nothing more.
std::string ErrorText(std::uint32_t code, const std::string& failure) {
  return "(error " + std::to_string(code) + (failure.empty() ? "" : ": " + failure) + ")";
}

std::uint64_t SizeOf(const CacheEntryRecord& record) {
  return (static_cast<std::uint64_t>(record.SizeHigh) << 32) | record.SizeLow;
}

std::string TimeOrNone(FileTime time) { return time == 0 ? "none" : FileTimeToText(time); }

std::string ContentTypeOfRecord(const CacheEntryRecord& record) {
  return record.HeaderInfo ? ContentTypeOf(*record.HeaderInfo) : "Unknown";
}

// "\r" and "\n" written as two characters become CR and LF; every other character stays.
std::string UnescapeHeaders(std::string_view text) {
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'r' || text[i + 1] == 'n')) {
      result += text[++i] == 'r' ? '\r' : '\n';
    } else {
      result += text[i];
    }
  }
  return result;
}

std::optional<std::uint32_t> ParseEntryType(const std::string& text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.empty() || digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos) {
    return std::nullopt;
  }
  try {
    const unsigned long long value = std::stoull(digits, nullptr, hex ? 16 : 10);
    if (value > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<std::uint32_t>(value);
  } catch (const std::out_of_range&) {
    return std::nullopt;
  }
}

// The extension, without its dot, of the last segment of a URL (query and fragment cut off).
std::string UrlExtension(std::string_view url) {
  url = url.substr(0, url.find_first_of("?#"));
  const std::size_t slash = url.find_last_of('/');
  const std::string extension = PathFindExtension(slash == std::string_view::npos ? url : url.substr(slash + 1));
  return extension.empty() ? extension : extension.substr(1);
}

FileTime ModificationTimeOf(const std::filesystem::path& file) {
  std::error_code error;
  const auto written = std::filesystem::last_write_time(file, error);
  if (error) return 0;
  const auto sinceUnixEpoch = std::chrono::file_clock::to_sys(written).time_since_epoch();
  return FileTimeFromUnixMillis(std::chrono::duration_cast<std::chrono::milliseconds>(sinceUnixEpoch).count());
}

// The first maxBytes + 1 bytes of a file at most, so that a file without end (/dev/zero) is seen to be too large.
std::optional<std::string> ReadFileStart(const std::filesystem::path& file, std::size_t maxBytes) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string content(maxBytes + 1, '\0');
  in.read(content.data(), static_cast<std::streamsize>(content.size()));
  if (in.bad()) return std::nullopt;
  content.resize(static_cast<std::size_t>(in.gcount()));
  return content;
}

// The system's reason for the failure of the file operation that just failed.
std::string LastErrorText() {
  const int error = errno;
  return error == 0 ? std::string("an unknown error") : std::generic_category().message(error);
}

// Copies source over target; an empty text when it worked, else what failed and why.
std::string CopyFile(const std::filesystem::path& source, const std::filesystem::path& target) {
  errno = 0;
  std::ifstream in(source, std::ios::binary);
  if (!in) return "cannot read " + source.string() + ": " + LastErrorText();
  errno = 0;
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  if (!out) return "cannot write " + target.string() + ": " + LastErrorText();
  std::vector<char> buffer(64 * 1024);
  while (in) {
    errno = 0;
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    if (in.bad()) return "cannot read " + source.string() + ": " + LastErrorText();
    errno = 0;
    if (!out.write(buffer.data(), in.gcount())) return "cannot write " + target.string() + ": " + LastErrorText();
  }
  errno = 0;
  out.close();
  if (!out) return "cannot write " + target.string() + ": " + LastErrorText();
  return "";
}

int Add(ICacheAdmin& admin, const TArguments& args) {
  std::vector<std::string> positional;
  std::optional<std::string> headers, headersFile;
  std::optional<FileTime> synced;
  std::uint32_t entryType = kNormalCacheEntry;
  for (TOptionReader reader(args); reader.Next();) {
    if (reader.HasValue("--headers") && !headers) {
      headers = UnescapeHeaders(reader.TakeValue());
    } else if (reader.HasValue("--headers-file") && !headersFile) {
      headersFile = reader.TakeValue();
    } else if (reader.HasValue("--synced") && !synced) {
      synced = FileTimeFromText(reader.TakeValue());
      if (!synced) return Usage();
    } else if (reader.HasValue("--type")) {
      const auto type = ParseEntryType(reader.TakeValue());
      if (!type) return Usage();
      entryType = *type;
    } else if (reader.IsOption()) {
      return Usage();
    } else {
      positional.push_back(reader.Current());
    }
  }
  if (positional.size() != 2 || (headers && headersFile)) return Usage();
  const std::string& url = positional[0];
  const std::filesystem::path file = positional[1];

  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return Failure("cannot read " + file.string());
  const std::uint64_t size = std::filesystem::file_size(file, error);
  if (error) return Failure("cannot read " + file.string() + ": " + error.message());
  if (headersFile) {
    headers = ReadFileStart(*headersFile, kMaxHeaderBytes);
    if (!headers) return Failure("cannot read " + *headersFile);
  }
  if (headers && headers->size() > kMaxHeaderBytes) {
    return Failure("the header block " + (headersFile ? "in " + *headersFile + " " : std::string()) +
                   "is larger than 64 KiB");
  }
  std::string extension = PathFindExtension(file.filename().string());
  extension = extension.empty() ? UrlExtension(url) : extension.substr(1);

  IUrlCacheWriter* writer = admin.Cache().Writer();
  if (!writer) return Failure("cannot add " + url + ": the cache takes no entries");
  // One batch, so that the entry and its last-sync time appear together or not at all.
  return admin.InOneBatch([&] {
    const CreatedCacheFile created = writer->CreateEntry(url, size, extension);
    if (!created.Ok) {
      return Failure("cannot reserve a cache file for " + url + " " + ErrorText(created.Error, admin.LastFailure()));
    }
    // A file that is not committed goes back to the cache, as the import gives back its reservations.
    const std::string copyFailure = CopyFile(file, created.LocalFileName);
    if (!copyFailure.empty()) {
      writer->DiscardReservedFile(created.LocalFileName);
      return Failure("cannot copy " + file.string() + " into the cache: " + copyFailure);
    }
    const std::uint32_t committed =
        writer->CommitEntry(url, created.LocalFileName, ExpiryOfHeaders(headers.value_or(""), synced.value_or(0)),
                            ModificationTimeOf(file), entryType, headers.value_or(""));
    if (committed != 0) {
      writer->DiscardReservedFile(created.LocalFileName);
      return Failure("cannot commit " + url + " " + ErrorText(committed, admin.LastFailure()));
    }
    if (synced && !writer->SetLastSyncTime(url, *synced)) return Failure("cannot set the last-sync time of " + url);
    return 0;
  });
}

// A whole number above zero written in decimal digits.
std::optional<std::uint64_t> ParsePositive(const std::string& text) {
  if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  const std::uint64_t value = std::stoull(text);
  if (value == 0) return std::nullopt;
  return value;
}

int Fetch(ICacheAdmin& admin, const TArguments& args) {
  std::vector<std::string> urls;
  TFetchLimits limits;
  for (TOptionReader reader(args); reader.Next();) {
    if (reader.HasValue("--max-time") || reader.HasValue("--max-size")) {
      std::optional<std::uint64_t>& limit = reader.Is("--max-time") ? limits.MaxSeconds : limits.MaxBytes;
      if (limit) return Usage();
      limit = ParsePositive(reader.TakeValue());
      if (!limit) return Usage();
    } else if (reader.IsOption()) {
      return Usage();
    } else {
      urls.push_back(reader.Current());
    }
  }
  if (urls.empty()) return Usage();
  return admin.Fetch(urls, limits);
}

int List(ICacheAdmin& admin, const TArguments& args) {
  if (args.size() > 1 || (args.size() == 1 && args[0] != "--all")) return Usage();
  CacheEntryRecord record;
  auto walk = args.empty() ? admin.FindFirstListed(record) : admin.FindFirstOfAnyType(record);
  std::string out;
  if (walk) {
    do {
      out.clear();
      out += record.SourceUrl;
      out += '\t';
      out += admin.ListedFile(record);
      out += '\t';
      out += std::to_string(SizeOf(record));
      out += '\t';
      out += FileTimeToText(record.LastSyncTime);
      out += '\t';
      out += std::to_string(record.CacheEntryType);
      out += '\t';
      out += ContentTypeOfRecord(record);
      out += '\n';
      std::cout << out;
    } while (walk->FindNext(record));
  }
  std::cout.flush();
  if (!admin.LastFailure().empty()) return Failure("the cache walk failed: " + admin.LastFailure());
  return 0;
}

int Info(ICacheAdmin& admin, const TArguments& args) {
  if (args.size() != 1) return Usage();
  const auto record = admin.Cache().GetEntryInfo(args[0]);
  if (!record) {
    if (!admin.LastFailure().empty()) return Failure(admin.LastFailure());
    return Failure("not in the cache: " + args[0]);
  }
  std::cout << "url: " << record->SourceUrl << "\n"
            << "local: " << admin.ListedFile(*record) << "\n"
            << "size: " << SizeOf(*record) << "\n"
            << "synced: " << TimeOrNone(record->LastSyncTime) << "\n"
            << "expires: " << TimeOrNone(record->ExpireTime) << "\n"
            << "modified: " << TimeOrNone(record->LastModifiedTime) << "\n"
            << "type: " << record->CacheEntryType << "\n"
            << "content-type: " << ContentTypeOfRecord(*record) << "\n"
            << "headers:\n"
            << record->HeaderInfo.value_or("");
  std::cout.flush();
  return 0;
}

int Delete(ICacheAdmin& admin, const TArguments& args) {
  const bool force = args.size() == 2 && args[1] == "--force";
  if (args.size() != 1 && !force) return Usage();
  if (force) admin.DeleteWithoutOwner();
  IUrlCacheDeleter* deleter = admin.Cache().Deleter();
  if (!deleter) return Failure("cannot delete " + args[0] + ": nothing is deleted from this cache");
  if (!deleter->DeleteEntry(args[0])) {
    if (!admin.LastFailure().empty()) return Failure(admin.LastFailure());
    return Failure("not in the cache: " + args[0]);
  }
  return 0;
}

int Clear(ICacheAdmin& admin, const TArguments& args) {
  if (!args.empty()) return Usage();
  admin.Clear();
  return 0;
}

}  // namespace

int RunCacheCommand(const TArguments& args, const THomePaths& home) {
  if (args.empty()) return Usage();
  using TAction = int (*)(ICacheAdmin&, const TArguments&);
  const std::string& verb = args[0];
  const TAction action = verb == "add"      ? Add
                         : verb == "fetch"  ? Fetch
                         : verb == "list"   ? List
                         : verb == "info"   ? Info
                         : verb == "delete" ? Delete
                         : verb == "clear"  ? Clear
                                            : nullptr;
  if (!action) return Usage();
  if (IsBrowserSource(home) && action != List && action != Info && action != Delete) {
    return Failure("cache " + verb + " does not work on " + home.CacheSource +
                   ": a browser's cache is only read (and deleted from); cache " + verb + " works on the platform cache");
  }
  const std::unique_ptr<ICacheAdmin> admin = IsBrowserSource(home) ? OpenBrowserCacheAdmin(home) : OpenCacheAdmin(home);
  return action(*admin, TArguments(args.begin() + 1, args.end()));
}

}  // namespace hoardscope

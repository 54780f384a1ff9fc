// Finding the user's browser caches in the browsers' usual places, counting their entries from the folder alone,
// and telling whether their browser runs.
#include "platform/caches/CacheSources.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/ports/CacheSources.h"

namespace hoardscope {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kBlockfileIndexMagic = 0xC103CAC3;

#ifdef _WIN32
constexpr const char* kChromiumLock = "lockfile";
constexpr const char* kFirefoxLock = "parent.lock";
#else
constexpr const char* kChromiumLock = "SingletonLock";
constexpr const char* kFirefoxLock = "lock";
#endif

struct TChromiumBrowser {
  const char* Id;           // the first part of its sources' names
  const char* Product;      // its name in messages
  const char* LinuxFolder;  // below ~/.config (its user data) and ~/.cache (its caches)
  const char* WindowsFolder;  // below %LOCALAPPDATA%: the user data folder
};

constexpr std::array<TChromiumBrowser, 4> kChromiumBrowsers{{
    {"chromium", "Chromium", "chromium", "Chromium/User Data"},
    {"google-chrome", "Google Chrome", "google-chrome", "Google/Chrome/User Data"},
    {"microsoft-edge", "Microsoft Edge", "microsoft-edge", "Microsoft/Edge/User Data"},
    {"brave", "Brave", "BraveSoftware/Brave-Browser", "BraveSoftware/Brave-Browser/User Data"},
}};

bool IsFolder(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

// The subfolders of a folder, by name; none when it cannot be listed.
std::vector<fs::path> Subfolders(const fs::path& folder) {
  std::vector<fs::path> found;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    if (it->is_directory(typeError)) found.push_back(it->path());
  }
  std::sort(found.begin(), found.end());
  return found;
}

void AddSource(std::vector<TCacheSource>& sources, TCacheSource source) {
  const bool known = std::any_of(sources.begin(), sources.end(),
                                 [&](const TCacheSource& other) { return other.Name == source.Name; });
  if (!known) sources.push_back(std::move(source));
}

// Each profile folder below profilesFolder that holds Cache/Cache_Data.
void AddChromiumProfiles(std::vector<TCacheSource>& sources, const TChromiumBrowser& browser,
                         const fs::path& profilesFolder, const fs::path& lockFile) {
  for (const fs::path& profile : Subfolders(profilesFolder)) {
    fs::path cache = profile / "Cache" / "Cache_Data";
    if (!IsFolder(cache)) continue;
    AddSource(sources, {std::string(browser.Id) + "/" + profile.filename().string(), "chromium",
                        cache.make_preferred().string(), browser.Product, {lockFile.string()}});
  }
}

// Where Firefox keeps its caches and its profiles on this platform.
struct TFirefoxPlaces {
  fs::path Caches;                     // a cache folder per profile of the roots, under the profile's name
  std::vector<fs::path> ProfileRoots;  // the folders that hold the profiles whose caches lie below Caches
  std::vector<fs::path> Lists;         // the folders of Firefox's lists of profiles (profiles.ini)
};

// The profile folders that list's profiles.ini names, relative to its folder or as a full path.
std::vector<fs::path> ListedProfiles(const fs::path& list) {
  std::vector<fs::path> profiles;
  std::ifstream ini(list / "profiles.ini");
  std::string line;
  std::string path;
  bool relative = true;
  const auto takeProfile = [&] {
    if (!path.empty()) profiles.push_back((relative ? list / path : fs::path(path)).make_preferred().lexically_normal());
    path.clear();
    relative = true;
  };
  while (std::getline(ini, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with('[')) {
      takeProfile();
    } else if (line.starts_with("Path=")) {
      path = line.substr(5);
    } else if (line.starts_with("IsRelative=")) {
      relative = line.substr(11) != "0";
    }
  }
  takeProfile();
  return profiles;
}

bool IsBelowAny(const fs::path& folder, const std::vector<fs::path>& roots) {
  return std::any_of(roots.begin(), roots.end(), [&](const fs::path& root) {
    const fs::path rest = folder.lexically_relative(root.lexically_normal());
    return !rest.empty() && *rest.begin() != "..";
  });
}

// The caches below the caches folder, each with the lock of its profile in every profiles root; then the profiles
// a list names elsewhere, which keep their cache inside them.
void AddFirefoxProfiles(std::vector<TCacheSource>& sources, const TFirefoxPlaces& places) {
  for (const fs::path& profile : Subfolders(places.Caches)) {
    fs::path cache = profile / "cache2";
    if (!IsFolder(cache)) continue;
    const fs::path name = profile.filename();
    std::vector<std::string> locks;
    for (const fs::path& root : places.ProfileRoots) locks.push_back((root / name / kFirefoxLock).make_preferred().string());
    AddSource(sources, {"firefox/" + name.string(), "firefox", cache.make_preferred().string(), "Firefox", locks});
  }
  for (const fs::path& list : places.Lists) {
    for (const fs::path& profile : ListedProfiles(list)) {
      fs::path cache = profile / "cache2";
      if (IsBelowAny(profile, places.ProfileRoots) || !IsFolder(cache)) continue;
      AddSource(sources, {"firefox/" + profile.filename().string(), "firefox", cache.make_preferred().string(),
                          "Firefox", {(profile / kFirefoxLock).make_preferred().string()}});
    }
  }
}

// The folder as a path from the root without "." or ".." parts and without a separator at its end.
fs::path NormalFolder(const fs::path& folder) {
  std::error_code error;
  fs::path normal = fs::absolute(folder, error).lexically_normal();
  if (normal.filename().empty()) normal = normal.parent_path();  // "DIR/" names DIR
  return normal.make_preferred();
}

// Whether two paths name one folder (equivalence of directories is not known everywhere, so their forms count).
bool SameFolder(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return NormalFolder(a) == NormalFolder(b) || fs::equivalent(a, b, error);
}

std::uint32_t LittleEndian32(const unsigned char* bytes) {
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

// The entry count a blockfile cache's index holds in its header; nullopt when the folder holds no such index.
std::optional<std::uint64_t> BlockfileEntryCount(const fs::path& folder) {
  std::ifstream index(folder / "index", std::ios::binary);
  std::array<unsigned char, 12> header{};
  if (!index.read(reinterpret_cast<char*>(header.data()), header.size())) return std::nullopt;
  if (LittleEndian32(header.data()) != kBlockfileIndexMagic) return std::nullopt;
  const auto count = static_cast<std::int32_t>(LittleEndian32(header.data() + 8));
  return count < 0 ? 0 : static_cast<std::uint64_t>(count);
}

bool IsSimpleEntryFileName(const std::string& name) {
  return name.size() == 18 && name.compare(16, 2, "_0") == 0 &&
         std::all_of(name.begin(), name.begin() + 16, [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

std::uint64_t CountFiles(const fs::path& folder, bool (*counts)(const std::string&)) {
  std::uint64_t count = 0;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (counts(it->path().filename().string())) ++count;
  }
  return count;
}

}  // namespace

TUserFolders UserFoldersOfThisPlatform() {
  const auto variable = [](const char* name) {
    const char* value = std::getenv(name);
    return std::string(value ? value : "");
  };
#ifdef _WIN32
  return {std::string(), variable("LOCALAPPDATA"), variable("APPDATA")};
#else
  return {variable("HOME"), std::string(), std::string()};
#endif
}

std::vector<TCacheSource> FindCacheSources(const TUserFolders& folders) {
  std::vector<TCacheSource> sources;
  if (!folders.Home.empty()) {
    const fs::path home(folders.Home);
    for (const TChromiumBrowser& browser : kChromiumBrowsers) {
      const fs::path userData = home / ".config" / browser.LinuxFolder;
      AddChromiumProfiles(sources, browser, home / ".cache" / browser.LinuxFolder, userData / kChromiumLock);
      AddChromiumProfiles(sources, browser, userData, userData / kChromiumLock);
    }
    // Firefox keeps its profiles in ~/.config/mozilla/firefox, or in ~/.mozilla/firefox where an older one began.
    const std::vector<fs::path> profiles{home / ".config" / "mozilla" / "firefox", home / ".mozilla" / "firefox"};
    AddFirefoxProfiles(sources, {home / ".cache" / "mozilla" / "firefox", profiles, profiles});
  }
  if (!folders.LocalAppData.empty()) {
    const fs::path local(folders.LocalAppData);
    for (const TChromiumBrowser& browser : kChromiumBrowsers) {
      const fs::path userData = local / fs::path(browser.WindowsFolder).make_preferred();
      AddChromiumProfiles(sources, browser, userData, userData / kChromiumLock);
    }
    const fs::path firefox = fs::path("Mozilla") / "Firefox";
    const fs::path roaming = folders.RoamingAppData.empty() ? local : fs::path(folders.RoamingAppData);
    AddFirefoxProfiles(sources, {local / firefox / "Profiles", {roaming / firefox / "Profiles"}, {roaming / firefox}});
  }
  std::sort(sources.begin(), sources.end(),
            [](const TCacheSource& a, const TCacheSource& b) { return a.Name < b.Name; });
  sources.insert(sources.begin(), {"platform", "platform", "", "", {}});
  return sources;
}

std::optional<std::uint64_t> CountEntries(const TCacheSource& source) {
  if (source.Kind == "chromium") {
    if (const std::optional<std::uint64_t> count = BlockfileEntryCount(source.Folder)) return count;
    return CountFiles(source.Folder, IsSimpleEntryFileName);
  }
  if (source.Kind == "firefox") {
    return CountFiles(fs::path(source.Folder) / "entries", [](const std::string&) { return true; });
  }
  return std::nullopt;
}

namespace {

#ifndef _WIN32
// A lock link names its holder as "host-PID" (Chromium) or "address:+PID" (Firefox, which leaves the link behind
// when it closes). Held while that process runs; a link that names no process counts as held.
bool LockHolderRuns(const fs::path& lockLink) {
  std::error_code error;
  const std::string holder = fs::read_symlink(lockLink, error).string();
  if (error) return true;
  const std::size_t digits = holder.find_last_not_of("0123456789") + 1;
  if (digits == holder.size()) return true;
  return fs::exists(fs::path("/proc") / holder.substr(digits), error) || error;
}
#endif

// Whether the browser holds this lock file now.
bool LockHeld(const std::string& lockFile) {
  std::error_code error;
  if (!fs::exists(fs::symlink_status(lockFile, error))) return false;
#ifdef _WIN32
  // A Windows browser holds its lock file open for itself alone; a lock file left by a closed one opens.
  return !std::fstream(lockFile, std::ios::in | std::ios::out | std::ios::binary).is_open();
#else
  return LockHolderRuns(lockFile);
#endif
}

}  // namespace

bool BrowserRuns(const TCacheSource& source) {
  return std::any_of(source.LockFiles.begin(), source.LockFiles.end(), LockHeld);
}

std::string SourceCaption(const TCacheSource& source) {
  if (source.Kind == kPlatformSource) return kPlatformCaption;
  const std::size_t slash = source.Name.find('/');
  if (source.Name.find(':') != std::string::npos || slash == std::string::npos) return source.Folder;
  return source.Browser + " \u2014 " + source.Name.substr(slash + 1);
}

std::optional<TCacheSource> ParseCacheSource(const std::string& text, const std::vector<TCacheSource>& found,
                                             std::string& error) {
  for (const TCacheSource& source : found) {
    if (source.Name == text) return source;
  }
  if (text == "platform") return TCacheSource{"platform", "platform", "", "", {}};
  const std::size_t colon = text.find(':');
  const std::string kind = colon == std::string::npos ? std::string() : text.substr(0, colon);
  if (kind != "chromium" && kind != "firefox") {
    error = "no cache source '" + text + "': hoardscope caches lists the sources; chromium:DIR and firefox:DIR "
            "name a cache folder";
    return std::nullopt;
  }
  const fs::path folder = fs::path(text.substr(colon + 1)).make_preferred();
  if (!IsFolder(folder)) {
    error = "no cache folder " + folder.string();
    return std::nullopt;
  }
  for (const TCacheSource& source : found) {
    if (source.Kind == kind && SameFolder(source.Folder, folder)) {
      TCacheSource named = source;
      named.Name = text;
      return named;
    }
  }
  // A folder elsewhere: its browser's lock lies where that browser would keep it beside its cache.
  const fs::path absolute = NormalFolder(folder);
  if (kind == "chromium") {
    const fs::path userData = absolute.parent_path().parent_path().parent_path();
    return TCacheSource{text, kind, absolute.string(), "Chromium", {(userData / kChromiumLock).string()}};
  }
  return TCacheSource{text, kind, absolute.string(), "Firefox", {(absolute.parent_path() / kFirefoxLock).string()}};
}

}  // namespace hoardscope

// Finding the user's browser caches in the browsers' usual places, counting their entries from the folder alone,
// and telling whether their browser runs.
#include "core/ByteOrder.h"
#include "platform/caches/CacheSources.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/caches/EntryBytes.h"
#include "platform/caches/chromium/BlockfileFormat.h"
#include "platform/caches/chromium/SimpleCacheFormat.h"
#include "platform/caches/firefox/Cache2Format.h"
#include "platform/ports/CacheSources.h"

namespace hoardscope {
namespace {

namespace fs = std::filesystem;

// Chromium's "Local State" and Firefox's profiles.ini are far smaller; a bigger file is not read.
constexpr std::size_t kMaxSettingsFileSize = 16 << 20;

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

// Each profile folder below profilesFolder that holds Cache/Cache_Data; its owner is looked for later.
void AddChromiumProfiles(std::vector<TCacheSource>& sources, const TChromiumBrowser& browser,
                         const fs::path& profilesFolder) {
  for (const fs::path& profile : Subfolders(profilesFolder)) {
    fs::path cache = profile / "Cache" / "Cache_Data";
    if (!IsFolder(cache)) continue;
    AddSource(sources, {std::string(browser.Id) + "/" + profile.filename().string(), "chromium",
                        cache.make_preferred().string(), browser.Product, {}});
  }
}

// Where Firefox keeps its caches and its profiles on this platform.
struct TFirefoxPlaces {
  fs::path Caches;                     // a cache folder per profile of the roots, under the profile's name
  std::vector<fs::path> ProfileRoots;  // the folders that hold the profiles whose caches lie below Caches
  std::vector<fs::path> Lists;         // the folders of Firefox's lists of profiles (profiles.ini)
  // Where a profile a list names by a relative path keeps its cache: at that path below this folder.
  fs::path LocalRoot;
};

std::optional<TFirefoxPlaces> FirefoxPlacesOf(const TUserFolders& folders) {
  if (!folders.Home.empty()) {
    // Firefox keeps its profiles in ~/.config/mozilla/firefox, or in ~/.mozilla/firefox where an older one began.
    const fs::path home(folders.Home);
    const std::vector<fs::path> profiles{home / ".config" / "mozilla" / "firefox", home / ".mozilla" / "firefox"};
    const fs::path caches = home / ".cache" / "mozilla" / "firefox";
    return TFirefoxPlaces{caches, profiles, profiles, caches};
  }
  if (!folders.LocalAppData.empty()) {
    const fs::path firefox = fs::path("Mozilla") / "Firefox";
    const fs::path local = fs::path(folders.LocalAppData) / firefox;
    const fs::path roaming = (folders.RoamingAppData.empty() ? fs::path(folders.LocalAppData) : fs::path(folders.RoamingAppData)) / firefox;
    return TFirefoxPlaces{local / "Profiles", {roaming / "Profiles"}, {roaming}, local};
  }
  return std::nullopt;
}

// The profile folders that list's profiles.ini names, relative to its folder or as a full path.
std::vector<fs::path> ListedProfiles(const fs::path& list) {
  std::vector<fs::path> profiles;
  std::istringstream ini(ReadSmallFile((list / "profiles.ini").string(), kMaxSettingsFileSize).value_or(""));
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

// The caches below the caches folder, then those of the profiles a list names elsewhere, which keep their cache
// inside them; their owners are looked for later.
void AddFirefoxProfiles(std::vector<TCacheSource>& sources, const TFirefoxPlaces& places) {
  for (const fs::path& profile : Subfolders(places.Caches)) {
    fs::path cache = profile / "cache2";
    if (!IsFolder(cache)) continue;
    AddSource(sources, {"firefox/" + profile.filename().string(), "firefox", cache.make_preferred().string(), "Firefox", {}});
  }
  for (const fs::path& list : places.Lists) {
    for (const fs::path& profile : ListedProfiles(list)) {
      fs::path cache = profile / "cache2";
      if (IsBelowAny(profile, places.ProfileRoots) || !IsFolder(cache)) continue;
      AddSource(sources, {"firefox/" + profile.filename().string(), "firefox", cache.make_preferred().string(),
                          "Firefox", {}});
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

// The forms of a cache folder's path its owner is looked for under: the path as given, and its real path (every
// link on the way resolved) where that differs.
std::vector<fs::path> FormsOf(const fs::path& folder) {
  std::vector<fs::path> forms{NormalFolder(folder)};
  std::error_code error;
  fs::path real = fs::canonical(folder, error);
  if (!error && real.make_preferred() != forms.front()) forms.push_back(real);
  return forms;
}

// The folder at the same place below to as folder lies below from; nullopt when folder is not below from.
std::optional<fs::path> SamePlaceBelow(const fs::path& folder, const fs::path& from, const fs::path& to) {
  if (!IsBelowAny(folder, {from})) return std::nullopt;
  return (to / folder.lexically_relative(from.lexically_normal())).make_preferred();
}

// Whether a Chromium user data folder holds the profile: its "Local State" names it, and its folder is there.
bool HoldsChromiumProfile(const fs::path& userData, const std::string& profile) {
  if (!IsFolder(userData / profile)) return false;
  const std::optional<std::string> state = ReadSmallFile((userData / "Local State").string(), kMaxSettingsFileSize);
  return state && state->find("\"" + profile + "\"") != std::string::npos;
}

// The Chromium user data folders that own a cache folder: a profile keeps its cache at <profile>/Cache/Cache_Data
// (older versions at <profile>/Cache), inside the user data folder, or on Linux at the same place below ~/.cache as
// the user data folder lies below ~/.config. A cache that Chromium was told to keep elsewhere
// (--disk-cache-dir) is named by none of its files: its owner stays unknown.
std::vector<fs::path> ChromiumOwners(const fs::path& cache, const TUserFolders& folders) {
  fs::path profile = cache.parent_path();
  if (cache.filename() == "Cache_Data" && profile.filename() == "Cache") profile = profile.parent_path();
  else if (cache.filename() != "Cache") return {};
  const std::string name = profile.filename().string();
  std::vector<fs::path> candidates{profile.parent_path()};
  if (!folders.Home.empty()) {
    const fs::path home(folders.Home);
    if (auto mirrored = SamePlaceBelow(profile.parent_path(), home / ".cache", home / ".config")) {
      candidates.push_back(*mirrored);
    }
  }
  std::vector<fs::path> owners;
  for (const fs::path& userData : candidates) {
    if (HoldsChromiumProfile(userData, name)) owners.push_back(userData);
  }
  return owners;
}

// The Firefox profile folders that own a cache folder ("cache2"), by where Firefox keeps a profile's cache: inside
// a profile a list names by its full path; at the same place below the local root as a profile a list names by a
// relative path lies below that list's folder, or as a profile lies below a profiles root. The folder around the
// cache owns it too when it is a profile folder itself (one made with --profile).
std::vector<fs::path> FirefoxOwners(const fs::path& cache, const TUserFolders& folders) {
  if (cache.filename() != "cache2") return {};
  const fs::path local = cache.parent_path();
  std::vector<fs::path> owners;
  if (const std::optional<TFirefoxPlaces> places = FirefoxPlacesOf(folders)) {
    for (const fs::path& list : places->Lists) {
      for (const fs::path& profile : ListedProfiles(list)) {
        const fs::path profileLocal = SamePlaceBelow(profile, list, places->LocalRoot).value_or(profile);
        if (SameFolder(profileLocal, local)) owners.push_back(profile);
      }
    }
    for (const fs::path& root : places->ProfileRoots) {
      const std::optional<fs::path> profile = SamePlaceBelow(local, places->Caches, root);
      if (profile && IsFolder(*profile)) owners.push_back(*profile);
    }
  }
  if (CacheFileStatus((local / "prefs.js").string())) owners.push_back(local);
  return owners;
}

// The entry count a blockfile cache's index holds in its header; nullopt when the folder holds no such index.
std::optional<std::uint64_t> BlockfileEntryCount(const TEntryFolder& folder) {
  TEntryFile index;
  if (index.Open(folder, "index") != TEntryFile::TOpenResult::Opened) return std::nullopt;
  const std::optional<std::string_view> header = index.Read(0, kBlockfileEntryCountOffset + 4);
  if (!header || LittleEndianAt<std::uint32_t>(*header, 0) != kBlockfileIndexMagic) return std::nullopt;
  const auto count = LittleEndianAt<std::int32_t>(*header, kBlockfileEntryCountOffset);
  return count < 0 ? 0 : static_cast<std::uint64_t>(count);
}

std::uint64_t CountFiles(const TEntryFolder& folder, bool (*counts)(std::string_view)) {
  const std::optional<std::vector<std::string>> names = folder.Names();
  return names ? static_cast<std::uint64_t>(std::count_if(names->begin(), names->end(), counts)) : 0;
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
      AddChromiumProfiles(sources, browser, home / ".cache" / browser.LinuxFolder);
      AddChromiumProfiles(sources, browser, home / ".config" / browser.LinuxFolder);
    }
  }
  if (!folders.LocalAppData.empty()) {
    const fs::path local(folders.LocalAppData);
    for (const TChromiumBrowser& browser : kChromiumBrowsers) {
      AddChromiumProfiles(sources, browser, local / fs::path(browser.WindowsFolder).make_preferred());
    }
  }
  if (const std::optional<TFirefoxPlaces> places = FirefoxPlacesOf(folders)) AddFirefoxProfiles(sources, *places);
  for (TCacheSource& source : sources) source.LockFiles = OwnerLockFiles(source.Kind, source.Folder, folders);
  std::sort(sources.begin(), sources.end(),
            [](const TCacheSource& a, const TCacheSource& b) { return a.Name < b.Name; });
  sources.insert(sources.begin(), {"platform", "platform", "", "", {}});
  return sources;
}

std::optional<std::uint64_t> CountEntries(const TCacheSource& source) {
  const TEntryFolder folder(source.Folder);
  if (source.Kind == "chromium") {
    if (const std::optional<std::uint64_t> count = BlockfileEntryCount(folder)) return count;
    return CountFiles(folder, IsSimpleEntryFileName);
  }
  if (source.Kind == "firefox") {
    return CountFiles(TEntryFolder(folder, kCache2EntriesFolder), [](std::string_view) { return true; });
  }
  return std::nullopt;
}

std::vector<std::string> OwnerLockFiles(const std::string& kind, const std::string& folder, const TUserFolders& folders) {
  std::vector<std::string> locks;
  for (const fs::path& form : FormsOf(folder)) {
    const bool chromium = kind == "chromium";
    for (const fs::path& owner : chromium ? ChromiumOwners(form, folders) : FirefoxOwners(form, folders)) {
      std::string lock = (owner / (chromium ? kChromiumLock : kFirefoxLock)).make_preferred().string();
      if (std::find(locks.begin(), locks.end(), lock) == locks.end()) locks.push_back(std::move(lock));
    }
  }
  return locks;
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

std::optional<TCacheSource> ParseCacheSource(const std::string& text, const TUserFolders& folders, std::string& error) {
  const std::vector<TCacheSource> found = FindCacheSources(folders);
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
  // A folder elsewhere: its browser's lock lies in the profile that owns it, when one can be found.
  const std::string absolute = NormalFolder(folder).string();
  return TCacheSource{text, kind, absolute, kind == "chromium" ? "Chromium" : "Firefox",
                      OwnerLockFiles(kind, absolute, folders)};
}

}  // namespace hoardscope

// The caches a user has: the platform's own and the disk caches of the Chromium-family browsers and Firefox in
// their usual places, how many entries each holds, whether its browser runs, and the SOURCE argument naming one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hoardscope {

struct TCacheSource {
  std::string Name;        // "platform", "chromium/Default", "firefox/abcd.default-esr", or "chromium:DIR"
  std::string Kind;        // "platform", "chromium" or "firefox"
  std::string Folder;      // the browser's cache folder; empty for the platform cache
  std::string Browser;     // the product's name, for messages: "Chromium", "Google Chrome", "Firefox", ...
  // The files whose holding says the browser runs: the lock of each profile found to own the cache. Empty when no
  // owner was found, so that nothing tells whether the browser uses the cache.
  std::vector<std::string> LockFiles;
};

// The folders the browsers keep their data in; an empty one is not looked in.
struct TUserFolders {
  std::string Home;            // Linux: ~/.cache, ~/.config and ~/.mozilla below it
  std::string LocalAppData;    // Windows: %LOCALAPPDATA%
  std::string RoamingAppData;  // Windows: %APPDATA%, where Firefox keeps its profiles (and their lock)
};

// The user's folders of this platform, from the environment.
TUserFolders UserFoldersOfThisPlatform();

// The platform source first, then the browser caches found, ordered by name.
std::vector<TCacheSource> FindCacheSources(const TUserFolders& folders);

// How many entries a cache folder holds, counted without opening an entry file. nullopt for the platform source.
std::optional<std::uint64_t> CountEntries(const TCacheSource& source);

// The lock files of the profiles that own a cache folder of that kind ("chromium", "firefox"), looked for from the
// folder's real path and from its path as given: Chromium's user data folder whose "Local State" names the profile
// the cache belongs to, Firefox's profile whose cache it is by the profile lists and the profiles' places. Empty
// when no owner is found (a cache kept where the browser was told to keep it, a copy of one).
std::vector<std::string> OwnerLockFiles(const std::string& kind, const std::string& folder, const TUserFolders& folders);

// Whether the source's browser runs now, so that its cache must not be changed.
bool BrowserRuns(const TCacheSource& source);

// How a source is named to the user: "Platform cache"; a found profile's browser and profile ("Chromium — Default",
// "Firefox — abcd.default-esr"); the folder of a source named by its folder.
std::string SourceCaption(const TCacheSource& source);

// SOURCE as the command line and the settings give it: "platform", a name of a source found in folders,
// "chromium:DIR" or "firefox:DIR" (a folder found under another name keeps that name's browser and lock; one
// elsewhere gets the locks of its owners). nullopt with error set when it names no source or no folder.
std::optional<TCacheSource> ParseCacheSource(const std::string& text, const TUserFolders& folders, std::string& error);

}  // namespace hoardscope

// The download automation object: collecting URLs in batches and saving their cached copies into a folder.
#include "com/HSCDownload.h"

#include <algorithm>
#include <stdexcept>

#include "core/ResolveURL.h"
#include "core/Tools.h"

namespace hoardscope {

THSCDownload::THSCDownload(TComServer& server, IUnknown* outer, std::string progId, TDownloadServices services)
    : TAutoObject(server, outer, IID_IHSCDownload, std::move(progId)), FServices(services) {}

void THSCDownload::Begin(TUrlList& list) { list.emplace(); }

std::vector<std::string>& THSCDownload::Batch(TUrlList& list, const char* beginCall) {
  if (!list) throw std::runtime_error(std::string("No batch is open: call ") + beginCall + " first.");
  return *list;
}

HRESULT THSCDownload::BeginSetSWF() {
  return Guarded([&] { Begin(FMovieURLs); });
}

HRESULT THSCDownload::BeginSetIMG() {
  return Guarded([&] { Begin(FImageURLs); });
}

HRESULT THSCDownload::EndSetSWF() {
  return Guarded([&] { SaveBatch(Batch(FMovieURLs, "BeginSetSWF")); });
}

HRESULT THSCDownload::EndSetIMG() {
  return Guarded([&] { SaveBatch(Batch(FImageURLs, "BeginSetIMG")); });
}

HRESULT THSCDownload::SetSWF(VARIANT Movie, VARIANT BaseURL) {
  return Guarded([&] {
    std::vector<std::string>& urls = Batch(FMovieURLs, "BeginSetSWF");
    std::string movie = TextOfVariant(Movie);
    // The test is case-sensitive: "HTTP://..." is resolved too, which leaves an absolute URL as it is.
    if (movie.find("http://") == std::string::npos) movie = ResolveURL(movie, TextOfVariant(BaseURL));
    urls.push_back(movie);
  });
}

HRESULT THSCDownload::SetIMG(VARIANT ImgURL, VARIANT) {
  return Guarded([&] {
    std::vector<std::string>& urls = Batch(FImageURLs, "BeginSetIMG");
    urls.push_back(TextOfVariant(ImgURL));
  });
}

void THSCDownload::SaveBatch(std::vector<std::string>& urls) {
  std::stable_sort(urls.begin(), urls.end(),
                   [](const std::string& a, const std::string& b) { return CompareKeys(a, b) < 0; });
  const std::string folder = SelectFolder();
  if (!folder.empty()) {
    for (const std::string& url : urls) CopyFileToFolder(GetCacheFileName(url), folder);
  }
  urls.clear();
}

std::string THSCDownload::SelectFolder() {
  std::string folder = FServices.Picker.PickFolder(kFolderPickerTitle).value_or("");
  if (!folder.empty() && folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder;
}

std::string THSCDownload::GetCacheFileName(const std::string& url) {
  const auto record = FServices.Cache.GetEntryInfo(url);
  // A copy that cannot be made leaves no file, which the copy step passes over.
  if (record && !record->LocalFileName.empty()) FServices.Cache.PrepareLocalFile(record->LocalFileName);
  return record ? record->LocalFileName : "";
}

void THSCDownload::CopyFileToFolder(const std::string& path, const std::string& folder) {
  if (!FServices.Files.FileExists(path)) return;
  const std::string target = folder + path.substr(path.rfind(kPathSeparator) + 1);
  const bool differentFileThere = FServices.Files.FileExists(target) && !FServices.Files.SameContent(path, target);
  FServices.Files.Copy(path, target, differentFileThere);
}

}  // namespace hoardscope

// THSCDownload: the download automation object. A script hands over URLs of movies and pictures in two
// independent batches; the end of a batch asks the user for a folder and copies the cached copy of each URL
// there. It works only on the URL cache: it downloads nothing.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "com/AutoObject.h"
#include "com/Hoardscope_TLB.h"
#include "com/ModuleHost.h"

namespace hoardscope {

// The title of the folder picker.
inline constexpr const char* kFolderPickerTitle = "Hoardscope 1.2";

class THSCDownload : public TAutoObject<IHSCDownload> {
 public:
  using TUrlList = std::optional<std::vector<std::string>>;

  THSCDownload(TComServer& server, IUnknown* outer, std::string progId, TDownloadServices services);

  HRESULT STDMETHODCALLTYPE BeginSetSWF() override;
  HRESULT STDMETHODCALLTYPE BeginSetIMG() override;
  HRESULT STDMETHODCALLTYPE EndSetSWF() override;
  HRESULT STDMETHODCALLTYPE EndSetIMG() override;
  HRESULT STDMETHODCALLTYPE SetSWF(VARIANT Movie, VARIANT BaseURL) override;
  HRESULT STDMETHODCALLTYPE SetIMG(VARIANT ImgURL, VARIANT BaseURL) override;

  // The folder the user picks, ending in the platform separator; "" when the user cancels.
  std::string SelectFolder();
  // The local file of the cache entry of exactly this URL; "" when there is none.
  std::string GetCacheFileName(const std::string& url);
  // Copies the file at path into folder (which ends in the separator) under its own name; nothing when no file
  // is there. A different file of that name in the folder is replaced only after asking.
  void CopyFileToFolder(const std::string& path, const std::string& folder);

  const TUrlList& ImageURLs() const { return FImageURLs; }
  const TUrlList& MovieURLs() const { return FMovieURLs; }

 private:
  static void Begin(TUrlList& list);
  // The list of an open batch; raises when its begin call never came.
  static std::vector<std::string>& Batch(TUrlList& list, const char* beginCall);
  void SaveBatch(std::vector<std::string>& urls);

  TDownloadServices FServices;
  TUrlList FImageURLs;
  TUrlList FMovieURLs;
};

}  // namespace hoardscope

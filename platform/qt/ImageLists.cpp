// The image lists: our own pictures drawn from the SVG files compiled into the module, and the icon theme's
// file-type icons.
#include "platform/qt/ImageLists.h"

#include <QApplication>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QPainter>
#include <QPixmap>
#include <QStandardPaths>
#include <QStyle>
#include <QSvgRenderer>
#include <array>

// The resources of a static library are registered by hand; Q_INIT_RESOURCE works only outside a namespace.
static void RegisterPictures() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(Resources);
    return true;
  }();
  (void)registered;
}

namespace hoardscope {
namespace {

constexpr std::array<const char*, kFixedTreeImages> kTreePictures = {"folder-closed.svg", "folder-open.svg",
                                                                     "globe.svg", "globe-pointer.svg"};
constexpr std::array<const char*, kActionImageCount> kActionPictures = {
    "search.svg",       "export.svg", "import.svg", "options.svg",  "clear-search.svg",
    "browser-folder.svg", "help.svg", "about.svg",  "copy-url.svg", "delete.svg"};

constexpr const char* kFallbackIconTheme = "Adwaita";
constexpr const char* kGenericFileIcon = "text-x-generic";

template <std::size_t N>
std::vector<QIcon> DrawnPictures(const std::array<const char*, N>& names, int size) {
  std::vector<QIcon> icons;
  for (const char* name : names) icons.push_back(DrawnPicture(name, size));
  return icons;
}

// Where no desktop names an icon theme (offscreen, a bare X server), Qt looks into no theme folder at all and
// every file would get the same generic icon: use the installed fallback theme from the XDG data folders then.
void UseDesktopIconTheme() {
  static const bool chosen = [] {
    const QString current = QIcon::themeName();
    if (!current.isEmpty() && current != QLatin1String("hicolor")) return true;
    QStringList searchPaths = QIcon::themeSearchPaths();
    for (const QString& dataFolder : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
      const QString icons = dataFolder + QStringLiteral("/icons");
      if (!searchPaths.contains(icons) && QFileInfo::exists(icons)) searchPaths.append(icons);
    }
    QIcon::setThemeSearchPaths(searchPaths);
    for (const QString& folder : searchPaths) {
      if (QFileInfo::exists(folder + QLatin1Char('/') + QLatin1String(kFallbackIconTheme) + "/index.theme")) {
        QIcon::setThemeName(QLatin1String(kFallbackIconTheme));
        break;
      }
    }
    return true;
  }();
  (void)chosen;
}

}  // namespace

// Drawn at its size and at twice that for high-density screens.
QIcon DrawnPicture(const char* fileName, int size) {
  RegisterPictures();
  QSvgRenderer renderer(QStringLiteral(":/images/") + QLatin1String(fileName));
  QIcon icon;
  for (const int scale : {1, 2}) {
    QPixmap pixmap(size * scale, size * scale);
    pixmap.fill(Qt::transparent);
    {
      QPainter painter(&pixmap);
      renderer.render(&painter);
    }
    pixmap.setDevicePixelRatio(scale);
    icon.addPixmap(pixmap);
  }
  return icon;
}

TImageLists::TImageLists(const TLinuxShell& shell)
    : FShell(shell),
      FTreeImages(DrawnPictures(kTreePictures, kTreeImageSize)),
      FActionImages(DrawnPictures(kActionPictures, kActionImageSize)) {}

QIcon TImageLists::TreeImage(int index) {
  if (index < 0) return {};
  constexpr std::size_t kFixed = kFixedTreeImages;
  const std::size_t slot = static_cast<std::size_t>(index);
  const std::vector<std::string>& fileTypes = FShell.FileTypeIcons();
  while (FTreeImages.size() <= slot && FTreeImages.size() - kFixed < fileTypes.size()) {
    FTreeImages.push_back(FileTypeIcon(fileTypes[FTreeImages.size() - kFixed]));
  }
  return slot < FTreeImages.size() ? FTreeImages[slot] : QIcon();
}

QIcon TImageLists::ActionImage(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= FActionImages.size()) return {};
  return FActionImages[static_cast<std::size_t>(index)];
}

QIcon TImageLists::FileTypeIcon(const std::string& extension) {
  UseDesktopIconTheme();
  QString suffix = QString::fromStdString(extension);
  if (!suffix.isEmpty() && !suffix.startsWith(QLatin1Char('.'))) suffix.prepend(QLatin1Char('.'));
  const QMimeType type = QMimeDatabase().mimeTypeForFile(QStringLiteral("x") + suffix, QMimeDatabase::MatchExtension);
  const QIcon generic = QIcon::fromTheme(QLatin1String(kGenericFileIcon),
                                         QApplication::style()->standardIcon(QStyle::SP_FileIcon));
  return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), generic));
}

}  // namespace hoardscope

// The image lists: our pictures are compiled in and drawn, each its own; file types get the icon theme's icons.
#include <gtest/gtest.h>

#include <QImage>
#include <set>

#include "platform/qt/ImageLists.h"
#include "tests/qt/QtTestSupport.h"

namespace hoardscope {
namespace {

// The picture at one size, or a null image when the icon has none.
QImage Drawn(const QIcon& icon, int size) { return icon.pixmap(QSize(size, size), 1.0).toImage(); }

int CoveredPixels(const QImage& image) {
  int covered = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) covered += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
  }
  return covered;
}

class ImageListsTest : public ::testing::Test {
 protected:
  TLinuxShell Shell{"/nonexistent-cache"};
  TImageLists Images{Shell};
};

TEST_F(ImageListsTest, EveryPictureIsDrawnAtItsSizeAndDiffersFromTheOthers) {
  const auto check = [](const QIcon& icon, int size, std::set<QByteArray>& seen) {
    const QImage image = Drawn(icon, size).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(size, size));
    EXPECT_GT(CoveredPixels(image), size * size / 5);
    EXPECT_TRUE(seen.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes())).second);
  };
  std::set<QByteArray> seen;
  for (int i = 0; i < kFixedTreeImages; ++i) check(Images.TreeImage(i), kTreeImageSize, seen);
  for (int i = 0; i < kActionImageCount; ++i) check(Images.ActionImage(i), kActionImageSize, seen);
  EXPECT_TRUE(Images.ActionImage(kActionImageCount).isNull());
  EXPECT_TRUE(Images.ActionImage(-1).isNull());
}

TEST_F(ImageListsTest, FileTypesGetTheirThemeIconOrAGenericOneInTheShellsOrder) {
  EXPECT_TRUE(Images.TreeImage(kFixedTreeImages).isNull());  // not added yet
  ASSERT_EQ(Shell.AddFileTypeIcon(".htm"), 4);
  ASSERT_EQ(Shell.AddFileTypeIcon(".gif"), 5);
  ASSERT_EQ(Shell.AddFileTypeIcon(""), 6);
  const QIcon page = Images.TreeImage(4);
  const QIcon untyped = Images.TreeImage(6);
  ASSERT_FALSE(page.isNull() || Images.TreeImage(5).isNull() || untyped.isNull());
  EXPECT_FALSE(Drawn(page, kTreeImageSize).isNull());
  EXPECT_NE(page.name(), Images.TreeImage(5).name());  // a page and a picture don't look alike
  EXPECT_TRUE(Images.TreeImage(7).isNull());
  EXPECT_TRUE(Images.TreeImage(-1).isNull());
  EXPECT_EQ(TImageLists::FileTypeIcon(".no-such-type").name(), untyped.name());
  EXPECT_EQ(TImageLists::FileTypeIcon("htm").name(), page.name());  // an extension without its dot
}

}  // namespace
}  // namespace hoardscope

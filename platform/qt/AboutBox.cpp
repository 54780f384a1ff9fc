// The About box: name, version, what Hoardscope does and where its help is.
#include "platform/qt/AboutBox.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "platform/qt/ImageLists.h"

namespace hoardscope {
namespace {

constexpr int kPictureSize = 64;
constexpr const char* kPurpose =
    "Hoardscope shows your browser's cache as a tree of sites, folders and files, and shows the cached copy "
    "of a page offline.";
constexpr const char* kHelpText = "Help: press F1 in the bar, or choose Help from the bar's Help menu.";

QLabel* TextLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("About Hoardscope"));

  auto* picture = new QLabel(this);
  picture->setPixmap(DrawnPicture("about.svg", kPictureSize).pixmap(kPictureSize, kPictureSize));
  picture->setAlignment(Qt::AlignTop);

  QLabel* name = TextLabel(QStringLiteral("Hoardscope"), this);
  QFont nameFont = name->font();
  nameFont.setBold(true);
  nameFont.setPointSizeF(nameFont.pointSizeF() * 1.6);
  name->setFont(nameFont);

  auto* texts = new QVBoxLayout;
  texts->addWidget(name);
  texts->addWidget(TextLabel(QLatin1String(kVersionText), this));
  texts->addSpacing(8);
  texts->addWidget(TextLabel(QLatin1String(kPurpose), this));
  texts->addWidget(TextLabel(QLatin1String(kHelpText), this));
  texts->addStretch();

  auto* content = new QHBoxLayout;
  content->addWidget(picture);
  content->addSpacing(12);
  content->addLayout(texts, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(content);
  layout->addWidget(buttons);
  setFixedWidth(360);
}

}  // namespace hoardscope

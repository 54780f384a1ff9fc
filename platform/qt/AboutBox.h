// TAboutBox: the About box of the bar (the action "About Hoardscope").
#pragma once

#include <QDialog>

namespace hoardscope {

inline constexpr const char* kVersionText = "Version 1.2";

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);
};

}  // namespace hoardscope

// Dialogs laid out by coordinates, made to fit their texts in whatever font the desktop gives them.
#pragma once

class QWidget;

namespace hoardscope {

// Widens each label, check box, radio button and button of the window to the size its text needs, and grows each
// group box and tab widget around them, and the window itself, to hold what it holds with a margin. Nothing shrinks
// or moves.
void FitToText(QWidget& window);

}  // namespace hoardscope

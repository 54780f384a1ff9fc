// The widget port of the main view: what the view's presenter tells its window beyond the tree model,
// which the widgets observe by themselves, and what it asks of it.
#pragma once

#include <string>

namespace hoardscope {

class TTreeNode;

class IViewWidgets {
 public:
  virtual ~IViewWidgets() = default;

  virtual void SetToolBarEnabled(bool enabled) = 0;
  virtual void SetStatusText(int panel, const std::string& text) = 0;
  virtual void SetWindowText(const std::string& text) = 0;
  // The node shown in the tree's top visible row (nullptr when the tree is empty).
  virtual TTreeNode* TopVisibleNode() = 0;
  virtual void SetTopVisibleNode(TTreeNode* node) = 0;
  virtual void FocusTree() = 0;
  virtual bool TreeHasFocus() = 0;
  // An action's enabled state changed (the widgets reread it from the action table).
  virtual void ActionsChanged() = 0;
  // The details list's rows, their order or whether it is shown changed (the widgets reread State().Details and
  // the settings' ShowDetails, and select the rows it marks selected). A selection the widgets reported is not
  // told back.
  virtual void DetailsChanged() = 0;
  virtual bool DetailsHaveFocus() = 0;
};

}  // namespace hoardscope

// A main view running without a window over the real stores of a home: what the command line's view commands
// (tree, and later search, delete, export) drive.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "Headless.h"
#include "platform/caches/CacheSwitch.h"
#include "platform/ports/Home.h"
#include "presenter/HoardscopeMain.h"

namespace hoardscope {

class THeadlessView {
 public:
  // Opens the home's stores and creates the view over the source home.CacheSource names (raises
  // std::runtime_error when there is none); events are printed on events as they happen.
  THeadlessView(const THomePaths& home, std::ostream& events);

  THoardscopeMain& View() { return *FView; }
  THeadlessDesktop& Desktop() { return FDesktop; }
  // What the dialogs answer; set before running an action that shows one.
  THeadlessAnswers Answers;

  // Shows the view and runs its start-up tick (the first load) at once, then says on standard error what the load
  // of a browser's cache ran into: why nothing of it could be read, or which damaged entries it passed over.
  // False when nothing of the cache could be read.
  bool ShowAndLoad();
  // The view's cache: the platform's own or the browser's that --cache names.
  TCacheSwitch& Sources() { return *FSources; }
  // Expands a host or folder node as the tree control does: the node opens and the view handles the event.
  void Expand(TTreeNode* node);
  // Expands every host and folder node at every depth, of the whole tree or below one node.
  void ExpandAll();
  void ExpandBelow(TTreeNode* node);
  // The node named by a node key ("example.com/img") or, for a file, by its source URL
  // ("http://example.com:8080/a.gif") or its entry key ("http://example.com/a.gif", the first such file node),
  // expanding its ancestors first when it is not in the tree yet. nullptr when no node has that name.
  TTreeNode* FindNode(const std::string& name);
  // Finds the named node (as FindNode) and selects it as a click would; nullptr when there is none.
  TTreeNode* SelectNode(const std::string& name);
  // Says on standard error that no node has that name; returns the exit code for it.
  static int UnknownNode(const std::string& name);

  // How PrintTree writes the tree. The long form follows each caption with a tab and the node's kind, image and
  // key or entry index; a file's line then ends in three more tab-separated columns: its source URL, its size in
  // bytes and its time cached (TimeText's form).
  struct TTreeForm {
    bool Long = false;
    bool Placeholders = true;  // the "tempmarl" rows below nodes not expanded yet
  };
  // The tree (or one top-level branch of it), one line per node with two spaces of indent per depth, then the
  // two status panels.
  void PrintTree(std::ostream& out, const TTreeForm& form, const TTreeNode* branch = nullptr);
  void PrintPanels(std::ostream& out);

 private:
  std::unique_ptr<IHomeServices> FServices;
  std::unique_ptr<TCacheSwitch> FSources;
  THeadlessShell FShell;
  THeadlessDesktop FDesktop;
  THeadlessInternet FInternet;
  THeadlessWidgets FWidgets;
  THeadlessDialogs FDialogs;
  std::unique_ptr<THoardscopeMain> FView;
};

}  // namespace hoardscope

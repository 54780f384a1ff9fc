// What the main view shows and keeps, as the views and the command line read it: the tree, the entry lists, the
// actions, the status panels, the settings and what the last operations ran into. Only the presenter writes it.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/Actions.h"
#include "core/EntryList.h"
#include "core/TreeModel.h"
#include "operations/ImportCache.h"
#include "platform/ports/Browser.h"
#include "presenter/DetailsList.h"
#include "search/Search.h"
#include "settings/QuickFilter.h"
#include "settings/UnitReg.h"

namespace hoardscope {

struct TViewState {
  TTreeModel TreeView1;
  TTreeNode* RootNode = nullptr;
  TTreeNode* SearchNode = nullptr;  // the "Search Result" branch, while there is one
  TTreeNode* Selected = nullptr;    // the tree's selected node, as the widgets report it (nullptr: none)
  TEntryList EntryList;
  TEntryList SearchList;
  TActionList Actions;
  TDetailsList Details;  // the files below the selected node; empty while the list is hidden
  std::array<std::string, 2> StatusText;
  std::vector<std::string> IconKeys;  // the file-type extension of each slot of the image list
  std::string SaveFolder;
  TSettings Settings;            // this view's own, loaded when it is created
  TQuickFilter QuickFilter;      // what the view's filter bar narrows the load to; never kept in the settings
  TSearchRequest SearchRequest;  // what this view's Search dialog handed back last
  bool ReloadPending = false;    // a change notice came; the next activation reloads
  std::string LastURL;           // what the browser was last sent to
  std::shared_ptr<IBrowser> FBrowser;

  // Whether the last Delete was refused (its browser runs, or it keeps the entries in shared files) or left
  // entries behind; both are reported.
  bool LastDeleteFailed = false;
  // Whether the last export was refused or left entries out because their copy failed (both are reported), or
  // exported nothing because the files of an existing export folder were kept (LastExportKeptFolder).
  bool LastExportFailed = false;
  bool LastExportKeptFolder = false;
  // What the last import returned (Count: the records whose copy existed, or -1 for a missing export file).
  TImportResult LastImport;
  // The bodies the last search could not have, each as "URL: why".
  std::vector<std::string> LastSearchUnreadable;

  bool IsInSearchResult(const TTreeNode* node) const;
  // The list a node's entry indexes point into: the search's below the "Search Result" branch.
  const TEntryList& ListOf(const TTreeNode* node) const;
  // The list the details' rows index.
  const TEntryList& ListOfDetails() const { return Details.FromSearch() ? SearchList : EntryList; }
};

}  // namespace hoardscope

// The headless main view: finding, expanding and printing nodes.
#include "HeadlessView.h"

#include <iostream>
#include <stdexcept>
#include <vector>

#include "Commands.h"
#include "core/TimeText.h"
#include "presenter/NodeLookup.h"

namespace hoardscope {
namespace {

const char* KindName(TNodeKind kind) {
  switch (kind) {
    case TNodeKind::Root: return "root";
    case TNodeKind::Search: return "search";
    case TNodeKind::Host: return "host";
    case TNodeKind::Folder: return "folder";
    case TNodeKind::File: return "file";
    case TNodeKind::Placeholder: return "placeholder";
  }
  return "";
}

// The long form's last columns of a file: its source URL, size and time cached, each after a tab.
std::string FileColumns(const TURLInfo& info) {
  return '\t' + info.SourceUrl + '\t' + std::to_string(info.Size) + '\t' +
         FileTimeToText(FileTimeFromSystemTime(info.SyncTime));
}

}  // namespace

THeadlessView::THeadlessView(const THomePaths& home, std::ostream& events)
    : FServices(OpenHomeServices(home)),
      FSources(std::make_unique<TCacheSwitch>(FServices->Cache(), UserFoldersOfThisPlatform(), home.CopiesRoot.string())),
      FShell(FServices->Shell()), FDesktop(events), FInternet(FServices->Internet(), events), FWidgets(ProgressLine()),
      FDialogs(Answers, events) {
  if (IsBrowserSource(home)) {
    if (const std::string failure = FSources->SelectSource(home.CacheSource); !failure.empty()) {
      throw std::runtime_error(failure);
    }
  }
  FView = std::make_unique<THoardscopeMain>(
      TViewServices{*FSources, FInternet, FServices->Registry(), FShell, FDesktop, FServices->Report(), &FDialogs,
                    &FServices->Clock(), nullptr, nullptr, FSources.get(), &FServices->Converter()},
      FWidgets);
  FView->SetBrowser(std::make_shared<THeadlessBrowser>(events));
}

bool THeadlessView::ShowAndLoad() {
  FView->FormShow();
  FDesktop.FireTimer();
  const TBrowserCache* browser = FSources->Browser();
  if (!browser) return true;
  if (const std::string failure = browser->ReadFailure(); !failure.empty()) {
    std::cerr << "hoardscope: the cache in " << browser->Folder() << " cannot be read: " << failure << "\n";
    return false;
  }
  const TCacheReadReport& report = browser->LastReport();
  if (report.Skipped > 0) {
    std::cerr << "hoardscope: skipped " << report.Skipped << " damaged entries of the cache in "
              << browser->Folder() << ", among them";
    for (const std::string& file : report.SkippedFiles) std::cerr << ' ' << file;
    std::cerr << "\n";
  }
  return true;
}

void THeadlessView::Expand(TTreeNode* node) { FView->TreeView1Expanded(node); }

void THeadlessView::ExpandAll() {
  const TTreeModel& tree = FView->State().TreeView1;
  for (std::size_t i = 0; i < tree.TopLevelCount(); ++i) ExpandBelow(tree.TopLevel(i));
}

void THeadlessView::ExpandBelow(TTreeNode* top) {
  std::vector<TTreeNode*> pending{top};
  while (!pending.empty()) {
    TTreeNode* node = pending.back();
    pending.pop_back();
    if (node->HasNodeKey() && !node->Expanded()) Expand(node);
    for (std::size_t i = 0; i < node->ChildCount(); ++i) pending.push_back(node->Child(i));
  }
}

TTreeNode* THeadlessView::FindNode(const std::string& name) {
  return FindNodeByName(*FView, name, [this](TTreeNode* node) { Expand(node); });
}

TTreeNode* THeadlessView::SelectNode(const std::string& name) {
  TTreeNode* node = FindNode(name);
  if (node) FView->TreeView1Change(node);
  return node;
}

int THeadlessView::UnknownNode(const std::string& name) {
  std::cerr << "hoardscope: no node '" << name << "' in the tree\n";
  return 1;
}

void THeadlessView::PrintTree(std::ostream& out, const TTreeForm& form, const TTreeNode* branch) {
  const TTreeNode* top = nullptr;
  FView->State().TreeView1.Walk([&](TTreeNode& node) {
    if (node.Depth() == 0) top = &node;
    if (branch && node.Depth() == 0 && &node != branch) return false;
    if (!form.Placeholders && node.Kind() == TNodeKind::Placeholder) return true;
    out << std::string(2 * node.Depth(), ' ') << EscapeLineBreaks(node.Caption());
    if (form.Long) {
      out << '\t' << KindName(node.Kind()) << " img=" << node.ImageIndex();
      if (node.HasNodeKey()) out << " key=" << node.Key();
      if (node.Kind() == TNodeKind::File) {
        const TEntryList& list = top == FView->State().SearchNode ? FView->State().SearchList : FView->State().EntryList;
        out << " index=" << node.EntryIndex() << FileColumns(*list[node.EntryIndex()].Info);
      }
    }
    out << '\n';
    return true;
  });
  PrintPanels(out);
}

void THeadlessView::PrintPanels(std::ostream& out) {
  out << "panel0: " << FView->StatusText(0) << "\n";
  out << "panel1: " << FView->StatusText(1) << "\n";
}

}  // namespace hoardscope

// The bar's widgets: building them from the presenter's action table and menus, mirroring its tree, and passing
// the widgets' events on to its handlers.
#include "platform/qt/MainView.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyleFactory>
#include <QStyledItemDelegate>
#include <QHBoxLayout>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>
#include <QVBoxLayout>

#include "presenter/NodeLookup.h"

namespace hoardscope {
namespace {

constexpr int kViewFontPoints = 8;
constexpr int kToolBarFontPoints = 10;
constexpr int kToolBarHeight = 24;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 22;
constexpr int kTreeIndent = 19;
constexpr int kStatusBarHeight = 19;
constexpr int kTotalsPanelWidth = 150;
constexpr int kDetailsColumnWidth = 90;
constexpr int kDetailsUrlColumnWidth = 200;
// The progress bar's range: a share of the work's total, which may be any size.
constexpr int kProgressBarSteps = 1000;
constexpr int kStopButtonPadding = 16;

// The stored shortcut values: a key code plus these flags.
constexpr int kShiftFlag = 0x2000;
constexpr int kCtrlFlag = 0x4000;
constexpr int kAltFlag = 0x8000;
constexpr int kKeyCodeMask = 0xFF;
constexpr int kKeyDelete = 46;
constexpr int kKeyF1 = 112;
constexpr int kKeyF24 = 135;

QKeySequence KeySequenceOf(int shortCut) {
  const int code = shortCut & kKeyCodeMask;
  int key = 0;
  if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) {
    key = code;  // digits and letters have the same codes in both worlds
  } else if (code == kKeyDelete) {
    key = Qt::Key_Delete;
  } else if (code >= kKeyF1 && code <= kKeyF24) {
    key = Qt::Key_F1 + (code - kKeyF1);
  }
  if (key == 0) return {};
  Qt::KeyboardModifiers modifiers;
  if (shortCut & kShiftFlag) modifiers |= Qt::ShiftModifier;
  if (shortCut & kCtrlFlag) modifiers |= Qt::ControlModifier;
  if (shortCut & kAltFlag) modifiers |= Qt::AltModifier;
  return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key)));
}

// A proxy of the application's style.
QStyle* ApplicationStyleCopy() { return QStyleFactory::create(QApplication::style()->name()); }

// The menus draw the actions' large pictures beside their entries.
class TLargeIconMenuStyle : public QProxyStyle {
 public:
  TLargeIconMenuStyle() : QProxyStyle(ApplicationStyleCopy()) {}
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_SmallIconSize) return kActionImageSize;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

// The tree draws dotted lines and boxed +/- buttons, as a tree control does, whatever the application's style.
class TTreeLinesStyle : public QProxyStyle {
 public:
  TTreeLinesStyle() : QProxyStyle(ApplicationStyleCopy()), FLines(QStyleFactory::create(QStringLiteral("Windows"))) {}
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element == PE_IndicatorBranch && FLines) {
      FLines->drawPrimitive(element, option, painter, widget);
      return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
  }

 private:
  std::unique_ptr<QStyle> FLines;
};

// A node's tool tip: its whole caption where the tree cuts it off, then the node's own tip (a file's URL and the
// status of a cached error response); no tool tip where there is neither.
class TClippedCaptionDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override {
    if (event->type() != QEvent::ToolTip || !index.isValid()) {
      return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    QStringList lines;
    if (sizeHint(option, index).width() > option.rect.width()) lines << index.data(Qt::DisplayRole).toString();
    if (const QString own = index.data(Qt::ToolTipRole).toString(); !own.isEmpty()) lines << own;
    if (lines.isEmpty()) {
      QToolTip::hideText();
      return true;
    }
    QToolTip::showText(event->globalPos(), lines.join(QLatin1Char('\n')), view->viewport(), option.rect);
    return true;
  }
};

}  // namespace

TMainView::TMainView(IUrlCache& cache, IRegistry& registry, IInternetOptions& internet,
                     const std::filesystem::path& cacheFolder, QWidget* parent, ICacheSourceChoice* sources)
    : QWidget(parent),
      FShell(cacheFolder),
      FDesktop(this),
      FDialogs(this, [this] { return FPresenter->State().FBrowser; }),
      FShellMenu(this, FDesktop),
      FPresenter(std::make_unique<THoardscopeMain>(
          TViewServices{cache, internet, registry, FShell, FDesktop, FReport, &FDialogs, &FClock, &FWindows,
                        &FShellMenu, sources, &FConverter},
          *this)),
      FImages(FShell),
      FModel(std::make_unique<TTreeItemModel>(
          FPresenter->State().TreeView1, [this](int imageIndex) { return FImages.TreeImage(imageIndex); },
          [this](const TTreeNode& node) { return FPresenter->ToolTipOf(&node); })),
      FDetailsModel(std::make_unique<TDetailsItemModel>(FPresenter->State().Details)) {
  setObjectName(QStringLiteral("HoardscopeMain"));
  setWindowTitle(QStringLiteral("HoardscopeMain"));
  setWindowFlag(Qt::FramelessWindowHint);
  QFont viewFont = font();
  viewFont.setPointSize(kViewFontPoints);
  setFont(viewFont);
  QPalette faces = palette();
  faces.setColor(QPalette::Window, faces.color(QPalette::Button));
  setPalette(faces);
  setAutoFillBackground(true);

  CreateActions();
  CreateToolBar();
  CreateFilterBar();
  CreateTree();
  CreateDetails();
  CreateStatusBar();
  // The details list below the tree, the boundary between them dragged where the user likes.
  Splitter1 = new QSplitter(Qt::Vertical, this);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->setChildrenCollapsible(false);
  Splitter1->addWidget(TreeView1);
  Splitter1->addWidget(DetailsView1);
  Splitter1->setStretchFactor(0, 3);
  Splitter1->setStretchFactor(1, 2);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(ToolBar1);
  layout->addWidget(FFilterBar);
  layout->addWidget(Splitter1, 1);
  layout->addWidget(sbMain);
  DetailsChanged();
  FNoticeTicket =
      TViewNotifier::Instance().Add([this](int wParam, int lParam) { FPresenter->SysCommand(wParam, lParam); });
  connect(qApp, &QApplication::focusChanged, this, &TMainView::OnFocusChanged);
}

TMainView::~TMainView() {
  TViewNotifier::Instance().Remove(FNoticeTicket);
  // The tree's signals lead to the presenter, which goes before this widget's children do.
  FChangeTimer.stop();
  TreeView1->selectionModel()->disconnect(this);
  TreeView1->disconnect(this);
  DetailsView1->selectionModel()->disconnect(this);
  DetailsView1->header()->disconnect(this);
  // The focus leaves the tree as it goes, after this widget's own part is gone.
  disconnect(qApp, &QApplication::focusChanged, this, &TMainView::OnFocusChanged);
  TreeView1->setModel(nullptr);
  DetailsView1->setModel(nullptr);
}

// ---- Building the widgets -------------------------------------------------------------------------------------

void TMainView::CreateActions() {
  for (const TAction& entry : FPresenter->State().Actions.All()) {
    auto* action = new QAction(QString::fromUtf8(entry.Caption), this);
    action->setObjectName(QLatin1String(entry.Name));
    action->setIconText(action->text());  // buttons show the caption with its mnemonic, as menus do
    action->setShortcut(KeySequenceOf(entry.ShortCut));
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);  // the view's keys work while it has the focus
    action->setIcon(FImages.ActionImage(entry.ImageIndex));
    action->setIconVisibleInMenu(true);
    action->setEnabled(entry.Enabled);
    const TActionId id = entry.Id;
    connect(action, &QAction::triggered, this,
            [this, id] { FDesktop.RunHandler([this, id] { FPresenter->Execute(id); }); });
    addAction(action);
    FActions[static_cast<std::size_t>(id)] = action;
  }
  pmenuLV = CreateMenu("pmenuLV", kFilesMenu);
  pmenuHelp = CreateMenu("pmenuHelp", kHelpMenu);
  CreateCacheMenu();
}

// The "Details List" item and the "Cache" submenu at the end of the Files menu: whether the details list shows; the
// sources, the one on show checked, and whether the platform
// cache lists its https entries. It is filled afresh each time it opens, since browsers come and go.
void TMainView::CreateCacheMenu() {
  pmenuLV->addSeparator()->setObjectName(QStringLiteral("N3"));
  mnuShowDetails = pmenuLV->addAction(QStringLiteral("Details List"));
  mnuShowDetails->setObjectName(QStringLiteral("mnuShowDetails"));
  mnuShowDetails->setCheckable(true);
  mnuShowDetails->setChecked(FPresenter->State().Settings.ShowDetails);
  connect(mnuShowDetails, &QAction::triggered, this,
          [this](bool checked) { FDesktop.RunHandler([this, checked] { FPresenter->SetShowDetails(checked); }); });
  mnuCache = pmenuLV->addMenu(QStringLiteral("Cache"));
  mnuCache->setObjectName(QStringLiteral("mnuCache"));
  connect(mnuCache, &QMenu::aboutToShow, this, &TMainView::FillCacheMenu);
  FillCacheMenu();
}

void TMainView::FillCacheMenu() {
  mnuCache->clear();
  const std::string current = FPresenter->CurrentCacheSource();
  for (const std::string& name : FPresenter->CacheSourceNames()) {
    QAction* item = mnuCache->addAction(QString::fromStdString(name));
    item->setCheckable(true);
    item->setChecked(name == current);
    connect(item, &QAction::triggered, this,
            [this, name] { FDesktop.RunHandler([this, name] { FPresenter->SelectCacheSource(name); }); });
  }
  mnuCache->addSeparator();
  QAction* secure = mnuCache->addAction(QStringLiteral("Include https entries"));
  secure->setObjectName(QStringLiteral("mnuShowSecure"));
  secure->setCheckable(true);
  secure->setChecked(FPresenter->State().Settings.ShowSecure);
  connect(secure, &QAction::triggered, this,
          [this](bool checked) { FDesktop.RunHandler([this, checked] { FPresenter->SetShowSecure(checked); }); });
}

QMenu* TMainView::CreateMenu(const char* name, std::span<const TMenuEntry> entries) {
  auto* menu = new QMenu(this);
  menu->setObjectName(QLatin1String(name));
  auto* style = new TLargeIconMenuStyle;
  style->setParent(menu);
  menu->setStyle(style);
  for (const TMenuEntry& entry : entries) {
    if (entry.Action) {
      menu->addAction(Action(*entry.Action));
    } else {
      menu->addSeparator()->setObjectName(QLatin1String(entry.Name));
    }
  }
  return menu;
}

void TMainView::CreateToolBar() {
  // A flat strip that shows the view's background; the buttons keep their size when the pane is narrow.
  ToolBar1 = new QWidget(this);
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setFixedHeight(kToolBarHeight);
  QFont barFont = ToolBar1->font();
  barFont.setPointSize(kToolBarFontPoints);
  ToolBar1->setFont(barFont);
  auto* buttons = new QHBoxLayout(ToolBar1);
  buttons->setContentsMargins(0, 0, 0, 0);
  buttons->setSpacing(0);

  // A drop-down button's face is the button width; its arrow comes on top, as in a tool bar of the system.
  const int arrowWidth = style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, ToolBar1);
  const auto addButton = [&](const char* name, QMenu* menu) {
    auto* button = new QToolButton(ToolBar1);
    button->setObjectName(QLatin1String(name));
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setPopupMode(QToolButton::MenuButtonPopup);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setMenu(menu);
    button->setFixedSize(kButtonWidth + arrowWidth, kButtonHeight);
    buttons->addWidget(button);
    return button;
  };
  tbFile = addButton("tbFile", pmenuLV);
  tbFile->setText(QStringLiteral("&Files"));  // its face runs nothing
  tbHelp = addButton("tbHelp", pmenuHelp);
  tbHelp->setDefaultAction(Action(TActionId::alHelp));
  buttons->addStretch(1);
}

void TMainView::CreateFilterBar() {
  FFilterBar = new TFilterBar(this);
  connect(FFilterBar, &TFilterBar::Applied, this,
          [this] { FDesktop.RunHandler([this] { FPresenter->ApplyFilterBar(FFilterBar->Fields()); }); });
}

void TMainView::CreateTree() {
  TreeView1 = new QTreeView(this);
  TreeView1->setObjectName(QStringLiteral("TreeView1"));
  auto* lines = new TTreeLinesStyle;
  lines->setParent(TreeView1);
  TreeView1->setStyle(lines);
  // A node the presenter removes while it is selected leaves no selection behind, as the presenter's own
  // selection goes with it: the tree view would otherwise select a neighbour and show that file unasked. This
  // runs before the view's own handling of the removal, which is connected by setModel.
  connect(FModel.get(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
          [this](const QModelIndex& parent, int first, int last) {
            for (QModelIndex index = TreeView1->currentIndex(); index.isValid(); index = index.parent()) {
              if (index.parent() == parent && index.row() >= first && index.row() <= last) {
                TreeView1->selectionModel()->clear();
                return;
              }
            }
          });
  TreeView1->setModel(FModel.get());
  TreeView1->setItemDelegate(new TClippedCaptionDelegate(TreeView1));
  TreeView1->setHeaderHidden(true);
  TreeView1->setIndentation(kTreeIndent);
  TreeView1->setRootIsDecorated(true);
  TreeView1->setSortingEnabled(false);
  TreeView1->setUniformRowHeights(true);
  TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
  TreeView1->setIconSize(QSize(kTreeImageSize, kTreeImageSize));
  TreeView1->setTextElideMode(Qt::ElideRight);
  // The right-click menu of a node is the shell's context menu, opened by its own handler; the tree has none.
  TreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(TreeView1, &QTreeView::customContextMenuRequested, this, [this](const QPoint& position) {
    TTreeNode* node = FModel->NodeOf(TreeView1->indexAt(position));
    FDesktop.RunHandler([this, node] { FPresenter->TreeView1ContextPopup(node); });
  });
  // The selection stays as visible when the tree or its window loses the focus.
  QPalette selection = TreeView1->palette();
  for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
    selection.setColor(QPalette::Inactive, role, selection.color(QPalette::Active, role));
  }
  TreeView1->setPalette(selection);

  connect(FModel.get(), &TTreeItemModel::ExpansionRequested, this, &TMainView::OnExpansionChanged);
  connect(TreeView1, &QTreeView::expanded, this, [this](const QModelIndex& index) {
    TTreeNode* node = FModel->NodeOf(index);
    FDesktop.RunHandler([this, node] { FPresenter->TreeView1Expanded(node); });
  });
  connect(TreeView1, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
    TTreeNode* node = FModel->NodeOf(index);
    FDesktop.RunHandler([this, node] { FPresenter->TreeView1Collapsed(node); });
  });
  FChangeTimer.setSingleShot(true);
  FChangeTimer.setInterval(kSelectionChangeDelayMs);
  connect(&FChangeTimer, &QTimer::timeout, this, &TMainView::ReportSelection);
  connect(TreeView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { FChangeTimer.start(); });
}

void TMainView::CreateDetails() {
  DetailsView1 = new QTreeView(this);
  DetailsView1->setObjectName(QStringLiteral("DetailsView1"));
  DetailsView1->setModel(FDetailsModel.get());
  DetailsView1->setRootIsDecorated(false);
  DetailsView1->setItemsExpandable(false);
  DetailsView1->setUniformRowHeights(true);  // thousands of rows are laid out without measuring each
  DetailsView1->setSortingEnabled(false);    // the presenter sorts
  DetailsView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  DetailsView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  DetailsView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  DetailsView1->setTextElideMode(Qt::ElideRight);
  DetailsView1->setAllColumnsShowFocus(true);
  QHeaderView* header = DetailsView1->header();
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(true);
  header->setStretchLastSection(false);
  header->setDefaultSectionSize(kDetailsColumnWidth);
  header->resizeSection(0, kDetailsUrlColumnWidth);
  connect(header, &QHeaderView::sectionClicked, this, [this](int section) {
    if (section < 0 || section >= static_cast<int>(kDetailsColumnCount)) return;
    const TDetailsColumn column = kDetailsColumns[static_cast<std::size_t>(section)];
    const bool shift = QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier);
    FDesktop.RunHandler([this, column, shift] { FPresenter->DetailsColumnClick(column, shift); });
  });
  connect(DetailsView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TMainView::ReportDetailsSelection);
  // Ctrl+C copies the selected rows' URLs; Del reaches the presenter through the Delete action, which acts on the
  // details while they have the focus.
  auto* copy = new QAction(QStringLiteral("Copy URL"), DetailsView1);
  copy->setObjectName(QStringLiteral("actDetailsCopy"));
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  connect(copy, &QAction::triggered, this,
          [this] { FDesktop.RunHandler([this] { FPresenter->DetailsCopyURLsExecute(); }); });
  DetailsView1->addAction(copy);
  DetailsView1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(DetailsView1, &QTreeView::customContextMenuRequested, this, &TMainView::DetailsContextPopup);
}

void TMainView::CreateStatusBar() {
  sbMain = new QStatusBar(this);
  sbMain->setObjectName(QStringLiteral("sbMain"));
  sbMain->setSizeGripEnabled(false);
  sbMain->setFixedHeight(kStatusBarHeight);
  for (std::size_t panel = 0; panel < FPanels.size(); ++panel) {
    auto* label = new QLabel(sbMain);
    label->setObjectName(QStringLiteral("sbMainPanel%1").arg(panel));
    label->setTextFormat(Qt::PlainText);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(1);  // a long text is cut off rather than widen the bar
    FPanels[panel] = label;
  }
  FPanels[0]->setFixedWidth(kTotalsPanelWidth);
  sbMain->addWidget(FPanels[0]);
  sbMain->addWidget(FPanels[1], 1);  // the last panel runs to the right edge
  CreateProgressWidgets();
}

// In the panels' place while work runs, so that they fit a narrow bar: the caption and count, the bar and Stop.
void TMainView::CreateProgressWidgets() {
  FProgressText = new QLabel(sbMain);
  FProgressText->setObjectName(QStringLiteral("sbMainProgressText"));
  FProgressText->setTextFormat(Qt::PlainText);
  FProgressText->setMinimumWidth(1);
  FProgressBar = new QProgressBar(sbMain);
  FProgressBar->setObjectName(QStringLiteral("sbMainProgress"));
  FProgressBar->setTextVisible(false);
  FProgressBar->setMinimumWidth(1);
  FStopButton = new QPushButton(QStringLiteral("Stop"), sbMain);
  FStopButton->setObjectName(QStringLiteral("sbMainStop"));
  FStopButton->setFocusPolicy(Qt::NoFocus);  // the keys stay with the tree, Esc among them
  FStopButton->setFixedWidth(FStopButton->fontMetrics().horizontalAdvance(FStopButton->text()) + kStopButtonPadding);
  connect(FStopButton, &QPushButton::clicked, this, [this] { FPresenter->StopWork(); });
  FStopAction = new QAction(QStringLiteral("Stop"), this);
  FStopAction->setObjectName(QStringLiteral("acStop"));
  FStopAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(FStopAction, &QAction::triggered, this, [this] { FPresenter->StopWork(); });
  addAction(FStopAction);
  // Hidden before they join the bar, which then shows them only when asked and leaves them out of its width.
  for (QWidget* widget : std::initializer_list<QWidget*>{FProgressText, FProgressBar, FStopButton}) widget->hide();
  sbMain->addWidget(FProgressText);  // as wide as its text, where the pane is wide enough
  sbMain->addWidget(FProgressBar, 1);
  sbMain->addWidget(FStopButton);
}

void TMainView::ShowPanelsOrProgress(bool progress) {
  // What goes hides before what comes shows: a widget shown lays its bar out at once, which must never have to hold
  // both and widen the view.
  const std::array<QWidget*, 2> panels{FPanels[0], FPanels[1]};
  const std::array<QWidget*, 3> work{FProgressText, FProgressBar, FStopButton};
  const auto setShown = [](std::span<QWidget* const> widgets, bool shown) {
    for (QWidget* widget : widgets) widget->setVisible(shown);
  };
  setShown(progress ? std::span<QWidget* const>(panels) : work, false);
  setShown(progress ? std::span<QWidget* const>(work) : panels, true);
  // Esc is the view's own only while there is something to stop.
  FStopAction->setShortcut(progress ? QKeySequence(Qt::Key_Escape) : QKeySequence());
}

// ---- Events ---------------------------------------------------------------------------------------------------

void TMainView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FDesktop.RunHandler([this] { FPresenter->FormShow(); });  // only the first showing starts the load
}

bool TMainView::event(QEvent* event) {
  // The bar is activated when its window is activated while the focus is in the bar.
  if (event->type() == QEvent::WindowActivate && isAncestorOf(QApplication::focusWidget())) Activate();
  return QWidget::event(event);
}

void TMainView::OnFocusChanged(QWidget* previous, QWidget* current) {
  // ... and when the focus enters the bar from elsewhere.
  if (current && isAncestorOf(current) && !(previous && isAncestorOf(previous))) Activate();
}

void TMainView::Activate() {
  // A reload that a change notice left pending runs once the activation itself is over.
  QTimer::singleShot(0, this, [this] { FDesktop.RunHandler([this] { FPresenter->FormActivate(); }); });
}

void TMainView::OnExpansionChanged(const QModelIndex& index, bool expanded) {
  if (index.isValid() && TreeView1->isExpanded(index) != expanded) TreeView1->setExpanded(index, expanded);
}

void TMainView::ReportSelection() {
  const QModelIndexList selected = TreeView1->selectionModel()->selectedIndexes();
  TTreeNode* node = selected.isEmpty() ? nullptr : FModel->NodeOf(selected.first());
  FDesktop.RunHandler([this, node] { FPresenter->TreeView1Change(node); });
}

void TMainView::ReportDetailsSelection() {
  if (FSelectingDetails) return;
  std::vector<std::size_t> rows;
  for (const QModelIndex& index : DetailsView1->selectionModel()->selectedRows()) {
    rows.push_back(static_cast<std::size_t>(index.row()));
  }
  std::sort(rows.begin(), rows.end());
  FDesktop.RunHandler([this, rows] { FPresenter->DetailsSelectionChanged(rows); });
}

void TMainView::DetailsContextPopup(const QPoint& position) {
  if (!DetailsView1->indexAt(position).isValid() || FPresenter->State().Details.SelectedIndexes().empty()) return;
  QMenu menu(this);
  menu.setObjectName(QStringLiteral("pmenuDetails"));
  const auto addItem = [&](const char* caption, void (THoardscopeMain::*handler)(), bool enabled) {
    QAction* item = menu.addAction(QString::fromLatin1(caption));
    item->setEnabled(enabled);
    connect(item, &QAction::triggered, this,
            [this, handler] { FDesktop.RunHandler([this, handler] { (FPresenter.get()->*handler)(); }); });
  };
  const bool fromSearch = FPresenter->State().Details.FromSearch();
  addItem("Copy URL", &THoardscopeMain::DetailsCopyURLsExecute, true);
  addItem("Export Files", &THoardscopeMain::DetailsExportExecute, !fromSearch);
  addItem("Delete", &THoardscopeMain::DetailsDeleteExecute, !fromSearch);
  menu.addSeparator();
  addItem("Entry Properties", &THoardscopeMain::DetailsPropertiesExecute, true);
  menu.exec(DetailsView1->viewport()->mapToGlobal(position));
}

void TMainView::ExpandNode(const TTreeNode* node) { TreeView1->expand(FModel->IndexOf(node)); }

void TMainView::SelectNode(const TTreeNode* node) { TreeView1->setCurrentIndex(FModel->IndexOf(node)); }

TTreeNode* TMainView::FindNamed(const QString& name) {
  return FindNodeByName(*FPresenter, name.toStdString(), [this](TTreeNode* node) { ExpandNode(node); });
}

bool TMainView::OpenNodeNamed(const QString& name) {
  TTreeNode* node = FindNamed(name);
  if (node) ExpandNode(node);
  return node != nullptr;
}

bool TMainView::SelectNodeNamed(const QString& name) {
  TTreeNode* node = FindNamed(name);
  if (node) SelectNode(node);
  return node != nullptr;
}

QString TMainView::LastUrl() const { return QString::fromStdString(FPresenter->State().LastURL); }

void TMainView::WhenLoadFinished(QObject* context, std::function<void()> finished) {
  connect(this, &TMainView::LoadFinished, context, std::move(finished));
}

// ---- IViewWidgets ---------------------------------------------------------------------------------------------

void TMainView::SetToolBarEnabled(bool enabled) {
  ToolBar1->setEnabled(enabled);
  FFilterBar->setEnabled(enabled);
  // Told from the event loop, once the presenter has left the load altogether.
  if (enabled) QTimer::singleShot(0, this, &TMainView::LoadFinished);
}

void TMainView::SetStatusText(int panel, const std::string& text) {
  if (panel >= 0 && static_cast<std::size_t>(panel) < FPanels.size()) {
    FPanels[static_cast<std::size_t>(panel)]->setText(QString::fromStdString(text));
  }
}

void TMainView::SetWindowText(const std::string& text) { setWindowTitle(QString::fromStdString(text)); }

TTreeNode* TMainView::TopVisibleNode() {
  const QModelIndex top = TreeView1->indexAt(QPoint(0, 0));
  FTopRow = top;
  FTopNode = FModel->NodeOf(top);
  return FModel->NodeOf(top);
}

void TMainView::SetTopVisibleNode(TTreeNode* node) {
  if (!node) return;
  QModelIndex top;
  if (node == FTopNode) {
    // The row may have gone meanwhile (an expansion drops its placeholder); the persistent index knows.
    if (!FTopRow.isValid()) return;
    top = FTopRow;
  } else {
    top = FModel->IndexOf(node);
  }
  const int across = TreeView1->horizontalScrollBar()->value();
  TreeView1->scrollTo(top, QAbstractItemView::PositionAtTop);
  TreeView1->horizontalScrollBar()->setValue(across);
}

void TMainView::FocusTree() { TreeView1->setFocus(Qt::OtherFocusReason); }

bool TMainView::TreeHasFocus() { return TreeView1->hasFocus(); }

void TMainView::DetailsChanged() {
  const TDetailsList& details = FPresenter->State().Details;
  const bool shown = FPresenter->State().Settings.ShowDetails;
  DetailsView1->setVisible(shown);
  if (mnuShowDetails) mnuShowDetails->setChecked(shown);
  FDetailsModel->Reset();
  if (const std::optional<TDetailsSortKey>& first = details.FirstKey()) {
    const auto section = std::find(kDetailsColumns.begin(), kDetailsColumns.end(), first->Column);
    DetailsView1->header()->setSortIndicator(static_cast<int>(section - kDetailsColumns.begin()),
                                             first->Descending ? Qt::DescendingOrder : Qt::AscendingOrder);
  } else {
    DetailsView1->header()->setSortIndicator(-1, Qt::AscendingOrder);
  }
  // The rows the presenter keeps selected (after a sort, where they went), told to the widget without a report.
  QItemSelection selection;
  const std::vector<std::size_t> rows = details.SelectedPositions();
  for (std::size_t first = 0, last = 0; first < rows.size(); first = last) {
    for (last = first + 1; last < rows.size() && rows[last] == rows[last - 1] + 1;) ++last;  // one run of rows
    selection.select(FDetailsModel->index(static_cast<int>(rows[first]), 0),
                     FDetailsModel->index(static_cast<int>(rows[last - 1]), 0));
  }
  FSelectingDetails = true;
  DetailsView1->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  FSelectingDetails = false;
}

bool TMainView::DetailsHaveFocus() { return DetailsView1->hasFocus(); }

void TMainView::ActionsChanged() {
  for (const TAction& entry : FPresenter->State().Actions.All()) Action(entry.Id)->setEnabled(entry.Enabled);
}

void TMainView::ShowProgress(const TProgressState& progress) {
  QString text = QStringLiteral("%1 %2").arg(QString::fromStdString(progress.Caption)).arg(progress.Done);
  if (progress.Total) {
    text += QStringLiteral(" of %1").arg(*progress.Total);
    FProgressBar->setRange(0, kProgressBarSteps);
    const double share = *progress.Total == 0 ? 1.0 : static_cast<double>(progress.Done) / *progress.Total;
    FProgressBar->setValue(static_cast<int>(share * kProgressBarSteps));
  } else {
    FProgressBar->setRange(0, 0);  // a busy bar
  }
  FProgressText->setText(text);
  if (FStopButton->isHidden()) ShowPanelsOrProgress(true);
}

void TMainView::HideProgress() { ShowPanelsOrProgress(false); }

}  // namespace hoardscope

// The item model over the portable tree: the item-model contract through every kind of change, insertions
// gathered during an update, persistent indexes through sorts, captions and pictures, expansion requests.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QPixmap>
#include <QSignalSpy>
#include <vector>

#include "core/TreeRules.h"
#include "platform/qt/TreeItemModel.h"
#include "tests/qt/QtTestSupport.h"

namespace hoardscope {
namespace {

constexpr int kPictures = 5;

std::vector<QIcon> Pictures() {
  std::vector<QIcon> pictures;
  for (int i = 0; i < kPictures; ++i) {
    QPixmap pixmap(16, 16);
    pixmap.fill(QColor::fromHsv(i * 60, 200, 200));
    pictures.emplace_back(pixmap);
  }
  return pictures;
}

class TreeItemModelTest : public ::testing::Test {
 protected:
  TreeItemModelTest()
      : Icons(Pictures()),
        Model(Tree, [this](int index) { return index < kPictures ? Icons[static_cast<std::size_t>(index)] : QIcon(); }),
        Tester(&Model, QAbstractItemModelTester::FailureReportingMode::Warning) {}

  void TearDown() override { EXPECT_TRUE(Log.Failures().isEmpty()) << Log.Failures().join('\n').toStdString(); }

  TTreeNode* Add(TTreeNode* parent, const std::string& caption, int image = 0) {
    return Tree.AddChild(parent, TNodeKind::Folder, caption, image);
  }

  // "caption[children]" of every row, as the views see the model.
  static std::string Shape(const QAbstractItemModel& model, const QModelIndex& parent = QModelIndex()) {
    std::string shape;
    for (int row = 0; row < model.rowCount(parent); ++row) {
      const QModelIndex index = model.index(row, 0, parent);
      shape += (row ? "," : "") + index.data().toString().toStdString();
      if (model.rowCount(index) > 0) shape += "[" + Shape(model, index) + "]";
    }
    return shape;
  }

  TModelCheckLog Log;
  std::vector<QIcon> Icons;
  TTreeModel Tree;
  TTreeItemModel Model;
  QAbstractItemModelTester Tester;
};

TEST_F(TreeItemModelTest, MirrorsTheTreeThroughEveryChange) {
  TTreeNode* root = Add(nullptr, "Hoardscope", 2);
  TTreeNode* zeta = Add(root, "Zeta");
  Add(zeta, "tempmarl");
  TTreeNode* alpha = Add(root, "alpha");
  Tree.AddFileChild(alpha, "b.htm", 0, 4);
  Tree.AddFileChild(alpha, "a.htm", 1, 4);
  Add(nullptr, "Search Result", 3);
  EXPECT_EQ(Shape(Model), "Hoardscope[Zeta[tempmarl],alpha[b.htm,a.htm]],Search Result");

  Tree.SortAll(NodeLess);  // nodes without children first, then by caption, capitals first
  EXPECT_EQ(Shape(Model), "Search Result,Hoardscope[Zeta[tempmarl],alpha[a.htm,b.htm]]");
  Tree.Delete(zeta->Child(0));
  Tree.SortChildren(root, NodeLess);
  EXPECT_EQ(Shape(Model), "Search Result,Hoardscope[Zeta,alpha[a.htm,b.htm]]");
  Tree.Delete(Tree.TopLevel(0));
  Tree.DeleteChildren(root);
  EXPECT_EQ(Shape(Model), "Hoardscope");
}

TEST_F(TreeItemModelTest, AnnouncesTheNodesOfAnUpdateAsOneInsertionPerParentWhenItEnds) {
  TTreeNode* root = Add(nullptr, "Hoardscope");
  Add(root, "known1");
  Add(root, "known2");
  const QModelIndex rootIndex = Model.index(0, 0);
  QSignalSpy inserted(&Model, &QAbstractItemModel::rowsInserted);

  Tree.BeginUpdate();
  Tree.BeginUpdate();  // updates nest
  for (int i = 0; i < 1000; ++i) Add(Add(root, "host" + std::to_string(i)), "tempmarl");
  Tree.EndUpdate();
  EXPECT_EQ(inserted.count(), 0);
  EXPECT_EQ(Model.rowCount(rootIndex), 2);  // the views still see what they were told of
  Tree.EndUpdate();

  ASSERT_EQ(inserted.count(), 1);
  EXPECT_EQ(inserted[0][0].value<QModelIndex>(), rootIndex);
  EXPECT_EQ(inserted[0][1].toInt(), 2);
  EXPECT_EQ(inserted[0][2].toInt(), 1001);
  EXPECT_EQ(Model.index(1001, 0, rootIndex).data().toString(), "host999");
  EXPECT_EQ(Model.rowCount(Model.index(1001, 0, rootIndex)), 1);
}

TEST_F(TreeItemModelTest, AnnouncesGatheredNodesBeforeAnyOtherChangeInsideAnUpdate) {
  TTreeNode* root = Add(nullptr, "Hoardscope");
  TTreeNode* old = Add(root, "old");
  QSignalSpy changed(&Model, &QAbstractItemModel::dataChanged);

  Tree.BeginUpdate();
  TTreeNode* added = Add(root, "c");
  Tree.SetImageIndex(added, 1);  // the views read it when the node is announced
  EXPECT_EQ(changed.count(), 0);
  Add(root, "b");
  Tree.Delete(old);
  EXPECT_EQ(Shape(Model), "Hoardscope[c,b]");
  Add(root, "a");
  Tree.SortChildren(root, NodeLess);
  EXPECT_EQ(Shape(Model), "Hoardscope[a,b,c]");
  Add(added, "tempmarl");
  Tree.EndUpdate();

  EXPECT_EQ(Shape(Model), "Hoardscope[a,b,c[tempmarl]]");
  EXPECT_EQ(Model.index(2, 0, Model.index(0, 0)).data(Qt::DecorationRole).value<QIcon>().cacheKey(),
            Icons[1].cacheKey());
}

TEST_F(TreeItemModelTest, PersistentIndexesFollowTheirNodesThroughSorts) {
  TTreeNode* root = Add(nullptr, "Hoardscope");
  TTreeNode* c = Add(root, "c");
  TTreeNode* inC = Tree.AddFileChild(c, "x.htm", 0, 4);
  Add(root, "a");
  Add(Add(root, "b"), "tempmarl");
  const QPersistentModelIndex keptC(Model.IndexOf(c));
  const QPersistentModelIndex keptInC(Model.IndexOf(inC));

  Tree.SortAll(NodeLess);  // files first: a, then the folders b and c

  ASSERT_TRUE(keptC.isValid());
  EXPECT_EQ(Model.NodeOf(keptC), c);
  EXPECT_EQ(keptC.row(), 2);
  EXPECT_EQ(keptC.data().toString(), "c");
  EXPECT_EQ(Model.NodeOf(keptInC.parent()), c);

  Tree.Delete(c);
  EXPECT_FALSE(keptC.isValid());
  EXPECT_FALSE(keptInC.isValid());
}

TEST_F(TreeItemModelTest, ShowsCaptionsAndThePicturesOfImageIndexes) {
  TTreeNode* root = Add(nullptr, "Hoardscope", 2);
  TTreeNode* file = Tree.AddFileChild(root, "Caf\xC3\xA9 menu", 0, 4);
  TTreeNode* noIcon = Tree.AddFileChild(root, "none", 1, -1);
  TTreeNode* beyond = Tree.AddFileChild(root, "beyond", 2, kPictures);
  TTreeNode* twoLines = Tree.AddFileChild(root, "Tea House\r\nNews", 3, 4);
  const QModelIndex fileIndex = Model.IndexOf(file);

  EXPECT_EQ(fileIndex.data().toString(), QString::fromUtf8("Caf\xC3\xA9 menu"));
  EXPECT_EQ(Model.IndexOf(twoLines).data().toString(), "Tea House News");
  EXPECT_EQ(fileIndex.data(Qt::DecorationRole).value<QIcon>().cacheKey(), Icons[4].cacheKey());
  EXPECT_EQ(Model.IndexOf(root).data(Qt::DecorationRole).value<QIcon>().cacheKey(), Icons[2].cacheKey());
  EXPECT_FALSE(Model.IndexOf(noIcon).data(Qt::DecorationRole).isValid());
  EXPECT_FALSE(Model.IndexOf(beyond).data(Qt::DecorationRole).isValid());
  EXPECT_FALSE(Model.flags(fileIndex) & Qt::ItemIsEditable);
  EXPECT_TRUE(Model.flags(fileIndex) & Qt::ItemIsSelectable);

  QSignalSpy changed(&Model, &QAbstractItemModel::dataChanged);
  Tree.SetImageIndex(root, 1);
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed[0][0].value<QModelIndex>(), Model.IndexOf(root));
  EXPECT_EQ(Model.IndexOf(root).data(Qt::DecorationRole).value<QIcon>().cacheKey(), Icons[1].cacheKey());
}

TEST_F(TreeItemModelTest, AsksTheViewsToFollowExpansionsAfterAnnouncingPendingNodes) {
  TTreeNode* root = Add(nullptr, "Hoardscope");
  std::vector<std::string> events;
  QObject::connect(&Model, &QAbstractItemModel::rowsInserted, [&] { events.push_back("inserted"); });
  QObject::connect(&Model, &TTreeItemModel::ExpansionRequested, [&](const QModelIndex& index, bool expanded) {
    events.push_back(index.data().toString().toStdString() + (expanded ? " open" : " closed"));
  });

  Tree.BeginUpdate();
  Add(root, "host");
  Tree.SetExpanded(root, true);
  Tree.EndUpdate();
  Tree.SetExpanded(root, true);  // no change, no request
  Tree.SetExpanded(root, false);

  EXPECT_EQ(events, (std::vector<std::string>{"inserted", "Hoardscope open", "Hoardscope closed"}));
}

}  // namespace
}  // namespace hoardscope

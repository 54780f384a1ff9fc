// "Save Report…": the report of the selected node in the format the chosen file's extension names, and a file that
// cannot be written said so.
#include <algorithm>

#include "core/Tools.h"
#include "tests/unit/ViewFixture.h"

namespace hoardscope {
namespace {

class SaveReportTest : public ViewFixture {
 protected:
  SaveReportTest() {
    for (const char* name : {"h/a.htm", "h/b.gif", "other/c.htm"}) {
      CacheEntryRecord record;
      record.SourceUrl = std::string("http://") + name;
      record.LocalFileName = WriteFile(PathFindFileName(name), "abc");
      record.SizeLow = 3;
      record.HeaderInfo = "HTTP/1.1 200 OK\r\n\r\n";
      Cache.Put(record);
    }
    Load();
    View().TreeView1Change(Child(View().State().RootNode, "h"));
  }

  std::string SaveReport(const std::string& name) {
    Dialogs.FileName = (Files.Path / name).string();
    View().Execute(TActionId::alSaveReport);
    return ReadFile(Files.Path / name);
  }
};

TEST_F(SaveReportTest, WritesTheSelectedNodesFilesInTheFormatOfTheFilesExtension) {
  EXPECT_EQ(SaveReport("r.json"),
            "{\"url\":\"http://h/a.htm\",\"caption\":\"a.htm\",\"content_type\":\"Unknown type\",\"size\":3,"
            "\"time_cached\":null,\"last_access\":null,\"expiry\":null,\"status\":200,\"server\":\"\"}\n"
            "{\"url\":\"http://h/b.gif\",\"caption\":\"b.gif\",\"content_type\":\"Unknown type\",\"size\":3,"
            "\"time_cached\":null,\"last_access\":null,\"expiry\":null,\"status\":200,\"server\":\"\"}\n");
  const std::string csv = SaveReport("r.csv");
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3);  // the header line and a line per file
  EXPECT_TRUE(SaveReport("r.html").starts_with("<!DOCTYPE html>"));
  EXPECT_TRUE(Desktop.Messages.empty());
}

TEST_F(SaveReportTest, AFileThatCannotBeWrittenIsSaidSo) {
  Dialogs.FileName = (Files.Path / "no" / "r.csv").string();
  View().Execute(TActionId::alSaveReport);
  ASSERT_EQ(Desktop.Messages.size(), 1u);
  EXPECT_EQ(Desktop.Messages[0], "Cannot write the report to " + *Dialogs.FileName + ".");
}

}  // namespace
}  // namespace hoardscope

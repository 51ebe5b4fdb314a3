#include "drop/path_extension.h"

#include <gtest/gtest.h>

namespace brivanta {
namespace {

TEST(PathExtension, TextAfterTheLastPoint) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\a\\one.doc", "doc"},
      {"C:\\a\\two.docx", "docx"},
      {"C:\\a.old\\report", "old\\report"},
      {"C:\\a\\report.", ""},
      {"C:\\a\\archive.tar.gz", "gz"},
      {"C:\\a\\noext", ""},
      {"C:\\文档\\报告.文档", "文档"},
  };
  for (auto [path, ext] : cases) EXPECT_EQ(PathExtension(path), ext) << path;
}

}  // namespace
}  // namespace brivanta

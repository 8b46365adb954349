// Stored zones: malformed entries are passed over, one line each on stderr, the others still
// load; a save writes them back in the same form.

#include "panel/config_file_support.h"

#include <gtest/gtest.h>

#include <algorithm>

using vornix::testing::ConfiguredSystem;

TEST(ZoneConfiguration, MalformedEntriesAreSkippedOneLineEachAndTheOthersLoadAndSaveBack) {
  ConfiguredSystem c;
  c.store("[多区域互动]\n区域数=6\n区域1=10,20,30,40,key:F5\n区域2=1,2,3\n区域3=1,2,0,4,key:a\n"
          "区域4=1,2,3,4,jump:high\n区域5=5,6,7,8,click:100,200\n区域6=1,2,3,4,click:9\n");
  ::testing::internal::CaptureStderr();
  c.load();
  const std::string said = ::testing::internal::GetCapturedStderr();
  ASSERT_EQ(c.f.zones.size(), 2);
  EXPECT_EQ(c.f.zones.all()[0].rect, QRect(10, 20, 30, 40));
  EXPECT_EQ(c.f.zones.all()[1].action, "click:100,200");
  for (const char* key : {"区域2", "区域3", "区域4", "区域6"}) EXPECT_NE(said.find(key), std::string::npos) << key;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 4) << said;

  c.f.zones.add({QRect(1, 1, 5, 5), "send:go,now"});
  c.save();
  c.f.zones.set({});
  c.load();
  ASSERT_EQ(c.f.zones.size(), 3);
  EXPECT_EQ(c.f.zones.all()[2].action, "send:go,now");
}

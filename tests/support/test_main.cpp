// The main of every unit-test program. The environment is set here rather than through ctest:
// properties handed to discovered tests lose every list entry after the first.

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  // Qt needs no display; OpenCV keeps quiet; tests find the project's scripts and files.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("OPENCV_LOG_LEVEL", "ERROR", 0);
  setenv("VORNIX_SOURCE_DIR", VORNIX_SOURCE_DIR, 0);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// main() of the Wine test suites: GoogleTest's, plus the clean-up the installer does at exit, so that a
// suite whose code made a per-run folder does not leave it in the test prefix.
#include <gtest/gtest.h>

#include "platform/files.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  RemoveRunFolder();
  return result;
}

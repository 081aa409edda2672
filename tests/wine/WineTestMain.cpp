// The Wine test program's entry: GoogleTest with the fault net, so a fault Wine catches and goes
// on from fails the test that was running.

#include <gtest/gtest.h>

#include <cstdio>

#include "wine/FaultNet.h"

namespace {

// Fails the test that has just run for each fault noted while it ran. Appended after the default
// printer, it hears of a test's end first, while the test still takes failures.
class FaultListener final : public ::testing::EmptyTestEventListener {
 public:
  void OnTestEnd(const ::testing::TestInfo&) override {
    for (const rsw::test::Fault& fault : rsw::test::TakeFaults()) ADD_FAILURE() << Describe(fault);
  }

  static std::string Describe(const rsw::test::Fault& fault) {
    char text[128];
    std::snprintf(text, sizeof text, "%s (code %08lx) at address %08lx in process %lu",
                  rsw::test::FaultName(fault.code), static_cast<unsigned long>(fault.code),
                  static_cast<unsigned long>(fault.address), static_cast<unsigned long>(fault.processId));
    return "A fault Wine caught and went on from: " + std::string(text) + ", " + fault.where;
  }
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  rsw::test::WatchFaults();
  ::testing::UnitTest::GetInstance()->listeners().Append(new FaultListener);
  const int result = RUN_ALL_TESTS();
  // a fault after the last test still fails the run
  int late = 0;
  for (const rsw::test::Fault& fault : rsw::test::TakeFaults()) {
    std::fprintf(stderr, "After the last test: %s\n", FaultListener::Describe(fault).c_str());
    ++late;
  }
  return late ? 1 : result;
}

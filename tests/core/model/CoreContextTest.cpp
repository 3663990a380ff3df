// The stores of the program's context: kept under their type, freed in the
// reverse order of making, each keeping the place where it was first made.
#include "core/model/CoreContext.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/system/Exception.h"

namespace lumora::test {
namespace {

// Notes its name in a log when it is freed, with the stores it could still
// reach at that moment.
template <char Name> struct TProbe {
  explicit TProbe(std::string *aLog) : log(aLog) {}
  ~TProbe() {
    *log += Name;
    *log += '(';
    for (bool present : {TCoreContext::Optional<TProbe<'a'>>() != nullptr,
                         TCoreContext::Optional<TProbe<'b'>>() != nullptr,
                         TCoreContext::Optional<TProbe<'c'>>() != nullptr})
      *log += present ? '+' : '-';
    *log += ')';
  }
  std::string *log;
  int value = 0;
};

class CoreContextTest : public ::testing::Test {
protected:
  void SetUp() override { TCoreContext::Start(); }
  void TearDown() override { TCoreContext::Reset(); }

  template <char Name> TProbe<Name> &Put() {
    return TCoreContext::Get().Put(std::make_unique<TProbe<Name>>(&log_));
  }

  std::string log_;
};

TEST_F(CoreContextTest, StoresAreFreedInTheReverseOrderOfMakingWhileTheEarlierOnesRemain) {
  Put<'a'>();
  Put<'b'>();
  Put<'c'>();
  TCoreContext::Reset();
  // Each store still reaches the ones made before it, and none after it.
  EXPECT_EQ(log_, "c(++-)b(+--)a(---)");
  EXPECT_EQ(TCoreContext::Optional<TProbe<'a'>>(), nullptr);
}

TEST_F(CoreContextTest, AStoreKeepsThePlaceWhereItWasFirstMadeOrReserved) {
  TCoreContext &context = TCoreContext::Get();
  context.Reserve<TProbe<'a'>>();
  Put<'b'>();
  Put<'c'>().value = 1;
  EXPECT_EQ(context.Find<TProbe<'a'>>(), nullptr);
  Put<'a'>(); // into its reserved place, before b
  // A replaced store is freed at once; the new one takes its place.
  Put<'c'>().value = 2;
  EXPECT_EQ(log_, "c(++-)");
  EXPECT_EQ(context.Store<TProbe<'c'>>().value, 2);
  // A freed store leaves its place for the next one of its type.
  context.Free<TProbe<'b'>>();
  EXPECT_EQ(context.Find<TProbe<'b'>>(), nullptr);
  Put<'b'>();
  log_.clear();
  TCoreContext::Reset();
  EXPECT_EQ(log_, "c(++-)b(+--)a(---)");
}

TEST_F(CoreContextTest, AMissingStoreIsAnErrorOnlyWhereItIsRequired) {
  EXPECT_THROW(TCoreContext::Get().Store<TProbe<'a'>>(), Exception);
  EXPECT_EQ(TCoreContext::Optional<TProbe<'a'>>(), nullptr);
  TCoreContext::Reset();
  EXPECT_EQ(TCoreContext::Optional<TProbe<'a'>>(), nullptr);
  EXPECT_THROW(StyleLine(), Exception);
}

} // namespace
} // namespace lumora::test

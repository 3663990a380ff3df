#pragma once
// A page of turned stamps for the painting benchmarks: the model, a program
// folder holding the stamps' picture, and the stamps spread over the page,
// each turned by its own angle. Starts a GUI application when none runs.
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "tests/kinds/FigureKinds.h"

namespace lumora::test {

class TStampPage {
public:
  TStampPage(int aStamps, int aPageWidth, int aPageHeight, int aStampWidth);
  ~TStampPage();
  TStampPage(const TStampPage &) = delete;
  TStampPage &operator=(const TStampPage &) = delete;

  std::vector<std::unique_ptr<TBenchStamp>> &Stamps() { return stamps_; }

private:
  QTemporaryDir folder_;
  std::vector<std::unique_ptr<TBenchStamp>> stamps_;
};

} // namespace lumora::test

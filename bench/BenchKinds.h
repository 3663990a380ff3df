#pragma once
// The page objects and pictures of the book benchmarks: a filled
// quadrilateral as figures are stored, a still picture named by its text,
// and a picture different for each number.
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QStringList>
#include <memory>

#include "core/book/BookClasses.h"
#include "core/book/MetaBook.h"
#include "core/drawable/CoreClasses.h"
#include "core/geometry/Geometry.h"
#include "core/model/CoreContext.h"
#include "core/pictures/StillFactory.h"
#include "tests/kinds/BookKinds.h"
#include "tests/kinds/FigureKinds.h"

namespace lumora::bench {

class TBenchRect : public test::TPlainRect {
  LUMORA_OBJECT(TBenchRect, test::TPlainRect)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info = test::TPlainRect::GetObjInfo();
    info.Name = QStringLiteral("ベンチ矩形");
    return info;
  }
  // A 40 x 30 rectangle whose top left corner is (x, y).
  void Place(double x, double y) {
    FPolygon = {{x, y}, {x + 40, y}, {x + 40, y + 30}, {x, y + 30}};
    Param.Grabs = 4;
    InitGrabInfo();
    FBoundsRect = RealPointsBounds(FPolygon);
  }

protected:
  explicit TBenchRect(const QString &aKind = QStringLiteral("ベンチ矩形")) {
    Param.ObjName = aKind;
    Param.ActType = {atShow};
    Param.Width = 1;
    Param.FaceColor = 0x40A0F0;
    Param.Coating = true;
    FVisible = true;
  }
};

class TBenchStill : public TBenchRect {
  LUMORA_OBJECT(TBenchStill, TBenchRect)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info = TBenchRect::GetObjInfo();
    info.Name = QStringLiteral("静止画");
    info.FormType = {otSurface, otPicture};
    return info;
  }

protected:
  TBenchStill() : TBenchRect(QStringLiteral("静止画")) {}
};

inline void RegisterBenchKinds(TObjClassList &aList) {
  aList.Add<TBenchRect>();
  aList.Add<TBenchStill>();
}

// A plain book and page for the benchmarks that read and write books
// without the program's own classes.
LUMORA_TEST_BOOK_KIND(TBenchBook, TMetaBook, "ベンチ書籍")
LUMORA_TEST_BOOK_KIND(TBenchPage, TMetaPage, "ベンチ頁")

// The core's and the book's classes, the plain book and page, and the
// benchmark objects.
inline void RegisterBenchBookClasses(TObjClassList &aList) {
  RegisterCoreClasses(aList);
  RegisterBookClasses(aList);
  aList.Add<TBenchBook>();
  aList.Add<TBenchPage>();
  RegisterBenchKinds(aList);
}

// Object k of a page of benchmark objects: the first a still showing
// aPicture, the others rectangles, ten to a row.
inline std::unique_ptr<TBenchRect> BenchObject(int k, const QString &aPicture) {
  std::unique_ptr<TBenchRect> obj =
      k == 0 ? std::unique_ptr<TBenchRect>(NewObject<TBenchStill>()) : NewObject<TBenchRect>();
  obj->ReName(0);
  obj->Place(10 + (k % 10) * 70, 10 + (k / 10 % 10) * 50);
  if (k == 0) obj->Param.Text = aPicture;
  return obj;
}

// Adds aPages pages of type TPage to aBook, each of aObjects benchmark
// objects whose first shows one of aPictures in turn.
template <class TPage, class TBook>
void AddBenchPages(TBook &aBook, int aPages, int aObjects, const QStringList &aPictures) {
  for (int p = 0; p < aPages; ++p) {
    std::unique_ptr<TPage> page = NewObject<TPage>();
    page->Name = page->CreateName(true);
    TPage *added = page.get();
    aBook.AddObj(std::move(page));
    for (int k = 0; k < aObjects; ++k)
      added->AddObj(BenchObject(k, aPictures[p % aPictures.size()]));
  }
}

// A picture of 320 x 240 with a gradient and a disc, different for each i.
inline QImage BenchPicture(int i) {
  QImage image(320, 240, QImage::Format_RGB32);
  QPainter p(&image);
  QLinearGradient gradient(0, 0, 320, 240);
  gradient.setColorAt(0, QColor::fromHsv((i * 37) % 360, 200, 230));
  gradient.setColorAt(1, QColor::fromHsv((i * 71 + 120) % 360, 160, 90));
  p.fillRect(image.rect(), gradient);
  p.setBrush(QColor::fromHsv((i * 53) % 360, 255, 255));
  p.drawEllipse(QPoint(40 + (i % 120) * 2, 120), 50, 40);
  return image;
}

// aCount pictures saved in aFolder and taken into the still maker; the
// names the still objects give.
inline QStringList BenchPictures(const QString &aFolder, int aCount) {
  QStringList pictures;
  for (int i = 0; i < aCount; ++i) {
    const QString file = aFolder + QStringLiteral("/picture%1.png").arg(i);
    BenchPicture(i).save(file);
    TStill_ *still = StillMaker()._Create(file);
    pictures << (still ? still->fFilePath : file);
  }
  return pictures;
}

} // namespace lumora::bench

#include "core/drawable/CustomTable.h"

#include <QVariant>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/model/CustomMaker.h"
#include "core/model/Interfaces.h"
#include "core/model/MakeInfo.h"
#include "core/model/ObjPool.h"
#include "core/stream/MetaStream.h"
#include "core/system/Utilities.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"
#include "platform/system/Exception.h"

namespace lumora {

namespace {

constexpr float kCreatedVersion = 2.12f;
// Records after this version may carry the linked conductor's id.
constexpr float kLinkedIdVersion = 2.11f;
// The frame grabs; inner column borders come on top of them.
constexpr int kFrameGrabs = 8;

const QString kOrigInputKind = QStringLiteral("オリジ入力");
const QString kOrigOutputKind = QStringLiteral("オリジ出力");

// The value of a cell as text: its "固有値".
QString CellValue(TCommonObj *aCell) {
  QVariantList result;
  aCell->Value(QString::fromUtf16(TCustomTable::kValueCommand), result);
  return result.isEmpty() ? QString() : VariantToStr(result[0]);
}

// Appends aValue, with a ":" in front only when something was gathered.
void AppendValue(QString &aText, const QString &aValue) {
  if (!aText.isEmpty()) aText += QLatin1Char(':');
  aText += aValue;
}

// A whole number given as any argument; a text that is no number is 0.
int ArgToInt(const QVariant &aArg) {
  return StrToIntDef(VarRecToStr(aArg), 0);
}

// Moves every point of aObj by aOffset, re-centres and re-makes it.
void ShiftObj(TCommonObj *aObj, TRealPoint aOffset) {
  if (IRepresent *represent = Supports<IRepresent>(aObj)) {
    std::vector<TRealPoint> points = aObj->Polygon();
    for (TRealPoint &p : points)
      p = AddRealPoint(p, aOffset);
    represent->SetPolygon(points);
  } else {
    aObj->Move(aOffset, nullptr, true);
  }
  if (aObj->Maker()) aObj->Maker()->SetCenter();
  aObj->ReMake();
}

} // namespace

// ---- TCustomTable ----

TCustomTable::TCustomTable(const TObjParam &aParam) : TRepreContnr(aParam) {
  FVersion = kCreatedVersion;
  FVisible = true;
  FRCenter = {0, 0};
}

TCustomTable::~TCustomTable() {
  FLink.reset();
  FMaker.reset();
}

void TCustomTable::AfterConstruction() {
  TRepreContnr::AfterConstruction();
  TCommonObj::InitGrabInfo();
}

std::unique_ptr<TAbObjectPool> TCustomTable::NewPool() const {
  return std::make_unique<TOwnedObjPool>();
}

void TCustomTable::CreateMode(TSysMode) {
  FMaker = std::make_unique<TTableMaker>(this);
  FLink = std::make_unique<TTableLink>(this);
}

TCommonObj *TCustomTable::GetCells(int aCol, int aRow) const {
  if (!FPool) return nullptr;
  const int64_t i = int64_t(aRow) * ColCount() + aCol;
  return i >= 0 && i < Count() ? FPool->Items(int(i)) : nullptr;
}

int TCustomTable::ColCount() const {
  return Param.Grabs - 7;
}

int TCustomTable::RowCount() const {
  const int cols = ColCount();
  if (cols <= 0) return 0;
  return int((int64_t(Count()) + cols - 1) / cols);
}

TCommonObj *TCustomTable::AddCell() {
  std::unique_ptr<TCommonObj> cell = NewCell();
  if (!cell) return nullptr;
  TCommonObj *added = AddObj(std::move(cell));
  TRect r;
  CellRect(added, r);
  added->SetBoundsRect(r);
  return added;
}

std::unique_ptr<TCommonObj> TCustomTable::CopyCell(TCommonObj *aCell, TRealPoint aOffset) {
  std::unique_ptr<TCommonObj> copy = aCell->CopySelf(0);
  if (!copy) return nullptr;
  copy->Name = copy->CreateName(true);
  ShiftObj(copy.get(), aOffset);
  return copy;
}

void TCustomTable::InsertCol(int aCol) {
  const int cols = ColCount();
  if (cols <= 0 || Count() == 0) return;
  aCol = std::clamp(aCol, 0, cols - 1);
  // The width of the column: between its two border grabs.
  const size_t right = size_t(7 + aCol), left = size_t(6 + aCol);
  const double width = right < FPolygon.size() ? FPolygon[right].rx - FPolygon[left].rx : 0;
  const TRealPoint offset{width, 0};
  const int before = Count();
  try {
    const int rows = RowCount();
    // Each copy goes in right after its cell, so the cell of column aCol of
    // the next row lies one column further on.
    // A short last row lacks the cell: the walk ends there.
    int64_t index = aCol;
    for (int r = 0; r < rows && index < Count(); ++r, index += int64_t(cols) + 1) {
      TCommonObj *cell = FPool->Items(int(index));
      std::unique_ptr<TCommonObj> copy = CopyCell(cell, offset);
      if (!copy) {
        TCommonObj *last = FPool->GetParts(Count() - 1);
        if (std::unique_ptr<TCommonObj> lastCopy = last ? CopyCell(last, offset) : nullptr)
          OwnedPool()->Add(std::move(lastCopy));
        break;
      }
      OwnedPool()->Insert(int(index) + 1, std::move(copy));
    }
  } catch (...) {
    if (Count() > before) ReLayout(cols + 1);
    throw;
  }
  if (Count() > before) ReLayout(cols + 1);
}

void TCustomTable::InsertRow(int aRow) {
  const int cols = ColCount();
  const int rows = RowCount();
  if (cols <= 0 || rows <= 0) return;
  aRow = std::clamp(aRow, 0, rows - 1);
  TCommonObj *first = GetCells(0, aRow);
  if (!first || first->Polygon().empty()) return;
  double top = first->Polygon()[0].ry, bottom = top;
  for (const TRealPoint &p : first->Polygon()) {
    top = std::min(top, p.ry);
    bottom = std::max(bottom, p.ry);
  }
  const TRealPoint offset{0, bottom - top};
  const int next = int(std::min<int64_t>((int64_t(aRow) + 1) * cols, Count()));
  for (int i = next; i < Count(); ++i)
    ShiftObj(FPool->Items(i), offset);
  // The row's cells are taken first: in a short last row the copies go
  // where further cells of the row would be.
  TObjList row;
  for (int c = 0; c < cols; ++c) {
    TCommonObj *cell = GetCells(c, aRow);
    if (!cell) break;
    row.push_back(cell);
  }
  int at = next;
  for (TCommonObj *cell : row)
    if (std::unique_ptr<TCommonObj> copy = CopyCell(cell, offset))
      OwnedPool()->Insert(at++, std::move(copy));
  ReLayout(cols);
}

void TCustomTable::DeleteCol(int aCol) {
  const int cols = ColCount();
  // A table without columns could not say where its cells are.
  if (cols <= 1 || aCol < 0 || aCol >= cols) return;
  for (int r = RowCount() - 1; r >= 0; --r) {
    const int64_t at = int64_t(r) * cols + aCol;
    if (at >= Count()) continue;
    const int i = int(at);
    if (FPool->Items(i) == FActiveCell) FActiveCell = nullptr;
    OwnedPool()->Delete(i);
  }
  ReLayout(cols - 1);
}

void TCustomTable::DeleteRow(int aRow) {
  const int cols = ColCount();
  if (cols <= 0 || aRow < 0 || aRow >= RowCount()) return;
  const int start = int(int64_t(aRow) * cols);
  for (int i = int(std::min<int64_t>(int64_t(start) + cols, Count())) - 1; i >= start; --i) {
    if (FPool->Items(i) == FActiveCell) FActiveCell = nullptr;
    OwnedPool()->Delete(i);
  }
  ReLayout(cols);
}

bool TCustomTable::Data(const QString &aCommand, const QVariantList &aArg) {
  if (aCommand.startsWith(QString::fromUtf16(kCellValueCommand)) && aArg.size() > 2) {
    QString rest = VarRecToStr(aArg[0]);
    int row = ArgToInt(aArg[1]) - 1;
    int col = ArgToInt(aArg[2]) - 1;
    const int cols = ColCount();
    const int rows = RowCount();
    // A row or column below 1 names no cell: nothing is set.
    if (cols <= 0 || row < 0 || col < 0) return true;
    if (col >= cols) {
      col = 0;
      ++row;
    }
    const QString command = QString::fromUtf16(kValueCommand);
    const QVariant sender = QVariant::fromValue<TCommonObj *>(this);
    while (row < rows) {
      TCommonObj *cell = GetCells(col, row);
      if (!cell) break; // the end of a short last row
      QString token;
      CutFirstToken(QStringLiteral(":"), rest, token);
      cell->Data(command, {sender, token, QString()});
      if (rest.isEmpty()) break;
      if (++col >= cols) {
        col = 0;
        ++row;
      }
    }
    return true;
  }
  if (aCommand == QString::fromUtf16(kValueCommand)) return false;
  return TRepreContnr::Data(aCommand, aArg);
}

bool TCustomTable::Value(const QString &aCommand, QVariantList &aArg) {
  auto allValues = [this] {
    QString text;
    for (TCommonObj *cell : Children())
      AppendValue(text, CellValue(cell));
    return text;
  };
  if (aCommand == QString::fromUtf16(kValueCommand)) {
    aArg = {allValues()};
    return true;
  }
  if (aCommand == QString::fromUtf16(kCellValueCommand) && aArg.size() > 2) {
    // 0, empty, "*" (-1) and texts that are no number mean every column or
    // row.
    const int col = VariantToIntOrAll(aArg[1], 0);
    const int row = VariantToIntOrAll(aArg[2], 0);
    const int cols = ColCount();
    const int rows = RowCount();
    if (col > cols || row > rows) return false;
    QString text;
    if (col <= 0 && row <= 0) {
      text = allValues();
    } else {
      // No column beyond the cells holds one.
      const int c0 = col <= 0 ? 0 : col - 1, c1 = col <= 0 ? std::min(cols, Count()) : col;
      const int r0 = row <= 0 ? 0 : row - 1, r1 = row <= 0 ? rows : row;
      for (int c = c0; c < c1; ++c)
        for (int r = r0; r < r1; ++r)
          if (TCommonObj *cell = GetCells(c, r)) AppendValue(text, CellValue(cell));
    }
    aArg[0] = text;
    return true;
  }
  return TRepreContnr::Value(aCommand, aArg);
}

TCommonObj *TCustomTable::SearchCell(TRealPoint aPos) {
  return TRepreContnr::Search(aPos, k_allObj);
}

TCommonObj *TCustomTable::Search(TRealPoint aPos, TSearch aKind) {
  if (aKind == k_Item) return SearchCell(aPos);
  return TRepreContnr::Search(aPos, aKind);
}

bool TCustomTable::TakeColor(TPoint pPoint, TColor pColor, bool &pMore) {
  if (!FActiveCell) return TRepreContnr::TakeColor(pPoint, pColor, pMore);
  TCommonObj *cell = SearchCell(PointToRealPoint(pPoint));
  IRepresent *represent = Supports<IRepresent>(cell);
  if (!represent) return false;
  const bool took = represent->TakeColor(pPoint, pColor, pMore);
  if (took) {
    FActiveCell = cell;
    if (TCustomMaker *maker = cell->Maker()) {
      maker->Update();
      maker->Invalidate(false);
    }
  }
  return took;
}

void TCustomTable::Move(TRealPoint aOffset, TObjList *aVList, bool aRelative) {
  TRepreContnr::Move(aOffset, aVList, aRelative);
  if (FMaker) FMaker->SetCenter();
}

void TCustomTable::ZoomPolygon(long double aRate) {
  for (TRealPoint &p : FPolygon)
    p = {double(p.rx * aRate), double(p.ry * aRate)};
  for (TCommonObj *cell : Children())
    if (IRepresent *represent = Supports<IRepresent>(cell)) represent->ZoomPolygon(aRate);
}

void TCustomTable::ZoomDraw(TCanvas &pCanvas, double pZoom, int px, int py) {
  const uint8_t width = Param.Width;
  struct Restore {
    TObjParam &param;
    uint8_t width;
    ~Restore() { param.Width = width; }
  } restore{Param, width};
  Param.Width = uint8_t(std::clamp(RoundReal(pZoom * width), 0, 255));
  pCanvas.Pen().SetStyle(psClear);
  if (Param.Transparency != 0) {
    ClearDraw_(&pCanvas, TPoint{px, py}, pZoom);
  } else {
    std::vector<TRealPoint> points = FPolygon;
    for (TRealPoint &p : points)
      p = {p.rx * pZoom + px, p.ry * pZoom + py};
    DrawObj(pCanvas, points);
  }
  TRepreContnr::ZoomDraw(pCanvas, pZoom, px, py);
}

bool TCustomTable::TakeBackImage(TPoint aPoint, TCanvas &aCanvas, TCommonObj *aObj, double aZoom) {
  TRepreContnr::TakeBackImage(aPoint, aCanvas, aObj, aZoom);
  const bool under = IsUnder(aObj);
  if (under) {
    if (aZoom != 1)
      ZoomDraw(aCanvas, aZoom, -aPoint.X, -aPoint.Y);
    else if (TGraphic *graphic = Graphic())
      aCanvas.Draw(-aPoint.X, -aPoint.Y, *graphic);
  }
  return under;
}

void TCustomTable::GrabToPolygon(std::span<const TRealPoint> aGrab) {
  TRepreContnr::GrabToPolygon(aGrab);
  LayoutCells();
}

TRealPoint TCustomTable::GetLinkPos() const {
  if (FPolygon.size() < 6) return FBCenter;
  return MidRealPoint(FPolygon[4], FPolygon[5]);
}

void TCustomTable::SaveOption(TMetaStream &aStream) {
  TRepreContnr::SaveOption(aStream);
  if (FLinkedObj) {
    FTargetId = FLinkedObj->Id();
    aStream.WriteBuffer(FTargetId);
  }
}

void TCustomTable::LoadOption(TMetaStream &aStream) {
  // Below 8 grabs the table would have no column: every cell address would
  // divide by zero or less.
  if (Param.Grabs < kFrameGrabs) throw EReadError(QStringLiteral("Illegal Table Columns"));
  TRepreContnr::LoadOption(aStream);
  LayoutCells();
  Param.Transparency = 0;
  if (FVersion > kLinkedIdVersion && Readable(aStream, 1)) aStream.ReadBuffer(FTargetId);
}

void TCustomTable::UpdateLink(TCommonObj *aCompo) {
  if (FTargetId > 0) {
    TCommonObj *where = aCompo ? aCompo : this;
    TCommonObj *found = nullptr;
    if (auto *compo = dynamic_cast<TCustomCompo *>(where))
      found = compo->GetObjs(FTargetId);
    else if (where->Pool())
      found = where->Pool()->GetObjs(FTargetId);
    if (found) FLinkedObj = found;
  }
  TRepreContnr::UpdateLink(aCompo);
}

float TCustomTable::GetVersion() const {
  return TRepreContnr::GetVersion() + 0.01f;
}

// ---- TTableMaker ----

void TTableMaker::ReMake(const TGrabRect &aGrab) {
  if (IRepresent *represent = Supports<IRepresent>(FSelf)) represent->GrabToPolygon(aGrab);
  SetCenter();
  Update();
  Invalidate(false);
}

void TTableMaker::SetCenter() {
  SetBounds();
  auto *table = dynamic_cast<TCustomTable *>(FSelf);
  if (table && table->Polygon().size() >= 3)
    table->SetBCenter(MidRealPoint(table->Polygon()[0], table->Polygon()[2]));
}

void TTableMaker::Refresh() {
  if (TAbObjectPool *pool = FSelf->Pool())
    for (TCommonObj *cell : *pool)
      if (cell && cell != FSelf && cell->Maker()) cell->Maker()->Refresh();
  SetCenter();
  FSelf->ReMake();
}

// ---- TTableLink ----

TTableLink::TTableLink(TCustomTable *aTable, TLinkDrawClass aLinkDrawClass)
    : TSingleLink(aTable, aLinkDrawClass), FTable(aTable) {}

TCommonObj *TTableLink::GetLinkedObj() {
  return FTable->GetLinkedObj();
}

void TTableLink::SetLinkedObj(TCommonObj *Value) {
  FTable->SetLinkedObj(Value);
}

void TTableLink::RemoveLink(TCommonObj *aObj) {
  if (IsLinked(aObj)) FTable->SetLinkedObj(nullptr);
}

bool TTableLink::CanLink(TCommonObj *aObj) {
  if (!TSingleLink::CanLink(aObj)) return false;
  if (aObj->Param.ObjName == kOrigInputKind || aObj->Param.ObjName == kOrigOutputKind) return false;
  return aObj->ObjInfo().FormType.Contains(otConductor);
}

bool TTableLink::DoLink(TCommonObj *aObj) {
  if (!aObj) return false;
  if (IsLinked(aObj)) {
    RemoveLink(aObj);
    return CanLink(aObj);
  }
  if (!GetLinkedObj()) {
    SetLinkedObj(aObj);
    return true;
  }
  return CanLink(aObj);
}

// ---- Shared operations ----

double UnRotate(std::span<TRealPoint> aPoints) {
  if (aPoints.size() < 2) return 0;
  double angle = RealPointAngle(aPoints[0], aPoints[1]) - std::numbers::pi / 2;
  if (std::abs(angle) <= 0.0001) angle = 0;
  if (angle != 0) RotateRealPoints(aPoints, {0, 0}, -angle);
  return angle;
}

void ScaleGrabs(int aA, int aB, int aLast, std::span<TRealPoint> aPoints, TRealPoint aNewPos) {
  const int n = int(aPoints.size());
  if (aA < 0 || aA >= n || aB < 0 || aB >= n) return;
  const TRealPoint a = aPoints[size_t(aA)];
  const TRealPoint b = aPoints[size_t(aB)];
  const double fx = b.rx == a.rx ? 1 : std::abs((b.rx - aNewPos.rx) / (b.rx - a.rx));
  const double fy = b.ry == a.ry ? 1 : std::abs((b.ry - aNewPos.ry) / (b.ry - a.ry));
  const int last = std::min(aLast, n - 1);
  for (int i = 0; i <= last; ++i) {
    TRealPoint &p = aPoints[size_t(i)];
    p = {b.rx + (p.rx - b.rx) * fx, b.ry + (p.ry - b.ry) * fy};
  }
  aPoints[size_t(aA)] = aNewPos;
}

} // namespace lumora

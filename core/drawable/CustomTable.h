#pragma once
// The table base: a drawable container whose children are its cells in
// row-major order (cell (c, r) at index r x ColCount + c), with the cell
// commands, column and row insertion and deletion, a link to a conductor
// ("伝送路") and colour taking per cell. The concrete tables (the text table,
// the place-value tables) make the cells and lay them out.
//
// The column count is kept in Param.Grabs as columns + 7: the 8 frame grabs
// plus one grab per inner column border. A stored table whose grab count is
// below 8 has no column and is refused when it is read (EReadError).
//
// Ownership: the table owns its cells (its pool frees what it removes); the
// linked conductor is an object of the page and only referred to.
//
// Option block: nothing of the base, then, when a linked object exists, its
// Int64 id. Record version 2.12 at creation; the version written is the
// base's plus 0.01.
#include <QString>
#include <cstdint>
#include <memory>

#include "core/drawable/DrawExe.h"
#include "core/drawable/RepreContnr.h"
#include "core/model/Link.h"

namespace lumora {

class TCustomTable : public TRepreContnr {
  LUMORA_ABSTRACT_OBJECT(TCustomTable, TRepreContnr)
public:
  // The commands of the cells' values.
  static constexpr const char16_t *kValueCommand = u"固有値";
  static constexpr const char16_t *kCellValueCommand = u"セル固有値";

  // Frees the link and the maker, then the container with its cells.
  ~TCustomTable() override;

  // The cell being edited (taking colours goes to single cells while set).
  TCommonObj *ActiveCell() const { return FActiveCell; }
  void SetActiveCell(TCommonObj *aCell) { FActiveCell = aCell; }
  int64_t TargetId() const { return FTargetId; }

  // The child at index aRow x ColCount + aCol; null outside the pool.
  TCommonObj *GetCells(int aCol, int aRow) const;

  // ---- TCommonObj ----
  // The maker TTableMaker and the link TTableLink in every mode.
  void CreateMode(TSysMode aMode) override;
  TLink *GetLink() override { return FLink.get(); }
  TCommonObj *GetLinkedObj() override { return FLinkedObj; }
  void SetLinkedObj(TCommonObj *aObj) override { FLinkedObj = aObj; }
  // Nothing of the base; the linked object's id when there is one (also
  // kept as the target id).
  void SaveOption(TMetaStream &aStream) override;
  // Refuses a grab count below 8; then LayoutCells, Transparency := 0, and
  // for record versions above 2.11 with bytes left, the target id.
  void LoadOption(TMetaStream &aStream) override;
  // "セル固有値" [text, row, column] (1-based; more than two elements): the
  // ":"-separated values of the text go to the cells from that one on,
  // along the row and then row by row; True. "固有値": False. Others: the
  // base.
  bool Data(const QString &aCommand, const QVariantList &aArg) override;
  // "固有値": every cell's value in pool order joined by ":". "セル固有値"
  // [result, column, row] (1-based; 0, empty, "*" or no number: every):
  // the addressed cells column by column, each top to bottom; False for a
  // column or row beyond the table. The text goes into the first element.
  bool Value(const QString &aCommand, QVariantList &aArg) override;
  // For k_Item the cell under the point; otherwise the container's search.
  TCommonObj *Search(TRealPoint aPos, TSearch aKind) override;
  using TRepreContnr::Move;
  // The container's move, then the maker's SetCenter.
  void Move(TRealPoint aOffset, TObjList *aVList, bool aRelative) override;
  // The line width scaled for the call (restored afterwards), the pen
  // cleared; a transparent table draws see-through, else itself with the
  // points zoomed and offset; then the cells zoomed.
  void ZoomDraw(TCanvas &pCanvas, double pZoom, int px, int py) override;
  // The cells' capture; then, when the table lies under aObj, the table
  // shifted by -aPoint (zoomed at a zoom other than 1, else its picture).
  bool TakeBackImage(TPoint aPoint, TCanvas &aCanvas, TCommonObj *aObj, double aZoom) override;
  // The table itself.
  TCommonObj *LinkObjFrom(TCommonObj *, int, int) override { return this; }
  TRealPoint BCenter() const override { return FBCenter; }
  // The midpoint of polygon points 4 and 5.
  TRealPoint GetLinkPos() const override;
  // A positive target id found in aCompo (its tree for a composite, else
  // its pool; null: the table) becomes the linked object; then the cells'
  // links.
  void UpdateLink(TCommonObj *aCompo) override;
  float GetVersion() const override;

  // ---- IRepresent ----
  // With an active cell: the cell under the point takes the colour (and
  // becomes the active cell when it does); False without a cell there or
  // when it cannot take colours. Without an active cell: the container's.
  bool TakeColor(TPoint pPoint, TColor pColor, bool &pMore) override;
  // The table's polygon and every cell scaled by aRate.
  void ZoomPolygon(long double aRate) override;
  // The container's, then LayoutCells.
  void GrabToPolygon(std::span<const TRealPoint> aGrab) override;

  // ---- Added here ----
  // NewCell; a cell made is added and gets the bounds CellRect gives.
  virtual TCommonObj *AddCell();
  // Copies column aCol (clamped to the last column) into a new column right
  // of it; the cells are re-laid with one column more.
  virtual void InsertCol(int aCol);
  // Copies row aRow (clamped to the last row) into a new row below it;
  // the rows below move down by its height.
  virtual void InsertRow(int aRow);
  // A new cell of the concrete table; null when it makes none.
  virtual std::unique_ptr<TCommonObj> NewCell() = 0;
  // Re-lays the table with aColCount columns.
  virtual void ReLayout(int aColCount) = 0;
  // The rectangle of a cell.
  virtual void CellRect(TCommonObj *aCell, TRect &aRect) = 0;
  // Param.Grabs - 7.
  virtual int ColCount() const;
  // The rows the cells fill (the last one may be short); 0 without
  // columns.
  virtual int RowCount() const;
  // The height of one row of the given points.
  virtual double RowHeight(std::span<const TRealPoint> aPoints) = 0;
  // The ruling lines.
  virtual void DrawRules(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) = 0;
  // Param.Grabs := aCount + 7 and the frame grabs rebuilt.
  virtual void SetColCount(int aCount) = 0;
  // Grows or shrinks to aCount rows.
  virtual void SetRowCount(int aCount) = 0;
  // Every cell gets its CellRect as bounds and is re-made.
  virtual void LayoutCells() = 0;

  // Deletes (and frees) the cells of column aCol from the last row up, then
  // re-lays with one column less. Nothing for a column outside the table,
  // or for the only column (a table keeps at least one).
  void DeleteCol(int aCol);
  // Deletes (and frees) the cells of row aRow, then re-lays. Nothing for a
  // row outside the table.
  void DeleteRow(int aRow);

  void SetBCenter(TRealPoint aCenter) { FBCenter = aCenter; }

protected:
  // Record version 2.12; Param := aParam; visible; RCenter (0, 0).
  explicit TCustomTable(const TObjParam &aParam);
  // The container's set-up (companions), the grab record.
  void AfterConstruction() override;
  // A pool that owns the cells.
  std::unique_ptr<TAbObjectPool> NewPool() const override;

  // The cell under the point (every child searched), or null.
  TCommonObj *SearchCell(TRealPoint aPos);
  // A copy of aCell for a new row or column: a new name, every point moved
  // by aOffset, re-centred and re-made. Null when the cell cannot be copied.
  std::unique_ptr<TCommonObj> CopyCell(TCommonObj *aCell, TRealPoint aOffset);

  TRealPoint FBCenter;
  std::unique_ptr<TLink> FLink;
  TCommonObj *FActiveCell = nullptr;
  TCommonObj *FLinkedObj = nullptr;
  int64_t FTargetId = 0;
};

// The maker of tables.
class TTableMaker : public TMakeObj {
public:
  using TMakeObj::TMakeObj;

  // The owner's GrabToPolygon, SetCenter, Update, Invalidate(False).
  void ReMake(const TGrabRect &aGrab) override;
  // Bounds from the polygon, then BCenter := the midpoint of points 0 and 2.
  void SetCenter() override;
  // Every cell's maker refreshes, then SetCenter and the table's ReMake.
  void Refresh() override;
};

// The link of tables: a conductor, kept in the table's FLinkedObj (not in
// its pool, which holds the cells).
class TTableLink : public TSingleLink {
public:
  explicit TTableLink(TCustomTable *aTable, TLinkDrawClass aLinkDrawClass = nullptr);

  TCommonObj *GetLinkedObj() override;
  void SetLinkedObj(TCommonObj *Value) override;
  // The table's pool holds cells, not partners.
  TAbObjPool *GetPartners() override { return nullptr; }
  // Unlinks when aObj is the partner or a composite holding it.
  void RemoveLink(TCommonObj *aObj) override;
  // The single-link rule, not an original input or output ("オリジ入力",
  // "オリジ出力"), and the class's catalogue FormType holds otConductor.
  bool CanLink(TCommonObj *aObj) override;
  // As the action link: the partner again unlinks it (answer CanLink); an
  // unlinked table links aObj (True); a table linked elsewhere stays
  // (answer CanLink).
  bool DoLink(TCommonObj *aObj) override;

private:
  TCustomTable *FTable;
};

// The executor of text tables: a table is not rotated by an action.
class TTextTableExe : public TDrawExe {
public:
  using TDrawExe::TDrawExe;

  bool ActRotate(const TActParam &) override { return false; }
};

// Turns aPoints back so that their first edge is horizontal: the angle of
// the first edge less pi/2 (0 within 0.0001); when not 0 the points are
// rotated back by it about (0, 0). Answers the angle.
double UnRotate(std::span<TRealPoint> aPoints);
// Scales the points 0 to aLast (as far as aPoints holds) about point aB so
// that point aA lands on aNewPos, x and y separately (by the absolute value
// of (b - new) / (b - a), 1 where a and b share the coordinate); then sets
// point aA exactly to aNewPos.
void ScaleGrabs(int aA, int aB, int aLast, std::span<TRealPoint> aPoints, TRealPoint aNewPos);

} // namespace lumora

#include "core/drawable/DummyDrawObj.h"

#include <algorithm>
#include <cstdlib>

#include "core/drawable/MakeObj.h"
#include "core/model/MakeInfo.h"
#include "core/stream/MetaStream.h"
#include "core/support/RectOps.h"
#include "platform/graphics/Canvas.h"

namespace lumora {

namespace {
constexpr int kNoteWidth = 113;
constexpr int kNoteHeight = 50;
constexpr int32_t kRecordConstant = 10;
} // namespace

TObjInfo TDummyDrawObj::GetObjInfo() {
  TObjInfo info;
  info.IndexNo = -1;
  info.ClassName = QStringLiteral("ダミー");
  info.Name = QString::fromUtf16(kKindName);
  info.FormType = {otLine, otSurface, otDummy};
  info.ActType = {atShow};
  return info;
}

TObjParam TDummyDrawObj::DefaultParam() {
  TObjParam param;
  param.ObjName = QString::fromUtf16(kKindName);
  param.ActType = {atShow};
  param.Grabs = 4;
  return param;
}

std::vector<TRealPoint> TDummyDrawObj::FixedPolygon() {
  return {{0, 0}, {kNoteWidth, 0}, {kNoteWidth, kNoteHeight}, {0, kNoteHeight}};
}

TDummyDrawObj::TDummyDrawObj() : TDummyDrawObj(DefaultParam()) {}

TDummyDrawObj::TDummyDrawObj(const TObjParam &pParam) : TDrawObj(pParam) {
  Param.ObjName = QString::fromUtf16(kKindName);
  FPolygon = FixedPolygon();
  FBoundsRect = RealPointsBounds(FPolygon);
  FVisible = true;
}

void TDummyDrawObj::CreateMode(TSysMode) {
  FMaker = std::make_unique<TDrawMake>(this);
}

void TDummyDrawObj::LoadFromMStream(TMetaStream &aStream) {
  const int64_t start = aStream.Position();
  FRecord.clear();
  FTailOffset = 0;
  if (Readable(aStream, 4)) {
    int32_t size = 0;
    aStream.ReadBuffer(size);
    aStream.SetPosition(start);
    if (size > 0 && Readable(aStream, int64_t(size) + 4))
      FRecord = QByteArray(aStream.Memory() + start, qsizetype(size) + 4);
  }
  // ReadPayload notes where the unknown payload begins.
  struct Snapshot {
    TDummyDrawObj &self;
    ~Snapshot() {
      self.FReadParam = self.Param;
      self.FReadId = self.FId;
      self.FReadName = self.Name;
      self.FReadVersion = self.FVersion;
    }
  } snapshot{*this};
  TDrawObj::LoadFromMStream(aStream);
  FTailOffset = FTailOffset > 0 ? FTailOffset - start : 0;
}

void TDummyDrawObj::ReadPayload(TMetaStream &aStream) {
  // The absolute position; LoadFromMStream makes it relative to the record.
  FTailOffset = aStream.Position();
}

void TDummyDrawObj::LoadOption(TMetaStream &) {}

void TDummyDrawObj::SaveToMStream(TMetaStream &aStream) {
  if (FRecord.isEmpty()) {
    TDrawObj::SaveToMStream(aStream);
    return;
  }
  // Re-making sets Grabs to the note's own four points; the kept payload
  // holds the points of the grab count read, so that count is written.
  TObjParam param = Param;
  param.Grabs = FReadParam.Grabs;
  const bool unchanged = param == FReadParam && FId == FReadId && Name == FReadName;
  // A record whose common part could not be read is kept as it is.
  if (unchanged || FTailOffset <= 0 || FTailOffset > FRecord.size()) {
    aStream.WriteBuffer(FRecord.constData(), FRecord.size());
    return;
  }
  const int64_t start = aStream.Position();
  aStream.WriteBuffer(int32_t(0));
  aStream.WriteVersion(FReadVersion);
  aStream.WriteBuffer(param);
  aStream.WriteBuffer(kRecordConstant);
  aStream.WriteBuffer(FId);
  aStream.WriteBuffer(Name);
  aStream.WriteBuffer(FRecord.constData() + FTailOffset, FRecord.size() - FTailOffset);
  const int64_t end = aStream.Position();
  aStream.SetPosition(start);
  aStream.WriteBuffer(int32_t(end - start - 4));
  aStream.SetPosition(end);
}

void TDummyDrawObj::SaveToStream(TStream &aStream) {
  TDrawObj::SaveToStream(aStream);
  if (!FTrailing.isEmpty()) aStream.WriteBuffer(FTrailing.constData(), FTrailing.size());
}

void TDummyDrawObj::KeepUnreadEntry(const QByteArray &aEntry, qsizetype aRecordBytes) {
  aRecordBytes = std::clamp<qsizetype>(aRecordBytes, 0, aEntry.size());
  TMetaStream record;
  record.WriteBuffer(aEntry.constData(), aRecordBytes);
  record.SetPosition(0);
  try {
    LoadFromMStream(record);
  } catch (const std::exception &) {
    // The record is kept whole even when its common part is unreadable.
  }
  if (FRecord.isEmpty()) FRecord = aEntry.left(aRecordBytes);
  FTrailing = aEntry.mid(aRecordBytes);
  FUnreadable = true;
}

void TDummyDrawObj::DrawObj(TCanvas &aCanvas, std::span<const TRealPoint>) {
  if (GetMakeInfo().SysMode == smExec) return;
  // Without points there is no place to show the note at.
  if (Polygon().empty()) return;
  const TRect bounds = BoundsRect();
  const TRect note = RealPointsBounds(FixedPolygon());
  const int dx = bounds.Left - kNoteWidth / 2;
  const int dy = bounds.Top - kNoteHeight / 2;
  const TRect box{note.Left + dx, note.Top + dy, note.Right + dx, note.Bottom + dy};
  aCanvas.Pen().SetStyle(psSolid);
  aCanvas.Pen().SetMode(pmCopy);
  aCanvas.Pen().SetWidth(1);
  aCanvas.Pen().SetColor(clBlack);
  aCanvas.Brush().SetStyle(bsSolid);
  aCanvas.Brush().SetColor(clWhite);
  aCanvas.Rectangle(box);

  const QString lines[3] = {
      QStringLiteral("「") + Param.ObjName + QStringLiteral("」　は"),
      FUnreadable ? QStringLiteral("壊れていて") : QStringLiteral("サポートされて"),
      FUnreadable ? QStringLiteral("読めません") : QStringLiteral("いません")};
  const int h = std::abs(aCanvas.Font().Height()) + 2;
  const int cx = (box.Left + box.Right) / 2;
  const int cy = (box.Top + box.Bottom) / 2;
  for (int i = 0; i < 3; ++i) {
    const int y = cy + (i - 1) * h;
    aCanvas.TextOut(cx - aCanvas.TextWidth(lines[i]) / 2, y - h / 2 + 1, lines[i]);
  }
}

void TDummyDrawObj::ReMake() {
  Param.Grabs = Points();
  InitGrabInfo();
  if (!FMaker) return;
  FMaker->SetCenter();
  FMaker->Update();
  FMaker->Invalidate(false);
}

bool TDummyDrawObj::PtInObj(TPoint pPoint) {
  return BoundsRect().Contains(pPoint);
}

} // namespace lumora

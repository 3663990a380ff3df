// The print settings object keeps its settings record through the book.
#include <QByteArray>

#include "core/book/BookClasses.h"
#include "core/book/PrintInfoObj.h"
#include "core/model/ClassRegistry.h"
#include "platform/system/Stream.h"
#include "tests/core/drawable/DrawTestClasses.h"

namespace lumora::test {
namespace {

class PrintInfoObjTest : public DrawTest {
protected:
  void SetUp() override {
    DrawTest::SetUp();
    RegisterBookClasses(ObjClassList());
    spec_.用紙 = 1;
    spec_.横頁数 = 2;
    spec_.縦頁数 = 3;
    spec_.余白左 = 10;
    spec_.左右間隔 = 5;
    spec_.余白右 = 10;
    spec_.余白上 = 7.5;
    spec_.上下間隔 = 2.5;
    spec_.余白下 = 7.5;
    spec_.開始頁 = 1;
    spec_.終了頁 = 4;
    spec_.枠表示 = true;
  }
  std::unique_ptr<TPrtInf> Make() {
    std::unique_ptr<TCommonObj> obj = ObjClassList().CreateObject(QStringLiteral("印刷設定"));
    auto *prt = dynamic_cast<TPrtInf *>(obj.get());
    EXPECT_NE(prt, nullptr);
    obj.release();
    return std::unique_ptr<TPrtInf>(prt);
  }
  static QByteArray Record(TCommonObj &aObj) {
    TMemoryStream stream;
    aObj.SaveToStream(stream);
    return stream.Bytes();
  }
  std::unique_ptr<TPrtInf> Read(const QByteArray &aRecord) {
    std::unique_ptr<TPrtInf> prt = Make();
    TMemoryStream stream;
    stream.SetBytes(aRecord);
    prt->LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), aRecord.size());
    return prt;
  }

  TPrintSpecRecord spec_;
};

// The 46-byte settings record of spec_.
const QByteArray kSpecBytes = QByteArray::fromHex("01000000 02000000 03000000"
                                                  "00002041 0000a040 00002041"
                                                  "0000f040 00002040 0000f040"
                                                  "01000000 04000000 01 00");

TEST_F(PrintInfoObjTest, SettingsFollowTheOptionsAndReadBack) {
  std::unique_ptr<TPrtInf> fresh = Make();
  EXPECT_EQ(fresh->ObjInfo().FormType, TFormType({otLine, otSurface, otBoth, otSystem}));
  EXPECT_EQ(fresh->Points(), 12);
  const QByteArray bare = Record(*fresh);
  EXPECT_FALSE(Read(bare)->PageSetDone());

  fresh->SetSpec(spec_);
  const QByteArray record = Record(*fresh);
  ASSERT_EQ(record.size(), bare.size() + TPrintSpecRecord::kSize);
  EXPECT_EQ(record.right(TPrintSpecRecord::kSize).toHex(), kSpecBytes.toHex());

  std::unique_ptr<TPrtInf> back = Read(record);
  EXPECT_TRUE(back->PageSetDone());
  EXPECT_TRUE(back->Data(QStringLiteral("頁設定済"), {}));
  ASSERT_TRUE(back->Spec().has_value());
  EXPECT_EQ(*back->Spec(), spec_);
  EXPECT_EQ(Record(*back), record);
}

TEST_F(PrintInfoObjTest, OlderRecordIsReadAndWrittenBackInTheCurrentForm) {
  std::unique_ptr<TPrtInf> fresh = Make();
  QByteArray record = Record(*fresh);
  // Version 2.1 (below 2.2): the lengths are Doubles, and one spare byte
  // may follow.
  const float old = 2.1f;
  record.replace(4, 4, QByteArray(reinterpret_cast<const char *>(&old), 4));
  QByteArray oldSpec = QByteArray::fromHex("01000000 02000000 03000000");
  for (double v : {10.0, 5.0, 10.0, 7.5, 2.5, 7.5})
    oldSpec.append(reinterpret_cast<const char *>(&v), 8);
  oldSpec.append(QByteArray::fromHex("01000000 04000000 01 00 ff"));
  record.append(oldSpec);
  const int32_t size = int32_t(record.size() - 4);
  record.replace(0, 4, QByteArray(reinterpret_cast<const char *>(&size), 4));

  std::unique_ptr<TPrtInf> back = Read(record);
  ASSERT_TRUE(back->Spec().has_value());
  EXPECT_EQ(*back->Spec(), spec_);
  const QByteArray again = Record(*back);
  EXPECT_EQ(again.right(TPrintSpecRecord::kSize).toHex(), kSpecBytes.toHex());

  // A settings record cut short is not taken.
  QByteArray cut = Record(*fresh);
  cut.append(kSpecBytes.left(20));
  const int32_t cutSize = int32_t(cut.size() - 4);
  cut.replace(0, 4, QByteArray(reinterpret_cast<const char *>(&cutSize), 4));
  EXPECT_FALSE(Read(cut)->PageSetDone());
}

} // namespace
} // namespace lumora::test

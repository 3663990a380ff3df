// The class registry: choice of class by kind name and mode, creation by
// name, the making context's object from a record, the palette order.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/drawable/DummyDrawObj.h"
#include "core/model/NullObj.h"
#include "core/stream/MetaStream.h"
#include "tests/core/model/ModelTestClasses.h"

namespace lumora::test {
namespace {

class ClassRegistryTest : public ModelTest {
protected:
  // The record of an object of the given kind, as a stream at position 0.
  void RecordOf(const QString &aKind, TMetaStream &aStream, const QString &aText = QString()) {
    std::unique_ptr<TTestFigure> figure = Figure(QStringLiteral("src"), Square(0, 0, 10));
    figure->Param.ObjName = aKind;
    figure->Param.Text = aText;
    figure->SaveToStream(aStream);
    aStream.SetPosition(0);
  }
};

TEST_F(ClassRegistryTest, ChoosesTheClassOfTheKindForTheMode) {
  struct Case {
    const char16_t *kind;
    TSysMode mode;
    const TObjClass *expected; // null: no class
  };
  const Case cases[] = {
      {u"テスト対", smAuthor, &ObjClassOf<TTestPairA>()},
      {u"テスト対", smExec, &ObjClassOf<TTestPairE>()},
      {u"テスト両方", smExec, &ObjClassOf<TTestBoth>()},     // otBoth in its form type
      {u"テスト図形", smAuthor, &ObjClassOf<TTestFigure>()}, // neither author nor exec
      {u"テスト図形", smExec, &ObjClassOf<TTestFigure>()},
      {u"テスト基準線", smAuthor, &ObjClassOf<TTestGuide>()},
      {u"テスト基準線", smExec, nullptr}, // author only
      {u"ﾃｽﾄ図形", smAuthor, nullptr},    // width matters
      {u"未登録", smAuthor, nullptr},
      {u"", smAuthor, nullptr},
  };
  for (const Case &c : cases) {
    const QString kind = QString::fromUtf16(c.kind);
    SCOPED_TRACE(kind.toStdString());
    Info().SysMode = c.mode;
    const TObjInfo info = ObjClassList().GetInfo(kind);
    EXPECT_EQ(info.ObjClass, c.expected);
    std::unique_ptr<TCommonObj> obj = ObjClassList().CreateObject(kind);
    if (c.expected) {
      ASSERT_TRUE(obj);
      EXPECT_EQ(&obj->ClassType(), c.expected);
    } else {
      EXPECT_TRUE(info.Name.isEmpty());
      EXPECT_FALSE(obj);
    }
  }
}

TEST_F(ClassRegistryTest, AskingForBothTakesTheFirstClassOfTheKind) {
  EXPECT_EQ(ObjClassList().GetObjClass(QStringLiteral("テスト対"), otBoth),
            &ObjClassOf<TTestPairA>());
  EXPECT_EQ(ObjClassList().GetObjClass(QStringLiteral("テスト対"), otExec),
            &ObjClassOf<TTestPairE>());
}

TEST_F(ClassRegistryTest, AuthorObjectIgnoresTheMode) {
  Info().SysMode = smExec;
  std::unique_ptr<TCommonObj> obj = ObjClassList().AuthorObject(QStringLiteral("テスト基準線"));
  ASSERT_TRUE(obj);
  EXPECT_EQ(&obj->ClassType(), &ObjClassOf<TTestGuide>());
  EXPECT_FALSE(ObjClassList().CreateObject(QStringLiteral("テスト基準線")));
}

TEST_F(ClassRegistryTest, CreatedObjectHasFreshIdAndDefaultName) {
  std::unique_ptr<TCommonObj> a = ObjClassList().CreateObject(QStringLiteral("テスト図形"));
  std::unique_ptr<TCommonObj> b = ObjClassList().CreateObject(QStringLiteral("テスト図形"));
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->Id(), clock_ * 62);
  EXPECT_EQ(b->Id(), clock_ * 62 + 1);
  EXPECT_EQ(a->Name, QStringLiteral("テスト図形[") + TMakeInfo2::TNameParent::IdToText(a->Id()) +
                         QLatin1Char(']'));
  // A class whose maker is missing (the null object) is named all the same.
  std::unique_ptr<TCommonObj> null = ObjClassList().CreateObject(QStringLiteral("空OBJ"));
  ASSERT_TRUE(null);
  EXPECT_EQ(null->Name, QStringLiteral("空OBJ[") + TMakeInfo2::TNameParent::IdToText(null->Id()) +
                            QLatin1Char(']'));
}

TEST_F(ClassRegistryTest, ClassDescriptorsKnowTheirParentsAndWhetherTheyCanBeMade) {
  const TObjClass &figure = ObjClassOf<TTestPairA>();
  EXPECT_TRUE(figure.InheritsFrom(ObjClassOf<TRepreLeaf>()));
  EXPECT_TRUE(figure.InheritsFrom(ObjClassOf<TCommonObj>()));
  EXPECT_FALSE(figure.InheritsFrom(ObjClassOf<TCustomCompo>()));
  EXPECT_EQ(figure.ClassParent(), &ObjClassOf<TTestFigure>());
  EXPECT_STREQ(figure.ClassName(), "TTestPairA");
  EXPECT_TRUE(ObjClassOf<TRepreLeaf>().IsAbstract());
  EXPECT_FALSE(ObjClassOf<TRepreLeaf>().Create());
  EXPECT_EQ(figure.GetObjInfo().ObjClass, &figure);
  // The composite's kind name comes from its class's catalogue record.
  std::unique_ptr<TTestPage> page = Page();
  EXPECT_EQ(page->Param.ObjName, QStringLiteral("テスト頁"));
}

TEST_F(ClassRegistryTest, RecordMakesObjectOfItsKindAndTellsItTheFileName) {
  TMetaStream stream;
  RecordOf(QStringLiteral("テスト対"), stream, QStringLiteral("file.wav"));
  Info().SysMode = smExec;
  std::unique_ptr<TCommonObj> obj = Info().LoadFromStream(stream);
  ASSERT_TRUE(obj);
  EXPECT_EQ(&obj->ClassType(), &ObjClassOf<TTestPairE>());
  EXPECT_EQ(static_cast<TTestFigure *>(obj.get())->DataLog,
            QStringList{QStringLiteral("ファイル名=file.wav")});
  EXPECT_EQ(stream.Position(), 4); // behind the size field
  stream.Seek(0, TSeekOrigin::soEnd);
  EXPECT_FALSE(Info().LoadFromStream(stream)); // at the end: none
}

TEST_F(ClassRegistryTest, KindOfNoClassOfTheModeLoadsAsPlaceholder) {
  for (const char16_t *kind : {u"テスト基準線", u"未登録の種類", u"テスト例外"}) {
    const QString name = QString::fromUtf16(kind);
    SCOPED_TRACE(name.toStdString());
    TMetaStream stream;
    RecordOf(name, stream, QStringLiteral("stored text"));
    Info().SysMode = smExec;
    std::unique_ptr<TCommonObj> obj = Info().LoadFromStream(stream);
    ASSERT_TRUE(obj);
    EXPECT_EQ(&obj->ClassType(), &ObjClassOf<TDummyDrawObj>());
    EXPECT_EQ(obj->Param.ObjName, QStringLiteral("仮オブジェクト"));
    EXPECT_EQ(obj->Param.Text, name);
    EXPECT_EQ(obj->Param.Width, 1); // the rest of the stored parameters
    EXPECT_EQ(obj->Param.FaceColor, clWhite);
    EXPECT_EQ(stream.Position(), 4);
  }
}

TEST_F(ClassRegistryTest, OldLauncherKindLoadsAsItsSuccessor) {
  const QString old = QStringLiteral("ACTスターター");
  EXPECT_EQ(ObjClassList().GetInfo(old).ObjClass, &ObjClassOf<TTestLaunch>());
  EXPECT_FALSE(ObjClassList().CreateObject(old));
  TMetaStream stream;
  RecordOf(old, stream);
  std::unique_ptr<TCommonObj> obj = Info().LoadFromStream(stream);
  ASSERT_TRUE(obj);
  EXPECT_EQ(&obj->ClassType(), &ObjClassOf<TTestLaunch>());
}

TEST_F(ClassRegistryTest, RecordTooShortForItsHeaderRaisesBehindTheSizeField) {
  TMetaStream stream;
  stream.WriteBuffer(int32_t(2));
  stream.WriteBuffer(uint16_t(0xCCCD));
  stream.SetPosition(0);
  EXPECT_THROW(Info().LoadFromStream(stream), EReadError);
  EXPECT_EQ(stream.Position(), 4);
}

TEST_F(ClassRegistryTest, PaletteOrderIsStableByCatalogueNumber) {
  // Registration order: 空OBJ -1, 仮オブジェクト -1, テスト図形 100, the pairs
  // and others 100, ..., テスト頁 -1, テストグループ 200.
  ObjClassList().LoadPaletteIdx(QStringLiteral("[図形]\n"
                                               "テスト図形=9999\n"
                                               "テスト頁=1\n"
                                               "自在曲線=5\n"
                                               "; comment\n"));
  QStringList order;
  for (int i = 0; i < ObjClassList().Count(); ++i)
    order << QString::fromLatin1(ObjClassList().Items(i).ClassName());
  EXPECT_EQ(order,
            QStringList({"TNullObj", "TDummyDrawObj", "TTestPage", "TTestFigure", "TTestPairA",
                         "TTestPairE", "TTestBoth", "TTestGuide", "TTestLaunch", "THexLeaf",
                         "TTestBroken", "TTestGroup", "TTestAction"}));
}

TEST_F(ClassRegistryTest, PaletteListIsWrittenBySectionInRegistryOrder) {
  const QString text = ObjClassList().PaletteListText();
  EXPECT_TRUE(text.startsWith(QStringLiteral("[ダミー]\n空OBJ=-1\n仮オブジェクト=-1\n\n[テスト]\n"
                                             "テスト図形=100\nテスト対=100\n")))
      << text.toStdString();
  EXPECT_EQ(text.count(QStringLiteral("テスト対=")), 1); // one key per kind and section

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString old = QDir::currentPath();
  QDir::setCurrent(dir.path());
  ObjClassList().SavePaletteList();
  QDir::setCurrent(old);
  QFile file(dir.filePath(QStringLiteral("パレット.ini")));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(file.readAll()), text);
}

TEST_F(ClassRegistryTest, ContextStartsCleanAndRaisesWhenNotStarted) {
  EXPECT_EQ(ObjClassList().Count(), 13);
  Info().SysMode = smExec;
  TCoreContext::Start();
  EXPECT_EQ(ObjClassList().Count(), 0);
  EXPECT_EQ(Info().SysMode, smAuthor);
  TCoreContext::Reset();
  EXPECT_FALSE(TCoreContext::Started());
  EXPECT_THROW(ObjClassList(), Exception);
}

} // namespace
} // namespace lumora::test

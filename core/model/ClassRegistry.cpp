#include "core/model/ClassRegistry.h"

#include <QDir>
#include <QSaveFile>
#include <algorithm>
#include <atomic>

#include "core/model/CommonObj.h"
#include "core/model/CoreContext.h"
#include "platform/system/Exception.h"

namespace lumora {

TObjClass::TObjClass(const char *className, const TObjInfo &info, TFactory factory,
                     const TObjClass *parent)
    : className_(className), info_(info), factory_(factory), parent_(parent) {
  info_.ObjClass = this;
}

bool TObjClass::InheritsFrom(const TObjClass &other) const {
  for (const TObjClass *c = this; c; c = c->parent_)
    if (c == &other) return true;
  return false;
}

std::unique_ptr<TCommonObj> TObjClass::Create() const {
  return factory_ ? factory_() : nullptr;
}

uint64_t TObjClassList::NextGeneration() {
  static std::atomic<uint64_t> next{0};
  return ++next;
}

void TObjClassList::Add(const TObjClass &aObjClass) {
  classes_.push_back(&aObjClass);
  generation_ = NextGeneration();
}

const TObjClass *TObjClassList::GetObjClass(const QString &aName, TObjType aObjType) const {
  if (aName.isEmpty()) return nullptr;
  for (const TObjClass *c : classes_) {
    const TObjInfo &info = c->GetObjInfo();
    if (info.Name != aName) continue;
    const TFormType form = info.FormType;
    if (aObjType == otBoth || form.Contains(aObjType) || form.Contains(otBoth) ||
        (!form.Contains(otAuthor) && !form.Contains(otExec)))
      return c;
  }
  return nullptr;
}

TObjInfo TObjClassList::GetInfo(const QString &aName) const {
  const TObjClass *c = ClassOf(aName);
  return c ? c->GetObjInfo() : TObjInfo();
}

const TObjClass *TObjClassList::ClassOf(const QString &aName) const {
  const TObjType type = TMakeInfo2::Get().SysMode == smExec ? otExec : otAuthor;
  // The objects of a page are mostly of a few kinds, often in runs: the
  // last look-up of each thread is remembered for the list's state.
  struct TLast {
    uint64_t generation = 0;
    TObjType type = otNon;
    QString name;
    const TObjClass *found = nullptr;
  };
  thread_local TLast last;
  if (last.generation == generation_ && last.type == type && last.name == aName) return last.found;
  const QString name =
      aName == QStringLiteral("ACTスターター") ? QStringLiteral("ACTローンチ") : aName;
  const TObjClass *found = GetObjClass(name, type);
  last = {generation_, type, aName, found};
  return found;
}

std::unique_ptr<TCommonObj> TObjClassList::Make(const TObjClass *aClass) const {
  if (!aClass) return nullptr;
  std::unique_ptr<TCommonObj> obj = aClass->Create();
  if (obj) obj->Name = obj->CreateName(false);
  return obj;
}

std::unique_ptr<TCommonObj> TObjClassList::CreateObject(const QString &aClass) const {
  const TObjType type = TMakeInfo2::Get().SysMode == smExec ? otExec : otAuthor;
  return Make(GetObjClass(aClass, type));
}

std::unique_ptr<TCommonObj> TObjClassList::AuthorObject(const QString &aClass) const {
  return Make(GetObjClass(aClass, otAuthor));
}

void TObjClassList::LoadPaletteIdx(const QString &aIniText) {
  // The text names kinds by section with palette numbers; its keys are
  // looked up, but the order comes from the catalogue records alone.
  for (QString line : aIniText.split(QLatin1Char('\n'))) {
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('[')))
      continue;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0) continue;
    GetInfo(line.left(eq).trimmed()); // unknown kinds are passed over
  }
  std::stable_sort(classes_.begin(), classes_.end(), [](const TObjClass *a, const TObjClass *b) {
    return a->GetObjInfo().IndexNo < b->GetObjInfo().IndexNo;
  });
  generation_ = NextGeneration();
}

QString TObjClassList::PaletteListText() const {
  struct Section {
    QString name;
    std::vector<std::pair<QString, int32_t>> keys;
  };
  std::vector<Section> sections;
  for (const TObjClass *c : classes_) {
    const TObjInfo &info = c->GetObjInfo();
    auto s = std::find_if(sections.begin(), sections.end(),
                          [&](const Section &x) { return x.name == info.ClassName; });
    if (s == sections.end()) s = sections.insert(sections.end(), Section{info.ClassName, {}});
    auto k = std::find_if(s->keys.begin(), s->keys.end(),
                          [&](const auto &x) { return x.first == info.Name; });
    if (k == s->keys.end())
      s->keys.emplace_back(info.Name, info.IndexNo);
    else
      k->second = info.IndexNo;
  }
  QString text;
  for (const Section &s : sections) {
    text += QLatin1Char('[') + s.name + QStringLiteral("]\n");
    for (const auto &[key, value] : s.keys)
      text += key + QLatin1Char('=') + QString::number(value) + QLatin1Char('\n');
    text += QLatin1Char('\n');
  }
  return text;
}

void TObjClassList::SavePaletteList() const {
  const QString fileName = QDir::current().filePath(QStringLiteral("パレット.ini"));
  const QByteArray bytes = PaletteListText().toUtf8();
  QSaveFile file(fileName);
  // QSaveFile::commit() can report success after a failed write, so every
  // write and the flush are checked before committing.
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
    file.cancelWriting();
    throw Exception(QStringLiteral("ファイルへ書けません") + QStringLiteral(" (") + fileName +
                    QLatin1Char(')'));
  }
  if (!file.commit())
    throw Exception(QStringLiteral("ファイルへ書けません") + QStringLiteral(" (") + fileName +
                    QLatin1Char(')'));
}

} // namespace lumora

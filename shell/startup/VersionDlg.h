#pragma once
// The version dialog: a background picture with the maker, the product
// name and the versions written over it in white, and the credits.
#include <QDialog>
#include <QImage>
#include <QString>
#include <array>

namespace lumora {

// The standard string keys of a version resource, in their usual order.
enum TVerResourceKey {
  vrComments,
  vrCompanyName,
  vrFileDescription,
  vrFileVersion,
  vrInternalName,
  vrLegalCopyright,
  vrLegalTrademarks,
  vrOriginalFilename,
  vrPrivateBuild,
  vrProductName,
  vrProductVersion,
  vrSpecialBuild,
};
inline constexpr int kVerResourceKeyCount = 12;
// The key names, indexed by TVerResourceKey.
extern const std::array<const char *, kVerResourceKeyCount> kVerResourceKeyNames;

class TCustomVersionDlg : public QDialog {
  Q_OBJECT
public:
  explicit TCustomVersionDlg(QWidget *aParent = nullptr);
  ~TCustomVersionDlg() override;

  // The value of one key of the program's version information, at most 255
  // characters; empty for a key the program does not set. On this system
  // the version information is what the program sets on its application
  // object at start-up (name, organisation, version), so there is no
  // translation table that could be missing.
  static QString GetVersionInfo(TVerResourceKey KeyWord);

  // The product title shown as the product name (the application's display
  // name until the command module sets its own).
  QString ProductTitle;

  QString Comments, CompanyName, FileDescription, FileVersion, InternalName, LegalCopyright,
      LegalTrademarks, OriginalFilename, PrivateBuild, ProductName, ProductVersion, SpecialBuild;

protected:
  void showEvent(QShowEvent *aEvent) override;
  void paintEvent(QPaintEvent *aEvent) override;
  void FormShow();
  // Paints the background and the lines of the version information.
  void PaintVersion(QPainter &aPainter);

  QImage BackImage;
  int TopPos = 0;
  int LSpace2 = 0;
  int LSpace1 = 0;
};

class TVersionDlg : public TCustomVersionDlg {
  Q_OBJECT
public:
  using TCustomVersionDlg::TCustomVersionDlg;

protected:
  void paintEvent(QPaintEvent *aEvent) override;
};

} // namespace lumora

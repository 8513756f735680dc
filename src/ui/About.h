// The About box: the program's icon, its name in a title font that shrinks
// until the name fits, and its version.
#pragma once

#include <QDialog>
#include <QFont>

class QLabel;
class QPushButton;

class TAboutForm : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutForm(QWidget* owner, const QString& programName = QStringLiteral("Tovi LUT Converter"));

  // Arial, 27 pixels, bold and underlined, lowered one point at a time until
  // the text is narrower than 261 and lower than 36 pixels.
  static QFont TitleFontFor(const QString& text);

  QLabel* imgIcon;
  QLabel* lblTitle;
  QLabel* lblVersion;
  QPushButton* btnClose;

 protected:
  void showEvent(QShowEvent* event) override;
};

// What the desktop program remembers between runs, in its QSettings: the
// folders last used, the conversion's output choice, the main window's size
// and place, where the splitter between list and preview stands, whether the
// preview is shown and the picture it shows. With nothing stored yet the
// program starts as it always did.
#pragma once

#include <QByteArray>
#include <QString>

#include "ui/OptionControls.h"
#include "ui/PreviewSplitter.h"

class QSettings;

struct TRemembered {
  QString AddFolder;      // "Add LUTs"
  QString PreviewFolder;  // the preview picture
  QString OutputFolder;   // conversion, merge and ICC to LUT
  QString ProfileFolder;  // ICC profiles
  TOutputChoice Output;   // the conversion dialog
  QByteArray Geometry;    // QWidget::saveGeometry
  double PreviewShare = TPreviewSplitter::FirstShare;  // the splitter's place
  bool PreviewShown = true;
  QString PreviewPicture;  // empty: the built-in photograph
  bool operator==(const TRemembered&) const = default;
};

TRemembered ReadRemembered(QSettings& settings);
void WriteRemembered(QSettings& settings, const TRemembered& remembered);

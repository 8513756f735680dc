#include "ui/Settings.h"

#include <QSettings>

TRemembered ReadRemembered(QSettings& s) {
  TRemembered r;
  r.AddFolder = s.value(QStringLiteral("folders/add")).toString();
  r.PreviewFolder = s.value(QStringLiteral("folders/preview")).toString();
  r.OutputFolder = s.value(QStringLiteral("folders/output")).toString();
  r.ProfileFolder = s.value(QStringLiteral("folders/iccProfiles")).toString();
  r.Output.Profile = s.value(QStringLiteral("convert/profile")).toString();
  r.Output.Size = s.value(QStringLiteral("convert/size"), r.Output.Size).toString();
  r.Output.BitsPosition = s.value(QStringLiteral("convert/bits"), 0).toInt();
  r.Geometry = s.value(QStringLiteral("window/geometry")).toByteArray();
  r.PreviewShare = s.value(QStringLiteral("window/previewShare"), r.PreviewShare).toDouble();
  r.PreviewShown = s.value(QStringLiteral("window/previewShown"), true).toBool();
  r.PreviewPicture = s.value(QStringLiteral("preview/picture")).toString();
  return r;
}

void WriteRemembered(QSettings& s, const TRemembered& r) {
  s.setValue(QStringLiteral("folders/add"), r.AddFolder);
  s.setValue(QStringLiteral("folders/preview"), r.PreviewFolder);
  s.setValue(QStringLiteral("folders/output"), r.OutputFolder);
  s.setValue(QStringLiteral("folders/iccProfiles"), r.ProfileFolder);
  s.setValue(QStringLiteral("convert/profile"), r.Output.Profile);
  s.setValue(QStringLiteral("convert/size"), r.Output.Size);
  s.setValue(QStringLiteral("convert/bits"), r.Output.BitsPosition);
  s.setValue(QStringLiteral("window/geometry"), r.Geometry);
  s.setValue(QStringLiteral("window/previewShare"), r.PreviewShare);
  s.setValue(QStringLiteral("window/previewShown"), r.PreviewShown);
  s.setValue(QStringLiteral("preview/picture"), r.PreviewPicture);
  s.sync();
}

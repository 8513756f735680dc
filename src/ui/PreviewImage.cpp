#include "ui/PreviewImage.h"

#include <QImageReader>
#include <stdexcept>

// PREVIEW SEAM: until the image library (bitmap, codecs, FitToBox,
// ApplyToBitmap) is on this branch, Qt decodes and scales the picture and the
// LUT is applied pixel by pixel through TLUT::ApplyToPixel. Replace the three
// bodies below with calls into src/image once it has landed.

static void InitResourcesOnce() { Q_INIT_RESOURCE(resources); }

void InitUiResources() {
  static const bool done = (InitResourcesOnce(), true);
  (void)done;
}

QImage BuiltInPreviewImage() {
  InitUiResources();
  return QImage(QStringLiteral(":/tovi/preview.jpg")).convertToFormat(QImage::Format_RGB888);
}

QImage LoadPreviewPicture(const std::filesystem::path& fileName) {
  QImageReader reader(QString::fromStdString(fileName.string()));
  QImage image = reader.read();
  if (image.isNull()) throw std::runtime_error(reader.errorString().toStdString());
  image = image.convertToFormat(QImage::Format_RGB888);
  if (image.width() > PictureBoxWidth || image.height() > PictureBoxHeight)
    image = image.scaled(PictureBoxWidth, PictureBoxHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  return image;
}

QImage ApplyLutToPicture(const TLUT& lut, const QImage& picture) {
  QImage result = picture.convertToFormat(QImage::Format_RGB888);
  for (int y = 0; y < result.height(); ++y) {
    uchar* p = result.scanLine(y);
    for (int x = 0; x < result.width(); ++x, p += 3) {
      const TLutPixel out = lut.ApplyToPixel({p[0], p[1], p[2], 8}, 8);
      p[0] = static_cast<uchar>(out.R);
      p[1] = static_cast<uchar>(out.G);
      p[2] = static_cast<uchar>(out.B);
    }
  }
  return result;
}

#include "ui/PreviewImage.h"

#include "image/ImageLib.h"
#include "image/Preview.h"

static void InitResourcesOnce() { Q_INIT_RESOURCE(resources); }

void InitUiResources() {
  static const bool done = (InitResourcesOnce(), true);
  (void)done;
}

namespace {

// Qt keeps red, green, blue in memory; the library's bitmap blue, green, red.
TBitmap ToBitmap(const QImage& picture) {
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
  TBitmap bitmap(rgb.width(), rgb.height());
  for (int y = 0; y < rgb.height(); ++y) {
    const uchar* in = rgb.constScanLine(y);
    std::uint8_t* out = bitmap.Row(y);
    for (int x = 0; x < rgb.width(); ++x, in += 3, out += 3) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
  }
  return bitmap;
}

QImage ToImage(const TBitmap& bitmap) {
  QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB888);
  for (int y = 0; y < bitmap.Height(); ++y) {
    const std::uint8_t* in = bitmap.Row(y);
    uchar* out = image.scanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x, in += 3, out += 3) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
  }
  return image;
}

}  // namespace

QImage BuiltInPreviewImage() {
  InitUiResources();
  return QImage(QStringLiteral(":/tovi/preview.jpg")).convertToFormat(QImage::Format_RGB888);
}

QImage LoadPreviewPicture(const std::filesystem::path& fileName) {
  constexpr int scale = 3;
  TBitmap bitmap;
  DecodeImageFile(fileName, bitmap);
  FitToBox(bitmap, scale * PictureBoxWidth, scale * PictureBoxHeight);
  return ToImage(bitmap);
}

QString PreviewPicturesFilter() {
  return QStringLiteral(
      "Pictures (*.bmp *.jpg *.jpeg *.tif *.tiff *.png *.exr *.dpx *.cin *.tga *.webp *.gif *.hdr "
      "*.psd *.jp2 *.j2k *.ppm *.pgm *.pnm *.sgi *.rgb *.iff *.ico);;All Files (*)");
}

QImage ApplyLutToPicture(const TLUT& lut, const QImage& picture) {
  TBitmap bitmap = ToBitmap(picture);
  ApplyToBitmap(lut, bitmap);
  return ToImage(bitmap);
}

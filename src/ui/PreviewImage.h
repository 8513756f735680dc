// The pictures of the preview pane as Qt shows them. The picture work itself
// (decoding, reducing to the box, passing through the LUT) belongs to the
// image library; this unit only hands pictures between it and Qt.
#pragma once

#include <QImage>
#include <filesystem>

#include "core/LUT.h"

constexpr int PictureBoxWidth = 210;
constexpr int PictureBoxHeight = 169;

// Registers the embedded pictures and icon (the widgets live in a static
// library, whose resources are not registered by themselves).
void InitUiResources();
// The built-in photograph shown until the user loads another.
QImage BuiltInPreviewImage();
// Any picture the codecs read, whatever its extension, reduced to fit three
// times the picture box (so a grown preview still shows it sharp); decoding
// errors raise.
QImage LoadPreviewPicture(const std::filesystem::path& fileName);
// The file filter of the picture chooser.
QString PreviewPicturesFilter();
// The picture passed through the LUT, every pixel at 8 bits in and out.
QImage ApplyLutToPicture(const TLUT& lut, const QImage& picture);

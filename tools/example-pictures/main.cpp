// SPDX-License-Identifier: MIT
// quill-example-pictures DIR: draws the two pictures of the example presets
// into DIR. They are made from formulas, so every build makes the same ones.
//   hue-field.jpg       hue from left to right, brightness from the top down
//                       (for the HSV colour model: hue and brightness vary)
//   colour-corners.jpg  red grows to the right, green downwards, blue towards
//                       the middle (for the RGB colour model: all three vary)
#include <QColor>
#include <QDir>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

// Half the tablet area in each direction: the window stretches it smoothly.
constexpr int kWidth = 273;
constexpr int kHeight = 249;
constexpr int kQuality = 90;

QImage Draw(const std::function<QColor(double x, double y)>& colourAt) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      image.setPixelColor(x, y, colourAt(double(x) / (kWidth - 1), double(y) / (kHeight - 1)));
    }
  }
  return image;
}

QColor HueField(double x, double y) {
  // Brightness falls from full at the top to a third at the bottom.
  return QColor::fromHsvF(std::min(x, 0.999), 1.0, 1.0 - y * 2.0 / 3.0);
}

QColor ColourCorners(double x, double y) {
  const double fromMiddle = std::hypot(x - 0.5, y - 0.5) / std::hypot(0.5, 0.5);
  return QColor::fromRgbF(x, y, 1.0 - fromMiddle);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quill-example-pictures DIR\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(folder) || !Draw(HueField).save(folder + QStringLiteral("/hue-field.jpg"), "JPG", kQuality) ||
      !Draw(ColourCorners).save(folder + QStringLiteral("/colour-corners.jpg"), "JPG", kQuality)) {
    std::fprintf(stderr, "quill-example-pictures: cannot write the pictures into %s\n", argv[1]);
    return 1;
  }
  return 0;
}

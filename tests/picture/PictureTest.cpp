// SPDX-License-Identifier: MIT
// Decoding pictures the test draws itself, and sampling them under the pen.
#include <gtest/gtest.h>

#include <QImage>
#include <QImageWriter>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include "picture/ColorSampling.h"
#include "picture/Picture.h"

namespace fs = std::filesystem;

namespace {

constexpr QRgb kTopLeft = qRgb(250, 10, 10);
constexpr QRgb kTopRight = qRgb(10, 240, 20);
constexpr QRgb kBottomLeft = qRgb(20, 30, 230);
constexpr QRgb kBottomRight = qRgb(240, 240, 60);

class PictureTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quill-picture-" + std::to_string(::getpid()) + "-" +
                                        testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

  // A 40 × 30 picture whose four quadrants have the corner colours, so that a
  // lossy encoder keeps the corners close to them.
  static QImage Quadrants(QImage::Format format = QImage::Format_RGB32) {
    QImage image(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 40; ++x) {
        image.setPixel(x, y, y < 15 ? (x < 20 ? kTopLeft : kTopRight) : (x < 20 ? kBottomLeft : kBottomRight));
      }
    }
    return image.convertToFormat(format);
  }

  std::string Save(const QImage& image, const std::string& name, const char* format) {
    const std::string path = PathOf(name);
    EXPECT_TRUE(image.save(QString::fromStdString(path), format)) << name;
    return path;
  }

  std::string SaveProgressiveJpeg(const QImage& image, const std::string& name) {
    const std::string path = PathOf(name);
    QImageWriter writer(QString::fromStdString(path), "JPEG");
    writer.setProgressiveScanWrite(true);
    writer.setOptimizedWrite(true);
    EXPECT_TRUE(writer.write(image)) << name;
    return path;
  }

  void WriteBytes(const std::string& name, const std::string& bytes) {
    std::ofstream(PathOf(name), std::ios::binary) << bytes;
  }

  fs::path dir_;
};

// The corners seen by the pen at (0, 0), (1, 0), (0, 1) and (1, 1).
void ExpectCorners(const Picture& picture, int tolerance, const std::string& what) {
  const struct {
    float nx, ny;
    QRgb colour;
  } corners[] = {{0, 0, kTopLeft}, {1, 0, kTopRight}, {0, 1, kBottomLeft}, {1, 1, kBottomRight}};
  for (const auto& corner : corners) {
    const auto rgb = SampleColor(picture, corner.nx, corner.ny, 0);
    EXPECT_NEAR(rgb[0], qRed(corner.colour) / 2, tolerance) << what << " at " << corner.nx << "," << corner.ny;
    EXPECT_NEAR(rgb[1], qGreen(corner.colour) / 2, tolerance) << what << " at " << corner.nx << "," << corner.ny;
    EXPECT_NEAR(rgb[2], qBlue(corner.colour) / 2, tolerance) << what << " at " << corner.nx << "," << corner.ny;
  }
}

TEST_F(PictureTest, DecodesEveryPixelFormatToUprightRgb) {
  const struct {
    std::string name;
    const char* format;
    QImage image;
    int tolerance;
  } cases[] = {
      {"rgb.bmp", "BMP", Quadrants(), 0},
      {"palette.bmp", "BMP", Quadrants(QImage::Format_Indexed8), 0},
      {"alpha.png", "PNG", Quadrants(QImage::Format_ARGB32), 0},
      {"photo.jpg", "JPEG", Quadrants(), 6},
      {"named-wrongly.bmp", "PNG", Quadrants(), 0},  // decoded by content, not by name
  };
  for (const auto& test : cases) {
    Picture picture;
    ASSERT_TRUE(picture.Load(Save(test.image, test.name, test.format))) << test.name;
    EXPECT_EQ(picture.Width(), 40);
    EXPECT_EQ(picture.Height(), 30);
    ExpectCorners(picture, test.tolerance, test.name);
  }
  // Several scans, each followed by its own tables: the whole chain is read.
  Picture picture;
  ASSERT_TRUE(picture.Load(SaveProgressiveJpeg(Quadrants(), "progressive.jpg")));
  ExpectCorners(picture, 6, "progressive.jpg");
}

TEST_F(PictureTest, OnePixelPictureIsSampledEverywhereEvenOutsideTheTablet) {
  QImage dot(1, 1, QImage::Format_RGB32);
  dot.setPixel(0, 0, qRgb(255, 128, 0));
  for (const char* format : {"BMP", "JPEG"}) {
    Picture picture;
    ASSERT_TRUE(picture.Load(Save(dot, std::string("dot.") + format, format))) << format;
    const int tolerance = std::string(format) == "JPEG" ? 4 : 0;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float nx : {0.0f, 0.5f, 1.0f, -0.3f, 7.0f, nan, inf, -inf}) {
      const auto rgb = SampleColor(picture, nx, 1.0f - nx, 0);
      EXPECT_NEAR(rgb[0], 127, tolerance) << format << " " << nx;
      EXPECT_NEAR(rgb[1], 64, tolerance) << format << " " << nx;
      EXPECT_NEAR(rgb[2], 0, tolerance) << format << " " << nx;
    }
    if (std::string(format) == "BMP") {
      const auto hsv = SampleColor(picture, 0.2f, 0.9f, 1);
      EXPECT_EQ(hsv, (std::array<uint8_t, 3>{10, 127, 127}));
    }
  }
}

TEST_F(PictureTest, ColumnsAndRowsTruncate) {
  // Four columns: the pen at 0.49 is in column 1, at 0.5 in column 2.
  QImage strip(4, 1, QImage::Format_RGB32);
  for (int x = 0; x < 4; ++x) strip.setPixel(x, 0, qRgb(x * 60, 0, 0));
  Picture picture;
  ASSERT_TRUE(picture.Load(Save(strip, "strip.bmp", "BMP")));
  EXPECT_EQ(SampleColor(picture, 0.49f, 0, 0)[0], 30);
  EXPECT_EQ(SampleColor(picture, 0.5f, 0, 0)[0], 60);
  EXPECT_EQ(SampleColor(picture, 0.9999f, 0, 0)[0], 90);
}

TEST_F(PictureTest, FailedLoadKeepsThePreviousPicture) {
  const std::string good = Save(Quadrants(), "good.bmp", "BMP");
  std::ifstream in(good, std::ios::binary);
  const std::string bmp{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  WriteBytes("truncated.bmp", bmp.substr(0, bmp.size() - 1));
  std::ifstream jpegIn(Save(Quadrants(), "good.jpg", "JPEG"), std::ios::binary);
  const std::string jpeg{std::istreambuf_iterator<char>(jpegIn), std::istreambuf_iterator<char>()};
  WriteBytes("truncated.jpg", jpeg.substr(0, jpeg.size() * 9 / 10));
  WriteBytes("headless.jpg", jpeg.substr(0, 40));
  WriteBytes("text.jpg", "Quill configuration file\r\n");
  WriteBytes("empty.jpg", "");
  // A valid header of a 30000 × 30000 picture (900 megapixels) and no pixels.
  std::string huge = bmp.substr(0, 54);
  auto put32 = [&huge](size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) huge[at + i] = static_cast<char>(value >> (8 * i));
  };
  put32(18, 30000);
  put32(22, 30000);
  WriteBytes("huge.bmp", huge + std::string(4096, '\0'));
  fs::create_directory(dir_ / "folder.jpg");

  Picture picture;
  ASSERT_TRUE(picture.Load(good));
  const uint64_t generation = picture.Generation();
  for (const std::string name : {"truncated.bmp", "truncated.jpg", "headless.jpg", "text.jpg", "empty.jpg", "huge.bmp", "folder.jpg", "absent.jpg"}) {
    EXPECT_FALSE(picture.Load(PathOf(name))) << name;
    EXPECT_EQ(picture.Generation(), generation) << name;
    EXPECT_EQ(picture.Width(), 40) << name;
    ExpectCorners(picture, 0, name);
  }
  EXPECT_FALSE(picture.Load(""));
  WriteBytes("trailing.jpg", jpeg + "trailing bytes after the picture");
  EXPECT_TRUE(picture.Load(PathOf("trailing.jpg")));
  ExpectCorners(picture, 6, "trailing.jpg");

  picture.Free();
  EXPECT_TRUE(picture.IsEmpty());
  EXPECT_EQ(picture.Width(), 0);
  EXPECT_NE(picture.Generation(), generation);
  EXPECT_EQ(SampleColor(picture, 0.5f, 0.5f, 0), (std::array<uint8_t, 3>{0, 0, 0}));
}

TEST_F(PictureTest, PathsAreUsedByteForByte) {
  // A file name that is not valid UTF-8 still opens.
  const std::string name = "caf\xe9.bmp";
  std::ifstream in(Save(Quadrants(), "plain.bmp", "BMP"), std::ios::binary);
  WriteBytes(name, std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
  Picture picture;
  EXPECT_TRUE(picture.Load(PathOf(name)));
}

}  // namespace

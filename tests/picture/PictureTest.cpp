// SPDX-License-Identifier: MIT
// Decoding pictures the test draws itself, sampling them under the pen, and
// colours as hue, saturation and brightness.
#include <gtest/gtest.h>

#include <QImage>
#include <QImageWriter>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include "picture/ColorSampling.h"
#include "picture/Picture.h"
#include "picture/PictureBudget.h"

namespace fs = std::filesystem;

namespace {

constexpr QRgb kCorners[] = {qRgb(250, 10, 10), qRgb(10, 240, 20), qRgb(20, 30, 230), qRgb(240, 240, 60)};

class PictureTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
  std::string ReadBytes(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void WriteBytes(const std::string& name, const std::string& bytes) {
    std::ofstream(PathOf(name), std::ios::binary) << bytes;
  }
  // 40 × 30 in four one-colour quadrants, so a lossy encoder keeps the corners close.
  std::string SaveQuadrants(const std::string& name, const char* format, QImage::Format pixels = QImage::Format_RGB32,
                            bool progressive = false) {
    QImage image(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 40; ++x) image.setPixel(x, y, kCorners[(y < 15 ? 0 : 2) + (x < 20 ? 0 : 1)]);
    }
    QImageWriter writer(QString::fromStdString(PathOf(name)), format);
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image.convertToFormat(pixels))) << name;
    return PathOf(name);
  }
  const fs::path dir_ = fs::temp_directory_path() / ("quill-picture-" + std::to_string(::getpid()));
};

// The corners seen by the pen at (0, 0), (1, 0), (0, 1) and (1, 1), halved to 0..127.
void ExpectCorners(const Picture& picture, int tolerance, const std::string& what) {
  for (int i = 0; i < 4; ++i) {
    const auto rgb = SampleColor(picture, static_cast<float>(i % 2), static_cast<float>(i / 2), 0);
    EXPECT_NEAR(rgb[0], qRed(kCorners[i]) / 2, tolerance) << what << " corner " << i;
    EXPECT_NEAR(rgb[1], qGreen(kCorners[i]) / 2, tolerance) << what << " corner " << i;
    EXPECT_NEAR(rgb[2], qBlue(kCorners[i]) / 2, tolerance) << what << " corner " << i;
  }
}

TEST_F(PictureTest, DecodesEveryPixelFormatToUprightRgb) {
  const struct {
    std::string name;
    const char* format;
    QImage::Format pixels;
    bool progressive;
    int tolerance;
  } cases[] = {
      {"rgb.bmp", "BMP", QImage::Format_RGB32, false, 0},
      {"palette.bmp", "BMP", QImage::Format_Indexed8, false, 0},
      {"alpha.png", "PNG", QImage::Format_ARGB32, false, 0},
      {"photo.jpg", "JPEG", QImage::Format_RGB32, false, 6},
      {"progressive.jpg", "JPEG", QImage::Format_RGB32, true, 6},    // several scans, each with its tables
      {"named-wrongly.bmp", "PNG", QImage::Format_RGB32, false, 0},  // decoded by content, not by name
  };
  for (const auto& test : cases) {
    Picture picture;
    ASSERT_TRUE(picture.Load(SaveQuadrants(test.name, test.format, test.pixels, test.progressive))) << test.name;
    EXPECT_EQ(picture.Width(), 40);
    EXPECT_EQ(picture.Height(), 30);
    ExpectCorners(picture, test.tolerance, test.name);
  }
  // A file name that is not valid UTF-8 is used byte for byte.
  WriteBytes("caf\xe9.bmp", ReadBytes("rgb.bmp"));
  EXPECT_TRUE(Picture().Load(PathOf("caf\xe9.bmp")));
}

TEST_F(PictureTest, SamplingTruncatesAndClampsEvenOutsideTheTablet) {
  QImage strip(4, 1, QImage::Format_RGB32);  // four columns: 0.49 is in column 1, 0.5 in column 2
  for (int x = 0; x < 4; ++x) strip.setPixel(x, 0, qRgb(x * 60, 128, 0));
  Picture picture;
  ASSERT_TRUE(strip.save(QString::fromStdString(PathOf("strip.bmp")), "BMP"));
  ASSERT_TRUE(picture.Load(PathOf("strip.bmp")));
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const struct {
    float nx;
    uint8_t red;
  } cases[] = {{0, 0},     {0.49f, 30}, {0.5f, 60}, {0.9999f, 90}, {1, 90},
               {-0.3f, 0}, {7, 90},     {nan, 0},   {inf, 90},     {-inf, 0}};
  for (const auto& test : cases) {
    EXPECT_EQ(SampleColor(picture, test.nx, 1.0f - test.nx, 0), (std::array<uint8_t, 3>{test.red, 64, 0})) << test.nx;
  }
  const Hsv hsv = RgbToHsv(180, 128, 0);
  EXPECT_EQ(SampleColor(picture, 0.75f, 0, 1), (std::array<uint8_t, 3>{hsv.h, hsv.s, hsv.v}));
}

// A file that fails to decode keeps the previous picture: checked on every
// input by the picture fuzz target; here, what it cannot make.
TEST_F(PictureTest, FailedLoadKeepsThePreviousPicture) {
  const std::string good = SaveQuadrants("good.bmp", "BMP");
  const std::string bmp = ReadBytes("good.bmp");
  SaveQuadrants("good.jpg", "JPEG");
  const std::string jpeg = ReadBytes("good.jpg");
  std::string huge = bmp.substr(0, 54);  // a valid header of 30000 × 30000 pixels, and no pixels
  for (int i = 0; i < 4; ++i) huge[18 + i] = huge[22 + i] = static_cast<char>(30000 >> (8 * i));
  WriteBytes("huge.bmp", huge + std::string(4096, '\0'));
  fs::create_directory(dir_ / "folder.jpg");

  Picture picture;
  ASSERT_TRUE(picture.Load(good));
  const uint64_t generation = picture.Generation();
  for (const std::string name : {"huge.bmp", "folder.jpg", "absent.jpg", ""}) {
    EXPECT_FALSE(picture.Load(name.empty() ? name : PathOf(name))) << name;
    EXPECT_EQ(picture.Generation(), generation) << name;
    ExpectCorners(picture, 0, name);
  }
  WriteBytes("trailing.jpg", jpeg + "trailing bytes after the picture");
  EXPECT_TRUE(picture.Load(PathOf("trailing.jpg")));
  ExpectCorners(picture, 6, "trailing.jpg");

  picture.Free();
  EXPECT_TRUE(picture.IsEmpty());
  EXPECT_NE(picture.Generation(), generation);
  EXPECT_EQ(SampleColor(picture, 0.5f, 0.5f, 0), (std::array<uint8_t, 3>{0, 0, 0}));
}

// The conversion written out step by step, as plainly as possible: channels
// and spread in float, every later operation in double, each result truncated.
Hsv ReferenceHsv(int red, int green, int blue) {
  const float r = static_cast<float>(red) * 0.003921569f;
  const float g = static_cast<float>(green) * 0.003921569f;
  const float b = static_cast<float>(blue) * 0.003921569f;
  const float min = std::min({r, g, b});
  const float max = std::max({r, g, b});
  const float delta = max - min;
  double hue = 0, saturation = 0;
  if (max != 0 && delta != 0) {
    const double R = r, G = g, B = b, D = delta;
    saturation = D / max;
    if (r == max) {
      hue = (G - B) / D;
    } else if (g == max) {
      hue = (B - R) / D + 2;
    } else {
      hue = (R - G) / D + 4;
    }
    hue = hue * 60;
    if (hue < 0) hue = hue + 360;
    hue = hue * double{0.0027777778f};
  }
  return {static_cast<uint8_t>(std::trunc(hue * 127)), static_cast<uint8_t>(std::trunc(saturation * 127)),
          static_cast<uint8_t>(std::trunc(double{max} * 127))};
}

// A picture takes its share of the budget (three bytes a pixel) by the size
// its file declares, before anything is decoded, and gives it back with its
// pixels.
TEST_F(PictureTest, PicturesTakeTheirShareOfTheBudgetBeforeDecoding) {
  // 64 bytes that declare 10000 x 10000 run-length coded pixels, ending at
  // once: decoded, 300 MB.
  std::string rle = "BM";
  auto little = [&rle](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) rle += static_cast<char>(value >> (8 * i));
  };
  little(64, 4), little(0, 4), little(62, 4);                              // file size, reserved, pixel offset
  little(40, 4), little(10000, 4), little(10000, 4);                       // header size, width, height
  little(1, 2), little(8, 2), little(1, 4), little(2, 4);                  // planes, 8 bits, RLE8, 2 bytes of data
  little(2835, 4), little(2835, 4), little(2, 4), little(0, 4);            // resolution, two colours
  rle += std::string("\0\0\xff\0\xff\0\0\0", 8) + std::string("\0\1", 2);  // palette, end of picture
  ASSERT_EQ(rle.size(), 64u);
  WriteBytes("declared-huge.bmp", rle);
  const std::string quadrants = SaveQuadrants("quadrants.bmp", "BMP");  // 40 x 30: 3600 bytes

  const auto budget = PictureBudget::Create(7199);
  rusage before{}, after{};
  ::getrusage(RUSAGE_SELF, &before);
  Picture first, second;
  EXPECT_FALSE(first.Load(PathOf("declared-huge.bmp"), budget));
  ::getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 50 * 1024) << "kilobytes: the refused picture was decoded";
  EXPECT_EQ(budget->Used(), 0u);

  ASSERT_TRUE(first.Load(quadrants, budget));
  EXPECT_EQ(budget->Used(), 3600u);
  EXPECT_FALSE(second.Load(quadrants, budget)) << "7200 bytes do not fit in 7199";
  EXPECT_EQ(budget->Used(), 3600u);
  EXPECT_FALSE(first.Load(PathOf("absent.bmp"), budget));  // keeps its picture, and its share
  EXPECT_EQ(budget->Used(), 3600u);
  first.Free();
  ASSERT_TRUE(second.Load(quadrants, budget));
  first = std::move(second);
  EXPECT_EQ(budget->Used(), 3600u);
  { const Picture gone = std::move(first); }
  EXPECT_EQ(budget->Used(), 0u);
}

TEST(RgbToHsv, GivesTheTunedStepsAtTheNamedColours) {
  const struct {
    uint8_t r, g, b;
    Hsv hsv;
  } cases[] = {
      {255, 0, 0, {0, 127, 127}},    {0, 255, 0, {42, 127, 127}},    {0, 0, 255, {84, 127, 127}},
      {255, 255, 0, {21, 127, 127}}, {255, 0, 255, {105, 127, 127}}, {0, 255, 255, {63, 127, 127}},
      {128, 128, 128, {0, 0, 63}},   {255, 255, 255, {0, 0, 127}},   {0, 0, 0, {0, 0, 0}},
      {255, 128, 0, {10, 127, 127}}, {10, 20, 30, {74, 84, 14}},     {254, 255, 255, {63, 0, 127}},
      {0, 127, 22, {46, 127, 63}},   {0, 254, 152, {55, 127, 126}},  {48, 72, 127, {78, 78, 63}},
      {56, 127, 100, {55, 70, 63}},  // in single precision, hue or saturation would be one step off
      {255, 0, 1, {126, 127, 127}},  // hue just below a full turn stays below 127
  };
  for (const auto& c : cases)
    EXPECT_EQ(RgbToHsv(c.r, c.g, c.b), c.hsv) << int{c.r} << "," << int{c.g} << "," << int{c.b};
}

// A picture of 65,536 different colours swept pixel by pixel in HSV mode.
TEST_F(PictureTest, SweptPictureFollowsTheConversionStepsEverywhere) {
  QImage image(256, 256, QImage::Format_RGB32);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) image.setPixel(x, y, qRgb(x, y, x ^ y));
  }
  ASSERT_TRUE(image.save(QString::fromStdString(PathOf("sweep.png")), "PNG"));
  Picture picture;
  ASSERT_TRUE(picture.Load(PathOf("sweep.png")));
  int mismatches = 0;
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      const auto sampled = SampleColor(picture, (x + 0.5f) / 256, (y + 0.5f) / 256, 1);
      const Hsv hsv{sampled[0], sampled[1], sampled[2]}, expected = ReferenceHsv(x, y, x ^ y);
      ASSERT_LE(hsv.h, 126);
      if (hsv != expected && ++mismatches <= 10) {
        ADD_FAILURE() << x << "," << y << "," << (x ^ y) << " gives " << int{hsv.h} << " " << int{hsv.s} << " "
                      << int{hsv.v} << ", the steps " << int{expected.h} << " " << int{expected.s} << " "
                      << int{expected.v};
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace

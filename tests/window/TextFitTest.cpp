// SPDX-License-Identifier: MIT
// Every text of the main window fits its control, measured with the font and
// style in use. CTest runs these tests once more at twice the scale.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>
#include <map>
#include <memory>

#include "model/EngineDisplay.h"
#include "music/NoteNames.h"
#include "tests/window/WindowFakes.h"
#include "ui/controls/CSectionHeader.h"
#include "ui/controls/FittedComboBox.h"
#include "ui/controls/FittedLabel.h"
#include "ui/controls/PathButton.h"
#include "ui/window/CTabletMidiDlg.h"
#include "ui/window/ControlIds.h"

namespace {

using namespace ControlIds;

// The rectangle a style leaves for a control's text, worked out here from the
// style itself rather than taken from the control.
QRect TextRoom(QWidget* w) {
  if (auto* check = qobject_cast<QCheckBox*>(w)) {
    QStyleOptionButton option;
    option.initFrom(check);
    option.text = check->text();
    return w->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, w);
  }
  if (qobject_cast<QPushButton*>(w)) {
    QStyleOptionButton option;
    option.initFrom(w);
    return w->style()->subElementRect(QStyle::SE_PushButtonContents, &option, w);
  }
  if (qobject_cast<QComboBox*>(w)) {
    QStyleOptionComboBox option;
    option.initFrom(w);
    option.frame = true;
    return w->style()
        ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, w)
        .adjusted(1, 0, -1, 0);
  }
  if (auto* field = qobject_cast<QLineEdit*>(w)) {
    QStyleOptionFrame option;
    option.initFrom(field);
    option.lineWidth = w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, w);
    const QRect contents = w->style()->subElementRect(QStyle::SE_LineEditContents, &option, w);
    return contents.marginsRemoved(field->textMargins()).adjusted(2, 0, -2, 0);  // the field's own margin
  }
  return qobject_cast<QLabel*>(w) ? static_cast<QLabel*>(w)->contentsRect() : w->rect();
}

// Empty when `text` in `font` fits `room`, else what is wrong.
std::string Misfit(const QString& text, const QFont& font, QRect room, const QWidget* w) {
  const QFontMetrics metrics(font, w);
  const int width = metrics.horizontalAdvance(text);
  if (width <= room.width() && metrics.height() <= room.height()) return {};
  return "'" + text.toStdString() + "' needs " + std::to_string(width) + "x" + std::to_string(metrics.height()) +
         ", has " + std::to_string(room.width()) + "x" + std::to_string(room.height());
}

class TextFitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<CTabletMidiDlg>(midi, tablet, OrientationScaling::FromAxes(tablet.axes), FileLocations{},
                                              copyBuffer, &messages);
    window->OnInitDialog();
    window->show();
  }
  QString Id(QWidget* w) const { return w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName(); }

  FakeMidiOut midi{2};
  ScriptedTablet tablet;
  RecordingMessages messages;
  CopyBuffer copyBuffer;
  std::unique_ptr<CTabletMidiDlg> window;
};

// The template's texts, the section captions and the widest values the status
// and value labels show fit at the window's own font size.
TEST_F(TextFitTest, FixedTextsAndValuesFitWhole) {
  QStringList noteNames;
  for (int note = 0; note < 128; ++note)
    noteNames << QString::fromStdString(FormatNoteName(static_cast<uint8_t>(note)));
  const QString degree = QString(QChar(0x00B0));
  std::map<int, QStringList> values = {
      {DisplayId::kToolName, {"Pressure Stylus", "Eraser", "Puck"}},
      {kPressure, {"1023"}},
      {kTilt, {"-90" + degree, "90" + degree}},
      {kAngle, {"359" + degree}},
      {kPenX, {"7679"}},
      {kPenY, {"4319"}},
      {DisplayId::kPacketCounter, {"9999999"}},
      {DisplayId::kNoteName, noteNames},
      {kMinNoteName, noteNames},
      {kMaxNoteName, noteNames},
      {1077, {"Red", "Color"}},
      {1079, {"Green", "Saturation"}},
      {1081, {"Blue", "Brightness"}},
  };
  for (int id : DisplayId::kValue) values[id] = {"127"};
  int measured = 0;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (w->parentWidget() != window.get() || w->objectName() == "1004") continue;  // the device: below
    QStringList texts;
    if (auto found = values.find(w->objectName().toInt()); found != values.end()) {
      texts = found->second;
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
      texts << label->text();
    } else if (auto* field = qobject_cast<QLineEdit*>(w)) {
      texts << (field->isReadOnly() ? field->text() : QStringLiteral("127"));
    } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QPushButton*>(w)) {
      texts << static_cast<QAbstractButton*>(w)->text();
    } else if (auto* header = dynamic_cast<CSectionHeader*>(w)) {
      QFont font(header->FontFace());
      font.setPixelSize(qRound(header->FontPoints() * header->logicalDpiY() / 72.0));
      EXPECT_EQ(Misfit(header->Caption(), font, header->rect(), header), "") << Id(w).toStdString();
      ++measured;
      continue;
    }
    for (const QString& text : texts) {
      EXPECT_EQ(Misfit(text, w->font(), TextRoom(w), w), "") << Id(w).toStdString();
      ++measured;
    }
  }
  EXPECT_GT(measured, 80);
}

// Every entry of every list, chosen, shows whole in the closed box: drawn a
// little smaller where our font is wider than the template's.
TEST_F(TextFitTest, EveryListEntryShowsWholeInTheClosedBox) {
  int boxes = 0;
  for (auto* box : window->findChildren<FittedComboBox*>()) {
    ++boxes;
    for (int i = 0; i < box->count(); ++i) {
      box->setCurrentIndex(i);
      const FittedText shown = box->Shown();
      EXPECT_EQ(shown.text, box->itemText(i)) << Id(box).toStdString();
      EXPECT_GE(shown.font.pixelSize(), box->font().pixelSize() - kMaxFitShrink) << shown.text.toStdString();
      EXPECT_EQ(Misfit(shown.text, shown.font, TextRoom(box), box), "") << Id(box).toStdString();
    }
  }
  EXPECT_EQ(boxes, 15);
}

// Names that come from outside (the device, a picture's path) fit too: whole
// when they can, else shortened with the whole name in the tool tip.
TEST_F(TextFitTest, OutsideNamesFitOrAreShortened) {
  auto* device = qobject_cast<FittedLabel*>(window->Control(kDeviceName));
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->Shown().text, "WACOM Test Tablet");
  EXPECT_EQ(Misfit(device->Shown().text, device->Shown().font, TextRoom(device), device), "");
  device->setText("WACOM Intuos Pro Large Pen Tablet with a very long product name");
  EXPECT_TRUE(device->Shown().shortened);
  EXPECT_TRUE(device->Shown().text.startsWith("WACOM Intuos"));
  EXPECT_EQ(Misfit(device->Shown().text, device->Shown().font, TextRoom(device), device), "");

  auto* picture = qobject_cast<PathButton*>(window->Control(kPictureButton));
  ASSERT_NE(picture, nullptr);
  const QString path = "/home/player/" + QString("very-long-folder-name/").repeated(8) + "sunset.jpg";
  picture->setText(path);
  const FittedText shown = picture->Shown();
  EXPECT_TRUE(shown.shortened);
  EXPECT_TRUE(shown.text.startsWith("/home/player/")) << shown.text.toStdString();
  EXPECT_TRUE(shown.text.endsWith("sunset.jpg")) << shown.text.toStdString();
  EXPECT_EQ(Misfit(shown.text, shown.font, TextRoom(picture), picture), "");
  EXPECT_EQ(picture->text(), path);
}

}  // namespace

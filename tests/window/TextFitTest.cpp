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
#include <tuple>

#include "model/EngineDisplay.h"
#include "music/NoteNames.h"
#include "tests/support/WindowFakes.h"
#include "ui/controls/FittedComboBox.h"
#include "ui/controls/FittedLabel.h"
#include "ui/controls/PathButton.h"
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

class TextFitTest : public ::testing::Test, protected WindowOverFakes {
 protected:
  void SetUp() override {
    window->OnInitDialog();
    window->show();
  }
  QString Id(QWidget* w) const { return w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName(); }
};

// The template's texts and the widest values the status and value labels show
// fit at the window's own font size.
TEST_F(TextFitTest, FixedTextsAndValuesFitWhole) {
  QStringList noteNames;
  for (int note = 0; note < 128; ++note)
    noteNames << QString::fromStdString(FormatNoteName(static_cast<uint8_t>(note)));
  const QString degree = QString(QChar(0x00B0));
  std::map<int, QStringList> values = {
      {kToolName, {"Pressure Stylus", "Eraser", "Puck"}},
      {kPressure, {"1023"}},
      {kTilt, {"-90" + degree, "90" + degree}},
      {kAngle, {"359" + degree}},
      {kPenX, {"7679"}},
      {kPenY, {"4319"}},
      {kPacketCount, {"9999999"}},
      {kNoteName, noteNames},
      {kMinNoteName, noteNames},
      {kMaxNoteName, noteNames},
      {1077, {"Red", "Color"}},
      {1079, {"Green", "Saturation"}},
      {1081, {"Blue", "Brightness"}},
      {kTroubleLine, {"MIDI error", "Unable to open the selected MIDI Out device!", "MIDI works again."}}};
  for (int id : kValueLabels) values[id] = {"127"};
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
  EXPECT_EQ(boxes, 16);
}

// Names that come from outside (the device, a picture's path) fit too: whole
// when they can, else shortened (the path in the middle, keeping the file name).
TEST_F(TextFitTest, OutsideNamesFitOrAreShortened) {
  auto* device = qobject_cast<FittedLabel*>(window->Control(kDeviceName));
  auto* picture = qobject_cast<PathButton*>(window->Control(kPictureButton));
  ASSERT_TRUE(device && picture);
  const QString longPath = "/home/player/" + QString("very-long-folder-name/").repeated(8) + "sunset.jpg";
  const std::tuple<QWidget*, QString, bool, QString, QString> cases[] = {
      {device, "WACOM Test Tablet", false, "WACOM Test Tablet", ""},
      {device, "WACOM Intuos Pro Large Pen Tablet with a very long product name", true, "WACOM Intuos", ""},
      {picture, longPath, true, "/home/player/", "sunset.jpg"}};
  for (const auto& [w, text, shortened, start, end] : cases) {
    w->setProperty("text", text);
    const FittedText shown = w == device ? device->Shown() : picture->Shown();
    EXPECT_EQ(shown.shortened, shortened) << text.toStdString();
    EXPECT_TRUE(shown.text.startsWith(start) && shown.text.endsWith(end)) << shown.text.toStdString();
    EXPECT_EQ(Misfit(shown.text, shown.font, TextRoom(w), w), "");
  }
  EXPECT_EQ(picture->text(), longPath);  // the whole path stays the button's text
}

}  // namespace

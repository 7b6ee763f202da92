// SPDX-License-Identifier: MIT
// The window's playing surface: the note guide over the tablet area, the area
// growing with the window or filling the screen, and the MIDI activity light.
#include <QAbstractButton>
#include <QResizeEvent>
#include <QSettings>
#include <QShortcut>
#include <algorithm>
#include <array>
#include <vector>

#include "ui/ProgramInfo.h"
#include "ui/controls/ActivityLight.h"
#include "ui/window/CTabletMidiDlg.h"
#include "ui/window/ControlIds.h"
#include "ui/window/TabletAreaWidget.h"

namespace {

// The light polls the engine's count of sent messages: the pen's path only
// counts, and a stream of messages blinks the light as one.
constexpr int kActivityPollMilliseconds = 40;
// Between the controls kept over a full-screen area and its edges.
constexpr int kOverlayMargin = 6;
// What stays in view over a full-screen area, right to left from its top right corner.
constexpr std::array kOverlays = {ControlIds::kFullScreen, ControlIds::kMidiActivity, ControlIds::kTroubleLine};

const QString kGuideSetting = QStringLiteral("window/noteGuide");

QSettings Settings() { return QSettings(QString::fromUtf8(ProgramInfo::kName), QString::fromUtf8(ProgramInfo::kName)); }

}  // namespace

const char* const CTabletMidiDlg::kNoteGuideKey = "Ctrl+G";
const char* const CTabletMidiDlg::kFullScreenKey = "Ctrl+Shift+F";

void CTabletMidiDlg::SetUpPlayingSurface() {
  using namespace ControlIds;
  noteGuide_ = Settings().value(kGuideSetting, true).toBool();
  QAbstractButton* guide = controls_->Button(kNoteGuide);
  guide->setChecked(noteGuide_);
  guide->setToolTip(tr("The notes' bands over the tablet area (%1)").arg(QLatin1String(kNoteGuideKey)));
  connect(guide, &QAbstractButton::toggled, this, [this](bool on) { SetNoteGuide(on); });
  QAbstractButton* fullScreen = controls_->Button(kFullScreen);
  fullScreen->setCheckable(true);
  fullScreen->setToolTip(tr("The tablet area fills the screen, and back (%1)").arg(QLatin1String(kFullScreenKey)));
  connect(fullScreen, &QAbstractButton::clicked, this, [this](bool on) { SetAreaFullScreen(on); });
  // F1 to F12 belong to the presets, Escape to panic: these keys take others.
  connect(new QShortcut(QKeySequence(QLatin1String(kNoteGuideKey)), this), &QShortcut::activated, this,
          [this] { SetNoteGuide(!noteGuide_); });
  connect(new QShortcut(QKeySequence(QLatin1String(kFullScreenKey)), this), &QShortcut::activated, this,
          [this] { SetAreaFullScreen(!areaFullScreen_); });

  auto* light = static_cast<ActivityLight*>(controls_->Control(kMidiActivity));
  light->setToolTip(tr("Lights up as MIDI messages go out"));
  activityPoll_.setInterval(kActivityPollMilliseconds);
  connect(&activityPoll_, &QTimer::timeout, this, [this, light] {
    const uint64_t sent = engine_.MidiMessagesSent();
    if (sent == messagesSeen_) return;
    messagesSeen_ = sent;
    light->Blink();
  });
  activityPoll_.start();
}

void CTabletMidiDlg::SetNoteGuide(bool on) {
  if (on == noteGuide_) return;
  noteGuide_ = on;
  controls_->Button(ControlIds::kNoteGuide)->setChecked(on);
  Settings().setValue(kGuideSetting, on);
  controls_->TabletArea()->update();
}

NoteGuideView CTabletMidiDlg::GuideView() const {
  NoteGuideView view;
  const Configuration& config = engine_.CurrentConfiguration();
  const NoteGenerator& notes = engine_.Notes();
  view.notes = notes.NoteList().Notes();
  view.horizontal = config.noteDirection != 0;
  const int count = static_cast<int>(view.notes.size());
  const PenState pen = ShownPen();
  if (penSeen_) {
    view.penBand =
        NoteGuide::BandAt(QPoint(pen.areaX, pen.areaY), controls_->TabletArea()->size(), count, view.horizontal);
  }
  if (notes.LastNote() != kNoNote && engine_.SoundingNoteCount() > 0) {
    const auto found = std::find(view.notes.begin(), view.notes.end(), notes.LastNote());
    if (found != view.notes.end()) view.soundingBand = static_cast<int>(found - view.notes.begin());
  }
  // The left mouse button is the first a newcomer tries: say why it is silent.
  const bool sendsControllers =
      std::any_of(config.cc.begin(), config.cc.end(), [](uint8_t cc) { return cc != kNoController; });
  if (engine_.ControllerMode() && !sendsControllers) {
    view.hint = tr("Controller mode: this preset has no controller chosen");
  }
  return view;
}

void CTabletMidiDlg::SetAreaFullScreen(bool on) {
  if (on == areaFullScreen_) return;
  areaFullScreen_ = on;
  controls_->Button(ControlIds::kFullScreen)->setChecked(on);
  controls_->ShowAreaOnly(on, std::vector<int>(kOverlays.begin(), kOverlays.end()));
  if (on) {
    maximizedBeforeFullScreen_ = isMaximized();
    showFullScreen();
  } else if (maximizedBeforeFullScreen_) {
    showMaximized();
  } else {
    showNormal();
  }
  ArrangeControls();
  update();
}

void CTabletMidiDlg::ArrangeControls() {
  if (!areaFullScreen_) {
    controls_->Arrange(size());
    return;
  }
  controls_->TabletArea()->setGeometry(rect());
  // Along the top edge from the right: the button back, the light, the line.
  int right = width() - kOverlayMargin;
  for (int id : kOverlays) {
    QWidget* w = controls_->Control(id);
    const QSize size = controls_->DefaultRect(id).size();
    const int top = kOverlayMargin + (controls_->DefaultRect(kOverlays[0]).height() - size.height()) / 2;
    w->setGeometry(QRect(QPoint(right - size.width(), top), size));
    w->raise();
    right -= size.width() + kOverlayMargin;
  }
}

void CTabletMidiDlg::resizeEvent(QResizeEvent* event) {
  ArrangeControls();
  QDialog::resizeEvent(event);
}

// SPDX-License-Identifier: MIT
#include "ui/window/CTabletMidiDlg.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cstdio>
#include <utility>

#include "midi/MidiOutService.h"
#include "music/NoteNames.h"
#include "tablet/TabletContext.h"
#include "tablet/TabletService.h"
#include "ui/ProgramInfo.h"
#include "ui/bitmaps/QuillBitmaps.h"
#include "ui/controls/CCurveButton.h"
#include "ui/controls/CNumericEdit.h"
#include "ui/controls/CSectionHeader.h"
#include "ui/controls/RefreshingComboBox.h"
#include "ui/controls/TroubleLine.h"
#include "ui/dialogs/CAboutDlg.h"
#include "ui/dialogs/CKeySelectDlg.h"
#include "ui/window/ControlIds.h"
#include "ui/window/ListContents.h"
#include "ui/window/SlotKeyFilter.h"
#include "ui/window/TabletAreaPainter.h"
#include "ui/window/TabletAreaWidget.h"
#include "ui/window/WindowLayout.h"

namespace {

QColor ToColor(Rgb c) { return QColor(c.r, c.g, c.b); }
QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Values shown in the status labels, formatted as the driver reports them.
QString Degrees(long value) { return QString::number(value) + QChar(0x00B0); }

}  // namespace

CTabletMidiDlg::CTabletMidiDlg(MidiOutService& midi, TabletService& tablet, const OrientationScaling& orientation,
                               const FileLocations& folders, CopyBuffer& copyBuffer, MessageSink* messages)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::WindowMaximizeButtonHint),
      tablet_(tablet),
      midi_(midi),
      orientation_(orientation),
      ownMessages_(this, messages),
      engine_(midi, ownMessages_, *this, tablet, copyBuffer),
      firstLocations_(folders),
      lastSession_(fileSaver_, [this] { return engine_.FormatPresets(); }) {
  engine_.SetFileLocations(folders);
  engine_.UsePictureDecoder(pictureDecoder_);
  engine_.UseFileSaver(fileSaver_);
  engine_.UseFileLoader(fileLoader_);
  setWindowTitle(QString::fromUtf8(ProgramInfo::Caption()));
  // The layout is in dialog units of an 8-point sans-serif font at 96 dpi
  // (11 pixels); an Arial-metric face fits the template's text widths.
  QFont dialogFont = font();
  dialogFont.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                          QStringLiteral("DejaVu Sans Condensed"), dialogFont.family()});
  dialogFont.setPixelSize(11);
  setFont(dialogFont);
  // The template's size at first and at least; larger, the tablet area grows.
  setMinimumSize(WindowClientSize());
  resize(WindowClientSize());
  setSizeGripEnabled(false);

  controls_ = std::make_unique<MainWindowControls>(this);
  controls_->TabletArea()->SetPaintHandler([this](QPainter& p) { PaintTabletArea(p); });
  keyFilter_ = new SlotKeyFilter(
      this, [this](int slot) { engine_.SelectConfiguration(slot); }, [this] { engine_.Panic(); });
  qApp->installEventFilter(keyFilter_);
  ConnectHandlers();
  SetUpPlayingSurface();
  ownMessages_.SetTroubleLine(qobject_cast<TroubleLine*>(controls_->Control(ControlIds::kTroubleLine)));
  engine_.SetPresetsChangedHandler([this] {
    lastSession_.Changed();
    // The guide follows the scale, key, range and direction.
    if (noteGuide_) controls_->TabletArea()->update();
    emit PresetsChanged();
  });
}

CTabletMidiDlg::~CTabletMidiDlg() {
  midi_.SetDevicesChangedHandler({});
  qApp->removeEventFilter(keyFilter_);
  DestroyWindow();
  // However the run ended (closed, or every loop told to quit by a signal),
  // nothing may sound once the port goes with the program.
  engine_.EndPerformance();
  lastSession_.WriteNow();
}

bool CTabletMidiDlg::OnInitDialog() {
  FillLists();
  FollowPortList();
  SetUpCustomControls();
  engine_.Start();

  contextOpen_ = OpenTabletContext(tablet_, [this](const TabletPacket& packet) {
    penSeen_ = true;
    penAt_ = QPoint(packet.x, packet.y);
    penGeometry_ = CurrentGeometry();
    engine_.ProcessPacket(packet, penGeometry_);
  });
  if (!contextOpen_) {
    // On standard error as well: the program ends with a failure status for
    // this, and whoever started it should find why in the log.
    constexpr std::string_view kNoContext = "Could not open tablet context!";
    std::fprintf(stderr, "quill: %.*s\n", static_cast<int>(kNoContext.size()), kNoContext.data());
    ownMessages_.ShowMessage(kNoContext, MessageIcon::Error);
    return false;
  }
  engine_.MarkInitialised();
  penStatus_ = {};
  setWindowIcon(QuillBitmaps::ProgramIcon());
  controls_->Label(ControlIds::kDeviceName)->setText(QString::fromStdString(tablet_.ModelName()));
  initialized_ = true;
  return true;
}

int CTabletMidiDlg::DoModal(const QString& configurationFile, const QString& lastSession) {
  OnInitDialog();
  // A file asked for wins over the presets of the last run; one that cannot
  // be loaded changes nothing, so those stay rather than the defaults (which
  // would then be kept for the next start in their place).
  if (!lastSession.isEmpty()) RestoreLastSession(lastSession);
  if (!configurationFile.isEmpty()) LoadConfigurationFile(configurationFile);
  return exec();
}

void CTabletMidiDlg::KeepLastSession(const QString& path) { lastSession_.SetFile(path); }

void CTabletMidiDlg::RestoreLastSession(const QString& path) {
  // The first run has nothing to restore, and says nothing about it.
  if (!QFileInfo(path).isFile()) return;
  // Once read, the file holds the presets: no need to write them back.
  LoadKeptPresets(path, [this](const std::string& failure) {
    if (failure.empty()) lastSession_.Holds(engine_.FormatPresets());
  });
}

void CTabletMidiDlg::LoadKeptPresets(const QString& path, PerformanceEngine::LoadDone done) {
  keptFrom_ = path;
  // Not a file the player chose: the dialogs start where they would have.
  const FileLocations locations = engine_.Locations();
  engine_.LoadConfigurations(path.toStdString(), std::move(done));
  engine_.SetFileLocations(locations);
}

void CTabletMidiDlg::WritePresets(const QString& path, std::string contents, FileSaver::Done done) {
  fileSaver_.Save(path.toStdString(), std::move(contents), std::move(done));
}

void CTabletMidiDlg::ShowPresetsFile(const std::string& path) {
  const QString file = QString::fromStdString(path);
  if (file == keptFrom_ || file == lastSession_.File()) return;
  setWindowTitle(QFileInfo(file).fileName() + QStringLiteral(" \u2014 ") + QString::fromUtf8(ProgramInfo::Caption()));
}

void CTabletMidiDlg::FillLists() {
  controls_->List(ControlIds::kPort)->addItems(ListContents::PortNames(midi_));
  controls_->List(ControlIds::kChannel)->addItems(ListContents::ChannelNames());
  controls_->List(ControlIds::kPatch)->addItems(ListContents::PatchNames());
  controls_->List(ControlIds::kScale)->addItems(ListContents::ScaleNames());
  controls_->List(ControlIds::kKey)->addItems(ListContents::KeyNames());
  controls_->List(ControlIds::kChord)->addItems(ListContents::ChordNames());
  controls_->List(ControlIds::kNoteDirection)->addItems(ListContents::NoteDirectionNames());
  controls_->List(ControlIds::kGlide)->addItems(ListContents::GlideNames());
  const QStringList controllers = ListContents::ControllerNames();
  for (int id : ControlIds::kControllerBoxes) controls_->List(id)->addItems(controllers);
}

void CTabletMidiDlg::FollowPortList() {
  // The port box is filled again as it opens, and when the system reports
  // destinations coming and going: it does so from a thread of its own, and
  // the box is filled on this one.
  qobject_cast<RefreshingComboBox*>(controls_->List(ControlIds::kPort))->SetBeforeOpening([this] { RefreshPortBox(); });
  midi_.SetDevicesChangedHandler([this] {
    QMetaObject::invokeMethod(
        this, [this] { RefreshPortBox(); }, Qt::QueuedConnection);
  });
}

void CTabletMidiDlg::RefreshPortBox() {
  engine_.RefreshPorts();
  QComboBox* box = controls_->List(ControlIds::kPort);
  box->clear();
  box->addItems(ListContents::PortNames(midi_));
  ShowPortEntry(engine_.CurrentConfiguration());
}

void CTabletMidiDlg::ShowPortEntry(const Configuration& config) {
  // The preset's destination, wherever the system lists it now. One that is
  // not running is waited for: an entry of its own after the list says so.
  QComboBox* box = controls_->List(ControlIds::kPort);
  const int listed = ListContents::PortNames(midi_).size();
  while (box->count() > listed) box->removeItem(box->count() - 1);
  if (engine_.PortAbsent()) {
    box->addItem(QString::fromStdString(config.midiOutPortName) + QStringLiteral(" (absent)"));
    box->setCurrentIndex(listed);
  } else {
    box->setCurrentIndex(config.midiOutPort);
  }
}

void CTabletMidiDlg::SetUpCustomControls() {
  for (int id : ControlIds::kMinimumFields) controls_->Numeric(id)->SetRange(0, kControllerValueCount - 1);
  for (int id : ControlIds::kMaximumFields) controls_->Numeric(id)->SetRange(0, kControllerValueCount - 1);
  controls_->Numeric(ControlIds::kBendRange)->SetRange(kLowestBendRange, kHighestBendRange);
  QList<QPixmap> curves;
  for (int code = 0; code < kResponseCurveCount; ++code) curves.append(QuillBitmaps::CurveBitmap(code));
  for (int id : ControlIds::kCurveButtons) controls_->Curve(id)->SetBitmaps(curves);
  const QStringList captions = {QStringLiteral("C o n t r o l l e r s"),
                                QStringLiteral("N o t e   G e n e r a t i o n"), QStringLiteral("M I D I   o u t")};
  const Rgb first = tabColors[0];
  for (size_t i = 0; i < ControlIds::kSectionHeaders.size(); ++i) {
    CSectionHeader* header = controls_->Header(ControlIds::kSectionHeaders[i]);
    header->SetCaption(captions[static_cast<qsizetype>(i)]);
    header->SetFontSpec(QStringLiteral("Arial"), 8);
    header->SetAlignment(Qt::AlignCenter);
    header->SetColors(Qt::white, ToColor(first));
  }
}

void CTabletMidiDlg::ConnectHandlers() {
  using namespace ControlIds;
  auto onList = [this](int id, auto handler) { connect(controls_->List(id), &QComboBox::activated, this, handler); };
  onList(kPort, [this](int i) {
    // The entry of an absent destination is what the preset waits for already.
    if (i < ListContents::PortNames(midi_).size()) engine_.SelectPort(i);
  });
  onList(kChannel, [this](int i) { engine_.SelectChannel(i); });
  onList(kPatch, [this](int i) { engine_.SelectPatch(i); });
  onList(kScale, [this](int i) { engine_.SelectScale(i); });
  onList(kKey, [this](int i) { engine_.SelectKey(i); });
  onList(kChord, [this](int i) { engine_.SelectChord(i); });
  onList(kNoteDirection, [this](int i) { engine_.SelectNoteDirection(i); });
  onList(kGlide, [this](int i) { engine_.SelectGlide(i); });
  connect(controls_->Numeric(kBendRange), &CNumericEdit::ValueAccepted, this,
          [this](int value) { engine_.SetBendRange(value); });
  for (int input = 0; input < kControllerInputCount; ++input) {
    const auto row = static_cast<size_t>(input);
    onList(kControllerBoxes[row], [this, input](int i) { engine_.SelectController(input, i); });
    connect(controls_->Numeric(kMinimumFields[row]), &CNumericEdit::ValueAccepted, this,
            [this, input](int value) { engine_.SetControllerMinimum(input, value); });
    connect(controls_->Numeric(kMaximumFields[row]), &CNumericEdit::ValueAccepted, this,
            [this, input](int value) { engine_.SetControllerMaximum(input, value); });
    connect(controls_->Curve(kCurveButtons[row]), &CCurveButton::CurveChanged, this,
            [this](int curveInput, uint16_t code) { engine_.SetResponseCurve(curveInput, code); });
  }

  auto onClick = [this](int id, auto handler) {
    connect(controls_->Button(id), &QAbstractButton::clicked, this, handler);
  };
  onClick(kPlayNotes, [this](bool checked) {
    engine_.SetPlayNotes(checked);
    EnableNoteControls(engine_.CurrentConfiguration().playNotes != 0);
  });
  onClick(kInitialPressure, [this](bool checked) { engine_.SetInitialPressure(checked); });
  onClick(kInitialPosition, [this](bool checked) { engine_.SetInitialPosition(checked); });
  onClick(kMpe, [this](bool checked) {
    engine_.SetMpe(checked);
    // Each note takes a channel of its own: the preset's channel is not used.
    controls_->List(kChannel)->setEnabled(engine_.CurrentConfiguration().mpe == 0);
  });
  onClick(kMinKey, [this] { SelectNoteLimit(NoteLimit::Lower); });
  onClick(kMaxKey, [this] { SelectNoteLimit(NoteLimit::Upper); });
  onClick(kAbout, [this] { OnAbout(); });
  onClick(kLoad, [this] { OnLoad(); });
  onClick(kSave, [this] { OnSave(); });
  onClick(kReset, [this] { engine_.OnReset(); });
  onClick(kCopy, [this] { engine_.OnCopy(); });
  onClick(kPaste, [this] { engine_.OnPaste(); });
  onClick(kPictureButton, [this] { OnPictureBrowse(); });
  onClick(kPictureClear, [this] { OnPictureClear(); });
  onClick(kRgb, [this] { OnColorModel(0); });
  onClick(kHsv, [this] { OnColorModel(1); });
}

// ---- Showing the current configuration ----

void CTabletMidiDlg::ShowPortAndChannel(const Configuration& config) {
  ShowPortEntry(config);
  controls_->List(ControlIds::kChannel)->setCurrentIndex(config.midiChannel);
  controls_->List(ControlIds::kChannel)->setEnabled(config.mpe == 0);
}

void CTabletMidiDlg::ShowSettings(const Configuration& config) {
  using namespace ControlIds;
  // An index outside a list leaves it without a selection.
  controls_->List(kPatch)->setCurrentIndex(config.midiPatch);
  controls_->List(kScale)->setCurrentIndex(config.scale);
  controls_->List(kKey)->setCurrentIndex(config.key);
  controls_->List(kChord)->setCurrentIndex(config.chord);
  ShowNoteRange(config);
  controls_->List(kNoteDirection)->setCurrentIndex(config.noteDirection);
  for (size_t i = 0; i < kControllerBoxes.size(); ++i) {
    controls_->List(kControllerBoxes[i])->setCurrentIndex(config.cc[i]);
  }
  for (int id : kValueLabels) controls_->Label(id)->setText(QStringLiteral("---"));
  // The fields validate their new text and report it back into this slot.
  for (size_t i = 0; i < kMinimumFields.size(); ++i) {
    controls_->Numeric(kMinimumFields[i])->setText(QString::number(config.min[i]));
  }
  for (size_t i = 0; i < kMaximumFields.size(); ++i) {
    controls_->Numeric(kMaximumFields[i])->setText(QString::number(config.max[i]));
  }
  for (size_t i = 0; i < kCurveButtons.size(); ++i) {
    CCurveButton* curve = controls_->Curve(kCurveButtons[i]);
    curve->SetCurrent(config.map[i]);  // a code outside 0..3 keeps the previous picture
    curve->update();
  }
  controls_->Button(kPlayNotes)->setChecked(config.playNotes != 0);
  controls_->Button(kInitialPressure)->setChecked(config.initialPressure != 0);
  controls_->Button(kInitialPosition)->setChecked(config.initialPosition != 0);
  controls_->List(kGlide)->setCurrentIndex(config.glide);
  controls_->Numeric(kBendRange)->setText(QString::number(config.bendRange));
  controls_->Button(kMpe)->setChecked(config.mpe != 0);
  EnableNoteControls(config.playNotes != 0);
  ShowPictureAndColorModel(config);
}

void CTabletMidiDlg::ShowNoteRange(const Configuration& config) {
  controls_->Field(ControlIds::kMinNoteName)->setText(QString::fromStdString(FormatNoteName(config.minNote)));
  controls_->Field(ControlIds::kMaxNoteName)->setText(QString::fromStdString(FormatNoteName(config.maxNote)));
}

void CTabletMidiDlg::ShowPictureAndColorModel(const Configuration& config) {
  using namespace ControlIds;
  controls_->Button(kPictureButton)
      ->setText(config.picture.empty() ? QStringLiteral("---") : QString::fromStdString(config.picture));
  const bool rgb = config.colorModel == 0;
  controls_->Button(rgb ? kRgb : kHsv)->setChecked(true);
  static const char* const kRgbLabels[] = {"Red", "Green", "Blue"};
  static const char* const kHsvLabels[] = {"Color", "Saturation", "Brightness"};
  for (size_t i = 0; i < kColorLabels.size(); ++i) {
    controls_->Label(kColorLabels[i])->setText(QString::fromUtf8(rgb ? kRgbLabels[i] : kHsvLabels[i]));
  }
}

void CTabletMidiDlg::EnableNoteControls(bool on) {
  for (int id : ControlIds::kNoteControls) controls_->Control(id)->setEnabled(on);
}

// ---- EngineDisplay ----

void CTabletMidiDlg::SetDisplayText(Readout readout, std::string_view text) {
  controls_->Label(ControlIds::ReadoutLabel(readout))->setText(ToQString(text));
}

void CTabletMidiDlg::ShowPenPosition(int32_t x, int32_t y) { penStatus_.position = {x, y}; }

void CTabletMidiDlg::ShowPenPressure(uint32_t pressure) { penStatus_.pressure = pressure; }

void CTabletMidiDlg::ShowPenOrientation(int32_t azimuth, int32_t altitude) {
  // A tablet without orientation leaves the labels as they are.
  if (orientation_.orientationSupported) penStatus_.orientation = {azimuth, altitude};
}

void CTabletMidiDlg::WritePenStatus() {
  using namespace ControlIds;
  if (const auto& o = penStatus_.orientation) {
    controls_->Label(kTilt)->setText(Degrees(o->second / 10));
    controls_->Label(kAngle)->setText(Degrees(static_cast<long>(static_cast<uint32_t>(o->first) / 10)));
  }
  if (penStatus_.pressure) controls_->Label(kPressure)->setText(QString::number(*penStatus_.pressure));
  if (const auto& p = penStatus_.position) {
    controls_->Label(kPenX)->setText(QString::number(static_cast<uint32_t>(p->first)));
    controls_->Label(kPenY)->setText(QString::number(static_cast<uint32_t>(p->second)));
  }
  penStatus_ = {};
}

void CTabletMidiDlg::InvalidateTabletArea() { controls_->TabletArea()->update(); }

void CTabletMidiDlg::InvalidateWindow() {
  update();
  controls_->TabletArea()->update();
}

void CTabletMidiDlg::SetSectionHeaderColors(Rgb text, Rgb back) {
  // The headers only store their colours; a slot change must also show them.
  for (int id : ControlIds::kSectionHeaders) {
    CSectionHeader* header = controls_->Header(id);
    header->SetColors(ToColor(text), ToColor(back));
    header->update();
  }
}

// ---- Control handlers ----

void CTabletMidiDlg::SelectNoteLimit(NoteLimit which) {
  const Configuration& config = engine_.CurrentConfiguration();
  const std::optional<uint8_t> key = ChooseKey(which == NoteLimit::Lower ? config.minNote : config.maxNote);
  // A keyboard closed without a click leaves the limit as it was.
  if (!key) return;
  engine_.SetNoteLimit(which, *key);
  ShowNoteRange(engine_.CurrentConfiguration());
}

void CTabletMidiDlg::OnLoad() {
  const QString path = ChooseFile(FileDialogKind::LoadConfigurations, engine_.Locations().configsFolder);
  if (!path.isEmpty()) LoadConfigurationFile(path);
}

void CTabletMidiDlg::LoadConfigurationFile(const QString& path) { engine_.LoadConfigurations(path.toStdString()); }

void CTabletMidiDlg::OnSave() {
  const QString path = ChooseFile(FileDialogKind::SaveConfigurations, SaveStart());
  if (!path.isEmpty()) engine_.SaveConfigurations(path.toStdString());
}

std::string CTabletMidiDlg::SaveStart() const {
  const std::string& remembered = engine_.Locations().configsFolder;
  const QFileInfo info(QString::fromStdString(remembered));
  const QFileInfo folder(info.isDir() ? info.filePath() : info.path());
  if (!folder.exists() || folder.isWritable()) return remembered;
  // A file loaded from where it cannot be saved (the installed examples) is
  // offered under its own name in the user's own folder.
  const QDir own(QString::fromStdString(firstLocations_.configsFolder));
  return (info.isDir() ? own.path() : own.filePath(info.fileName())).toStdString();
}

void CTabletMidiDlg::OnPictureBrowse() {
  const QString path = ChooseFile(FileDialogKind::Picture, engine_.Locations().picturesFolder);
  if (path.isEmpty()) return;
  engine_.LoadPicture(path.toStdString());  // the path is shown once the picture arrives
}

void CTabletMidiDlg::OnPictureClear() {
  engine_.ClearPicture();
  ShowPictureAndColorModel(engine_.CurrentConfiguration());
}

void CTabletMidiDlg::OnColorModel(uint16_t model) {
  engine_.SetColorModel(model);
  ShowPictureAndColorModel(engine_.CurrentConfiguration());
}

void CTabletMidiDlg::OnAbout() {
  CAboutDlg about(this);
  about.exec();
}

QString CTabletMidiDlg::ChooseFile(FileDialogKind kind, const std::string& start) {
  // The starting location is a folder at first and the last file chosen
  // later, or a file (with a suffix, unlike the folders) yet to be saved.
  const QFileInfo startInfo(QString::fromStdString(start));
  const bool names = !startInfo.isDir() && (startInfo.exists() || !startInfo.suffix().isEmpty());
  const QString folder = names ? startInfo.path() : startInfo.filePath();
  if (fileChooser_) return fileChooser_(kind, folder);

  QFileDialog dialog(this);
  dialog.setDirectory(folder);
  if (names && kind == FileDialogKind::SaveConfigurations) dialog.selectFile(startInfo.fileName());
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (kind == FileDialogKind::Picture) {
    dialog.setNameFilters({QStringLiteral("Image files (*.jpg)"), QStringLiteral("Image files (*.bmp)"),
                           QStringLiteral("All files (*)")});
  } else {
    dialog.setNameFilters({QStringLiteral("Quill config files (*.qcf)"), QStringLiteral("All files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("qcf"));
    if (kind == FileDialogKind::SaveConfigurations) {
      dialog.setAcceptMode(QFileDialog::AcceptSave);
      dialog.setFileMode(QFileDialog::AnyFile);
      // Saving replaces an existing file without asking.
      dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().constFirst();
}

std::optional<uint8_t> CTabletMidiDlg::ChooseKey(uint8_t currentLimit) {
  if (keyChooser_) return keyChooser_();
  CKeySelectDlg keyboard(this);
  keyboard.ShowKey(currentLimit);
  keyboard.exec();
  if (!keyboard.KeyChosen()) return std::nullopt;
  return keyboard.GetSelectedKey();
}

// ---- Keys, clicks, activation, closing ----

void CTabletMidiDlg::keyPressEvent(QKeyEvent* event) {
  // Enter and Escape never close the window, even if the filter missed them.
  const int k = event->key();
  if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CTabletMidiDlg::OnLeftButtonDown(const QPoint& clientPoint) {
  // Every tab under the point is selected in turn: at an overlap column the
  // right-hand one ends up current.
  for (int slot : Tabs().TabsAt(clientPoint)) engine_.SelectConfiguration(slot);
  engine_.SetControllerMode(true);
}

void CTabletMidiDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) OnLeftButtonDown(event->position().toPoint());
  QDialog::mousePressEvent(event);
}

void CTabletMidiDlg::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) engine_.SetControllerMode(false);
  QDialog::mouseReleaseEvent(event);
}

void CTabletMidiDlg::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && contextOpen_) {
    // Packets flow only while the window is active.
    OnTabletActivate(tablet_, isActiveWindow());
  }
  QDialog::changeEvent(event);
}

void CTabletMidiDlg::done(int result) {
  DestroyWindow();
  // Closing the window ends the performance: the sounding notes stop now.
  engine_.EndPerformance();
  lastSession_.WriteNow();
  QDialog::done(result);
}

void CTabletMidiDlg::DestroyWindow() {
  if (contextOpen_) CloseTabletContext(tablet_, initialized_);
  contextOpen_ = false;
}

// ---- Painting ----

QWidget* CTabletMidiDlg::TabletAreaWidget() const { return controls_->TabletArea(); }

TabStrip CTabletMidiDlg::Tabs() const {
  // As high as the template makes them, down to the Angle controller box;
  // in a larger window they stay under the area.
  const QRect area = controls_->TabletArea()->geometry();
  const QRect firstArea = controls_->DefaultRect(ControlIds::kTabletArea);
  const QRect angle = controls_->DefaultRect(ControlIds::kAngleBox);
  const int height = angle.top() + angle.height() - (firstArea.top() + firstArea.height());
  return TabStrip(area, area.top() + area.height() + height);
}

PenState CTabletMidiDlg::ShownPen() const {
  PenState pen = engine_.Pen();
  // The area changed size since the pen's last packet: the marker keeps its
  // place in the area's range until the pen moves again.
  const QSize size = controls_->TabletArea()->size();
  if (size != QSize(penGeometry_.areaWidth, penGeometry_.areaHeight)) {
    pen.areaX = static_cast<int32_t>(int64_t{size.width()} * penAt_.x() / std::max(1, penGeometry_.screenWidth));
    pen.areaY = static_cast<int32_t>(int64_t{size.height()} * penAt_.y() / std::max(1, penGeometry_.screenHeight));
  }
  return pen;
}

PacketGeometry CTabletMidiDlg::CurrentGeometry() const {
  PacketGeometry g;
  const QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
  if (s != nullptr) {
    g.screenWidth = s->geometry().width();
    g.screenHeight = s->geometry().height();
  }
  g.areaWidth = controls_->TabletArea()->width();
  g.areaHeight = controls_->TabletArea()->height();
  return g;
}

void CTabletMidiDlg::paintEvent(QPaintEvent*) {
  if (areaFullScreen_) return;  // the area covers the window
  QPainter painter(this);
  TabletAreaPainter::PaintTabs(painter, Tabs());
}

void CTabletMidiDlg::PaintTabletArea(QPainter& painter) {
  WritePenStatus();
  const PenState pen = ShownPen();
  const QSize size = controls_->TabletArea()->size();
  const int slot = engine_.CurrentSlot();
  const QImage* picture = engine_.HasPicture(slot) ? &pictureCache_.Scaled(engine_.SlotPicture(slot), size) : nullptr;
  std::function<void(QPainter&)> guide;
  if (noteGuide_) guide = [this, size](QPainter& p) { guidePainter_.Paint(p, size, GuideView()); };
  TabletAreaPainter::PaintArea(painter, size, ToColor(tabColors[static_cast<size_t>(slot)]), picture,
                               penSeen_ ? &pen : nullptr, ComputeTilt(orientation_, pen.azimuth, pen.altitude), guide);
}

// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "engine/PerformanceEngine.h"
#include "model/EngineDisplay.h"
#include "model/MessageSink.h"
#include "ui/window/BackgroundFileLoader.h"
#include "ui/window/BackgroundFileSaver.h"
#include "ui/window/BackgroundPictureDecoder.h"
#include "ui/window/LastSessionKeeper.h"
#include "ui/window/MainWindowControls.h"
#include "ui/window/NoteGuide.h"
#include "ui/window/OrientationScaling.h"
#include "ui/window/PictureCache.h"
#include "ui/window/QtMessageSink.h"
#include "ui/window/TabStrip.h"

class MidiOutService;
class SlotKeyFilter;
class TabletService;

/// The file dialogs the window opens.
enum class FileDialogKind {
  LoadConfigurations,  ///< "Load...": open a configuration file
  SaveConfigurations,  ///< "Save...": save all twelve configurations
  Picture,             ///< the picture button: open a JPEG or BMP file
};

/// Quill's one window: the tablet area, the twelve tabs and the panels that
/// show and edit the current configuration. It is thin: packets, keys, clicks
/// and control changes go to the PerformanceEngine, which answers through the
/// EngineDisplay and MessageSink this window implements.
class CTabletMidiDlg : public QDialog, public EngineDisplay {
  Q_OBJECT

 public:
  /// Asks for a file; an empty result means the dialog was cancelled.
  using FileChooser = std::function<QString(FileDialogKind kind, const QString& startFolder)>;
  /// Asks for a key on the keyboard; nothing when closed without a click.
  using KeyChooser = std::function<std::optional<uint8_t>()>;

  /// `copyBuffer` is the program's one copy buffer; `messages` replaces the
  /// window's own message boxes (tests record them); MIDI trouble while
  /// playing is the window's own trouble line either way.
  CTabletMidiDlg(MidiOutService& midi, TabletService& tablet, const OrientationScaling& orientation,
                 const FileLocations& folders, CopyBuffer& copyBuffer, MessageSink* messages = nullptr);
  ~CTabletMidiDlg() override;

  /// Fills every list, shows configuration 1, opens the tablet context and,
  /// when it opened, finishes with the device name and the window icon.
  /// False when the tablet context could not be opened.
  bool OnInitDialog();
  /// OnInitDialog, then the presets of `lastSession` restored and
  /// `configurationFile` loaded as Load... would (each when given), then the
  /// modal run until the window is closed.
  int DoModal(const QString& configurationFile = QString(), const QString& lastSession = QString());

  // The presets between runs. The app decides whether and where they are kept.
  /// The presets are written to `path` a moment after each change and at the
  /// end; empty (the default): they are kept nowhere.
  void KeepLastSession(const QString& path);
  /// Starts with the presets kept in `path`, when the file is there; the title
  /// and the file dialogs do not mention it.
  void RestoreLastSession(const QString& path);
  /// Loads presets kept for the player rather than chosen by them (the last
  /// session, a session manager's file) as Load... does, messages included,
  /// but leaves the title and the file dialogs alone. `done` hears how the
  /// load ended once it has (see PerformanceEngine::LoadConfigurations).
  void LoadKeptPresets(const QString& path, PerformanceEngine::LoadDone done = {});
  /// Writes `contents` (FormatPresets) to `path` as Save... does: on the file
  /// thread, after the saves asked before, safely; `done` hears whether it
  /// was written, from this thread's event loop.
  void WritePresets(const QString& path, std::string contents, FileSaver::Done done);

  // The playing surface.
  /// The note guide over the tablet area; the choice is remembered between runs.
  void SetNoteGuide(bool on);
  bool NoteGuideShown() const { return noteGuide_; }
  /// The tablet area fills the screen (the light, the trouble line and the
  /// button back stay in view), or the window is as before.
  void SetAreaFullScreen(bool on);
  bool AreaFullScreen() const { return areaFullScreen_; }
  /// What the note guide shows now.
  NoteGuideView GuideView() const;
  /// The keys of the guide and of full screen, also shown in the controls' tool tips.
  static const char* const kNoteGuideKey;
  static const char* const kFullScreenKey;

  void EnableNoteControls(bool on);
  /// MinKey / MaxKey: a key from the keyboard sets that end of the note range.
  void SelectNoteLimit(NoteLimit which);
  /// A left press on the window's own surface: the tab test, then controller mode.
  void OnLeftButtonDown(const QPoint& clientPoint);
  void OnLoad();
  /// What Load... does once a file is chosen.
  void LoadConfigurationFile(const QString& path);
  void OnSave();
  void OnPictureBrowse();
  void OnPictureClear();
  void OnColorModel(uint16_t model);
  void OnAbout();

  /// Draws the tablet area (slot colour, picture, marker) and writes the pen's
  /// status labels that changed since the last paint.
  void PaintTabletArea(QPainter& painter);
  /// The sizes the next packet is scaled with.
  PacketGeometry CurrentGeometry() const;
  /// The pen as the area shows it: where the last packet put it in the area's
  /// range, also when the area has changed size since.
  PenState ShownPen() const;
  TabStrip Tabs() const;

  bool Initialized() const { return initialized_; }
  PerformanceEngine& Engine() { return engine_; }
  QWidget* Control(int id) const { return controls_->Control(id); }
  /// The widget the pen plays over.
  QWidget* TabletAreaWidget() const;
  const MainWindowControls& Controls() const { return *controls_; }
  PictureCache& Pictures() { return pictureCache_; }
  /// What the engine tells: boxes, and the trouble line.
  MessageSink& EngineMessages() { return ownMessages_; }

  void SetFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }
  void SetKeyChooser(KeyChooser chooser) { keyChooser_ = std::move(chooser); }

  // EngineDisplay
  void SetDisplayText(Readout readout, std::string_view text) override;
  void ShowPenPosition(int32_t x, int32_t y) override;
  void ShowPenPressure(uint32_t pressure) override;
  void ShowPenOrientation(int32_t azimuth, int32_t altitude) override;
  void InvalidateTabletArea() override;
  void InvalidateWindow() override;
  void SetSectionHeaderColors(Rgb text, Rgb back) override;
  void ShowPortAndChannel(const Configuration& config) override;
  void ShowSettings(const Configuration& config) override;
  void ShowPicturePath(const Configuration& config) override { ShowPictureAndColorModel(config); }
  void ShowPresetsFile(const std::string& path) override;

 signals:
  /// A preset changed (see PerformanceEngine::SetPresetsChangedHandler).
  void PresetsChanged();

 public slots:
  void done(int result) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FillLists();
  /// Keeps the port box up to date with the system's destinations.
  void FollowPortList();
  void RefreshPortBox();
  /// Selects the preset's destination in the port box, or an entry that
  /// names it as absent.
  void ShowPortEntry(const Configuration& config);
  void SetUpCustomControls();
  void ConnectHandlers();
  /// The guide and full-screen controls, their keys, the activity light.
  void SetUpPlayingSurface();
  /// Places the controls for the window's size, or the area over all of it.
  void ArrangeControls();
  /// The folder the save dialog starts in: the remembered one, or the
  /// Configs folder when that cannot be written (the installed examples).
  std::string SaveStart() const;
  void ShowNoteRange(const Configuration& config);
  void ShowPictureAndColorModel(const Configuration& config);
  /// Closes the tablet context once, when the initialisation had completed.
  void DestroyWindow();
  void WritePenStatus();
  QString ChooseFile(FileDialogKind kind, const std::string& start);
  /// The keyboard, opened where `currentLimit` is.
  std::optional<uint8_t> ChooseKey(uint8_t currentLimit);

  TabletService& tablet_;
  MidiOutService& midi_;
  OrientationScaling orientation_;
  /// Boxes go to the sink given to the constructor, when there is one; MIDI
  /// trouble always to the window's trouble line.
  QtMessageSink ownMessages_;
  PerformanceEngine engine_;
  /// Lent to the engine; destroyed first, so no answer reaches an engine that
  /// is gone. The file thread saves and loads in the order asked, and
  /// finishes every save asked for before it goes.
  BackgroundPictureDecoder pictureDecoder_;
  BackgroundWorker fileThread_{BackgroundWorker::WaitingJobsAtEnd::Finish};
  BackgroundFileSaver fileSaver_{fileThread_};
  BackgroundFileLoader fileLoader_{fileThread_};
  std::unique_ptr<MainWindowControls> controls_;
  SlotKeyFilter* keyFilter_ = nullptr;
  PictureCache pictureCache_;
  /// The pen's status as the engine last told it; the labels are written at
  /// the next paint, once however many packets came in between.
  struct PenStatus {
    std::optional<std::pair<int32_t, int32_t>> position;
    std::optional<uint32_t> pressure;
    std::optional<std::pair<int32_t, int32_t>> orientation;  ///< azimuth, altitude
  } penStatus_;
  bool initialized_ = false;
  bool contextOpen_ = false;
  /// A packet has arrived: until then the pen's place is unknown and no marker is drawn.
  bool penSeen_ = false;
  /// The last packet's screen position and the sizes it was scaled with.
  QPoint penAt_;
  PacketGeometry penGeometry_;
  FileChooser fileChooser_;
  KeyChooser keyChooser_;
  /// The folders the file dialogs started in at first.
  FileLocations firstLocations_;
  /// The file kept presets came from: not one to name in the title.
  QString keptFrom_;
  /// Destroyed before the saver it lends its writes to.
  LastSessionKeeper lastSession_;
  bool noteGuide_ = true;
  NoteGuide guidePainter_;
  bool areaFullScreen_ = false;
  bool maximizedBeforeFullScreen_ = false;
  /// Polls the engine's count of sent messages for the activity light.
  QTimer activityPoll_;
  uint64_t messagesSeen_ = 0;
};

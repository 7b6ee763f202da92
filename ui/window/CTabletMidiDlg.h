// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "engine/PerformanceEngine.h"
#include "model/EngineDisplay.h"
#include "model/MessageSink.h"
#include "ui/window/BackgroundFileSaver.h"
#include "ui/window/BackgroundPictureDecoder.h"
#include "ui/window/MainWindowControls.h"
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
  /// window's own message boxes (tests record them).
  CTabletMidiDlg(MidiOutService& midi, TabletService& tablet, const OrientationScaling& orientation,
                 const FileLocations& folders, CopyBuffer& copyBuffer, MessageSink* messages = nullptr);
  ~CTabletMidiDlg() override;

  /// Fills every list, shows configuration 1, opens the tablet context and,
  /// when it opened, finishes with the device name and the window icon.
  /// False when the tablet context could not be opened.
  bool OnInitDialog();
  /// OnInitDialog, then `configurationFile` (when given) loaded as Load...
  /// would, then the modal run until the window is closed.
  int DoModal(const QString& configurationFile = QString());

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
  TabStrip Tabs() const;

  bool Initialized() const { return initialized_; }
  PerformanceEngine& Engine() { return engine_; }
  QWidget* Control(int id) const { return controls_->Control(id); }
  /// The widget the pen plays over.
  QWidget* TabletAreaWidget() const;
  const MainWindowControls& Controls() const { return *controls_; }
  PictureCache& Pictures() { return pictureCache_; }

  void SetFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }
  void SetKeyChooser(KeyChooser chooser) { keyChooser_ = std::move(chooser); }

  // EngineDisplay
  void SetDisplayText(int controlId, std::string_view text) override;
  void ShowPenPosition(int32_t x, int32_t y) override;
  void ShowPenPressure(uint32_t pressure) override;
  void ShowPenOrientation(int32_t azimuth, int32_t altitude) override;
  void InvalidateTabletArea() override;
  void InvalidateWindow() override;
  void SetSectionHeaderColors(Rgb text, Rgb back) override;
  void ShowPortAndChannel(const Configuration& config) override;
  void ShowSettings(const Configuration& config) override;
  void ShowPicturePath(const Configuration& config) override { ShowPictureAndColorModel(config); }

 public slots:
  void done(int result) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

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
  QtMessageSink ownMessages_;
  MessageSink& messages_;
  PerformanceEngine engine_;
  /// Lent to the engine; destroyed first, so no answer reaches an engine that
  /// is gone. The saver finishes every save asked for before it goes.
  BackgroundPictureDecoder pictureDecoder_;
  BackgroundFileSaver fileSaver_;
  /// Lent to the eight curve buttons, so declared before them.
  std::array<QPixmap, kResponseCurveCount> curveBitmaps_;
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
  FileChooser fileChooser_;
  KeyChooser keyChooser_;
};

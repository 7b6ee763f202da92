// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include "engine/CopyBuffer.h"
#include "engine/PerformanceEngine.h"
#include "tablet/TabletContext.h"
#include "ui/window/OrientationScaling.h"

class ManagedSession;
class MessageSink;
class MidiOutService;
class WidgetTabletService;

/// The program as a whole: prepares its folders, checks for a tablet, reads the
/// orientation scaling and runs the main window modally until it is closed.
/// It owns what lives as long as the program: the folders and the copy buffer.
class CTabletMidiApp {
 public:
  CTabletMidiApp(WidgetTabletService& tablet, MidiOutService& midi, MessageSink& messages);

  /// The whole start-up, the modal run and the shut-down. `configurationFile`
  /// (from the command line, relative to the current folder) is loaded into
  /// the window as Load... would. Always false: the program ends when the
  /// window has closed (or never opened), with ExitStatus().
  bool InitInstance(const QString& configurationFile = QString());
  /// The program's exit status after InitInstance: 0, or kStartupFailed when
  /// there was no usable tablet (no window opened) or the window could not
  /// open the tablet context (the window ran without the pen). The message
  /// went to standard error as well as into its box.
  int ExitStatus() const { return exitStatus_; }
  static constexpr int kStartupFailed = 1;

  /// Start-up up to the window: the folders beside the program (or in
  /// `dataFolder` when the program's folder cannot be written), the place of
  /// the last presets in `dataFolder`, the tablet check and the orientation
  /// scaling. False when there is no usable tablet;
  /// its message has been shown then, and written to standard error.
  bool Prepare(const QString& programFolder, const QString& dataFolder);
  /// Which makers' tablets the start-up check takes (Wacom only unless chosen).
  void AcceptTabletMakers(TabletMakers makers) { makers_ = makers; }

  /// What becomes of the presets the window had when it last closed.
  enum class LastSession {
    Off,       ///< neither read nor written: the default, and under a session manager
    Fresh,     ///< written for the next start, not read: the window starts with the defaults
    Restored,  ///< the window starts with them (unless a file is given), and keeps them again
  };
  /// One call decides it; the file is last-session.qcf in the data folder.
  void UseLastSession(LastSession use) { lastSession_ = use; }
  /// The file the last presets are kept in, once Prepare knows the data folder.
  const QString& LastSessionFile() const { return lastSessionFile_; }
  /// Quill runs in a session manager's session that has opened: the window
  /// takes the session's presets instead of a file given and the last
  /// session's (which is then neither read nor written).
  void JoinSession(ManagedSession& session) {
    session_ = &session;
    lastSession_ = LastSession::Off;
  }
  /// Runs the main window modally, with `configurationFile` loaded when one is
  /// given (in a session: the session's presets instead), and destroys it;
  /// `windowMessages` replaces the window's own message boxes. SIGINT,
  /// SIGTERM and SIGHUP end the run as closing the window does, at once and
  /// without a question. A window without the tablet context sets
  /// kStartupFailed.
  int RunMainWindow(MessageSink* windowMessages = nullptr, const QString& configurationFile = QString());

  const QString& ProgramFolder() const { return programFolder_; }
  const QString& ConfigsFolder() const { return configsFolder_; }
  const QString& PicturesFolder() const { return picturesFolder_; }
  const OrientationScaling& Orientation() const { return orientation_; }
  FileLocations Locations() const;

 private:
  void PrepareFolders(const QString& programFolder, const QString& dataFolder);

  WidgetTabletService& tablet_;
  MidiOutService& midi_;
  MessageSink& messages_;
  TabletMakers makers_ = TabletMakers::WacomOnly;
  LastSession lastSession_ = LastSession::Off;
  ManagedSession* session_ = nullptr;
  QString lastSessionFile_;
  int exitStatus_ = 0;
  QString programFolder_;
  QString configsFolder_;
  QString picturesFolder_;
  OrientationScaling orientation_;
  CopyBuffer copyBuffer_;
};

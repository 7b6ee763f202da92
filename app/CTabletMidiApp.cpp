// SPDX-License-Identifier: MIT
#include "app/CTabletMidiApp.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/EchoingMessageSink.h"
#include "app/ManagedSession.h"
#include "app/TerminationSignals.h"
#include "tablet/TabletContext.h"
#include "tablet/layers/WidgetTabletService.h"
#include "ui/window/CTabletMidiDlg.h"

namespace {

constexpr const char* kNoTabletAdvice =
    "without a tablet, start 'quill --tablet=auto' (or --tablet=mouse): the mouse then plays the pen";
constexpr const char* kOtherMakerAdvice =
    "for a tablet of another maker start 'quill --any-tablet'; without a tablet, 'quill --tablet=auto'";

QString WithSlash(const QString& folder) { return folder.endsWith(u'/') ? folder : folder + u'/'; }

// Creates a folder that does not exist yet; false only when creating failed.
bool EnsureFolder(const QString& path) {
  if (QFileInfo::exists(path)) return true;
  return QDir().mkdir(path);
}

}  // namespace

CTabletMidiApp::CTabletMidiApp(WidgetTabletService& tablet, MidiOutService& midi, MessageSink& messages)
    : tablet_(tablet), midi_(midi), messages_(messages) {}

bool CTabletMidiApp::InitInstance(const QString& configurationFile) {
  // Resolved before the program's folder becomes the current one.
  const QString startFile = configurationFile.isEmpty() ? QString() : QFileInfo(configurationFile).absoluteFilePath();
  const QString programFolder = QCoreApplication::applicationDirPath();
  const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  if (Prepare(programFolder, dataFolder)) RunMainWindow(nullptr, startFile);
  return false;
}

bool CTabletMidiApp::Prepare(const QString& programFolder, const QString& dataFolder) {
  PrepareFolders(programFolder, dataFolder);
  lastSessionFile_.clear();
  if (lastSession_ != LastSession::Off && !dataFolder.isEmpty() && QDir().mkpath(dataFolder)) {
    lastSessionFile_ = QDir(dataFolder).filePath(QStringLiteral("last-session.qcf"));
  }
  // The box keeps its words; standard error says what to start instead.
  EchoingMessageSink echoed(messages_, tablet_.ServicesPresent() ? kOtherMakerAdvice : kNoTabletAdvice);
  if (!CheckTabletPresence(tablet_, echoed, makers_)) {
    exitStatus_ = kStartupFailed;
    return false;
  }
  orientation_ = OrientationScaling::FromAxes(tablet_.Orientation());
  return true;
}

void CTabletMidiApp::PrepareFolders(const QString& programFolder, const QString& dataFolder) {
  programFolder_ = WithSlash(programFolder);
  // Relative paths resolve beside the program.
  QDir::setCurrent(programFolder_);
  // An installed program keeps its folders in the user's data folder: one that
  // cannot write beside itself, and one installed beside its desktop entry
  // (which root could write beside, but system folders are no place for presets).
  QString base = programFolder_;
  const QFileInfo programInfo(programFolder_);
  const bool installed = QFileInfo::exists(programFolder_ + QStringLiteral("../share/applications/quill.desktop"));
  if ((installed || !(programInfo.isDir() && programInfo.isWritable())) && !dataFolder.isEmpty()) {
    QDir().mkpath(dataFolder);
    base = WithSlash(dataFolder);
  }
  configsFolder_ = base + QStringLiteral("Configs");
  picturesFolder_ = base + QStringLiteral("Pictures");
  if (!EnsureFolder(configsFolder_)) messages_.ShowMessage("Unable to create the 'Configs' folder !");
  if (!EnsureFolder(picturesFolder_)) messages_.ShowMessage("Unable to create the 'Pictures' folder !");
}

FileLocations CTabletMidiApp::Locations() const {
  return FileLocations{configsFolder_.toStdString(), picturesFolder_.toStdString()};
}

int CTabletMidiApp::RunMainWindow(MessageSink* windowMessages, const QString& configurationFile) {
  // A local object: the window and everything it owns go when the run ends.
  CTabletMidiDlg window(midi_, tablet_, orientation_, Locations(), copyBuffer_, windowMessages);
  tablet_.SetWindow(&window, window.TabletAreaWidget());
  // SIGINT, SIGTERM and SIGHUP end the run as closing the window does. Every
  // event loop is told to return, a message box's as well as the window's, and
  // loops started later return at once; the window then stops what sounds.
  const TerminationSignals endSignals([](int) { QCoreApplication::exit(0); });
  window.KeepLastSession(lastSessionFile_);
  int result = 0;
  if (session_) {
    // The session's presets count: no file given, no last session.
    window.OnInitDialog();
    session_->Attach(window);
    result = window.exec();
    session_->Detach();
  } else {
    result = window.DoModal(configurationFile, lastSession_ == LastSession::Restored ? lastSessionFile_ : QString());
  }
  // The window said why (its box and standard error) and stayed for editing;
  // whoever started the program still learns that the pen never played.
  if (!window.Initialized()) exitStatus_ = kStartupFailed;
  return result;
}

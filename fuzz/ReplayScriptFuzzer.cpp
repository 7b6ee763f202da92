// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes as a quill-replay script: read with the program's own
// line reader, each line run by the real runner through the engine, onto
// printing devices (three in the port box; the last never opens). A script
// either runs or stops at a malformed line with a reason; never a crash, a
// sanitizer report, an exception or a hang. Beyond that it checks what a
// performer relies on: every message sent is a complete MIDI message, nothing
// sounds once a packet without pressure or a panic has run, and the end of the
// run leaves nothing sounding and sent no note-off for a note not sounding.
//
// Files stay in one scratch folder: every path a script names (load, save,
// picture, the Picture field of set) is taken as a name in that folder, which
// holds a few pictures and configuration files; a folder named by its own
// path, ".", ".." or nothing is the folder itself. After a script that saved,
// the folder is put back as it was, so every input finds the same files.
#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <stdlib.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/ConfigFields.h"
#include "config/ConfigFileWriter.h"
#include "midi/ShortMessage.h"
#include "tools/replay/ReplayRunner.h"
#include "tools/replay/ScriptFile.h"
#include "tools/replay/ScriptParsing.h"

namespace {

namespace fs = std::filesystem;
using namespace ScriptParsing;

void Check(bool condition) {
  if (!condition) std::abort();
}

// The scratch folder and the files every script finds in it.
class ScratchFolder {
 public:
  ScratchFolder() {
    const char* base = fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";  // memory: saves cost no disk
    std::string name = std::string(base) + "/quill-replay-fuzz-XXXXXX";
    Check(mkdtemp(name.data()) != nullptr);
    path_ = name;
    Fill();
  }
  ~ScratchFolder() {
    std::error_code error;
    fs::remove_all(path_, error);
  }

  const std::string& Path() const { return path_; }

  // A path named in a script, as a name in the folder.
  std::string Confine(std::string_view path) const {
    const size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") return path_;
    return path_ + "/" + std::string(name);
  }

  void Restore() {
    for (const fs::directory_entry& entry : fs::directory_iterator(path_)) fs::remove_all(entry.path());
    Fill();
  }

 private:
  // Every file's bytes are made once; putting the folder back only writes them.
  void Fill() {
    if (files_.empty()) MakeFiles();
    for (const auto& [name, bytes] : files_) {
      std::ofstream(path_ + "/" + name, std::ios::binary)
          .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
  }

  void MakeFiles() {
    // Pictures: a colour gradient, and a grey one in another format.
    QImage colours(5, 3, QImage::Format_RGB888);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 5; ++x) colours.setPixel(x, y, qRgb(x * 60, y * 120, 100));
    }
    files_.emplace_back("tiny.bmp", Encoded(colours, "BMP"));
    files_.emplace_back("grey.png", Encoded(colours.convertToFormat(QImage::Format_Grayscale8), "PNG"));

    std::array<Configuration, kSlotCount> configs;
    configs.fill(DefaultConfiguration());
    files_.emplace_back("fresh.qcf", FormatConfigFile(configs));
    configs[1].picture = path_ + "/tiny.bmp";
    configs[1].cc = {20, 21, 22, 23, 24, 25, 26, 27};
    configs[1].colorModel = 1;
    configs[4].picture = path_ + "/grey.png";
    configs[4].midiOutPort = 1;
    configs[4].midiChannel = 9;
    configs[4].chord = 5;
    configs[6].picture = path_ + "/gone.jpg";  // not there: the file loads, the picture does not
    configs[7].midiOutPort = 2;                // a port that never opens
    files_.emplace_back("set.qcf", FormatConfigFile(configs));
    files_.emplace_back("other.txt", "<header>\r\nsomething else\r\n");
  }

  static std::string Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    Check(image.save(&buffer, format));
    return bytes.toStdString();
  }

  std::string path_;
  std::vector<std::pair<std::string, std::string>> files_;  ///< name and bytes
};

// What the receivers heard: note-ons minus note-offs on each port, channel
// and note. A note-on of velocity 0 still needs its note-off.
class NoteLedger {
 public:
  void Hear(unsigned port, const std::array<uint8_t, 3>& bytes) {
    const int kind = bytes[0] & 0xF0;
    if (kind != kNoteOn && kind != kNoteOff) return;
    int& count = sounding_[port][bytes[0] & 0x0F][bytes[1]];
    if (kind == kNoteOn) {
      ++count;
      ++total_;
    } else {
      Check(count > 0);  // a note-off for a note that is not sounding
      --count;
      --total_;
    }
  }
  int Sounding() const { return total_; }

 private:
  int sounding_[3][kChannelCount][kNoteCount] = {};
  int total_ = 0;
};

// The printing devices, checked: three in the port box, the last never
// opens; every message a port takes must be a complete MIDI message.
class CheckedDevices : public MidiOutService {
 public:
  CheckedDevices(ReplayOutput& out, NoteLedger& ledger) : printing_(2, out), ledger_(ledger) {}
  unsigned GetNumDevs() override { return 3; }
  std::string GetDeviceName(unsigned device) override { return printing_.GetDeviceName(device); }
  bool Open(unsigned device) override {
    port_ = device;
    return printing_.Open(device);
  }
  bool Close() override { return printing_.Close(); }
  bool SendShortMsg(uint32_t packed) override {
    if (!printing_.SendShortMsg(packed)) return false;
    std::array<uint8_t, 3> bytes{};
    Check(ShortMessageBytes(packed, bytes) > 0);
    ledger_.Hear(port_, bytes);
    return true;
  }

 private:
  PrintingDevices printing_;
  NoteLedger& ledger_;
  unsigned port_ = 0;
};

// The line with the path it names confined to the folder; `saves` tells that
// it writes a file.
std::string ConfinedLine(std::string_view line, const ScratchFolder& folder, bool& saves) {
  std::string_view rest;
  const std::string_view command = SplitCommand(line, rest);
  if (command == "load" || command == "save" || command == "picture") {
    if (Trim(rest).empty()) return std::string(line);  // malformed: needs a path
    saves = saves || command == "save";
    return std::string(command) + " " + folder.Confine(Trim(rest));
  }
  if (command == "set") {
    while (!rest.empty() && rest.back() == '\r') rest.remove_suffix(1);
    const ConfigField* field = MatchConfigField(rest);
    if (field && field->kind == FieldKind::Picture && rest.size() > field->name.size()) {
      return "set " + std::string(field->name) + folder.Confine(rest.substr(field->name.size()));
    }
  }
  return std::string(line);
}

// A packet line (run successfully) whose pressure is 0: the pen is up.
bool LiftsThePen(std::string_view line) {
  std::string_view rest;
  if (SplitCommand(line, rest) != "packet") return false;
  const auto words = Words(rest);
  return words.size() == 8 && ParseWrapped32(words[4]) == 0u;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ScratchFolder folder;
  static std::unique_ptr<std::FILE, int (*)(std::FILE*)> sink(std::fopen("/dev/null", "w"), &std::fclose);
  static ReplayOutput out(sink.get());  // its buffer is kept from one input to the next
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> script(fmemopen(const_cast<uint8_t*>(data), size, "r"), &std::fclose);
  if (size == 0 || !script) return 0;  // fmemopen refuses an empty buffer

  NoteLedger ledger;
  bool saved = false;
  {
    ReplayRunner runner(std::make_unique<CheckedDevices>(out, ledger), out, true);
    ScriptLineReader reader(script.get());
    std::string_view line;
    std::string error;
    while (reader.Next(line)) {
      const std::string confined = ConfinedLine(line, folder, saved);
      if (!runner.RunLine(confined, error)) {
        Check(!error.empty());
        break;
      }
      if (LiftsThePen(line) || Trim(line) == "panic") Check(ledger.Sounding() == 0);
    }
    runner.EndPerformance();
    Check(ledger.Sounding() == 0);
  }
  Check(ledger.Sounding() == 0);  // the runner's end stops nothing more
  if (saved) folder.Restore();
  return 0;
}

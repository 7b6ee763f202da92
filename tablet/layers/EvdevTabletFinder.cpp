// SPDX-License-Identifier: MIT
#include "tablet/layers/EvdevTabletFinder.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tablet/EvdevDeviceInfo.h"
#include "tablet/layers/LibevdevDevice.h"

namespace {

bool ReadableTabletPen(const std::string& path, int& openError) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    openError = errno;
    return false;
  }
  openError = 0;
  libevdev* device = nullptr;
  bool pen = false;
  if (libevdev_new_from_fd(fd, &device) == 0) {
    pen = IsTabletPen(DescribeDevice(device));
    libevdev_free(device);
  }
  ::close(fd);
  return pen;
}

bool UdevSaysTablet(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) return false;
  std::ostringstream dataPath;
  dataPath << "/run/udev/data/c" << major(info.st_rdev) << ':' << minor(info.st_rdev);
  std::ifstream in(dataPath.str());
  if (!in) return false;
  std::ostringstream contents;
  contents << in.rdbuf();
  return EvdevTabletFinder::UdevDataMarksTablet(contents.str());
}

unsigned long NodeNumber(const std::string& name) {
  return std::strtoul(name.c_str() + 5, nullptr, 10);  // after "event"
}

}  // namespace

std::vector<EvdevTabletNode> EvdevTabletFinder::Find(const std::string& directory) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("event", 0) == 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return NodeNumber(a) < NodeNumber(b); });

  std::vector<EvdevTabletNode> nodes;
  for (const std::string& name : names) {
    const std::string path = directory + "/" + name;
    int openError = 0;
    if (ReadableTabletPen(path, openError)) {
      nodes.push_back({path, true});
    } else if ((openError == EACCES || openError == EPERM) && UdevSaysTablet(path)) {
      nodes.push_back({path, false});
    }
  }
  return nodes;
}

bool EvdevTabletFinder::UdevDataMarksTablet(std::string_view contents) {
  bool tablet = false;
  bool pad = false;
  size_t start = 0;
  while (start < contents.size()) {
    size_t end = contents.find('\n', start);
    if (end == std::string_view::npos) end = contents.size();
    const std::string_view line = contents.substr(start, end - start);
    if (line == "E:ID_INPUT_TABLET=1") tablet = true;
    if (line == "E:ID_INPUT_TABLET_PAD=1") pad = true;
    start = end + 1;
  }
  return tablet && !pad;
}

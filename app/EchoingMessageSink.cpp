// SPDX-License-Identifier: MIT
#include "app/EchoingMessageSink.h"

#include <cstdio>

void EchoingMessageSink::ShowMessage(std::string_view text, MessageIcon icon) {
  std::fprintf(stderr, "quill: %.*s\n", static_cast<int>(text.size()), text.data());
  if (!advice_.empty()) std::fprintf(stderr, "quill: %s\n", advice_.c_str());
  shown_.ShowMessage(text, icon);
}

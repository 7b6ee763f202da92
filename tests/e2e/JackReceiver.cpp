// SPDX-License-Identifier: MIT
#include "JackReceiver.h"

#include "tests/support/JackServer.h"

namespace {
void IgnoreError(RtMidiError::Type, const std::string&, void*) {}
}  // namespace

JackReceiver::JackReceiver(const std::string& client) : client_(client) {
  try {
    auto in = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, client);
    in->setErrorCallback(IgnoreError);
    in->ignoreTypes(false, false, false);
    in->setCallback(&JackReceiver::OnMessage, this);
    in->openVirtualPort("in");
    if (JackServer::WaitForPort(PortName())) in_ = std::move(in);
  } catch (const RtMidiError&) {
  }
}

void JackReceiver::OnMessage(double, std::vector<unsigned char>* message, void* arg) {
  auto* self = static_cast<JackReceiver*>(arg);
  std::vector<uint8_t> heard(message->begin(), message->end());
  // PipeWire hands a note-on of velocity 0 on as a note-off of velocity 64;
  // Quill sends its note-offs with velocity 0, so this one was sent as a
  // note-on, and is given back as it was sent.
  if (self->pipeWire_ && heard.size() == 3 && (heard[0] & 0xF0) == 0x80 && heard[2] == 0x40) {
    heard[0] = static_cast<uint8_t>(0x90 | (heard[0] & 0x0F));
    heard[2] = 0;
  }
  std::lock_guard lock(self->mutex_);
  self->messages_.push_back(std::move(heard));
  self->arrived_.notify_all();
}

std::vector<std::vector<uint8_t>> JackReceiver::WaitFor(size_t count, std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  arrived_.wait_for(lock, limit, [&] { return messages_.size() >= count; });
  return messages_;
}

bool JackReceiver::WaitForLast(const std::vector<uint8_t>& message, std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return arrived_.wait_for(lock, limit, [&] { return !messages_.empty() && messages_.back() == message; });
}

std::vector<std::vector<uint8_t>> JackReceiver::Messages() {
  std::lock_guard lock(mutex_);
  return messages_;
}

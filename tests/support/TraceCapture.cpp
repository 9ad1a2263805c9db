#include "support/TraceCapture.h"

#include <cstring>
#include <utility>

namespace qv::test {

namespace {

uint32_t GetU32(const unsigned char* in, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | in[offset + i];
  return value;
}

uint64_t GetU64(const unsigned char* in, size_t offset) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | in[offset + i];
  return value;
}

}  // namespace

bool ParseTraceRecord(const void* bytes, size_t size, TraceRecord& record) {
  if (!bytes || size < kTraceHeaderSize || size > kTraceMaxRecord) return false;
  const auto* in = static_cast<const unsigned char*>(bytes);
  if (GetU32(in, 0) != size) return false;
  record = TraceRecord();
  record.raw.assign(reinterpret_cast<const char*>(in), size);
  record.level = static_cast<int32_t>(GetU32(in, 4));
  record.depth = static_cast<int32_t>(GetU32(in, 8));
  record.pid = GetU32(in, 12);
  record.tid = GetU32(in, 16);
  size_t tagLength = 0;
  while (tagLength < kTraceTagSize && in[20 + tagLength] != 0) ++tagLength;
  record.tag.assign(reinterpret_cast<const char*>(in + 20), tagLength);
  record.type = static_cast<int32_t>(GetU32(in, 28));
  record.cycles = GetU32(in, 32);
  record.stampKind = static_cast<int32_t>(GetU32(in, 36));
  const uint64_t stampBits = GetU64(in, 40);
  std::memcpy(&record.stamp, &stampBits, sizeof(record.stamp));
  record.text.assign(reinterpret_cast<const char*>(in + kTraceHeaderSize), size - kTraceHeaderSize);
  return true;
}

std::vector<TraceRecord> ChannelLog::Records() const {
  std::lock_guard<std::mutex> guard(lock_);
  return records_;
}

void ChannelLog::Clear() {
  std::lock_guard<std::mutex> guard(lock_);
  records_.clear();
}

void ChannelLog::Add(TraceRecord record) {
  std::lock_guard<std::mutex> guard(lock_);
  records_.push_back(std::move(record));
}

void ChannelLog::SetPendingFilter(const TTraceFilter& filter) {
  std::lock_guard<std::mutex> guard(lock_);
  pendingFilter_ = filter;
}

std::optional<TTraceFilter> ChannelLog::TakePendingFilter() {
  std::lock_guard<std::mutex> guard(lock_);
  return std::exchange(pendingFilter_, std::nullopt);
}

bool ChannelLog::FilterIsPending() const {
  std::lock_guard<std::mutex> guard(lock_);
  return pendingFilter_.has_value();
}

RecordingChannel::RecordingChannel(std::shared_ptr<ChannelLog> log, bool flush)
    : TTraceChannel(flush), log_(std::move(log)) {}

RecordingChannel::~RecordingChannel() { log_->destroyed = true; }

bool RecordingChannel::OpenQueue() {
  ++log_->openQueueCalls;
  return log_->openQueueResult.load();
}

void RecordingChannel::SetFlushWait() { ++log_->flushWaitCalls; }

void RecordingChannel::LaunchViewer() { ++log_->launchViewerCalls; }

bool RecordingChannel::FilterPending() { return log_->FilterIsPending(); }

void RecordingChannel::LoadFilter(TTraceFilter& filter) {
  ++log_->loadFilterCalls;
  if (auto pending = log_->TakePendingFilter()) filter = *pending;
}

void RecordingChannel::PutRecord(const void* bytes, size_t size) {
  TraceRecord record;
  if (ParseTraceRecord(bytes, size, record))
    log_->Add(std::move(record));
  else
    ++log_->malformed;
}

TraceCapture::TraceCapture() : log_(std::make_shared<ChannelLog>()) {
  TTraceDebugger* tracer = GetTracer();
  previousActive_ = tracer->Active();
  previousAutoStart_ = tracer->AutoStartViewer();
  tracer->SetAutoStartViewer(false);
  previousChannel_ = tracer->TakeChannel();
  tracer->ReplaceChannel(std::make_unique<RecordingChannel>(log_, true));
  tracer->SetTraceActive(true);
}

TraceCapture::~TraceCapture() {
  TTraceDebugger* tracer = GetTracer();
  tracer->SetTraceActive(previousActive_);
  tracer->ReplaceChannel(std::move(previousChannel_));
  tracer->SetAutoStartViewer(previousAutoStart_);
}

std::vector<std::string> TraceCapture::Texts() const {
  std::vector<std::string> texts;
  for (const TraceRecord& record : log_->Records()) texts.push_back(record.text);
  return texts;
}

}  // namespace qv::test

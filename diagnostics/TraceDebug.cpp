// The trace facility: record layout, filter, the base channel and the debugger that turns
// trace calls into records. Nothing here may throw to a caller: a failing channel only
// costs the record.
#include "diagnostics/TraceDebug.h"

#include <windows.h>
#include <x86intrin.h>

#include <cstring>
#include <utility>

#include "util/DateTime.h"

namespace qv {

namespace {

void PutU32(unsigned char* out, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

void PutU64(unsigned char* out, size_t offset, uint64_t value) {
  for (int i = 0; i < 8; ++i) out[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameTextAscii(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

// Local date and time as days since 30 December 1899.
uint64_t LocalStampBits() {
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  TDateTime date = 0;
  if (!TryEncodeDate(now.wYear, now.wMonth, now.wDay, date)) date = 0;
  const TDateTime stamp =
      date + EncodeTime(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
  uint64_t bits = 0;
  static_assert(sizeof(bits) == sizeof(stamp));
  std::memcpy(&bits, &stamp, sizeof(bits));
  return bits;
}

std::array<char, kTraceTagSize> MarkKey(const std::string& name) {
  std::array<char, kTraceTagSize> key{};
  std::memcpy(key.data(), name.data(), name.size() < key.size() ? name.size() : key.size());
  return key;
}

std::string MarkName(const std::array<char, kTraceTagSize>& key) {
  size_t length = 0;
  while (length < key.size() && key[length] != '\0') ++length;
  return std::string(key.data(), length);
}

// A channel that traces from inside its own operations would otherwise wait on the lock
// its caller already holds; such nested records are dropped instead.
thread_local bool insideChannel = false;

struct ChannelEntry {
  ChannelEntry() { insideChannel = true; }
  ~ChannelEntry() { insideChannel = false; }
};

std::mutex& ChannelClassLock() {
  static std::mutex lock;
  return lock;
}

TTraceChannelClass& ChannelClassSlot() {
  static TTraceChannelClass slot = [](bool flush) -> std::unique_ptr<TTraceChannel> {
    return std::make_unique<TTraceChannel>(flush);
  };
  return slot;
}

}  // namespace

size_t EncodeTraceRecord(const TraceRecordFields& fields, const std::string& text,
                         unsigned char* out) {
  std::memset(out, 0, kTraceMaxRecord);
  const size_t textLength = text.size() < kTraceMaxText ? text.size() : kTraceMaxText;
  const size_t tagLength = fields.tag.size() < kTraceTagSize ? fields.tag.size() : kTraceTagSize;
  const size_t total = kTraceHeaderSize + textLength;
  PutU32(out, 0, static_cast<uint32_t>(total));
  PutU32(out, 4, static_cast<uint32_t>(fields.level));
  PutU32(out, 8, static_cast<uint32_t>(fields.depth));
  PutU32(out, 12, fields.processId);
  PutU32(out, 16, fields.threadId);
  std::memcpy(out + 20, fields.tag.data(), tagLength);
  PutU32(out, 28, static_cast<uint32_t>(fields.type));
  PutU32(out, 32, fields.cycles);
  PutU32(out, 36, static_cast<uint32_t>(fields.stampKind));
  PutU64(out, 40, fields.stampBits);
  std::memcpy(out + kTraceHeaderSize, text.data(), textLength);
  return total;
}

bool TTraceFilter::Passes(int32_t level, int32_t type, const std::string& tag) const {
  if (!Enabled) return true;
  if (level > MaxLevel) return false;
  if (TypeSet != 0 && (type < 0 || type > 15 || (TypeSet & (1u << type)) == 0)) return false;
  if (!Tag.empty() && (tag.size() > kTraceTagSize || !SameTextAscii(tag, Tag))) return false;
  return true;
}

void SetTraceChannelClass(TTraceChannelClass channelClass) {
  std::lock_guard<std::mutex> guard(ChannelClassLock());
  ChannelClassSlot() = std::move(channelClass);
}

TTraceChannelClass GetTraceChannelClass() {
  std::lock_guard<std::mutex> guard(ChannelClassLock());
  return ChannelClassSlot();
}

TTraceDebugger::TTraceDebugger() {
  if (TTraceChannelClass channelClass = GetTraceChannelClass()) {
    try {
      std::unique_ptr<TTraceChannel> channel = channelClass(true);
      if (channel) channel->SetFlushWait();
      channel_ = std::move(channel);
    } catch (...) {
      channel_.reset();
    }
  }
  active_.store(true);

  // Measure what a start/stop pair costs so that time marks can leave it out. The channel is
  // switched off meanwhile, so nothing is sent.
  try {
    if (channel_) channel_->SetEnabled(false);
  } catch (...) {
    channel_.reset();
  }
  calibrating_.store(true);
  for (int i = 0; i < 1000; ++i) {
    TraceStartMark("");
    TraceStopMark("", kTraceDefaultStopText);
  }
  calibrating_.store(false);
  callCount_.store(0);
  sentCount_.store(0);
  try {
    if (channel_) channel_->SetEnabled(true);
  } catch (...) {
    channel_.reset();
  }
  std::lock_guard<std::mutex> guard(marksLock_);
  if (TimeMark* mark = FindMark(MarkKey("")))
    overhead_ = static_cast<uint32_t>(mark->accumulated / 1000);
}

TTraceDebugger::~TTraceDebugger() {
  std::lock_guard<std::mutex> guard(channelLock_);
  try {
    channel_.reset();
  } catch (...) {
  }
}

void TTraceDebugger::TraceMsg(const std::string& text) noexcept {
  if (text.empty()) return;
  WriteRecord(text, std::string(), kTraceTypePlain, 0);
}

void TTraceDebugger::TraceMsgWithTag(const std::string& text, const std::string& tag) noexcept {
  if (text.empty()) return;
  WriteRecord(text, tag, kTraceTypePlain, 0);
}

void TTraceDebugger::TraceEnter(const std::string& name, const std::string& tag) noexcept {
  try {
    WriteRecord("Enter: " + name, tag, kTraceTypeEnter, 0);
    DepthOfCallingThread().fetch_add(1);
  } catch (...) {
  }
}

void TTraceDebugger::TraceLeave(const std::string& name, const std::string& tag) noexcept {
  try {
    // Only the owning thread changes its counter, so a plain read-then-write is enough.
    std::atomic<int32_t>& depth = DepthOfCallingThread();
    const int32_t current = depth.load();
    if (current > 0) depth.store(current - 1);
    WriteRecord("Leave: " + name, tag, kTraceTypeLeave, 0);
  } catch (...) {
  }
}

void TTraceDebugger::TraceStartMark(const std::string& name) noexcept {
  try {
    const auto key = MarkKey(name);
    std::lock_guard<std::mutex> guard(marksLock_);
    TimeMark* mark = FindMark(key);
    if (!mark) {
      marks_.emplace_back();
      mark = &marks_.back();
      mark->name = key;
    }
    ++mark->startCount;
    mark->start = __rdtsc();
  } catch (...) {
  }
}

void TTraceDebugger::TraceStopMark(const std::string& name, const std::string& text) noexcept {
  const uint64_t now = __rdtsc();
  try {
    const auto key = MarkKey(name);
    uint64_t accumulated = 0;
    {
      std::lock_guard<std::mutex> guard(marksLock_);
      TimeMark* mark = FindMark(key);
      if (!mark) return;
      // A span shorter than the measured overhead (or a counter read on another core that
      // runs behind) must not wrap the unsigned total around.
      const int64_t span =
          static_cast<int64_t>(now - mark->start) - static_cast<int64_t>(overhead_);
      if (span > 0) mark->accumulated += static_cast<uint64_t>(span);
      accumulated = mark->accumulated;
    }
    WriteRecord(text.empty() ? std::string(kTraceDefaultStopText) : text, MarkName(key),
                kTraceTypeTimeMark, static_cast<uint32_t>(accumulated));
  } catch (...) {
  }
}

int32_t TTraceDebugger::CurrentDepth() noexcept {
  try {
    return DepthOfCallingThread().load();
  } catch (...) {
    return 0;
  }
}

void TTraceDebugger::ReplaceChannel(std::unique_ptr<TTraceChannel> channel) {
  std::unique_ptr<TTraceChannel> old;
  {
    std::lock_guard<std::mutex> guard(channelLock_);
    old = std::exchange(channel_, std::move(channel));
  }
}

std::unique_ptr<TTraceChannel> TTraceDebugger::TakeChannel() {
  std::lock_guard<std::mutex> guard(channelLock_);
  return std::move(channel_);
}

bool TTraceDebugger::HasChannel() {
  std::lock_guard<std::mutex> guard(channelLock_);
  return channel_ != nullptr;
}

void TTraceDebugger::WriteRecord(const std::string& text, const std::string& tag, int32_t type,
                                 uint32_t cycles) {
  if (insideChannel) return;
  try {
    if (autoStartViewer_.load() && !calibrating_.load() && !viewerStarted_.load()) {
      bool expected = false;
      // Counted as started whether or not the start works: one attempt per facility.
      if (viewerStarted_.compare_exchange_strong(expected, true)) {
        std::lock_guard<std::mutex> guard(channelLock_);
        ChannelEntry entry;
        if (channel_) channel_->LaunchViewer();
      }
    }
    callCount_.fetch_add(1);
    if (!active_.load()) return;

    const int32_t depth = DepthOfCallingThread().load();
    std::lock_guard<std::mutex> guard(channelLock_);
    ChannelEntry entry;
    if (!channel_ || !channel_->Enabled()) return;
    if (!channel_->OpenQueue()) return;
    if (channel_->FilterPending()) channel_->LoadFilter(filter_);
    if (!filter_.Passes(kTraceDefaultLevel, type, tag)) return;

    TraceRecordFields fields;
    fields.level = kTraceDefaultLevel;
    fields.depth = depth;
    fields.processId = GetCurrentProcessId();
    fields.threadId = GetCurrentThreadId();
    fields.tag = tag;
    fields.type = type;
    fields.cycles = cycles;
    fields.stampKind = kTraceStampDateTime;
    fields.stampBits = LocalStampBits();
    unsigned char record[kTraceMaxRecord];
    const size_t size = EncodeTraceRecord(fields, text, record);
    channel_->PutRecord(record, size);
    sentCount_.fetch_add(1);
  } catch (...) {
  }
}

std::atomic<int32_t>& TTraceDebugger::DepthOfCallingThread() {
  const uint32_t self = GetCurrentThreadId();
  for (ThreadDepth* node = threadHead_.load(std::memory_order_acquire); node; node = node->next)
    if (node->threadId == self) return node->depth;
  // First record of this thread. Only this thread adds its own id, so nobody can have added
  // it meanwhile; the lock keeps two new threads from growing the store at once.
  std::lock_guard<std::mutex> guard(threadsLock_);
  ThreadDepth& added = threadStore_.emplace_back(self, threadHead_.load(std::memory_order_relaxed));
  threadHead_.store(&added, std::memory_order_release);
  return added.depth;
}

TTraceDebugger::TimeMark* TTraceDebugger::FindMark(const std::array<char, kTraceTagSize>& key) {
  for (TimeMark& mark : marks_)
    if (mark.name == key) return &mark;
  return nullptr;
}

TTraceDebugger* GetTracer() {
  static TTraceDebugger tracer;
  return &tracer;
}

namespace {
// The facility exists before any other part of the program runs.
[[maybe_unused]] TTraceDebugger* const builtAtLoad = GetTracer();
}  // namespace

}  // namespace qv

// The process-wide trace facility: trace calls from any thread become fixed-layout records
// that go to a replaceable output channel (the base channel writes nothing). Off until the
// runner switches it on in debug mode; every call then returns at once and never fails.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qv {

// Layout of one trace record: a 48-byte little-endian header followed by the text.
constexpr size_t kTraceHeaderSize = 48;
constexpr size_t kTraceMaxText = 4096;
constexpr size_t kTraceMaxRecord = kTraceHeaderSize + kTraceMaxText;
constexpr size_t kTraceTagSize = 8;

constexpr int32_t kTraceDefaultLevel = 3;
constexpr int32_t kTraceDefaultType = 0;

// Message types carried in a record.
constexpr int32_t kTraceTypePlain = 0;
constexpr int32_t kTraceTypeEnter = 4;
constexpr int32_t kTraceTypeLeave = 5;
constexpr int32_t kTraceTypeTimeMark = 7;

// Time-stamp kinds; this program always writes local date and time.
constexpr int32_t kTraceStampNone = 0;
constexpr int32_t kTraceStampDateTime = 1;
constexpr int32_t kTraceStampTickCount = 2;
constexpr int32_t kTraceStampCycles = 3;

constexpr const char* kTraceDefaultStopText = "Stop Time Mark. ";

// What goes into one record besides the text. The tag is cut to 8 characters and the text
// to 4096 bytes when the record is built.
struct TraceRecordFields {
  int32_t level = kTraceDefaultLevel;
  int32_t depth = 0;
  uint32_t processId = 0;
  uint32_t threadId = 0;
  std::string tag;
  int32_t type = kTraceDefaultType;
  uint32_t cycles = 0;  // time marks only: low 32 bits of the accumulated cycles
  int32_t stampKind = kTraceStampDateTime;
  uint64_t stampBits = 0;  // the 8 stamp bytes (for kind 1 the bits of a double)
};

// Writes the record into out (at least kTraceMaxRecord bytes, zero-filled here first) and
// returns its length, 48 + the text's length after cutting.
size_t EncodeTraceRecord(const TraceRecordFields& fields, const std::string& text,
                         unsigned char* out);

// Which records the viewer wants to see. A disabled filter passes everything.
class TTraceFilter {
 public:
  bool Enabled = false;
  int32_t MaxLevel = kTraceDefaultLevel;
  std::string Tag;        // empty: any tag
  uint16_t TypeSet = 0;   // bit n for message type n; 0: any type

  // The tag is the caller's tag before cutting: a longer tag never matches a filter tag.
  bool Passes(int32_t level, int32_t type, const std::string& tag) const;
};

// Where records go. The base channel writes nothing; a real channel overrides every
// operation. The facility serialises all calls into its channel.
class TTraceChannel {
 public:
  // Enabled after construction. A constructor cannot reach an override, so the facility
  // calls SetFlushWait itself right after constructing a channel.
  explicit TTraceChannel(bool flush) : flush_(flush) {}
  virtual ~TTraceChannel() = default;
  TTraceChannel(const TTraceChannel&) = delete;
  TTraceChannel& operator=(const TTraceChannel&) = delete;

  virtual void SetEnabled(bool value) { enabled_ = value; }
  virtual bool OpenQueue() { return false; }
  virtual void SetFlushWait() {}
  virtual void LaunchViewer() {}
  virtual bool FilterPending() { return false; }
  virtual void LoadFilter(TTraceFilter& /*filter*/) {}
  virtual void PutRecord(const void* /*bytes*/, size_t /*size*/) {}

  bool Enabled() const { return enabled_; }
  bool Flush() const { return flush_; }

 protected:
  bool flush_;
  bool enabled_ = true;
};

// The channel class: makes the facility's channel, given the flush flag. Empty means the
// facility has no channel. Process-wide; it holds the base channel until a real one exists.
using TTraceChannelClass = std::function<std::unique_ptr<TTraceChannel>(bool flush)>;
void SetTraceChannelClass(TTraceChannelClass channelClass);
TTraceChannelClass GetTraceChannelClass();

class TTraceDebugger {
 public:
  // Builds the channel from the channel class and calibrates the time marks; tracing is on
  // and AutoStartViewer set afterwards.
  TTraceDebugger();
  ~TTraceDebugger();
  TTraceDebugger(const TTraceDebugger&) = delete;
  TTraceDebugger& operator=(const TTraceDebugger&) = delete;

  bool Active() const { return active_.load(); }
  void SetTraceActive(bool on) { active_.store(on); }
  bool AutoStartViewer() const { return autoStartViewer_.load(); }
  void SetAutoStartViewer(bool on) { autoStartViewer_.store(on); }

  void TraceMsg(const std::string& text) noexcept;
  void TraceMsgWithTag(const std::string& text, const std::string& tag) noexcept;
  void TraceEnter(const std::string& name, const std::string& tag) noexcept;
  void TraceLeave(const std::string& name, const std::string& tag) noexcept;
  void TraceStartMark(const std::string& name) noexcept;
  void TraceStopMark(const std::string& name, const std::string& text) noexcept;

  // Informational counters: trace calls that reached the common path, records handed over.
  int32_t CallCount() const { return callCount_.load(); }
  int32_t SentCount() const { return sentCount_.load(); }
  // Cycles that one start/stop pair costs, measured at construction.
  uint32_t CalibratedOverhead() const { return overhead_; }
  // The calling thread's nesting depth.
  int32_t CurrentDepth() noexcept;
  // The filter the channel loads; callers must not change it while other threads trace.
  TTraceFilter& Filter() { return filter_; }

  // For tests: install a channel on this facility, or take the current one away.
  void ReplaceChannel(std::unique_ptr<TTraceChannel> channel);
  std::unique_ptr<TTraceChannel> TakeChannel();
  bool HasChannel();

 private:
  struct ThreadDepth {
    ThreadDepth(uint32_t id, ThreadDepth* nextNode) : threadId(id), next(nextNode) {}
    uint32_t threadId;
    std::atomic<int32_t> depth{0};
    ThreadDepth* next;
  };
  struct TimeMark {
    std::array<char, kTraceTagSize> name{};
    int32_t startCount = 0;
    uint64_t start = 0;
    uint64_t accumulated = 0;
  };

  void WriteRecord(const std::string& text, const std::string& tag, int32_t type,
                   uint32_t cycles);
  std::atomic<int32_t>& DepthOfCallingThread();
  TimeMark* FindMark(const std::array<char, kTraceTagSize>& key);

  std::atomic<bool> active_{false};
  std::atomic<bool> autoStartViewer_{true};
  std::atomic<bool> viewerStarted_{false};
  std::atomic<bool> calibrating_{false};
  std::atomic<int32_t> callCount_{0};
  std::atomic<int32_t> sentCount_{0};
  uint32_t overhead_ = 0;

  // Thread depths: a list that only grows. A thread looks its entry up without locking;
  // the lock is taken only to add a thread seen for the first time.
  std::mutex threadsLock_;
  std::deque<ThreadDepth> threadStore_;
  std::atomic<ThreadDepth*> threadHead_{nullptr};

  std::mutex marksLock_;
  std::vector<TimeMark> marks_;

  // Guards the channel and the filter: channels keep handle state and the filter's tag is
  // rewritten by LoadFilter, so two threads must not be inside them at once.
  std::mutex channelLock_;
  std::unique_ptr<TTraceChannel> channel_;
  TTraceFilter filter_;
};

// The one trace facility, constructed on first use (the facility's unit uses it at load).
TTraceDebugger* GetTracer();

}  // namespace qv

// Catching trace records in tests: a recording channel that keeps every record it is handed,
// parsed back into its fields, and TraceCapture, which switches the process's trace facility
// on with such a channel for as long as it lives.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "diagnostics/TraceDebug.h"

namespace qv::test {

struct TraceRecord {
  std::string text;
  std::string tag;  // up to the first zero byte of the 8 tag bytes
  int32_t level = 0;
  int32_t depth = 0;
  int32_t type = 0;
  uint32_t pid = 0;
  uint32_t tid = 0;
  uint32_t cycles = 0;
  int32_t stampKind = 0;
  double stamp = 0;
  std::string raw;  // the bytes exactly as the channel received them
};

// Reads a record back from its bytes; false when the bytes are not one well-formed record
// (too short, or a length field that disagrees with the size).
bool ParseTraceRecord(const void* bytes, size_t size, TraceRecord& record);

// What a RecordingChannel saw. Shared between the test and the channel, which the facility
// owns and may destroy first. Safe to use from several threads.
class ChannelLog {
 public:
  std::vector<TraceRecord> Records() const;
  void Clear();
  void Add(TraceRecord record);
  // PutRecord calls whose bytes did not parse (should stay 0).
  int Malformed() const { return malformed.load(); }

  // Set by tests to steer the channel.
  std::atomic<bool> openQueueResult{true};
  void SetPendingFilter(const TTraceFilter& filter);
  std::optional<TTraceFilter> TakePendingFilter();
  bool FilterIsPending() const;

  std::atomic<int> openQueueCalls{0};
  std::atomic<int> launchViewerCalls{0};
  std::atomic<int> flushWaitCalls{0};
  std::atomic<int> loadFilterCalls{0};
  std::atomic<int> malformed{0};
  std::atomic<bool> destroyed{false};

 private:
  mutable std::mutex lock_;
  std::vector<TraceRecord> records_;
  std::optional<TTraceFilter> pendingFilter_;
};

// A channel whose queue is always open (unless the log says otherwise) and which records
// every record it is given.
class RecordingChannel : public TTraceChannel {
 public:
  RecordingChannel(std::shared_ptr<ChannelLog> log, bool flush);
  ~RecordingChannel() override;

  bool OpenQueue() override;
  void SetFlushWait() override;
  void LaunchViewer() override;
  bool FilterPending() override;
  void LoadFilter(TTraceFilter& filter) override;
  void PutRecord(const void* bytes, size_t size) override;

 private:
  std::shared_ptr<ChannelLog> log_;
};

// Switches GetTracer() on (without starting a viewer) and catches its records; restores the
// facility's previous channel and switches on destruction.
class TraceCapture {
 public:
  TraceCapture();
  ~TraceCapture();
  TraceCapture(const TraceCapture&) = delete;
  TraceCapture& operator=(const TraceCapture&) = delete;

  std::vector<TraceRecord> Records() const { return log_->Records(); }
  std::vector<std::string> Texts() const;
  void Clear() { log_->Clear(); }

 private:
  std::shared_ptr<ChannelLog> log_;
  std::unique_ptr<TTraceChannel> previousChannel_;
  bool previousActive_;
  bool previousAutoStart_;
};

}  // namespace qv::test

// The trace facility: the record's bytes, the filter, the path from a trace call to the
// channel, nesting depths per thread, time marks, and a facility whose channel is missing or
// misbehaves.
#include "diagnostics/TraceDebug.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <barrier>
#include <cstring>
#include <map>
#include <stdexcept>
#include <thread>

#include "support/TraceCapture.h"
#include "util/DateTime.h"

namespace qv {
namespace {

using test::ChannelLog;
using test::RecordingChannel;
using test::TraceRecord;

// Swaps the process-wide channel class for the life of the object.
class ScopedChannelClass {
 public:
  explicit ScopedChannelClass(TTraceChannelClass replacement) : previous_(GetTraceChannelClass()) {
    SetTraceChannelClass(std::move(replacement));
  }
  ~ScopedChannelClass() { SetTraceChannelClass(std::move(previous_)); }

 private:
  TTraceChannelClass previous_;
};

TTraceChannelClass RecordingClass(const std::shared_ptr<ChannelLog>& log) {
  return [log](bool flush) -> std::unique_ptr<TTraceChannel> {
    return std::make_unique<RecordingChannel>(log, flush);
  };
}

// A fresh facility built over a recording channel, with the viewer start off unless a test
// switches it on.
class FreshTracer : public ::testing::Test {
 protected:
  FreshTracer() {
    ScopedChannelClass channelClass(RecordingClass(log));
    tracer = std::make_unique<TTraceDebugger>();
    tracer->SetAutoStartViewer(false);
  }

  std::shared_ptr<ChannelLog> log = std::make_shared<ChannelLog>();
  std::unique_ptr<TTraceDebugger> tracer;
};

TDateTime LocalNow() {
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  TDateTime date = 0;
  TryEncodeDate(now.wYear, now.wMonth, now.wDay, date);
  return date + EncodeTime(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
}

std::string Bytes(std::initializer_list<unsigned> values) {
  std::string bytes;
  for (unsigned v : values) bytes.push_back(static_cast<char>(v));
  return bytes;
}

// ---- the record -----------------------------------------------------------------------

TEST(TraceRecordLayout, EveryFieldSitsAtItsOffsetLittleEndian) {
  TraceRecordFields fields;
  fields.level = 3;
  fields.depth = 0x01020304;
  fields.processId = 0xA1B2C3D4;
  fields.threadId = 0x00000102;
  fields.tag = "CLUpdate";
  fields.type = kTraceTypeLeave;
  fields.cycles = 0xDEADBEEF;
  fields.stampKind = kTraceStampDateTime;
  const double stamp = 45000.5;  // noon
  std::memcpy(&fields.stampBits, &stamp, sizeof(stamp));

  unsigned char out[kTraceMaxRecord];
  std::memset(out, 0xCC, sizeof(out));
  const size_t size = EncodeTraceRecord(fields, "hello", out);

  ASSERT_EQ(size, 53u);
  const std::string expected =
      Bytes({53, 0, 0, 0}) + Bytes({3, 0, 0, 0}) + Bytes({4, 3, 2, 1}) +
      Bytes({0xD4, 0xC3, 0xB2, 0xA1}) + Bytes({2, 1, 0, 0}) + "CLUpdate" + Bytes({5, 0, 0, 0}) +
      Bytes({0xEF, 0xBE, 0xAD, 0xDE}) + Bytes({1, 0, 0, 0}) +
      // 45000.5 as an IEEE double: 0x40E5F91000000000
      Bytes({0, 0, 0, 0, 0x10, 0xF9, 0xE5, 0x40}) + "hello";
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), size), expected);
  // The rest of the buffer is zero-filled, not left as it was.
  for (size_t i = size; i < sizeof(out); ++i) ASSERT_EQ(out[i], 0) << "offset " << i;
}

TEST(TraceRecordLayout, CutsTagToEightAndTextTo4096AndPadsShortTags) {
  struct Case {
    std::string tag;
    size_t textLength;
    std::string expectedTagBytes;
    size_t expectedSize;
  } cases[] = {
      {"", 0, std::string(8, '\0'), 48},
      {"ab", 1, std::string("ab") + std::string(6, '\0'), 49},
      {"CLSettings", 4096, "CLSettin", 48 + 4096},
      {"12345678", 5000, "12345678", 48 + 4096},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tag + " / " + std::to_string(c.textLength));
    TraceRecordFields fields;
    fields.tag = c.tag;
    std::string text(c.textLength, 'x');
    if (!text.empty()) text[0] = 'a';
    unsigned char out[kTraceMaxRecord];
    const size_t size = EncodeTraceRecord(fields, text, out);
    EXPECT_EQ(size, c.expectedSize);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out) + 20, 8), c.expectedTagBytes);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out) + 48, size - 48), text.substr(0, 4096));
  }
}

// ---- the filter -----------------------------------------------------------------------

TEST(TraceFilter, PassesByLevelTypeSetAndTag) {
  struct Case {
    const char* what;
    bool enabled;
    int32_t maxLevel;
    const char* filterTag;
    uint16_t typeSet;
    int32_t level;
    int32_t type;
    const char* tag;
    bool passes;
  } cases[] = {
      {"disabled passes everything", false, 0, "Other", 0x0001, 9, 7, "Mine", true},
      {"level at maximum", true, 3, "", 0, 3, 0, "", true},
      {"level above maximum", true, 2, "", 0, 3, 0, "", false},
      {"empty type set passes any type", true, 3, "", 0, 3, 7, "", true},
      {"type bit set", true, 3, "", 1u << 4, 3, 4, "", true},
      {"type bit clear", true, 3, "", 1u << 4, 3, 5, "", false},
      {"type 15 uses the top bit", true, 3, "", 0x8000, 3, 15, "", true},
      {"type above 15 never matches a set", true, 3, "", 0xFFFF, 3, 16, "", false},
      {"empty filter tag passes any tag", true, 3, "", 0, 3, 0, "Anything", true},
      {"tag equal ignoring case", true, 3, "clsettings", 0, 3, 0, "CLSettings", false},
      {"eight-character tag equal ignoring case", true, 3, "clupdate", 0, 3, 0, "CLUpdate", true},
      {"different tag", true, 3, "CLUpdate", 0, 3, 0, "CLSettin", false},
      {"untagged record against a tag", true, 3, "CLUpdate", 0, 3, 0, "", false},
      {"tag longer than 8 never matches", true, 3, "CLSettin", 0, 3, 0, "CLSettings", false},
      {"all three hold", true, 5, "Mark", 1u << 7, 3, 7, "MARK", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TTraceFilter filter;
    filter.Enabled = c.enabled;
    filter.MaxLevel = c.maxLevel;
    filter.Tag = c.filterTag;
    filter.TypeSet = c.typeSet;
    EXPECT_EQ(filter.Passes(c.level, c.type, c.tag), c.passes);
  }
}

TEST(TraceFilter, StartsDisabledAtLevelThreeWithNoTagOrTypes) {
  TTraceFilter filter;
  EXPECT_FALSE(filter.Enabled);
  EXPECT_EQ(filter.MaxLevel, 3);
  EXPECT_EQ(filter.Tag, "");
  EXPECT_EQ(filter.TypeSet, 0);
}

// ---- construction ---------------------------------------------------------------------

TEST_F(FreshTracer, ConstructionBuildsAFlushingChannelCalibratesAndSendsNothing) {
  EXPECT_TRUE(tracer->Active());
  EXPECT_TRUE(tracer->HasChannel());
  EXPECT_EQ(log->flushWaitCalls.load(), 1);
  EXPECT_EQ(log->openQueueCalls.load(), 0) << "the channel is off while calibrating";
  EXPECT_EQ(log->launchViewerCalls.load(), 0);
  EXPECT_TRUE(log->Records().empty());
  EXPECT_EQ(tracer->CallCount(), 0);
  EXPECT_EQ(tracer->SentCount(), 0);
  EXPECT_GT(tracer->CalibratedOverhead(), 0u);
  EXPECT_EQ(tracer->CurrentDepth(), 0);

  std::unique_ptr<TTraceChannel> channel = tracer->TakeChannel();
  ASSERT_TRUE(channel);
  EXPECT_TRUE(channel->Flush());
  EXPECT_TRUE(channel->Enabled()) << "switched back on after calibrating";
}

TEST(TraceConstruction, AutoStartViewerIsSetAfterConstruction) {
  TTraceDebugger tracer;
  EXPECT_TRUE(tracer.AutoStartViewer());
  EXPECT_TRUE(tracer.Active());
}

TEST(TraceConstruction, NoChannelWhenTheClassIsEmptyOrItsConstructionThrows) {
  struct ThrowsOnFlushWait : TTraceChannel {
    using TTraceChannel::TTraceChannel;
    void SetFlushWait() override { throw std::runtime_error("no event"); }
  };
  struct Case {
    const char* what;
    TTraceChannelClass channelClass;
  } cases[] = {
      {"empty class", nullptr},
      {"constructor throws",
       [](bool) -> std::unique_ptr<TTraceChannel> { throw std::runtime_error("no mapping"); }},
      {"flush wait throws",
       [](bool flush) -> std::unique_ptr<TTraceChannel> {
         return std::make_unique<ThrowsOnFlushWait>(flush);
       }},
      {"class gives no object", [](bool) -> std::unique_ptr<TTraceChannel> { return nullptr; }},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedChannelClass channelClass(std::move(c.channelClass));
    TTraceDebugger tracer;
    EXPECT_FALSE(tracer.HasChannel());
    tracer.TraceMsg("nowhere to go");
    tracer.TraceEnter("Block", "Tag");
    tracer.TraceLeave("Block", "Tag");
    EXPECT_EQ(tracer.SentCount(), 0);
    EXPECT_EQ(tracer.CallCount(), 3);
  }
}

TEST(TraceConstruction, TheBaseChannelIsTheDefaultClassAndWritesNothing) {
  TTraceDebugger tracer;
  ASSERT_TRUE(tracer.HasChannel());
  tracer.SetAutoStartViewer(false);
  tracer.TraceMsg("into the void");
  tracer.TraceStartMark("M");
  tracer.TraceStopMark("M", "");
  EXPECT_EQ(tracer.CallCount(), 2);
  EXPECT_EQ(tracer.SentCount(), 0) << "the base channel never has a queue open";
}

// ---- writing records ------------------------------------------------------------------

TEST_F(FreshTracer, MessageRecordCarriesTheCallerAndALocalTimeStamp) {
  const TDateTime before = LocalNow();
  tracer->TraceMsg("Enter Debug Mode...");
  tracer->TraceMsgWithTag("Setting Not Found :App.Ver", "CLSettings");
  const TDateTime after = LocalNow();

  const auto records = log->Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(log->Malformed(), 0);
  for (const TraceRecord& r : records) {
    EXPECT_EQ(r.level, 3);
    EXPECT_EQ(r.type, kTraceTypePlain);
    EXPECT_EQ(r.depth, 0);
    EXPECT_EQ(r.pid, GetCurrentProcessId());
    EXPECT_EQ(r.tid, GetCurrentThreadId());
    EXPECT_EQ(r.cycles, 0u);
    EXPECT_EQ(r.stampKind, kTraceStampDateTime);
    EXPECT_GE(r.stamp, before);
    EXPECT_LE(r.stamp, after);
  }
  EXPECT_EQ(records[0].text, "Enter Debug Mode...");
  EXPECT_EQ(records[0].tag, "");
  EXPECT_EQ(records[0].raw.size(), 48u + 19u);
  EXPECT_EQ(records[1].text, "Setting Not Found :App.Ver");
  EXPECT_EQ(records[1].tag, "CLSettin");
  EXPECT_EQ(tracer->CallCount(), 2);
  EXPECT_EQ(tracer->SentCount(), 2);
}

TEST_F(FreshTracer, LongTextIsCutTo4096Bytes) {
  std::string text(5000, 'q');
  text[4095] = 'L';
  tracer->TraceMsgWithTag(text, "TenLetters");
  const auto records = log->Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].raw.size(), 48u + 4096u);
  EXPECT_EQ(records[0].text, text.substr(0, 4096));
  EXPECT_EQ(records[0].tag, "TenLette");
}

TEST_F(FreshTracer, EmptyTextWritesNothing) {
  tracer->TraceMsg("");
  tracer->TraceMsgWithTag("", "CLUpdate");
  EXPECT_TRUE(log->Records().empty());
  EXPECT_EQ(log->openQueueCalls.load(), 0);
  EXPECT_EQ(tracer->CallCount(), 0);
}

TEST_F(FreshTracer, TracingOffNeitherOpensTheQueueNorStartsTheViewer) {
  tracer->SetTraceActive(false);
  tracer->TraceMsg("a");
  tracer->TraceMsgWithTag("b", "T");
  tracer->TraceEnter("c", "T");
  tracer->TraceLeave("c", "T");
  tracer->TraceStartMark("d");
  tracer->TraceStopMark("d", "");
  EXPECT_EQ(log->openQueueCalls.load(), 0);
  EXPECT_EQ(log->launchViewerCalls.load(), 0);
  EXPECT_TRUE(log->Records().empty());
  EXPECT_EQ(tracer->CallCount(), 5) << "calls are counted even while off";
  EXPECT_EQ(tracer->SentCount(), 0);

  tracer->SetTraceActive(true);
  tracer->TraceMsg("back on");
  EXPECT_EQ(log->Records().size(), 1u);
}

TEST_F(FreshTracer, ViewerStartsOnceForTheFirstRecordEvenWhileTracingIsOff) {
  // The start comes before the Active check: only AutoStartViewer decides it.
  tracer->SetAutoStartViewer(true);
  tracer->SetTraceActive(false);
  tracer->TraceMsg("first");
  EXPECT_EQ(log->launchViewerCalls.load(), 1);
  EXPECT_EQ(log->openQueueCalls.load(), 0);

  tracer->SetTraceActive(true);
  tracer->TraceMsg("second");
  tracer->TraceMsg("third");
  EXPECT_EQ(log->launchViewerCalls.load(), 1) << "one attempt per facility";
  EXPECT_EQ(log->Records().size(), 2u);
}

TEST_F(FreshTracer, NoQueueOrDisabledChannelDropsTheRecord) {
  log->openQueueResult = false;
  tracer->TraceMsg("no queue");
  EXPECT_EQ(log->openQueueCalls.load(), 1);
  EXPECT_TRUE(log->Records().empty());

  log->openQueueResult = true;
  std::unique_ptr<TTraceChannel> channel = tracer->TakeChannel();
  channel->SetEnabled(false);
  tracer->ReplaceChannel(std::move(channel));
  tracer->TraceMsg("channel off");
  EXPECT_EQ(log->openQueueCalls.load(), 1) << "a disabled channel is not asked for its queue";
  EXPECT_TRUE(log->Records().empty());
  EXPECT_EQ(tracer->SentCount(), 0);
}

TEST_F(FreshTracer, FilterFromTheChannelIsLoadedWhenPendingAndApplied) {
  TTraceFilter levelTwo;
  levelTwo.Enabled = true;
  levelTwo.MaxLevel = 2;
  log->SetPendingFilter(levelTwo);
  tracer->TraceMsg("suppressed");
  tracer->TraceEnter("suppressed", "");
  tracer->TraceLeave("suppressed", "");
  EXPECT_EQ(log->loadFilterCalls.load(), 1);
  EXPECT_TRUE(log->Records().empty()) << "every framework record has level 3";
  EXPECT_EQ(tracer->Filter().MaxLevel, 2);

  TTraceFilter byTag;
  byTag.Enabled = true;
  byTag.MaxLevel = 3;
  byTag.Tag = "clupdate";
  byTag.TypeSet = 1u << kTraceTypePlain;
  log->SetPendingFilter(byTag);
  tracer->TraceMsgWithTag("wanted", "CLUpdate");
  tracer->TraceMsgWithTag("other tag", "CLSettings");
  tracer->TraceEnter("wrong type", "CLUpdate");
  EXPECT_EQ(log->loadFilterCalls.load(), 2);
  const auto records = log->Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].text, "wanted");
}

// ---- nesting depth --------------------------------------------------------------------

TEST_F(FreshTracer, EnterAndLeaveCarryTheSameDepthAndLeaveNeverGoesBelowZero) {
  tracer->TraceLeave("Orphan", "T");  // without a matching enter
  tracer->TraceEnter("Outer", "T");
  tracer->TraceEnter("Inner", "T");
  tracer->TraceMsgWithTag("inside", "T");
  tracer->TraceLeave("Inner", "T");
  tracer->TraceLeave("Outer", "T");
  tracer->TraceLeave("Extra", "T");

  struct Expected {
    const char* text;
    int32_t type;
    int32_t depth;
  } expected[] = {
      {"Leave: Orphan", kTraceTypeLeave, 0}, {"Enter: Outer", kTraceTypeEnter, 0},
      {"Enter: Inner", kTraceTypeEnter, 1},  {"inside", kTraceTypePlain, 2},
      {"Leave: Inner", kTraceTypeLeave, 1},  {"Leave: Outer", kTraceTypeLeave, 0},
      {"Leave: Extra", kTraceTypeLeave, 0},
  };
  const auto records = log->Records();
  ASSERT_EQ(records.size(), std::size(expected));
  for (size_t i = 0; i < records.size(); ++i) {
    SCOPED_TRACE(expected[i].text);
    EXPECT_EQ(records[i].text, expected[i].text);
    EXPECT_EQ(records[i].type, expected[i].type);
    EXPECT_EQ(records[i].depth, expected[i].depth);
    EXPECT_EQ(records[i].tag, "T");
  }
  EXPECT_EQ(tracer->CurrentDepth(), 0);
}

TEST_F(FreshTracer, DepthFollowsBlocksWhileTracingIsOff) {
  // A block entered before tracing is switched on still closes at the right depth.
  tracer->SetTraceActive(false);
  tracer->TraceEnter("Before", "");
  tracer->SetTraceActive(true);
  tracer->TraceMsg("inside");
  tracer->TraceLeave("Before", "");
  const auto records = log->Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].depth, 1);
  EXPECT_EQ(records[1].depth, 0);
}

TEST_F(FreshTracer, EachThreadCarriesItsOwnDepth) {
  constexpr int kThreads = 4;
  constexpr int kMessages = 50;
  std::barrier start(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      start.arrive_and_wait();
      for (int i = 0; i < t; ++i) tracer->TraceEnter("Level" + std::to_string(i), "Thr");
      for (int i = 0; i < kMessages; ++i)
        tracer->TraceMsgWithTag("thread " + std::to_string(t), "Thr");
      for (int i = t - 1; i >= 0; --i) tracer->TraceLeave("Level" + std::to_string(i), "Thr");
    });
  }
  for (auto& thread : threads) thread.join();

  const auto records = log->Records();
  EXPECT_EQ(log->Malformed(), 0);
  int messages[kThreads] = {};
  std::map<uint32_t, int> depthOfThread;
  for (const TraceRecord& r : records) {
    if (r.type != kTraceTypePlain) continue;
    const int t = r.text.back() - '0';
    ASSERT_GE(t, 0);
    ASSERT_LT(t, kThreads);
    ++messages[t];
    EXPECT_EQ(r.depth, t) << r.text;
    depthOfThread[r.tid] = r.depth;
  }
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(messages[t], kMessages) << "thread " << t;
  EXPECT_EQ(depthOfThread.size(), static_cast<size_t>(kThreads)) << "records carry the thread id";
  EXPECT_EQ(records.size(), static_cast<size_t>(kThreads * kMessages + 2 * (0 + 1 + 2 + 3)));
  EXPECT_EQ(tracer->SentCount(), static_cast<int32_t>(records.size()));
}

// ---- time marks -----------------------------------------------------------------------

TEST_F(FreshTracer, StopMarkWritesAccumulatedCyclesUnderTheMarkName) {
  tracer->TraceStartMark("Load");
  tracer->TraceStopMark("Load", "");
  tracer->TraceStartMark("Load");
  Sleep(2);  // long enough to beat the calibrated overhead by far
  tracer->TraceStopMark("Load", "loaded");

  const auto records = log->Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].text, "Stop Time Mark. ");
  EXPECT_EQ(records[1].text, "loaded");
  for (const TraceRecord& r : records) {
    EXPECT_EQ(r.type, kTraceTypeTimeMark);
    EXPECT_EQ(r.tag, "Load");
    EXPECT_EQ(r.level, 3);
  }
  EXPECT_GT(records[1].cycles, records[0].cycles) << "the second span adds to the first";
}

TEST_F(FreshTracer, MarksAreFoundByTheirFirstEightBytes) {
  tracer->TraceStopMark("Never", "no mark, no record");
  tracer->TraceStartMark("LongMarkName1");
  tracer->TraceStopMark("LongMarkName2", "same mark");
  tracer->TraceStopMark("LongMark", "");
  tracer->TraceStopMark("Long", "a different mark");

  const auto records = log->Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].text, "same mark");
  EXPECT_EQ(records[0].tag, "LongMark");
  EXPECT_EQ(records[1].text, "Stop Time Mark. ");
  EXPECT_EQ(tracer->CallCount(), 2) << "a stop without a mark is no trace call";
}

TEST_F(FreshTracer, SpansShorterThanTheOverheadNeverWrapTheTotal) {
  // Back-to-back pairs cost about the calibrated overhead, so many come out shorter; the
  // total must still only grow.
  for (int i = 0; i < 1000; ++i) {
    tracer->TraceStartMark("Tight");
    tracer->TraceStopMark("Tight", "");
  }
  const auto records = log->Records();
  ASSERT_EQ(records.size(), 1000u);
  for (size_t i = 1; i < records.size(); ++i)
    ASSERT_GE(records[i].cycles, records[i - 1].cycles) << "record " << i;
}

// ---- channels that misbehave ----------------------------------------------------------

TEST(TraceChannelFaults, AThrowingChannelCostsOnlyTheRecord) {
  struct Faulty : TTraceChannel {
    using TTraceChannel::TTraceChannel;
    bool OpenQueue() override {
      if (++opens % 2 == 1) throw std::runtime_error("queue gone");
      return true;
    }
    void LaunchViewer() override { throw std::runtime_error("no viewer"); }
    void PutRecord(const void*, size_t) override { throw std::runtime_error("ring broken"); }
    int opens = 0;
  };
  ScopedChannelClass noChannel(nullptr);
  TTraceDebugger tracer;
  tracer.ReplaceChannel(std::make_unique<Faulty>(true));
  EXPECT_NO_THROW({
    tracer.TraceMsg("one");
    tracer.TraceMsg("two");
    tracer.TraceEnter("block", "");
    tracer.TraceLeave("block", "");
    tracer.TraceStartMark("m");
    tracer.TraceStopMark("m", "");
  });
  EXPECT_EQ(tracer.SentCount(), 0);
  EXPECT_EQ(tracer.CurrentDepth(), 0);
}

TEST(TraceChannelFaults, AChannelThatTracesItselfDoesNotDeadlock) {
  struct SelfTracing : TTraceChannel {
    SelfTracing(TTraceDebugger* owner, std::shared_ptr<ChannelLog> log)
        : TTraceChannel(true), owner(owner), log(std::move(log)) {}
    bool OpenQueue() override {
      owner->TraceMsg("from inside the channel");
      return true;
    }
    void PutRecord(const void* bytes, size_t size) override {
      owner->TraceMsg("from inside PutRecord");
      TraceRecord record;
      if (test::ParseTraceRecord(bytes, size, record)) log->Add(record);
    }
    TTraceDebugger* owner;
    std::shared_ptr<ChannelLog> log;
  };
  ScopedChannelClass noChannel(nullptr);
  TTraceDebugger tracer;
  tracer.SetAutoStartViewer(false);
  auto log = std::make_shared<ChannelLog>();
  tracer.ReplaceChannel(std::make_unique<SelfTracing>(&tracer, log));
  tracer.TraceMsg("outer");
  const auto records = log->Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].text, "outer");
}

// ---- the process-wide facility and the capture over it --------------------------------

TEST(GlobalTracer, IsOneFacilityAndTraceCaptureRestoresIt) {
  TTraceDebugger* tracer = GetTracer();
  ASSERT_EQ(tracer, GetTracer());
  const bool wasActive = tracer->Active();
  const bool wasAutoStart = tracer->AutoStartViewer();
  tracer->SetTraceActive(false);
  {
    test::TraceCapture capture;
    EXPECT_TRUE(tracer->Active());
    EXPECT_FALSE(tracer->AutoStartViewer());
    GetTracer()->TraceMsgWithTag("Update URL : http://127.0.0.1/u", "CLUpdate");
    GetTracer()->TraceEnter("Run", "CLMain");
    GetTracer()->TraceLeave("Run", "CLMain");
    EXPECT_EQ(capture.Texts(), (std::vector<std::string>{"Update URL : http://127.0.0.1/u",
                                                         "Enter: Run", "Leave: Run"}));
    const auto records = capture.Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].tag, "CLUpdate");
    EXPECT_EQ(records[2].depth, 0);
    capture.Clear();
    EXPECT_TRUE(capture.Texts().empty());
  }
  EXPECT_FALSE(tracer->Active());
  EXPECT_EQ(tracer->AutoStartViewer(), wasAutoStart);
  EXPECT_TRUE(tracer->HasChannel()) << "the previous channel is back";
  tracer->SetTraceActive(wasActive);
}

}  // namespace
}  // namespace qv

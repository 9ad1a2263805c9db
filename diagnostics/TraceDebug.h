// The process-wide trace facility: trace calls from any thread become fixed-layout records
// that go to a replaceable output channel (the base channel writes nothing). Off until the
// runner switches it on in debug mode; every call then returns at once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qv {

class TTraceFilter;
class TTraceChannel;
class TTraceDebugger;

// The one trace facility, constructed on first use.
TTraceDebugger* GetTracer();

// Interface sketch; the implementation unit completes it. Callers rely on these four:
//   GetTracer()->TraceMsg(text);
//   GetTracer()->TraceMsgWithTag(text, tag);
//   GetTracer()->TraceEnter(name, tag);  GetTracer()->TraceLeave(name, tag);
// and tests on SetTraceActive(bool) and ReplaceChannel(std::unique_ptr<TTraceChannel>).

}  // namespace qv

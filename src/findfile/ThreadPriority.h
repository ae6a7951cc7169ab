// The priority of the finder's worker thread, in the program's terms, and how it maps
// onto a Linux thread's niceness. Applying it is best effort: making a thread nicer
// always works, making it less nice needs a privilege the user may not have.
#pragma once

#include <sys/types.h>

namespace zb::findfile {

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// Niceness for a priority: 19 for idle down to -20 for time-critical, 0 for normal.
int nicenessFor(TThreadPriority priority);

// The calling thread's kernel thread id.
pid_t currentThreadId();

// Sets the niceness of thread `tid` of this process; false when the system refused.
bool applyThreadPriority(pid_t tid, TThreadPriority priority);

}  // namespace zb::findfile

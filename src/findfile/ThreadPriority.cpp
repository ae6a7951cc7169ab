// Thread priorities as niceness. On Linux, niceness belongs to each thread, so setting
// it through the thread's id changes only the worker, not the program.
#include "findfile/ThreadPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zb::findfile {

int nicenessFor(TThreadPriority priority) {
    switch (priority) {
        case tpIdle: return 19;
        case tpLowest: return 10;
        case tpLower: return 5;
        case tpNormal: return 0;
        case tpHigher: return -5;
        case tpHighest: return -10;
        case tpTimeCritical: return -20;
    }
    return 0;
}

pid_t currentThreadId() {
    return pid_t(::syscall(SYS_gettid));
}

bool applyThreadPriority(pid_t tid, TThreadPriority priority) {
    return ::setpriority(PRIO_PROCESS, id_t(tid), nicenessFor(priority)) == 0;
}

}  // namespace zb::findfile

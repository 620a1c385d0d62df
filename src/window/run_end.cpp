#include "window/run_end.h"

namespace mokuji::window {

int ExitStatusOf(RunEnd end) {
    switch (end) {
        case RunEnd::ListWritten:
            return 0;
        case RunEnd::NothingGathered:
            return 1;
        case RunEnd::ListNotSaved:
            return 2;
        case RunEnd::ReadFailed:
            return 3;
        case RunEnd::ListIncomplete:
            return 4;
        case RunEnd::ListHeld:
            return 5;
        case RunEnd::BadArgument:
        case RunEnd::WaitForUser:
            break;
    }
    return 64;  // a usage error, as sysexits names it
}

}  // namespace mokuji::window

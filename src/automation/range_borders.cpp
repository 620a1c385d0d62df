#include "automation/ignoring_failure.h"
#include "automation/object_model.h"

namespace automation {

void Range::setBorders(std::span<const BorderSetting> settings) {
    for (const BorderSetting& s : settings) {
        if (s.lineStyle)
            ignoringFailure([&] { required(borders(s.index)).setLineStyle(*s.lineStyle); });
        if (s.weight) ignoringFailure([&] { required(borders(s.index)).setWeight(*s.weight); });
        if (s.colorIndex)
            ignoringFailure([&] { required(borders(s.index)).setColorIndex(*s.colorIndex); });
    }
}

}  // namespace automation

#include "dialogs/OptionsExchange.h"

namespace perivant {

std::optional<DialogRefusal> ReadOptionsControls(const OptionsControls& controls,
                                                 OptionsValues& values) {
    if (controls.MasterURLText.size() > static_cast<size_t>(kMasterURLMaxChars)) {
        return DialogRefusal{kIdMasterURL, MaxCharsMessage(kMasterURLMaxChars)};
    }
    std::optional<int> threads = ParseDialogInteger(controls.MaxThreadsText);
    if (!threads) {
        return DialogRefusal{kIdMaxThreads, kEnterIntegerMessage};
    }
    if (*threads < kMinThreads || *threads > kMaxThreads) {
        return DialogRefusal{kIdMaxThreads, IntegerRangeMessage(kMinThreads, kMaxThreads)};
    }
    values.MasterURL = controls.MasterURLText;
    values.RefreshAtStartup = controls.RefreshAtStartupChecked ? 1 : 0;
    values.MaxThreads = *threads;
    values.HideFSNavigators = controls.HideFSNavigatorsChecked ? 1 : 0;
    return std::nullopt;
}

}  // namespace perivant

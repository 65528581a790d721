#include "core/module_state.h"

namespace module_state_detail {
std::atomic<ModuleState> g_state{ModuleState::kDetached};
}

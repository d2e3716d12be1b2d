#pragma once

#include <string>
#include <vector>

#include "cli/fleet/FleetPlan.h"

namespace quillmarch::fleet {
bool LoadFleetPlan(const std::vector<std::string>& args, FleetPlan& plan, std::string& error);
}

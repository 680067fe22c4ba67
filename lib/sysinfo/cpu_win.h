// The processor's answers to the identification instruction, for the
// library's own reports.
#pragma once

#include "sysinfo/cpu.h"

namespace loom {

// Runs the flag tests and, where CPUID exists, leaves 0, 1, 2 and the brand
// leaves.
CpuidFacts ReadCpuidFacts();

} // namespace loom

#include "install/program_resources.h"

namespace install {
namespace {

ProgramResources g_resources;

}  // namespace

void UseProgramResources(const ProgramResources& resources) { g_resources = resources; }

const ProgramResources& UsedProgramResources() { return g_resources; }

}  // namespace install

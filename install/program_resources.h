// The resources this library takes from the program that links it: the retry
// dialog (its template, the list of held files and the retry button) and the
// helper program carried inside. Only that program knows their ids; it names
// them here once, before the first wait for held files or helper hand-off.
#pragma once

namespace install {

struct ProgramResources {
    int filesInUseDialog = 0;
    int filesInUseList = 0;
    int retryButton = 0;
    int carriedHelper = 0;  // resource type "BIN"
};

void UseProgramResources(const ProgramResources& resources);
const ProgramResources& UsedProgramResources();

}  // namespace install

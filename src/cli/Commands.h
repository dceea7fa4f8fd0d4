#pragma once
// The commands of quillon-cli, each returning the process's exit code (TExitCode).

#include "cli/CliOptions.h"

int RunReport(TCliOptions Options);
int RunDiff(TCliOptions Options);
int RunCheck(TCliOptions Options);
int RunWhy(TCliOptions Options);
int RunUses(TCliOptions Options);
int RunGraph(TCliOptions Options);

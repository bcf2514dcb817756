#pragma once
// Where the start-up's time goes, on request: with QM_STARTUP_PHASES naming a file,
// each phase's end is stamped with the performance counter, and the stamps are
// written to that file once the window has first been painted, or a run from the
// command line has written its report. Without it, a stamp is one test of a flag that
// was read once at entry.
#include <cstdint>

// Reads the variable; the first call is the process entry's stamp.
void BeginStartupPhases();

// Stamps the end of a phase. `name` is a literal: only its address is kept.
void MarkStartupPhase(const char* name);

// Stamps the last phase and writes every stamp, one "name<TAB>count" line each, the
// counter's frequency first. Later calls do nothing.
void FinishStartupPhases(const char* lastPhase);

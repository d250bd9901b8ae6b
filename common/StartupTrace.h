#pragma once

// Opt-in start-up milestones for measuring how long the saver takes to show
// its first frame: with PELLIX_TRACE_STARTUP=1 in the environment each call
// writes "pellix-trace <Unix time in ms> <milestone>" as one line to standard
// error; otherwise it does nothing. `milestone` is one word, not kept.
void traceStartup(const char* milestone);
// The same with a second word, e.g. the picture a milestone is about.
void traceStartup(const char* milestone, const char* detail);

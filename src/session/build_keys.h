#pragma once

// The keys while a build runs: the live view scrolls, Esc (or Ctrl+Break) asks whether to stop
// the build; other keys are dropped, so that nothing typed during the build acts afterwards.

// Answers the keys waiting now, without blocking; false when the user chose to stop the build.
bool AnswerKeysDuringBuild();
// Drops every key still waiting (at the end of the build).
void DropWaitingKeys();

#pragma once

// The user asked to stop the work now running (Ctrl+C during a build). Set where the request
// arrives, a signal handler included, and looked at by work that may take long, such as a
// slow regular expression match, so that it gives up rather than keep the user waiting.
void SetStopRequested(bool requested);
bool StopRequested();

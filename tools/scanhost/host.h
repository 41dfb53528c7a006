// The host side of the plug-in: the three callbacks, the tone timeline and
// the output both threads share.
#ifndef SCANHOST_HOST_H
#define SCANHOST_HOST_H

#include <stdint.h>

#include <string>

#include "operations.h"

namespace scanhost {

// ---- Output -------------------------------------------------------------------
// One line on standard output. While an operation runs, lines are held back
// and printed, indented, under the operation's result line.
void printLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
// "scanhost: ..." on standard error; every report makes the exit status 1.
void reportError(const char* format, ...) __attribute__((format(printf, 1, 2)));
int errorCount();

// ---- Tone timeline ------------------------------------------------------------
// Pauses in a pattern are waits in the thread that plays it, invisible to the
// host except as time passing between tones. Every tone is time-stamped; a
// gap of at least 20 ms between two tones of one sequence is shown as a
// wait. A sequence is one operation call or one label.

// Tones and waits are also rendered into a WAV file, 16-bit mono PCM at
// 44100 Hz: each tone a sine at its frequency for its duration, its
// amplitude scaled by level/64 (full level peaks at half scale), with 3 ms
// fades; each wait silence of its length, and 300 ms of silence between two
// sequences. openWav creates the file; closeWav fills in its sizes.
bool openWav(const std::string& path, std::string* error);
bool closeWav(std::string* error);

// A sequence: one operation call or one label pushed into the virtual
// device. During an operation call (`holdLines`) lines are held until
// endSequence prints `resultLine` followed by them. With `measureEdges`
// (operations that play a pattern) the time from the call's start to its
// first tone and from its last tone to its end count as waits too, so a
// pattern made only of pauses still shows.
void beginSequence(bool measureEdges, bool holdLines);
void endSequence(const std::string& resultLine);

// Serial number (1, 2, ...) of the oldest scan event the host thread has not
// handled yet; false when there is none.
bool takeScanEvent(uint32_t* serial);

// Fills the session's callbacks with the host's: scan events, debug
// messages and tones are printed as they come.
void useHostCallbacks(Session* session);

}  // namespace scanhost

#endif  // SCANHOST_HOST_H

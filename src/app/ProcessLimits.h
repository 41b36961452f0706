#pragma once

namespace perivant {

// Process-wide settings that keep hostile or merely busy servers from wearing the program down
// over a long session. All but the last are called once at start, before any thread runs.

// Blocks of a megabyte or more (the HTTP client's page buffers, up to 16 MB) are mapped for
// themselves and given back to the system when freed. Left to the C library, whose threshold for
// that rises after the first such block is freed, they come from the workers' heaps, which keep
// them: every refresh with a host sending a page near the cap kept tens of megabytes more.
void ReturnLargeBlocksToTheSystem();

// Raises the soft limit on open files to the hard limit, at most 65,536. A running query holds up
// to four descriptors (its connection, its ping socket and its HTTP handle's two), so a stored
// MaxThreads of some hundreds ran out at the usual 1,024 and failed servers that answered.
void RaiseOpenFileLimit();

// Opens /dev/null on any of standard input, output and error that the program was started
// without. Otherwise the next file or socket opened takes that number, and what is written to
// standard error (the trace, Qt's warnings) goes into it: started with "2>&-" under X, Qt's first
// warning went into the display connection.
void OpenMissingStandardStreams();

// A write to a pipe whose reader has gone fails with an error instead of ending the program: the
// trace goes to standard error, and "perivant 2>&1 | head" ended it at the fourth line.
void IgnoreClosedPipes();

// Marks every descriptor above standard error close-on-exec. Called before a program is started
// from here (the web browser): libcurl makes its wake-up socket pairs without that mark, and a
// browser started while queries ran held their connections on, past the program's own end.
void KeepDescriptorsFromChildren();

}  // namespace perivant

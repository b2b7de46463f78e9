// The player's loader reports a failure by printing a line on standard output itself,
// where it would corrupt raw PCM, JSON lines or a status line. Every host runs loads
// through here: standard output is diverted while the load runs, the loader's message
// is handed back, and whatever else was printed goes on to standard error.
#ifndef HOSTLIB_LOADEROUTPUT_H
#define HOSTLIB_LOADEROUTPUT_H

#include <functional>
#include <mutex>
#include <string>

// Runs `load` with standard output diverted and returns the loader's message on one
// line, without its prefix; empty when the loader printed none. Loads of all threads
// take turns, since the diversion is the whole process's.
std::string RunCapturingLoaderMessage(const std::function<void()>& load);

// Runs `call` with standard output diverted and returns everything it printed there.
std::string RunCapturingStandardOutput(const std::function<void()>& call);

// Held while a diversion lasts: a thread that writes to standard output while another
// may be loading holds it, so its text is not taken for the loader's.
std::mutex& StandardOutputLock();

#endif

#pragma once
// What the harnesses share: a scratch folder of their own, the environment of an unattended run
// kept inside it, and the way a finding that is no crash by itself (a write outside the scratch
// folder, an expansion that no archive of that size allows) stops the run.
#include <cstddef>
#include <cstdint>
#include <string>

namespace vantorel::fuzz {

// Once per process: the headless user interface, and the registry file and drive C: inside
// Scratch("env"), so that nothing a harness does reaches the user's own.
void Setup();

// The folder `name` inside this process's scratch root: $VANTOREL_FUZZ_SCRATCH when set, else a
// new folder in the temporary directory. The root is emptied on first use and removed at exit.
std::string Scratch(const std::string& name);

// Writes the input to `path`, as a new file.
void WriteInput(const std::string& path, const uint8_t* data, size_t size);

// The names in `folder` (without "." and ".."), sorted.
std::string Listing(const std::string& folder);

// Reports a fault the sanitizers cannot see and stops, as a crash does: the fuzzer keeps the
// input.
[[noreturn]] void Finding(const std::string& what);

}  // namespace vantorel::fuzz

#pragma once
// The same files as an install project of this system and as an NSIS script, for the whole-build
// and install figures.
#include <filesystem>
#include <string>

#include "apps/bench/corpus.h"

namespace vantorel::bench {

// A project form that installs the first `count` files of `corpus` into
// "C:\Program Files\<folder>", all in the main archive. `include_dir`: the corpus folder as the
// builder is to find it (a short Windows path: a project refuses source paths past 100
// characters).
void WriteProjectForm(const Corpus& corpus, size_t count, const std::string& include_dir,
                      const std::string& folder, const std::filesystem::path& form);

// The same files for makensis: zlib, not solid, a 64-bit installer into "$PROGRAMFILES64\<folder>".
void WriteNsisScript(const Corpus& corpus, const std::string& folder,
                     const std::filesystem::path& installer, const std::filesystem::path& script);

}  // namespace vantorel::bench

#pragma once
// The archive engine against plain zlib calls on the same files, in this process: compress and
// extract times, and whether what came out is what went in.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "apps/bench/corpus.h"

namespace vantorel::bench {

// The zlib level the engine compresses with by default.
int EngineZlibLevel();

struct StreamSpan {
  uint64_t offset = 0, length = 0;
};

// Each file one zlib stream, one after the other in `archive`, as the engine stores them.
double ZlibCompress(const Corpus& corpus, const std::filesystem::path& archive, int level,
                    std::vector<StreamSpan>& spans);
double ZlibExtract(const Corpus& corpus, const std::filesystem::path& archive,
                   const std::vector<StreamSpan>& spans, const std::filesystem::path& folder);

// Through TVtrlCompress: one Compress of every file, one Extract of every file.
double EngineCompress(const std::vector<std::string>& files, const std::filesystem::path& archive);
double EngineExtract(const std::vector<std::string>& stored_names,
                     const std::filesystem::path& archive, const std::filesystem::path& folder);

// As a build adds the files of a project: one Compress of one file after the other, on one
// engine, into one archive.
double EngineAddEach(const std::vector<std::string>& files, const std::filesystem::path& archive);

// The files of `corpus` found in `folder` with other bytes, or missing.
int Mismatches(const Corpus& corpus, const std::filesystem::path& folder);

}  // namespace vantorel::bench

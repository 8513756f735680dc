// The steps of one batch row that the one-thread and the parallel batch
// share: the read options, the checks of a written output, and how the
// row's outcome is told to the settings' handlers.
#pragma once

#include <exception>
#include <filesystem>
#include <optional>

#include "ops/BatchConversion.h"
#include "ops/Conversion.h"
#include "ops/OutputCheck.h"

TReadOptions RowReadOptions(const TLutFileRow& row, const TBatchSettings& settings);

// Outputs of one batch never replace each other or an input of the batch
// (the files a writer puts beside its output included), whatever the
// answers and flags: EBatchError names the files before anything is written.
void CheckBatchOutputs(const TLutRegistry& registry, const std::vector<TLutFileRow>& rows,
                       const TBatchSettings& settings);

// The file whose keeping left the output unwritten (EOutputKept): the
// writer's companion that exists, as the skip report names it.
std::filesystem::path KeptFile(const TLutRegistry& registry, const TLutOutputProfile& profile,
                               const std::filesystem::path& output);

struct TWrittenRow {
  std::vector<TWriteLoss> Losses;    // what the write step said the output loses
  std::optional<double> Difference;  // with OnVerified: the largest one read back
  std::exception_ptr VerifyError;    // a TVerifyError
};

// The written output's losses and, when the settings ask, how it reads
// back. Raises only when the source cannot be read again.
TWrittenRow CheckWritten(const TLutRegistry& registry, const TLutFileRow& row,
                         const TBatchSettings& settings, const std::filesystem::path& output,
                         std::vector<TWriteLoss> losses);

// OnConverted, OnWarning, then OnVerified; a failed read-back is raised as
// the row's error.
void ReportWritten(const TBatchSettings& settings, const TLutFileRow& row,
                   const std::filesystem::path& output, const TWrittenRow& written);

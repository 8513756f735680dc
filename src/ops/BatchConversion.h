// The batch: every checked row of the file list converted into one folder
// through one output profile, in list order, asking before it replaces a file
// and stopping when the user cancels. Talks to the user only through IConfirm
// and IProgress, so the desktop program, the command line and the tests run
// the same operation.
#pragma once

#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/LUTFormat.h"
#include "core/UserPrompt.h"
#include "ops/BitsOverride.h"
#include "ops/WriteLoss.h"

// One row of the main list: rows of unrecognised files carry no entry and
// cannot be checked.
struct TLutFileRow {
  std::string FileName;  // the row's caption
  std::string Folder;
  bool Checked = false;
  std::optional<TLutFileEntry> Entry;
  std::filesystem::path Path() const { return std::filesystem::path(Folder) / FileName; }
};

struct TBatchSettings {
  std::filesystem::path OutputFolder;
  const TLutOutputProfile* Profile = nullptr;
  int Size = 0;   // EffectiveSize of the options
  int Bits = -1;  // SelectedBits of the options
  std::string CdlId;  // the correction read from CDL collections; "": the first
  // How sources are looked up when they are resampled.
  TLutInterpolation Interpolation = TLutInterpolation::Trilinear;
  // Without a handler the first error ends the batch and is raised to the
  // caller; a handler that answers true lets the batch go on with the next row.
  std::function<bool(const TLutFileRow&, const std::exception&)> OnError;
  // Told after each file written.
  std::function<void(const TLutFileRow&, const std::filesystem::path&)> OnConverted;
  // Told of each thing a written file lost, after OnConverted (WriteLoss.h:
  // "3 values outside 0..1 ... were clipped.").
  std::function<void(const TLutFileRow&, const TWriteLoss&)> OnWarning;
  // Told of what a reader had to say of a row's file (TReadOptions), before
  // the row's other handlers.
  std::function<void(const TLutFileRow&, const std::string&)> OnReadWarning;
  // When set, each output is read back and compared with its source; told
  // the largest difference. An output that cannot be read back is an error
  // of its row (TVerifyError).
  std::function<void(const TLutFileRow&, const std::filesystem::path&, double)> OnVerified;
  // Told of each output kept because the question about replacing it was answered No.
  std::function<void(const TLutFileRow&, const std::filesystem::path&)> OnSkipped;
};

// A batch refused before anything was written: two rows would write one
// output, or an output would replace one of the batch's inputs.
class EBatchError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An output that does not read back.
class TVerifyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TBatchResult { Completed, Cancelled };

TBatchResult ConvertCheckedFiles(const TLutRegistry& registry, const std::vector<TLutFileRow>& rows,
                                 const TBatchSettings& settings, IConfirm& confirm,
                                 IProgress& progress);

// The same batch on `jobs` threads, with the same outcome as above: the same
// files written, the same handlers called in the same (row) order on the
// calling thread, the same result. The overwrite questions are asked first,
// one at a time in row order, on the calling thread; then the files are read
// and written in parallel. A file is written only once every earlier row has
// been read, so a file that cannot be read stops the batch before anything
// after it is written. (A writer's own question about a file beside its
// output is asked from a worker, one at a time.)
TBatchResult ConvertCheckedFilesParallel(const TLutRegistry& registry,
                                         const std::vector<TLutFileRow>& rows,
                                         const TBatchSettings& settings, IConfirm& confirm,
                                         IProgress& progress, int jobs);

// The batch on several threads. The calling thread asks the questions, then
// reports each row in order as it completes; workers read and resample rows
// in order of their position and write a row once every earlier one has been
// read (or its failure was let pass), so a failure stops the batch where the
// one-thread batch stops.
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#include "ops/BatchConversion.h"
#include "ops/BatchRow.h"
#include "ops/Conversion.h"

namespace {

// A writer's questions come from the workers; they are asked one at a time.
class TSerialConfirm : public IConfirm {
 public:
  explicit TSerialConfirm(IConfirm& inner) : Inner(inner) {}
  TConfirmAnswer Confirm(const std::string& message, bool withNo) override {
    const std::lock_guard lock(Mutex);
    return Inner.Confirm(message, withNo);
  }
  TConfirmAnswer ConfirmOverwrite(const std::filesystem::path& file, bool withNo) override {
    const std::lock_guard lock(Mutex);
    return Inner.ConfirmOverwrite(file, withNo);
  }

 private:
  IConfirm& Inner;
  std::mutex Mutex;
};

struct TRowWork {
  std::filesystem::path Output;
  bool Convert = false;  // the question answered Yes
  bool Skipped = false;  // answered No
  bool Kept = false;     // a file the writer puts beside the output was kept
  TReplace Replace = TReplace::Never;
  bool Readable = false;
  bool Done = false;
  bool LetPass = false;  // failed, and the error handler went on
  std::optional<TWrittenRow> Written;
  std::exception_ptr Error;
};

class TParallelBatch {
 public:
  TParallelBatch(const TLutRegistry& registry, const std::vector<TLutFileRow>& rows,
                 const TBatchSettings& settings, IConfirm& confirm)
      : Registry(registry), Rows(rows), Settings(settings), WriterConfirm(confirm),
        Work(rows.size()) {}

  // Asks about every checked row in order; false when the user cancelled
  // (the rows before still run).
  bool Plan(IConfirm& confirm) {
    for (std::size_t i = 0; i < Rows.size(); ++i) {
      if (!Rows[i].Checked) continue;
      TRowWork& work = Work[i];
      try {
        work.Output = OutputPathFor(Settings.OutputFolder, Rows[i].FileName, *Settings.Profile);
        const TConfirmAnswer answer = ConfirmWrite(confirm, work.Output, true, &work.Replace);
        if (answer == TConfirmAnswer::Cancel) {
          PlannedEnd = i;
          return false;
        }
        work.Convert = answer == TConfirmAnswer::Yes;
        work.Skipped = answer == TConfirmAnswer::No;
      } catch (...) {
        work.Error = std::current_exception();
      }
    }
    PlannedEnd = Rows.size();
    return true;
  }

  void Worker() {
    for (;;) {
      std::size_t i = NextRow++;
      while (i < PlannedEnd && !Work[i].Convert) i = NextRow++;
      if (i >= PlannedEnd || Stop) return;
      TRowWork& work = Work[i];
      const TLutFileRow& row = Rows[i];
      TLUT lut;
      TLutDomain lost;
      try {
        lut = ReadResampled(Registry, row.Path(), *Settings.Profile, Settings.Size,
                            RowReadOptions(row, Settings), &lost);
      } catch (...) {
        Finish(work, std::current_exception(), false);
        continue;
      }
      // A row that is read back counts as read once it read back, so that a
      // failed read-back stops the batch before later rows are written.
      const bool verifying = static_cast<bool>(Settings.OnVerified);
      {
        std::unique_lock lock(Mutex);
        if (!verifying) MarkReadable(work, true);
        Changed.wait(lock, [&] { return Stop || Frontier >= i; });
        if (Stop) return;
      }
      try {
        Registry.SaveLut(work.Output, lut, *Settings.Profile, Settings.Bits, &WriterConfirm,
                         work.Replace);
        work.Written = CheckWritten(Registry, row, Settings, work.Output, lut, lost);
        Finish(work, nullptr, verifying && !work.Written->VerifyError);
      } catch (const EOutputKept&) {
        work.Kept = true;
        Finish(work, nullptr, true);
      } catch (...) {
        Finish(work, std::current_exception(), false);
      }
    }
  }

  // The calling thread: each row reported in order once it is complete.
  TBatchResult Report(IProgress& progress, bool cancelledWhilePlanning) {
    const std::size_t n = Rows.size();
    for (std::size_t i = 0; i < PlannedEnd; ++i) {
      if (!Rows[i].Checked) continue;
      TRowWork& work = Work[i];
      const TLutFileRow& row = Rows[i];
      if (work.Skipped) {
        if (Settings.OnSkipped) Settings.OnSkipped(row, work.Output);
        continue;
      }
      if (work.Convert) {
        progress.SetProgress(static_cast<double>(i + 1) * 100.0 / static_cast<double>(n));
        if (progress.Cancelled()) return TBatchResult::Cancelled;
        std::unique_lock lock(Mutex);
        Changed.wait(lock, [&] { return work.Done; });
      }
      if (work.Kept) {
        if (Settings.OnSkipped)
          Settings.OnSkipped(row, KeptFile(Registry, *Settings.Profile, work.Output));
        continue;
      }
      try {
        if (work.Error) std::rethrow_exception(work.Error);
        ReportWritten(Settings, row, work.Output, *work.Written);
        continue;
      } catch (const std::exception& error) {
        if (!Settings.OnError || !Settings.OnError(row, error)) throw;
      }
      const std::lock_guard lock(Mutex);
      work.LetPass = true;
      AdvanceFrontier();
      Changed.notify_all();
    }
    return cancelledWhilePlanning ? TBatchResult::Cancelled : TBatchResult::Completed;
  }

  void StopAll() {
    const std::lock_guard lock(Mutex);
    Stop = true;
    Changed.notify_all();
  }

 private:
  void Finish(TRowWork& work, std::exception_ptr error, bool readable) {
    const std::lock_guard lock(Mutex);
    work.Error = std::move(error);
    work.Done = true;
    if (readable) MarkReadable(work, false);
    Changed.notify_all();
  }

  // With the mutex held.
  void MarkReadable(TRowWork& work, bool notify) {
    work.Readable = true;
    AdvanceFrontier();
    if (notify) Changed.notify_all();
  }

  // Frontier: every row before it is read, not converted, or let pass.
  void AdvanceFrontier() {
    while (Frontier < PlannedEnd) {
      const TRowWork& work = Work[Frontier];
      const bool clear = work.LetPass || (!work.Error && (!work.Convert || work.Readable));
      if (!clear) break;
      ++Frontier;
    }
  }

  const TLutRegistry& Registry;
  const std::vector<TLutFileRow>& Rows;
  const TBatchSettings& Settings;
  TSerialConfirm WriterConfirm;
  std::vector<TRowWork> Work;
  std::size_t PlannedEnd = 0;
  std::atomic<std::size_t> NextRow{0};
  std::mutex Mutex;
  std::condition_variable Changed;
  std::size_t Frontier = 0;
  std::atomic<bool> Stop{false};
};

struct TProgressEnd {
  IProgress& Progress;
  ~TProgressEnd() { Progress.End(); }
};

}  // namespace

TBatchResult ConvertCheckedFilesParallel(const TLutRegistry& registry,
                                         const std::vector<TLutFileRow>& rows,
                                         const TBatchSettings& settings, IConfirm& confirm,
                                         IProgress& progress, int jobs) {
  if (jobs <= 1) return ConvertCheckedFiles(registry, rows, settings, confirm, progress);
  CheckProfileSize(registry, *settings.Profile, settings.Size);
  CheckBatchOutputs(registry, rows, settings);
  TParallelBatch batch(registry, rows, settings, confirm);
  const bool planned = batch.Plan(confirm);
  progress.Begin("Convertion...", "The selected files are being converted. Please wait...");
  TProgressEnd end{progress};
  std::vector<std::jthread> workers;
  // Declared after the workers, so it stops them before they are joined.
  struct TStopper {
    TParallelBatch& Batch;
    ~TStopper() { Batch.StopAll(); }
  } stopper{batch};
  for (int j = 0; j < jobs; ++j) workers.emplace_back([&batch] { batch.Worker(); });
  return batch.Report(progress, !planned);
}

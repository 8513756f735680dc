// The batch on several threads. The calling thread asks the questions, then
// reports each row in order as it completes. Workers read and resample rows
// in order, and write a row once every earlier one has been read (or its
// failure was let pass); a worker whose row may not be written yet reads the
// rows after it instead, up to sixteen rows ahead a worker, so the workers
// keep busy while one reads a table many times larger than the others. A
// row's files are put in place (TAtomicFile's commit) only once every
// earlier row is finished (written and, when asked, read back) or its
// failure was let pass, so a failure stops the batch where the one-thread
// batch stops and nothing after it appears.
#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "core/FileIO.h"
#include "ops/BatchConversion.h"
#include "ops/BatchRow.h"
#include "ops/Conversion.h"

namespace {

// A writer's questions (about a file it puts beside its output) wait for
// the row's turn, which one unfinished row has at a time: they are asked one
// at a time and in the order of the rows. After a stop they answer Cancel.
class TTurnConfirm : public IConfirm {
 public:
  TTurnConfirm(ICommitGate& turn, IConfirm& inner) : Turn(turn), Inner(inner) {}
  TConfirmAnswer Confirm(const std::string& message, bool withNo) override {
    return Turn.AwaitTurn() ? Inner.Confirm(message, withNo) : TConfirmAnswer::Cancel;
  }
  TConfirmAnswer ConfirmOverwrite(const std::filesystem::path& file, bool withNo) override {
    return Turn.AwaitTurn() ? Inner.ConfirmOverwrite(file, withNo) : TConfirmAnswer::Cancel;
  }

 private:
  ICommitGate& Turn;
  IConfirm& Inner;
};

// Rows read ahead hold their resampled tables: as many as fit in 256 MB, at
// least one a worker and at most sixteen (enough to keep the workers busy
// while one reads a table many times larger than the others).
std::size_t ReadAheadFor(const TLutRegistry& registry, const TBatchSettings& settings, int jobs) {
  const bool is3D = registry.ProfileFormat(*settings.Profile).Is3D;
  const double size = settings.Size == KeepSourceSize ? (is3D ? 99 : 99999) : settings.Size;
  const double points = is3D ? size * size * size : size;
  const auto fit = static_cast<std::size_t>(256e6 / (std::max(points, 1.0) * sizeof(TLutRGB)));
  const auto workers = static_cast<std::size_t>(jobs);
  return std::clamp(fit, workers, 16 * workers);
}

struct TRowWork {
  std::filesystem::path Output;
  bool Convert = false;  // the question answered Yes
  bool Skipped = false;  // answered No
  bool Kept = false;     // a file the writer puts beside the output was kept
  TReplace Replace = TReplace::Never;
  bool Read = false;
  bool Done = false;
  bool LetPass = false;  // failed, and the error handler went on
  TShapedLut Shaped;     // read and shaped, waiting to be written
  std::vector<std::string> ReadWarnings;  // said in row order, before the rest
  std::optional<TWrittenRow> Written;
  std::exception_ptr Error;
};

class TParallelBatch {
 public:
  TParallelBatch(const TLutRegistry& registry, const std::vector<TLutFileRow>& rows,
                 const TBatchSettings& settings, IConfirm& confirm, int jobs)
      : Registry(registry), Rows(rows), Settings(settings), WriterConfirm(confirm),
        Work(rows.size()), ReadAhead(ReadAheadFor(registry, settings, jobs)) {}

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
          AdvanceFrontiers();
          return false;
        }
        work.Convert = answer == TConfirmAnswer::Yes;
        work.Skipped = answer == TConfirmAnswer::No;
      } catch (...) {
        work.Error = std::current_exception();
      }
    }
    PlannedEnd = Rows.size();
    AdvanceFrontiers();
    return true;
  }

  void Worker() {
    std::unique_lock lock(Mutex);
    for (;;) {
      if (Stop) return;
      while (NextRow < PlannedEnd && !Work[NextRow].Convert) ++NextRow;
      if (!Waiting.empty() && ReadFrontier >= *Waiting.begin()) {
        const std::size_t i = *Waiting.begin();
        Waiting.erase(Waiting.begin());
        lock.unlock();
        Write(i);
        lock.lock();
      } else if (NextRow < PlannedEnd && Waiting.size() + Reading < ReadAhead) {
        const std::size_t i = NextRow++;
        ++Reading;
        lock.unlock();
        const bool read = Read(i);
        lock.lock();
        --Reading;
        if (read) Waiting.insert(i);
        Changed.notify_all();
      } else if (NextRow >= PlannedEnd && Waiting.empty()) {
        return;
      } else {
        Changed.wait(lock);
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
      for (const std::string& warning : work.ReadWarnings) Settings.OnReadWarning(row, warning);
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
      AdvanceFrontiers();
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
  // Reads and shapes row i; false when it failed (the row is finished).
  bool Read(std::size_t i) {
    TRowWork& work = Work[i];
    try {
      TReadOptions options = RowReadOptions(Rows[i], Settings);
      if (options.OnWarning)
        options.OnWarning = [&work](const std::filesystem::path&, const std::string& text) {
          work.ReadWarnings.push_back(text);
        };
      work.Shaped = ReadShaped(Registry, Rows[i].Path(), *Settings.Profile, Settings.Size,
                               Settings.Bits, options);
    } catch (...) {
      Finish(work, std::current_exception());
      return false;
    }
    const std::lock_guard lock(Mutex);
    work.Read = true;
    AdvanceFrontiers();
    return true;
  }

  // Row i's turn to put its files in place: every earlier row is clear.
  class TRowTurn : public ICommitGate {
   public:
    TRowTurn(TParallelBatch& batch, std::size_t row) : Batch(batch), Row(row) {}
    bool AwaitTurn() override {
      std::unique_lock lock(Batch.Mutex);
      Batch.Changed.wait(lock, [&] { return Batch.Stop || Batch.DoneFrontier >= Row; });
      return !Batch.Stop;
    }

   private:
    TParallelBatch& Batch;
    std::size_t Row;
  };

  void Write(std::size_t i) {
    TRowWork& work = Work[i];
    const TLUT lut = std::move(work.Shaped.Lut);
    TRowTurn turn(*this, i);
    const TCommitGateScope gate(turn);
    TTurnConfirm confirm(turn, WriterConfirm);
    try {
      Registry.SaveLut(work.Output, lut, *Settings.Profile, Settings.Bits, &confirm,
                       work.Replace);
      work.Written =
          CheckWritten(Registry, Rows[i], Settings, work.Output, std::move(work.Shaped.Losses));
      Finish(work, nullptr);
    } catch (const EWriteAbandoned&) {
      // the batch stopped before this row's turn; nobody waits for it
    } catch (const EOutputKept&) {
      work.Kept = true;
      Finish(work, nullptr);
    } catch (...) {
      Finish(work, std::current_exception());
    }
  }

  void Finish(TRowWork& work, std::exception_ptr error) {
    const std::lock_guard lock(Mutex);
    work.Error = std::move(error);
    work.Done = true;
    AdvanceFrontiers();
    Changed.notify_all();
  }

  // With the mutex held. Every row before ReadFrontier is read without a
  // failure, not converted, or let pass; every row before DoneFrontier is
  // finished without a failure (a failed read-back included), not
  // converted, or let pass.
  void AdvanceFrontiers() {
    const auto clear = [](const TRowWork& work, bool finished) {
      // Written is set by its worker before Done, and read only after it.
      const bool failed = work.Error || (work.Done && work.Written && work.Written->VerifyError);
      return work.LetPass || (!failed && (!work.Convert || finished));
    };
    while (ReadFrontier < PlannedEnd && clear(Work[ReadFrontier], Work[ReadFrontier].Read))
      ++ReadFrontier;
    while (DoneFrontier < PlannedEnd && clear(Work[DoneFrontier], Work[DoneFrontier].Done))
      ++DoneFrontier;
  }

  const TLutRegistry& Registry;
  const std::vector<TLutFileRow>& Rows;
  const TBatchSettings& Settings;
  IConfirm& WriterConfirm;
  std::vector<TRowWork> Work;
  const std::size_t ReadAhead;  // rows read or being read and not yet written
  std::size_t PlannedEnd = 0;
  std::mutex Mutex;
  std::condition_variable Changed;
  // With the mutex held:
  std::size_t NextRow = 0;      // the next row to read
  std::size_t Reading = 0;      // rows being read
  std::set<std::size_t> Waiting;  // rows read, waiting for their turn to be written
  std::size_t ReadFrontier = 0;
  std::size_t DoneFrontier = 0;
  bool Stop = false;
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
  TParallelBatch batch(registry, rows, settings, confirm, jobs);
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

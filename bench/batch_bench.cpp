// A batch of 200 files of mixed formats and sizes converted to "Cube 3D
// Davinci" at 33, against the sum of the same conversions run one by one:
// the batch should add no per-file overhead worth naming. Then the same batch
// on one thread and on two (`--jobs 2`), interleaved, medians of nine runs.
#include <algorithm>
#include <chrono>
#include <thread>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "core/LUTFormat.h"
#include "core/MemoryReuse.h"
#include "ops/BatchConversion.h"
#include "ops/Conversion.h"
#include "registry/FormatTable.h"

namespace fs = std::filesystem;

namespace {

struct TNoQuestions : IConfirm {
  TConfirmAnswer Confirm(const std::string&, bool) override { return TConfirmAnswer::Yes; }
};
struct TNoProgress : IProgress {
  void SetProgress(double) override {}
  bool Cancelled() override { return false; }
};

const TLutOutputProfile& Profile(const std::string& name) {
  for (const auto& p : LutRegistry().LutOutputProfiles())
    if (p.Name == name) return p;
  throw std::runtime_error(name);
}

TLUT Source(bool is3D, int size) {
  TLUT lut;
  if (is3D) {
    lut.LutType = lt3D;
    lut.SetSize3D(size);
    const double s = size - 1;
    for (int r = 0; r < size; ++r)
      for (int g = 0; g < size; ++g)
        for (int b = 0; b < size; ++b)
          lut.Cube(r, g, b) = {std::sqrt(r / s), g / s * (0.5 + b / s / 2), (r + b) / s / 2};
  } else {
    lut.LutType = lt1D;
    lut.SetSize1D(size);
    for (int i = 0; i < size; ++i) {
      const double x = i / (size - 1.0);
      lut.Curve(i) = {x * x, std::sqrt(x), x};
    }
  }
  return lut;
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// Processor time of the whole process, every thread.
double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace

int main() {
  KeepFreedMemoryForReuse();  // as the programs do
  const fs::path dir = fs::temp_directory_path() / "tovi-batch-bench";
  fs::remove_all(dir);
  fs::create_directories(dir / "in");
  fs::create_directories(dir / "out");
  // Mixed sources: cubes of 17, 33 and 65 points and 1D tables in several formats.
  struct TKind {
    const char* profile;
    bool is3D;
    int size;
  } kinds[] = {{"Cube 3D Davinci", true, 17},    {"3DL Fusion", true, 33},
               {"Davinci DAT 3D", true, 33},     {"Cube 3D Davinci", true, 65},
               {"Cube 1D", false, 4096},         {"Codex 1D, Sony SRW-1, Scratch 1D", false, 1024},
               {"Pandora 3D, Apple 3D m3d", true, 17}, {"Cube 3D Truelight", true, 32}};
  std::vector<TLutFileRow> rows;
  for (int i = 0; i < 200; ++i) {
    const TKind& k = kinds[i % 8];
    const TLutOutputProfile& p = Profile(k.profile);
    const std::string name = "lut" + std::to_string(i) + "." + p.Extension;
    LutRegistry().SaveLut(dir / "in" / name, Source(k.is3D, k.size), p, -1);
    rows.push_back({name, (dir / "in").string(), true, TLutFileEntry{-1, -1, {}}});
  }
  const TLutOutputProfile& target = Profile("Cube 3D Davinci");

  auto start = std::chrono::steady_clock::now();
  double single = 0;
  for (const TLutFileRow& row : rows) {
    const auto t0 = std::chrono::steady_clock::now();
    ConvertLutFile(LutRegistry(), row.Path(), OutputPathFor(dir / "out", row.FileName, target),
                   target, 33, -1);
    single += Seconds(std::chrono::steady_clock::now() - t0);
  }
  (void)start;

  TNoQuestions yes;
  TNoProgress progress;
  TBatchSettings settings;
  settings.OutputFolder = dir / "out";
  settings.Profile = &target;
  settings.Size = 33;
  start = std::chrono::steady_clock::now();
  ConvertCheckedFiles(LutRegistry(), rows, settings, yes, progress);
  const double batch = Seconds(std::chrono::steady_clock::now() - start);

  std::printf("200 mixed files to \"Cube 3D Davinci\" at 33\n");
  std::printf("  sum of single conversions : %7.0f ms\n", single * 1000);
  std::printf("  batch                     : %7.0f ms\n", batch * 1000);
  std::printf("  ratio                     : %7.2f (target <= 1.5)\n", batch / single);

  std::vector<double> times[2], cpu[2];
  for (int run = 0; run < 9; ++run)
    for (int jobs : {1, 2}) {
      // Each run writes into a folder of its own, as a batch usually does.
      settings.OutputFolder = dir / ("out-" + std::to_string(run) + "-" + std::to_string(jobs));
      fs::create_directories(settings.OutputFolder);
      const double cpu0 = CpuSeconds();
      start = std::chrono::steady_clock::now();
      ConvertCheckedFilesParallel(LutRegistry(), rows, settings, yes, progress, jobs);
      times[jobs - 1].push_back(Seconds(std::chrono::steady_clock::now() - start));
      cpu[jobs - 1].push_back(CpuSeconds() - cpu0);
      fs::remove_all(settings.OutputFolder);
    }
  const auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  const double one = median(times[0]), two = median(times[1]);
  std::printf("the same batch, medians of 9 interleaved runs (%u cores)\n",
              std::thread::hardware_concurrency());
  std::printf("  1 job                     : %7.0f ms (CPU %.0f ms)\n", one * 1000,
              median(cpu[0]) * 1000);
  std::printf("  2 jobs                    : %7.0f ms (CPU %.0f ms)\n", two * 1000,
              median(cpu[1]) * 1000);
  std::printf("  speed-up                  : %7.2f (target >= 1.8)\n", one / two);
  fs::remove_all(dir);
  return 0;
}

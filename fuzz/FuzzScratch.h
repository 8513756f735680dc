// The folder a fuzz target writes each input to before reading it back.
// fuzz/run.sh names one under the run's own folder (TOVI_FUZZ_SCRATCH) and
// removes it however the target ends. Run alone, a target takes a
// memory-backed folder of its own, removed at exit; libFuzzer ends a target
// on a timeout or a memory overrun past the exit handlers, so the folders of
// targets no longer running are removed first.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

inline std::filesystem::path& FuzzScratchDir() {
  static std::filesystem::path dir;
  return dir;
}

inline void RemoveFuzzScratch() {
  std::error_code ignored;
  std::filesystem::remove_all(FuzzScratchDir(), ignored);
}

// Removes "tovi-fuzz-...-PID" folders whose process has ended.
inline void SweepEndedFuzzFolders(const std::filesystem::path& base) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(base, ec)) {
    const std::string name = entry.path().filename().string();
    const std::size_t dash = name.rfind('-');
    if (name.rfind("tovi-fuzz-", 0) != 0 || dash == std::string::npos) continue;
    const long pid = std::strtol(name.c_str() + dash + 1, nullptr, 10);
    if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
      std::filesystem::remove_all(entry.path(), ec);
  }
}

// Makes the folder of this target (`name`) and returns it.
inline std::filesystem::path MakeFuzzScratch(const std::string& name) {
  namespace fs = std::filesystem;
  const std::string pid = std::to_string(::getpid());
  if (const char* given = std::getenv("TOVI_FUZZ_SCRATCH"); given && *given) {
    FuzzScratchDir() = fs::path(given) / (name + "-" + pid);
  } else {
    const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    SweepEndedFuzzFolders(base);
    FuzzScratchDir() = base / ("tovi-fuzz-" + name + "-" + pid);
  }
  fs::create_directories(FuzzScratchDir());
  std::atexit(RemoveFuzzScratch);
  return FuzzScratchDir();
}

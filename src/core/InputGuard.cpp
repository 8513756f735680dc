#include "core/InputGuard.h"

#include <sys/stat.h>

#include <string>
#include <system_error>

#include "core/Errors.h"

std::filesystem::path SameFileKey(const std::filesystem::path& file) {
  // An existing file is known by its device and inode, which every name of
  // it shares: symbolic links, hard links and other spellings alike.
  struct stat info{};
  if (::stat(file.c_str(), &info) == 0)
    return "//inode/" + std::to_string(info.st_dev) + "/" + std::to_string(info.st_ino);
  std::error_code ec;
  const std::filesystem::path key = std::filesystem::weakly_canonical(file, ec);
  return ec ? std::filesystem::absolute(file, ec).lexically_normal() : key;
}

void RefuseWritingOverInputs(const std::vector<std::filesystem::path>& outputs,
                             const std::vector<std::filesystem::path>& inputs) {
  for (const std::filesystem::path& output : outputs)
    for (const std::filesystem::path& input : inputs)
      if (!input.empty() && SameFileKey(output) == SameFileKey(input))
        throw EFileError("The output \"" + output.string() + "\" is the input \"" +
                         input.string() + "\"; nothing was written.");
}

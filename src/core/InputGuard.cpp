#include "core/InputGuard.h"

#include <system_error>

#include "core/Errors.h"

std::filesystem::path SameFileKey(const std::filesystem::path& file) {
  std::error_code ec;
  const std::filesystem::path key = std::filesystem::weakly_canonical(file, ec);
  return ec ? std::filesystem::absolute(file, ec).lexically_normal() : key;
}

void RefuseWritingOverInputs(const std::vector<std::filesystem::path>& outputs,
                             const std::vector<std::filesystem::path>& inputs) {
  for (const std::filesystem::path& output : outputs)
    for (const std::filesystem::path& input : inputs)
      if (SameFileKey(output) == SameFileKey(input))
        throw EFileError("The output \"" + output.string() + "\" is the input \"" +
                         input.string() + "\"; nothing was written.");
}

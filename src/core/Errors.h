// The exception classes of the library. Readers raise ELUTError for malformed
// data; the front ends prefix the file name when they report any of these,
// and the line number where the error carries one ("grade.cube:3: ...").
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

// An error about a file's content. A text reader stamps the number of the
// line it was reading (1-based) on any such error raised while reading it;
// 0 means the error belongs to no one line ("Incomplete file.").
class EContentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  std::size_t Line = 0;
};

// Malformed LUT data ("Incomplete file.").
class ELUTError : public EContentError {
 public:
  using EContentError::EContentError;
};

// A size the record cannot hold (the 100x100x100 limit) or cannot interpolate.
// Deliberately not an ELUTError: the size itself is valid text.
class ELUTSizeError : public EContentError {
 public:
  using EContentError::EContentError;
};

// A malformed number in a header: "'abc' is not a valid integer value".
class EConvertError : public EContentError {
 public:
  using EContentError::EContentError;
};

// A file that cannot be opened, read or created; the message names the file
// and carries the operating system's reason.
class EFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file that was to be put in place only where none existed found one there.
class EFileExistsError : public EFileError {
 public:
  using EFileError::EFileError;
};

// An error met while working on one file of several; the front ends name
// the file (and the line, when there is one) when they report it.
class EInFileError : public std::runtime_error {
 public:
  EInFileError(std::string file, const std::string& message, std::size_t line = 0)
      : std::runtime_error(message), File(std::move(file)), Line(line) {}
  std::string File;
  std::size_t Line;
};

// The line an error carries, 0 when none.
inline std::size_t ErrorLine(const std::exception& error) {
  if (const auto* content = dynamic_cast<const EContentError*>(&error)) return content->Line;
  if (const auto* inFile = dynamic_cast<const EInFileError*>(&error)) return inFile->Line;
  return 0;
}

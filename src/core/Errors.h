// The exception classes of the library. Readers raise ELUTError for malformed
// data; the front ends prefix the file name when they report any of these.
#pragma once

#include <stdexcept>
#include <string>

// Malformed LUT data ("Incomplete file.").
class ELUTError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A size the record cannot hold (the 100x100x100 limit) or cannot interpolate.
// Deliberately not an ELUTError: the size itself is valid text.
class ELUTSizeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A malformed number in a header: "'abc' is not a valid integer value".
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
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
// the file when they report it.
class EInFileError : public std::runtime_error {
 public:
  EInFileError(std::string file, const std::string& message)
      : std::runtime_error(message), File(std::move(file)) {}
  std::string File;
};

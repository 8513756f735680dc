// How the library asks the user something without knowing who answers: the
// desktop program shows a message box, the command line prompts or follows
// its flags, tests answer from a script.
#pragma once

#include <exception>
#include <filesystem>
#include <string>

#include "core/FileIO.h"

enum class TConfirmAnswer { Yes, No, Cancel };

// "The <file> file is already exist. Are you sure want you to overwrite it?"
std::string OverwriteQuestion(const std::string& fileName);

class IConfirm {
 public:
  virtual ~IConfirm() = default;
  // A question captioned "Confirm"; withNo offers Yes/No/Cancel, otherwise Yes/Cancel.
  virtual TConfirmAnswer Confirm(const std::string& message, bool withNo) = 0;
  // Whether an existing file may be replaced. A front end that answers from
  // flags rather than a person overrides this one.
  virtual TConfirmAnswer ConfirmOverwrite(const std::filesystem::path& file, bool withNo) {
    return Confirm(OverwriteQuestion(file.string()), withNo);
  }
};

// The one overwrite rule of every operation that writes a file: a file that
// does not exist yet is written (Yes); an existing one is asked about, with
// Yes/No/Cancel when withNo (a batch goes on after No), else Yes/Cancel.
// Anything but Yes means the file is left as it is. `replace` tells how the
// file is then to be put in place: Allow when an existing file was approved,
// Never when there was none, so that a file another writer puts there
// meanwhile is reported ("already exists") instead of silently replaced.
TConfirmAnswer ConfirmWrite(IConfirm& confirm, const std::filesystem::path& file, bool withNo,
                            TReplace* replace = nullptr);

// Raised by a writer when the user kept a file it writes beside its target
// (the Premiere look's .cube): nothing was written, and the caller reports
// the output as kept, as if its own question had been answered No.
class EOutputKept : public std::exception {
 public:
  const char* what() const noexcept override { return "kept"; }
};

// Progress of a long operation: a window with a bar and a Cancel button, a
// bar on a terminal, or nothing at all.
class IProgress {
 public:
  virtual ~IProgress() = default;
  virtual void Begin(const std::string& caption, const std::string& text) {
    (void)caption;
    (void)text;
  }
  virtual void SetProgress(double percent) = 0;
  // The item the operation is at: `number` (from 1) of `count`, and its name.
  virtual void SetItem(std::size_t number, std::size_t count, const std::string& name) {
    (void)number;
    (void)count;
    (void)name;
  }
  // Asked between steps; the front end may process pending input first.
  virtual bool Cancelled() = 0;
  virtual void End() {}
};

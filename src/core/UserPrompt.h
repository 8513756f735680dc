// How the library asks the user something without knowing who answers: the
// desktop program shows a message box, the command line prompts or follows
// its flags, tests answer from a script.
#pragma once

#include <filesystem>
#include <string>

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
// Anything but Yes means the file is left as it is.
TConfirmAnswer ConfirmWrite(IConfirm& confirm, const std::filesystem::path& file, bool withNo);

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
  // Asked between steps; the front end may process pending input first.
  virtual bool Cancelled() = 0;
  virtual void End() {}
};

// How the library asks the user something without knowing who answers: the
// desktop program shows a message box, the command line prompts or follows
// its flags, tests answer from a script.
#pragma once

#include <string>

enum class TConfirmAnswer { Yes, No, Cancel };

class IConfirm {
 public:
  virtual ~IConfirm() = default;
  // A question captioned "Confirm"; withNo offers Yes/No/Cancel, otherwise Yes/Cancel.
  virtual TConfirmAnswer Confirm(const std::string& message, bool withNo) = 0;
};

// "The <file> file is already exist. Are you sure want you to overwrite it?"
std::string OverwriteQuestion(const std::string& fileName);

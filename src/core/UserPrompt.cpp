#include "core/UserPrompt.h"

#include <system_error>

std::string OverwriteQuestion(const std::string& fileName) {
  return "The " + fileName + " file is already exist. Are you sure want you to overwrite it?";
}

TConfirmAnswer ConfirmWrite(IConfirm& confirm, const std::filesystem::path& file, bool withNo,
                            TReplace* replace) {
  std::error_code ec;
  // A dangling link counts as there: writing would replace the link.
  const bool exists = std::filesystem::exists(std::filesystem::symlink_status(file, ec));
  if (replace) *replace = exists ? TReplace::Allow : TReplace::Never;
  return exists ? confirm.ConfirmOverwrite(file, withNo) : TConfirmAnswer::Yes;
}

#include "core/UserPrompt.h"

std::string OverwriteQuestion(const std::string& fileName) {
  return "The " + fileName + " file is already exist. Are you sure want you to overwrite it?";
}

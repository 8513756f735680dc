// A writer that asks a question of its own (the Premiere look, before it
// replaces the .cube it writes beside itself) asks it through the IConfirm
// of the operation that runs it, for as long as the operation runs.
#pragma once

#include <vector>

#include "core/LUTFormat.h"
#include "core/UserPrompt.h"

class TSpeedgradeLook3DLutV2Format;

class TWriterConfirmScope {
 public:
  TWriterConfirmScope(const TLutRegistry& registry, IConfirm& confirm);
  ~TWriterConfirmScope();
  TWriterConfirmScope(const TWriterConfirmScope&) = delete;
  TWriterConfirmScope& operator=(const TWriterConfirmScope&) = delete;

 private:
  std::vector<TSpeedgradeLook3DLutV2Format*> Looks;
};

#include "ops/WriterConfirm.h"

#include "xml/LookFormats.h"

TWriterConfirmScope::TWriterConfirmScope(const TLutRegistry& registry, IConfirm& confirm) {
  for (const auto& format : registry.LutFormats)
    if (auto* look = dynamic_cast<TSpeedgradeLook3DLutV2Format*>(format.get())) {
      look->Confirm = &confirm;
      Looks.push_back(look);
    }
}

TWriterConfirmScope::~TWriterConfirmScope() {
  for (auto* look : Looks) look->Confirm = nullptr;
}

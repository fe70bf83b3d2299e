#include "exports/qxdutils.h"

#include <string>

#include "components/qxdutils/profile_file.h"
#include "components/qxdutils/qxdutils_component.h"

namespace {
const char* orEmpty(const char* s) {
  return s != nullptr ? s : "";
}
}  // namespace

extern "C" int32_t QXDUtils_ReadSetting(const char* Section, const char* Item, const char* Default,
                                        char* Buffer, int32_t Size, const char* FileName) {
  if (Buffer == nullptr || Size <= 0) return 0;
  const auto file = qxvb::qxdutils::resolveProfile(orEmpty(FileName));
  return qxvb::profile::getString(orEmpty(Section), orEmpty(Item), orEmpty(Default), Buffer, Size,
                                  file);
}

extern "C" int32_t QXDUtils_ReadSettingSection(const char* Section, char* Buffer, int32_t Size,
                                               const char* FileName) {
  if (Buffer == nullptr || Size <= 0) return 0;
  const auto file = qxvb::qxdutils::resolveProfile(orEmpty(FileName));
  return qxvb::profile::getSection(orEmpty(Section), Buffer, Size, file);
}

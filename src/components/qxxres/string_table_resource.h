// QXXRes.Resource: the product string table component. Texts live in a
// UTF-8 file in the string-table folder; when the folder has none, the
// English texts built into the library answer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "components/qxxres/string_table_file.h"
#include "frame/dispatch.h"

namespace qxvb::qxxres {

class StringTableResource : public Dispatch {
 public:
  StringTableResource();
  const DispatchTable& dispatchTable() const override;

  void SetStringtablePath(const std::string& folder);
  std::string GetLocalString(int32_t id) const;
  std::string FormatLocalString(const std::string& templ, const Variant& v1,
                                const Variant& v2 = Variant::missing(),
                                const Variant& v3 = Variant::missing()) const;
  // Remembers the window that should carry the product icon; windows of
  // the graphical module read it when they are shown.
  void SetIcon(int32_t hwnd);

  const std::string& folder() const { return folder_; }

 private:
  std::string folder_;
  std::shared_ptr<const TextMap> texts_;
};

Object makeStringTableResource();

// The window handles SetIcon was called for on this thread, newest last.
int32_t lastIconWindow();

// What SetIcon does to the window: the graphical module installs the
// function that puts the product icon on it.
using IconSetter = void (*)(int32_t hwnd);
bool setIconSetter(IconSetter setter);

}  // namespace qxvb::qxxres

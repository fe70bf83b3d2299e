// QX_ErrorHelper: carries a chain of errors across components. The chain is
// an XML document whose root holds one element per error, newest first;
// re-raising puts the whole document into the description, so the next
// component's helper recognises it and rebuilds the chain.
#pragma once

#include <cstdint>
#include <string>

#include "frame/dispatch.h"
#include "frame/err_info.h"
#include "xml/dom_document.h"

namespace qxvb {

// Which part of the chain an operation works on; any other value is the
// whole chain.
enum QX_Error_Switch : int32_t {
  QX_Error_Full = 0,
  QX_Error_Initial = 1,
  QX_Error_Final = 2,
};

class QX_ErrorHelper : public Dispatch {
 public:
  QX_ErrorHelper();
  const DispatchTable& dispatchTable() const override;

  bool IsStoredError(const std::string& v_strDescription);
  bool LoadStoredError(const Object& r_objErr);
  bool Store(const Object& r_objErr);
  bool WrapStoredError(int32_t v_lngNewNumber, const std::string& v_strNewSource,
                       const std::string& v_strNewDescription,
                       const std::string& v_strNewHelpFile = "",
                       const Variant& v_varNewHelpContextID = Variant(int32_t{0}));
  bool WrapStoredErrorWithQXErrInfo(const QXErrInfo& r_objErrInfo);
  void Initialize();
  [[noreturn]] void ReRaise(int32_t v_enuSwitch = QX_Error_Full);
  std::string ToXML(int32_t v_enuSwitch = QX_Error_Full);
  std::string ToString(int32_t v_enuSwitch = QX_Error_Full,
                       bool v_blnIncludeHelpInformation = true);
  int32_t Number(int32_t v_enuSwitch = QX_Error_Full);
  int32_t Source(int32_t v_enuSwitch = QX_Error_Full);
  int32_t Description(int32_t v_enuSwitch = QX_Error_Full);
  std::string SourceAsString(int32_t v_enuSwitch = QX_Error_Full);
  std::string DescriptionAsString(int32_t v_enuSwitch = QX_Error_Full);
  int32_t HelpFile(int32_t v_enuSwitch = QX_Error_Full);
  int32_t HelpFileContextID(int32_t v_enuSwitch = QX_Error_Full);
  void Clear();
  bool IsNotEmpty() const;

  // What the error dialog shows: the selected error (the newest for the
  // whole chain) and, for the whole chain, every older error rendered
  // without help information, newest first. Raises 91 for an empty chain.
  struct ShownError {
    int32_t number = 0;
    std::string source, description, helpFile, helpContext, details;
  };
  ShownError errorToShow(int32_t v_enuSwitch) const;

 private:
  bool addError(int32_t number, const std::string& source, const std::string& description,
                const std::string& helpFile, const std::string& helpContext);
  void loadChain(const std::string& text);
  // The error the switch selects; null when the chain is empty.
  xml::NodeRef selected(int32_t v_enuSwitch) const;
  xml::NodeRef requiredSelected(int32_t v_enuSwitch) const;

  std::shared_ptr<xml::XmlDocument> doc_;
  xml::NodeRef root_;
};

Object makeQX_ErrorHelper();

}  // namespace qxvb

#include "error_helper/error_helper.h"

#include <vector>

#include "frame/automation_error.h"
#include "frame/member_extensions.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "settings/xml_helper.h"
#include "xml/dom_lists.h"

namespace qxvb {

namespace {

using xml::NodeRef;

// Element, attribute and label names of the chain's XML and text.
constexpr int32_t kRootName = 55813;
constexpr int32_t kErrorName = 55814;
constexpr int32_t kNumberName = 55815;
constexpr int32_t kSourceName = 55816;
constexpr int32_t kDescriptionName = 55817;
constexpr int32_t kHelpFileName = 55818;
constexpr int32_t kHelpContextName = 55819;
constexpr int32_t kHelpFileLabel = 55820;
constexpr int32_t kHelpContextLabel = 55821;

constexpr const char* kLineBreak = "\r\n";

// One attribute of an error element; an absent attribute reads as empty.
std::string attribute(const NodeRef& error, int32_t nameId) {
  auto element = std::dynamic_pointer_cast<xml::XmlElement>(error);
  if (!element) raiseVbError(vberr::ObjectNotSet);
  const Variant value = element->getAttribute(localString(nameId));
  return value.isNull() ? std::string() : CStr(value);
}

std::string line(int32_t labelId, const std::string& value) {
  return localString(labelId) + ": " + value;
}

std::string renderError(const NodeRef& error, bool includeHelp) {
  std::string text = line(kNumberName, attribute(error, kNumberName)) + kLineBreak +
                     line(kSourceName, attribute(error, kSourceName)) + kLineBreak +
                     line(kDescriptionName, attribute(error, kDescriptionName));
  if (includeHelp) {
    text += kLineBreak + line(kHelpFileLabel, attribute(error, kHelpFileName)) + kLineBreak +
            line(kHelpContextLabel, attribute(error, kHelpContextName));
  }
  return text;
}

// Every error below root, newest first, separated by an empty line.
std::string renderChain(const NodeRef& root, bool includeHelp) {
  std::string text;
  for (NodeRef error = root->firstChild(); error; error = error->nextSibling()) {
    if (!text.empty()) text += std::string(kLineBreak) + kLineBreak;
    text += renderError(error, includeHelp);
  }
  return text;
}

// The numeric value of a text's leading digits, as a 32-bit integer.
int32_t leadingNumber(const std::string& text) {
  return CLng(Variant(Val(text)));
}

int32_t readLong(const Object& err, const char* member) {
  std::vector<Variant> none;
  return CLng(invokeOn(err, member, kPropertyGet | kMethod, none));
}

std::string readText(const Object& err, const char* member) {
  std::vector<Variant> none;
  return CStr(invokeOn(err, member, kPropertyGet | kMethod, none));
}

}  // namespace

QX_ErrorHelper::QX_ErrorHelper() {
  Initialize();
}

void QX_ErrorHelper::Initialize() {
  doc_ = xml::XmlDocument::create();
  // The chain is the library's own document: nothing external is loaded.
  doc_->resolveExternals = false;
  root_ = doc_->appendChild(doc_->createElement(localString(kRootName)));
}

void QX_ErrorHelper::Clear() {
  Initialize();
}

bool QX_ErrorHelper::IsNotEmpty() const {
  return root_ && root_->hasChildNodes();
}

bool QX_ErrorHelper::addError(int32_t number, const std::string& source,
                              const std::string& description, const std::string& helpFile,
                              const std::string& helpContext) {
  const auto helper = sharedXmlHelper();
  NodeRef error = doc_->createElement(localString(kErrorName));
  helper->QX_XML_AddAttribute(doc_, error, localString(kNumberName), CStr(Variant(number)));
  helper->QX_XML_AddAttribute(doc_, error, localString(kSourceName), source);
  helper->QX_XML_AddAttribute(doc_, error, localString(kDescriptionName), description);
  helper->QX_XML_AddAttribute(doc_, error, localString(kHelpFileName), helpFile);
  helper->QX_XML_AddAttribute(doc_, error, localString(kHelpContextName), helpContext);
  root_->insertBefore(error, root_->firstChild());
  return true;
}

bool QX_ErrorHelper::IsStoredError(const std::string& v_strDescription) {
  try {
    auto probe = xml::XmlDocument::create();
    probe->resolveExternals = false;
    if (!probe->loadXML(v_strDescription) || !probe->hasChildNodes()) return false;
    return !renderChain(probe->childNodes()->item(0), false).empty();
  } catch (const std::exception&) {
    return false;
  }
}

void QX_ErrorHelper::loadChain(const std::string& text) {
  doc_->loadXML(text);
  root_ = doc_->childNodes()->item(0);
}

bool QX_ErrorHelper::Store(const Object& r_objErr) {
  const int32_t number = readLong(r_objErr, "Number");
  const std::string source = readText(r_objErr, "Source");
  const std::string description = readText(r_objErr, "Description");
  const std::string helpFile = readText(r_objErr, "HelpFile");
  const int32_t helpContext = readLong(r_objErr, "HelpContext");
  try {
    Initialize();
    if (IsStoredError(description)) {
      loadChain(description);
      return false;
    }
    return addError(number, source, description, helpFile, CStr(Variant(helpContext)));
  } catch (const std::exception&) {
    return false;
  }
}

bool QX_ErrorHelper::LoadStoredError(const Object& r_objErr) {
  const std::string description = readText(r_objErr, "Description");
  if (!IsStoredError(description)) return false;
  loadChain(description);
  return true;
}

bool QX_ErrorHelper::WrapStoredError(int32_t v_lngNewNumber, const std::string& v_strNewSource,
                                     const std::string& v_strNewDescription,
                                     const std::string& v_strNewHelpFile,
                                     const Variant& v_varNewHelpContextID) {
  return addError(v_lngNewNumber, v_strNewSource, v_strNewDescription, v_strNewHelpFile,
                  CStr(v_varNewHelpContextID));
}

bool QX_ErrorHelper::WrapStoredErrorWithQXErrInfo(const QXErrInfo& r_objErrInfo) {
  return addError(r_objErrInfo.Number, r_objErrInfo.Source, r_objErrInfo.Description,
                  r_objErrInfo.HelpFile, CStr(r_objErrInfo.HelpContextID));
}

NodeRef QX_ErrorHelper::selected(int32_t v_enuSwitch) const {
  if (!root_) return nullptr;
  return v_enuSwitch == QX_Error_Initial ? root_->lastChild() : root_->firstChild();
}

NodeRef QX_ErrorHelper::requiredSelected(int32_t v_enuSwitch) const {
  NodeRef error = selected(v_enuSwitch);
  if (!error) raiseVbError(vberr::ObjectNotSet);
  return error;
}

void QX_ErrorHelper::ReRaise(int32_t v_enuSwitch) {
  const NodeRef error = requiredSelected(v_enuSwitch);
  const bool whole = v_enuSwitch != QX_Error_Initial && v_enuSwitch != QX_Error_Final;
  const std::string description = whole ? doc_->xml() : attribute(error, kDescriptionName);
  raiseError(CLng(Variant(attribute(error, kNumberName))), attribute(error, kSourceName),
             description, attribute(error, kHelpFileName),
             // A record saved with its default help context holds "": that is 0.
             leadingNumber(attribute(error, kHelpContextName)));
}

std::string QX_ErrorHelper::ToXML(int32_t v_enuSwitch) {
  if (v_enuSwitch != QX_Error_Initial && v_enuSwitch != QX_Error_Final) return doc_->xml();
  const NodeRef error = selected(v_enuSwitch);
  if (!error) return std::string();
  auto single = xml::XmlDocument::create();
  NodeRef root = single->appendChild(root_->cloneNode(false));
  root->appendChild(error->cloneNode(true));
  return single->xml();
}

std::string QX_ErrorHelper::ToString(int32_t v_enuSwitch, bool v_blnIncludeHelpInformation) {
  if (v_enuSwitch != QX_Error_Initial && v_enuSwitch != QX_Error_Final) {
    return root_ ? renderChain(root_, v_blnIncludeHelpInformation) : std::string();
  }
  const NodeRef error = selected(v_enuSwitch);
  return error ? renderError(error, v_blnIncludeHelpInformation) : std::string();
}

QX_ErrorHelper::ShownError QX_ErrorHelper::errorToShow(int32_t v_enuSwitch) const {
  const NodeRef error = requiredSelected(v_enuSwitch);
  ShownError shown;
  shown.number = CLng(Variant(Val(attribute(error, kNumberName))));
  shown.source = attribute(error, kSourceName);
  shown.description = attribute(error, kDescriptionName);
  shown.helpFile = attribute(error, kHelpFileName);
  shown.helpContext = attribute(error, kHelpContextName);
  if (v_enuSwitch != QX_Error_Initial && v_enuSwitch != QX_Error_Final) {
    for (NodeRef older = error->nextSibling(); older; older = older->nextSibling()) {
      if (!shown.details.empty()) shown.details += std::string(kLineBreak) + kLineBreak;
      shown.details += renderError(older, false);
    }
  }
  return shown;
}

int32_t QX_ErrorHelper::Number(int32_t v_enuSwitch) {
  return leadingNumber(attribute(requiredSelected(v_enuSwitch), kNumberName));
}

int32_t QX_ErrorHelper::Source(int32_t v_enuSwitch) {
  return leadingNumber(attribute(requiredSelected(v_enuSwitch), kSourceName));
}

int32_t QX_ErrorHelper::Description(int32_t v_enuSwitch) {
  return leadingNumber(attribute(requiredSelected(v_enuSwitch), kDescriptionName));
}

std::string QX_ErrorHelper::SourceAsString(int32_t v_enuSwitch) {
  return attribute(requiredSelected(v_enuSwitch), kSourceName);
}

std::string QX_ErrorHelper::DescriptionAsString(int32_t v_enuSwitch) {
  return attribute(requiredSelected(v_enuSwitch), kDescriptionName);
}

int32_t QX_ErrorHelper::HelpFile(int32_t v_enuSwitch) {
  return leadingNumber(attribute(requiredSelected(v_enuSwitch), kHelpFileName));
}

int32_t QX_ErrorHelper::HelpFileContextID(int32_t v_enuSwitch) {
  return leadingNumber(attribute(requiredSelected(v_enuSwitch), kHelpContextName));
}

const DispatchTable& QX_ErrorHelper::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("QX_ErrorHelper");
    using H = QX_ErrorHelper;
    const auto sw = [] { return opt("v_enuSwitch", Variant(int32_t{QX_Error_Full})); };
    using Reader = int32_t (H::*)(int32_t);
    Members<H> m(t);
    m.method<&H::IsStoredError>("IsStoredError", {in("v_strDescription")})
        .method<&H::LoadStoredError>("LoadStoredError", {ref("r_objErr")})
        .method<&H::Store>("Store", {ref("r_objErr")})
        .method<&H::WrapStoredError>(
            "WrapStoredError", {in("v_lngNewNumber"), in("v_strNewSource"),
                                in("v_strNewDescription"), opt("v_strNewHelpFile", Variant("")),
                                opt("v_varNewHelpContextID", Variant(int32_t{0}))})
        .method("WrapStoredErrorWithQXErrInfo", {ref("r_objErrInfo")},
                [](H& h, CallArgs& a) {
                  const Record* record = a[0].get<Record>();
                  if (record == nullptr) raiseVbError(vberr::TypeMismatch);
                  return Variant(h.WrapStoredErrorWithQXErrInfo(QXErrInfo::fromRecord(*record)));
                })
        .method<&H::Initialize>("Initialize", {})
        .method<&H::Clear>("Clear", {})
        .method("ReRaise", {sw()}, [](H& h, CallArgs& a) -> Variant { h.ReRaise(a.lng(0)); })
        .method<&H::ToXML>("ToXML", {sw()})
        .method<&H::ToString>("ToString", {sw(), opt("v_blnIncludeHelpInformation", Variant(true))})
        .method<&H::SourceAsString>("SourceAsString", {sw()})
        .method<&H::DescriptionAsString>("DescriptionAsString", {sw()})
        .method<&H::IsNotEmpty>("IsNotEmpty", {});
    const std::pair<const char*, Reader> readers[] = {
        {"Number", &H::Number},
        {"Source", &H::Source},
        {"Description", &H::Description},
        {"HelpFile", &H::HelpFile},
        {"HelpFileContextID", &H::HelpFileContextID},
    };
    for (const auto& entry : readers) {
      const Reader reader = entry.second;
      m.method(entry.first, {sw()},
               [reader](H& h, CallArgs& a) { return Variant((h.*reader)(a.lng(0))); });
    }
    applyMemberExtensions("QX_ErrorHelper", t);
    return t;
  }();
  return table;
}

Object makeQX_ErrorHelper() {
  return std::make_shared<QX_ErrorHelper>();
}

}  // namespace qxvb

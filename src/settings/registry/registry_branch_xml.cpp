#include "settings/registry/registry_branch_xml.h"

#include <exception>
#include <utility>

#include "frame/automation_error.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "settings/registry/registry_access.h"
#include "xml/attribute_text.h"
#include "xml/dom_document.h"
#include "xml/dom_lists.h"

namespace qxvb {

namespace {

using namespace registry_access;

constexpr int32_t kElementNode = 1;

// Element and attribute names of the branch text, fetched once per call.
struct BranchNames {
  std::string document = localString(55515);
  std::string key = localString(55809);
  std::string value = localString(55808);
  std::string hkey = localString(55806);
  std::string section = localString(55805);
  std::string name = localString(55378);
  std::string type = localString(55381);
  std::string data = localString(55807);
  std::string start = localString(55804);
};

// The branch text is written straight out, element by element, as the
// DOM would write the same document: a start tag stays open for its first
// child, and an element without children ends as an empty-element tag.
struct Builder {
  const BranchNames& names;
  std::string hkeyText;
  int32_t hkey;
  std::string out;
  xml::AttributeWriter attributes;
};

void beginChild(Builder& b, bool& parentHasChildren) {
  if (!parentHasChildren) b.out += '>';
  parentHasChildren = true;
}

void endElement(Builder& b, const std::string& name, bool hasChildren) {
  if (!hasChildren) {
    b.out += "/>";
    return;
  }
  b.out += "</";
  b.out += name;
  b.out += '>';
}

// One level of the branch: first a key element per subkey holding that
// subkey's own level, then a value element per string or number value. A
// failure ends this level only.
void buildLevel(Builder& b, const std::string& path, bool& hasChildren) {
  try {
    for (const std::string& name : listedSubKeys(b.hkey, path)) {
      beginChild(b, hasChildren);
      b.out += '<';
      b.out += b.names.key;
      b.attributes.append(b.out, b.names.hkey, b.hkeyText);
      b.attributes.append(b.out, b.names.section, path);
      b.attributes.append(b.out, b.names.name, name);
      std::string childPath = path;
      childPath += '\\';
      childPath += name;
      bool keyHasChildren = false;
      buildLevel(b, childPath, keyHasChildren);
      endElement(b, b.names.key, keyHasChildren);
    }
    for (const ListedValue& value : listedValues(b.hkey, path)) {
      if (!isListedType(value.type)) continue;
      beginChild(b, hasChildren);
      b.out += '<';
      b.out += b.names.value;
      b.attributes.append(b.out, b.names.type, std::to_string(value.type));
      b.attributes.append(b.out, b.names.name, value.name);
      b.attributes.append(b.out, b.names.data, value.text);
      b.out += "/>";
    }
  } catch (const std::exception&) {
    // What was built so far stays; the levels above go on.
  }
}

// The text of an attribute the element must have; a missing one fails the
// way reading a property of Nothing does.
std::string attributeText(const xml::XmlNode& element, const std::string& name) {
  const auto attributes = element.attributes();
  const xml::NodeRef attribute = attributes ? attributes->getNamedItem(name) : nullptr;
  if (!attribute) raiseVbError(vberr::ObjectNotSet);
  return attribute->text();
}

bool isElementNamed(const xml::XmlNode& node, const std::string& name) {
  return node.nodeType() == kElementNode && node.nodeName() == name;
}

void writeValueElement(const BranchNames& names, int32_t hkey, const std::string& path,
                       const xml::XmlNode& element) {
  const std::string name = attributeText(element, names.name);
  const int32_t type = CLng(Variant(Val(attributeText(element, names.type))));
  const std::string data = attributeText(element, names.data);
  writeValue(hkey, path, name, type, type == kTypeDWord ? Variant(Val(data)) : Variant(data));
}

// The values of one key element, then its subkeys.
void writeLevel(const BranchNames& names, int32_t hkey, const std::string& path,
                const xml::XmlNode& element) {
  for (xml::NodeRef child = element.firstChild(); child; child = child->nextSibling()) {
    if (isElementNamed(*child, names.value)) writeValueElement(names, hkey, path, *child);
  }
  for (xml::NodeRef child = element.firstChild(); child; child = child->nextSibling()) {
    if (!isElementNamed(*child, names.key)) continue;
    writeLevel(names, hkey, path + "\\" + attributeText(*child, names.name), *child);
  }
}

}  // namespace

std::string readBranchAsXml(int32_t hkey, const std::string& path) {
  const BranchNames names;
  Builder builder{names, std::to_string(hkey), hkey, {}, {}};
  builder.out += '<';
  builder.out += names.document;
  bool rootHasChildren = false;
  // One snapshot of the registry for the whole branch.
  registry::runInReadTransaction(rootKeyOf(hkey), [&] {
    buildLevel(builder, path, rootHasChildren);
    return registry::kSuccess;
  });
  endElement(builder, names.document, rootHasChildren);
  builder.out += "\r\n";
  return std::move(builder.out);
}

void writeBranchFromXml(int32_t hkey, const std::string& text, const std::string& path) {
  auto document = xml::XmlDocument::create(xml::DomVersion::V3);
  document->async = false;
  // A branch is parsed by the library for itself: nothing external (DTD,
  // entity) is ever loaded into what goes into the registry.
  document->resolveExternals = false;
  if (!document->loadXML(text)) return;
  const BranchNames names;
  const xml::NodeRef start = document->selectSingleNode(names.start);
  if (!start) return;

  // The whole branch is written in one transaction; a failure met on the
  // way keeps what was written before it, then reaches the caller.
  std::exception_ptr failure;
  bool ran = false;
  registry::runInTransaction(rootKeyOf(hkey), [&] {
    ran = true;
    try {
      writeLevel(names, hkey, path, *start);
    } catch (...) {
      failure = std::current_exception();
    }
    return registry::kSuccess;
  });
  // A root whose store cannot be written: each write fails on its own.
  if (!ran) writeLevel(names, hkey, path, *start);
  if (failure) std::rethrow_exception(failure);
}

}  // namespace qxvb

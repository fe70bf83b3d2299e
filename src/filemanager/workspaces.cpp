#include "filemanager/workspaces.h"

#include "ado/ado_constants.h"
#include "ado/command.h"
#include "ado/connection.h"
#include "ado/recordset.h"
#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "frame/vb_conversions.h"
#include "platform/text/xml_text.h"

namespace qxvb::filestore {

namespace {

// The first product string of each procedure's four result-code messages.
constexpr int32_t kInsertFirstString = 35115;
constexpr int32_t kDeleteFirstString = 35108;

std::string widText(int32_t wid) {
  return std::to_string(wid);
}

// The text of a named column of the first row of a query; "" without rows.
std::string firstValue(ado::Connection& connection, const std::string& sql,
                       const std::string& column) {
  auto rs = connection.Execute(sql);
  if (!rs || rs->State() == 0 || rs->Eof()) return {};
  const Variant value = rs->Collect(Variant(column));
  return value.isNull() ? std::string() : CStr(value);
}

}  // namespace

std::string workspaceTreeQuery(bool oracle) {
  return oracle ? "select QXSF_WorkspacesRetrieveTree(0) as xml FROM DUAL"
                : "select dbo.QXSF_WorkspacesRetrieveTree(0) as xml";
}

std::string viewNameQuery(bool oracle, int32_t wid) {
  return oracle ? "SELECT ViewName From TABLE(QXSF_WSRetrieveViewNames(" + widText(wid) +
                      ")) WHERE TableName='Files'"
                : "SELECT ViewName From dbo.QXSF_WorkspacesRetrieveViewNames(" + widText(wid) +
                      ") WHERE TableName='Files'";
}

std::string procedureName(FileProcedure procedure, bool oracle) {
  const std::string name = procedure == FileProcedure::Insert ? "QXSP_WorkspacesInsertFileInto"
                                                              : "QXSP_WorkspacesDeleteFile";
  return oracle ? name : "dbo." + name;
}

std::string fileListXml(const std::vector<std::string>& names) {
  std::string xml = "<Root>";
  for (const std::string& name : names) xml += "<File Name='" + xmlAttributeText(name) + "'/>";
  return xml + "</Root>";
}

int32_t runFileProcedure(ado::Connection& connection, FileProcedure procedure, bool oracle,
                         int32_t parameterBase, const std::string& xml, int32_t wid,
                         const std::string& reservedXml) {
  auto command = std::make_shared<ado::Command>();
  command->setActiveConnection(Variant(Object(connection.shared_from_this())));
  command->setCommandText(procedureName(procedure, oracle));
  command->setCommandType(ado::adCmdStoredProc);
  auto params = command->ParametersObject();
  const auto at = [&](int32_t offset) { return params->Item(Variant(parameterBase + offset)); };
  at(0)->value().value = Variant(xml);
  at(1)->value().value = Variant(wid);
  at(2)->value().value = Variant(reservedXml);
  command->Execute();
  const Variant code = at(3)->value().value;
  return code.isNull() || code.isMissing() ? 0 : CLng(code);
}

int32_t resultCodeStringId(FileProcedure procedure, int32_t code) {
  if (code > -1 || code < -4) return 0;
  const int32_t first =
      procedure == FileProcedure::Insert ? kInsertFirstString : kDeleteFirstString;
  return first + (-code - 1);
}

std::string filesViewName(ado::Connection& connection, bool oracle, int32_t wid) {
  return firstValue(connection, viewNameQuery(oracle, wid), "ViewName");
}

WorkspaceInfo readWorkspaceTree(ado::Connection& connection, bool oracle, int32_t wid) {
  return workspaceFromTree(firstValue(connection, workspaceTreeQuery(oracle), "xml"), wid);
}

WorkspaceInfo workspaceFromTree(const std::string& treeXml, int32_t wid) {
  WorkspaceInfo info;
  Object document = createObject("MSXML2.DOMDocument.6.0");
  document->putProperty("resolveExternals", Variant(false));
  if (!CBool(document->call("loadXML", {Variant(treeXml)}))) return info;
  document->call("setProperty", {Variant("SelectionLanguage"), Variant("XPath")});
  Object all = CObj(document->call("selectNodes", {Variant("//Workspace")}));
  info.count = CLng(all->getProperty("length"));
  const Variant node =
      document->call("selectSingleNode", {Variant("//Workspace[@ID='" + widText(wid) + "']")});
  Object element = CObj(node);
  if (!element) return info;
  const Variant name = element->call("getAttribute", {Variant("Name")});
  const Variant baseline = element->call("getAttribute", {Variant("Baseline")});
  if (!name.isNull()) info.name = CStr(name);
  if (!baseline.isNull()) info.baseline = Val(CStr(baseline)) != 0;
  return info;
}

}  // namespace qxvb::filestore

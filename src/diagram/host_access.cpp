#include "diagram/host_access.h"

#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "frame/vb_conversions.h"

namespace qxvb::diagram {

namespace {

constexpr const char* kHostProgId = "QxHost.Application";

Object objectOrNothing(const Variant& value) {
  const Object* object = value.get<Object>();
  return object != nullptr ? *object : nullptr;
}

}  // namespace

Variant invokeWith(const Object& target, const char* member, std::vector<Variant>& args) {
  return invokeOn(target, member, kMethod | kPropertyGet, args);
}

std::optional<HostObjects> reachHost() {
  HostObjects host;
  try {
    host.application = createObject(kHostProgId);
    std::vector<Variant> name{Variant("IQXIMF")};
    host.interfaceObject = objectOrNothing(invokeWith(host.application, "Interface", name));
    if (!host.interfaceObject) return std::nullopt;
    host.repository = objectOrNothing(host.application->getProperty("Ruzuderedevu"));
    if (!host.repository) return std::nullopt;
  } catch (const AutomationError&) {
    return std::nullopt;
  }
  return host;
}

FetchedDiagram fetchDiagram(const HostObjects& host, int32_t ddid) {
  FetchedDiagram fetched;
  const Variant readOnly = host.repository->getProperty("OpenObjectsAsReadOnly");
  std::vector<Variant> id{Variant(ddid)};
  Variant diagram;
  try {
    diagram = invokeWith(host.repository, "GetDiagramById", id);
  } catch (...) {
    host.repository->putProperty("OpenObjectsAsReadOnly", readOnly);
    throw;
  }
  host.repository->putProperty("OpenObjectsAsReadOnly", readOnly);
  fetched.diagram = CObj(diagram);
  if (!fetched.diagram) raiseVbError(vberr::ObjectNotSet);
  fetched.type = CLng(fetched.diagram->getProperty("QxType"));
  std::vector<Variant> ask{Variant(fetched.type), Variant(false)};
  invokeWith(host.interfaceObject, "QXIsThisaZEBDiagramType", ask);
  fetched.secondNotation = CBool(ask[1]);
  return fetched;
}

DiagramWindow::DiagramWindow(Object diagram) : diagram_(std::move(diagram)) {
  handle_ = CLng(diagram_->getProperty("Handle"));
  if (handle_ != 0) return;
  diagram_->call("Show");
  try {
    handle_ = CLng(diagram_->getProperty("Handle"));
  } catch (...) {
    diagram_->call("Hide");
    throw;
  }
  opened_ = true;
}

DiagramWindow::~DiagramWindow() {
  if (!opened_) return;
  try {
    diagram_->call("Hide");
  } catch (const AutomationError&) {
    // The export's own result stands; a window that will not close is the
    // host's to deal with.
  }
}

}  // namespace qxvb::diagram

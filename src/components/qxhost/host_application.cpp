#include "components/qxhost/host_application.h"

#include "ado/connection.h"
#include "components/qxhost/host_interface.h"
#include "components/qxhost/model_tables.h"
#include "components/qxhost/running_host.h"
#include "frame/automation_error.h"
#include "frame/collection.h"
#include "frame/module_state.h"
#include "frame/vb_conversions.h"
#include "platform/state_paths.h"

namespace qxvb::qxhost {

namespace {

constexpr const char* kSource = "QxHost.Application";
// The host's own error numbers (vbObjectError + n).
constexpr int32_t kNoSuchDiagram = static_cast<int32_t>(0x80040000u + 1001);
constexpr int32_t kNoModel = static_cast<int32_t>(0x80040000u + 1002);

std::shared_ptr<ado::Connection> openConnection(const std::string& location) {
  auto connection = std::make_shared<ado::Connection>();
  connection->Open(repositoryConnectionString(location));
  return connection;
}

// A stable name for a repository location (FNV-1a), so each repository's
// exports have a folder of their own.
std::string locationKey(const std::string& location) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : location) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

}  // namespace

// --- repository --------------------------------------------------------------

HostRepository::HostRepository(std::string location, std::shared_ptr<ado::Connection> connection)
    : location_(std::move(location)), connection_(std::move(connection)) {}

Object HostRepository::GetDiagramById(int32_t ddid) {
  std::optional<DiagramModel> header = readDiagramHeader(*connection_, ddid);
  if (!header) {
    raiseError(kNoSuchDiagram, kSource,
               "There is no diagram with identifier " + std::to_string(ddid) + ".");
  }
  return std::make_shared<HostDiagram>(std::static_pointer_cast<HostRepository>(shared_from_this()),
                                       std::move(*header));
}

Object HostRepository::Diagrams() {
  auto list = std::make_shared<Collection>();
  auto self = std::static_pointer_cast<HostRepository>(shared_from_this());
  for (DiagramModel& header : listDiagrams(*connection_)) {
    const std::string key = std::to_string(header.id);
    list->Add(Variant(Object(std::make_shared<HostDiagram>(self, std::move(header)))), key);
  }
  return list;
}

const DispatchTable& HostRepository::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Ruzuderedevu");
    Members<HostRepository>(t)
        .get("OpenObjectsAsReadOnly", {},
             [](HostRepository& r, CallArgs&) { return Variant(r.openObjectsAsReadOnly); })
        .put("OpenObjectsAsReadOnly", {in("Value")},
             [](HostRepository& r, CallArgs& a) {
               r.openObjectsAsReadOnly = a.boolean(0);
               return Variant();
             })
        .method<&HostRepository::GetDiagramById>("GetDiagramById", {ref("DDID")})
        .get<&HostRepository::Diagrams>("Diagrams", {})
        .get("Name", {}, [](HostRepository& r, CallArgs&) { return Variant(r.location()); });
    return t;
  }();
  return table;
}

// --- diagram -----------------------------------------------------------------

HostDiagram::HostDiagram(std::shared_ptr<HostRepository> repository, DiagramModel header)
    : repository_(std::move(repository)), header_(std::move(header)) {}

int32_t HostDiagram::Handle() const {
  if (header_.secondNotation) return 0;
  return windowOf(repository_->location(), header_.id);
}

void HostDiagram::Show() {
  // Diagrams of the second notation open in their own editor, without a
  // window of the host.
  if (header_.secondNotation || Handle() != 0) return;
  std::optional<DiagramModel> diagram = readDiagram(repository_->connection(), header_.id);
  if (!diagram) {
    raiseError(kNoSuchDiagram, kSource,
               "There is no diagram with identifier " + std::to_string(header_.id) + ".");
  }
  showDiagram(repository_->location(), std::make_shared<const DiagramModel>(std::move(*diagram)));
}

void HostDiagram::Hide() {
  hideDiagram(repository_->location(), header_.id);
}

std::string HostDiagram::getProperty(const std::string& name) const {
  if (name == "DGX File Name" && header_.secondNotation) {
    return (paths::cacheHome() / "qxhost" / locationKey(repository_->location()) /
            (std::to_string(header_.id) + ".dgx"))
        .string();
  }
  return {};
}

const DispatchTable& HostDiagram::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Diagram");
    Members<HostDiagram>(t)
        .get("Id", {}, [](HostDiagram& d, CallArgs&) { return Variant(d.header().id); })
        .get("Name", {}, [](HostDiagram& d, CallArgs&) { return Variant(d.header().name); })
        .get("TypeName", {}, [](HostDiagram& d, CallArgs&) { return Variant(d.header().typeName); })
        .get("QxType", {}, [](HostDiagram& d, CallArgs&) { return Variant(d.header().type); })
        .get<&HostDiagram::Handle>("Handle", {})
        .method<&HostDiagram::Show>("Show", {})
        .method<&HostDiagram::Hide>("Hide", {})
        .method<&HostDiagram::getProperty>("getProperty", {in("Name")});
    return t;
  }();
  return table;
}

// --- application -------------------------------------------------------------

Object HostApplication::Interface(const std::string& name) {
  if (name != kInterfaceName) return nullptr;
  if (!interface_) {
    interface_ = std::make_shared<HostInterface>(
        std::static_pointer_cast<HostApplication>(shared_from_this()));
  }
  return interface_;
}

namespace {

// The repository the host keeps open for a thread of the process, as the
// product's host keeps its repository open between calls; released when
// the library unloads from the thread.
class OpenRepositoryHolder : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override {
    static const DispatchTable table("OpenRepository");
    return table;
  }
  std::string location;
  uint64_t generation = 0;
  std::shared_ptr<HostRepository> repository;
};

OpenRepositoryHolder& threadRepository() {
  const Object held =
      sharedObject("QxHost repository", [] { return std::make_shared<OpenRepositoryHolder>(); });
  return static_cast<OpenRepositoryHolder&>(*held);
}

}  // namespace

std::shared_ptr<HostRepository> HostApplication::repository() {
  OpenRepositoryHolder& held = threadRepository();
  const uint64_t generation = repositoryGeneration();
  const std::string location = runningRepository();
  if (held.repository && held.location == location && held.generation == generation) {
    return held.repository;
  }
  held.repository.reset();
  held.location = location;
  held.generation = generation;
  if (location.empty()) return nullptr;
  try {
    auto connection = openConnection(location);
    if (!hasModelTables(*connection)) return nullptr;
    held.repository = std::make_shared<HostRepository>(location, std::move(connection));
  } catch (const AutomationError&) {
    held.location.clear();
  }
  return held.repository;
}

Object HostApplication::Ruzuderedevu() {
  return repository();
}

void HostApplication::OpenRuzuderedevu(const std::string& location) {
  if (location.empty()) raiseVbError(vberr::InvalidProcedureCall, kSource);
  auto connection = openConnection(location);
  if (!hasModelTables(*connection)) {
    raiseError(kNoModel, kSource, "The repository " + location + " holds no diagrams.");
  }
  openRepository(location);
  OpenRepositoryHolder& held = threadRepository();
  held.location = location;
  held.generation = repositoryGeneration();
  held.repository = std::make_shared<HostRepository>(location, std::move(connection));
}

void HostApplication::CloseRuzuderedevu() {
  closeRepository();
}

const DispatchTable& HostApplication::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Application");
    Members<HostApplication>(t)
        .get<&HostApplication::Interface>("Interface", {in("Name")})
        .get<&HostApplication::Ruzuderedevu>("Ruzuderedevu", {})
        .method<&HostApplication::OpenRuzuderedevu>("OpenRuzuderedevu", {in("Location")})
        .method<&HostApplication::CloseRuzuderedevu>("CloseRuzuderedevu", {})
        .get("BitmapAreaLimit", {},
             [](HostApplication&, CallArgs&) {
               return Variant(static_cast<double>(bitmapAreaLimit()));
             })
        .put("BitmapAreaLimit", {in("Value")}, [](HostApplication&, CallArgs& a) {
          setBitmapAreaLimit(static_cast<int64_t>(a.dbl(0)));
          return Variant();
        });
    return t;
  }();
  return table;
}

Object makeHostApplication() {
  return std::make_shared<HostApplication>();
}

}  // namespace qxvb::qxhost

// QxHost.Application: the host application's automation objects as the
// library reaches them: the application, its open repository, the
// repository's diagrams (docs/DIAGRAMS.md lists every member).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "components/qxhost/diagram_model.h"
#include "frame/dispatch.h"

namespace qxvb::ado {
class Connection;
}

namespace qxvb::qxhost {

inline constexpr const char* kApplicationProgId = "QxHost.Application";
inline constexpr const char* kInterfaceName = "IQXIMF";

class HostRepository : public Dispatch {
 public:
  HostRepository(std::string location, std::shared_ptr<ado::Connection> connection);
  const DispatchTable& dispatchTable() const override;

  const std::string& location() const { return location_; }
  ado::Connection& connection() const { return *connection_; }

  // The diagram object; raises when the repository has no such diagram.
  Object GetDiagramById(int32_t ddid);
  // Every diagram of the repository as a collection of diagram objects.
  Object Diagrams();

  bool openObjectsAsReadOnly = true;

 private:
  std::string location_;
  std::shared_ptr<ado::Connection> connection_;
};

class HostDiagram : public Dispatch {
 public:
  HostDiagram(std::shared_ptr<HostRepository> repository, DiagramModel header);
  const DispatchTable& dispatchTable() const override;

  const DiagramModel& header() const { return header_; }
  // The window handle while the diagram is shown, else 0.
  int32_t Handle() const;
  void Show();
  void Hide();
  // "DGX File Name": where a diagram of the second notation is exported;
  // empty for other diagrams and other names.
  std::string getProperty(const std::string& name) const;
  const std::shared_ptr<HostRepository>& repository() const { return repository_; }

 private:
  std::shared_ptr<HostRepository> repository_;
  DiagramModel header_;
};

class HostApplication : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override;

  // The low-level interface object for "IQXIMF", Nothing for other names.
  Object Interface(const std::string& name);
  // The open repository, Nothing when none is open or it cannot be opened.
  // The connection stays open for the thread until the repository changes.
  Object Ruzuderedevu();
  std::shared_ptr<HostRepository> repository();
  // Opens a repository in the process's host; raises when it cannot be
  // opened or holds no model tables.
  void OpenRuzuderedevu(const std::string& location);
  void CloseRuzuderedevu();

 private:
  Object interface_;
};

Object makeHostApplication();

}  // namespace qxvb::qxhost

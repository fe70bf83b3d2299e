// The product's outside components the library calls, registered under the
// product's ProgIDs so that the real components can take their place.
#include "components/encryption/file_encryption.h"
#include "components/qxdutils/qxdutils_component.h"
#include "components/qxhost/host_application.h"
#include "components/qxxres/string_table_resource.h"
#include "components/server_list/server_list.h"
#include "components/workspace/workspace_component.h"
#include "components/zip_utils/zip_utils.h"
#include "frame/catalogue.h"
#include "library/class_lists.h"

namespace qxvb {

// Components of the graphical module: linked, their headers not seen here.
namespace dialog_services {
Object makeDialogServices();
}  // namespace dialog_services
namespace gdi {
Object makeDeviceContextComponent();
}  // namespace gdi
namespace workspace_picker {
Object makeWorkspacePicker();
}  // namespace workspace_picker

namespace {
ClassInfo component(const char* name, const char* progId, Object (*factory)()) {
  ClassInfo info;
  info.name = name;
  info.progId = progId;
  info.instancing = Instancing::MultiUse;
  info.factory = factory;
  info.partOfLibrary = false;
  return info;
}
}  // namespace

void registerComponentClasses(Catalogue& catalogue) {
  catalogue.add(component("Resource", "QXXRes.Resource", qxxres::makeStringTableResource));
  catalogue.add(component("Utils", "QXDUTILS.Utils", qxdutils::makeQXDUtilsComponent));
  catalogue.add(component("DeviceContext", "QXGdi.DeviceContext", gdi::makeDeviceContextComponent));
  ClassInfo serverList =
      component("ServerList", "QXServerList.ServerList", server_list::makeServerList);
  serverList.clsid = server_list::kClassId;
  serverList.iid = server_list::kInterfaceId;
  catalogue.add(std::move(serverList));
  catalogue.add(
      component("FileEncryption", encryption::kEncryptionProgId, encryption::makeFileEncryption));
  catalogue.add(
      component("Services", "QXDialogServices.Services", dialog_services::makeDialogServices));
  catalogue.add(
      component("Workspaces", workspace::kWorkspaceProgId, workspace::makeWorkspaceComponent));
  catalogue.add(component("Application", qxhost::kApplicationProgId, qxhost::makeHostApplication));
  catalogue.add(component("ZipUtils", zip::kZipUtilsProgId, zip::makeZipUtils));
  catalogue.add(component("WorkspacePicker", "QXWorkspace.WorkspacePicker",
                          workspace_picker::makeWorkspacePicker));
}

}  // namespace qxvb

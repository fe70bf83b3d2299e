// The late-bound interface of QXDUTILS.Utils.
#include "components/qxdutils/ency_files.h"
#include "components/qxdutils/qxdutils_component.h"
#include "frame/vb_conversions.h"

namespace qxvb::qxdutils {

namespace {

using Self = QXDUtilsComponent;

Variant none() {
  return Variant();
}

// Files kept in the repository: through its file table while one is open,
// otherwise there is nothing to find, read, write or update. The component
// keeps no copies of its own, so updating and closing have nothing to do.
template <class Fn>
Variant withRepository(Self& s, Variant closed, Fn&& fn) {
  auto connection = s.encyRepository();
  if (!connection) return closed;
  EncyFiles files(connection);
  return fn(files);
}

void addEncyMembers(Members<Self>& m) {
  m.method("SetEncyOpenStatus", {in("IsOpen")},
           [](Self& s, CallArgs& a) {
             s.SetEncyOpenStatus(a.boolean(0));
             return none();
           })
      .method("SetEncyConnection", {in("Connection")},
              [](Self& s, CallArgs& a) {
                s.SetEncyConnection(a[0].isMissing() || a[0].isEmpty() ? Object() : a.object(0));
                return none();
              })
      .method("EncyFileExists", {in("FileName")},
              [](Self& s, CallArgs& a) {
                return withRepository(s, Variant(false),
                                      [&](EncyFiles& f) { return Variant(f.exists(a.str(0))); });
              })
      .method("ExportEncyFile", {in("EncyFileName"), in("ExternalFileName")},
              [](Self& s, CallArgs& a) {
                return withRepository(s, Variant(false), [&](EncyFiles& f) {
                  return Variant(f.exportFile(a.str(0), a.str(1)));
                });
              })
      .method("ImportEncyFile", {in("ExternalFileName"), in("EncyFileName"), in("OverWrite")},
              [](Self& s, CallArgs& a) {
                return withRepository(s, Variant(false), [&](EncyFiles& f) {
                  return Variant(f.importFile(a.str(0), a.str(1), a.boolean(2)));
                });
              })
      .method("ReadEncyFile", {in("FileName")},
              [](Self& s, CallArgs& a) {
                return withRepository(s, Variant(""),
                                      [&](EncyFiles& f) { return Variant(f.read(a.str(0))); });
              })
      .method("WriteEncyFile", {in("FileName"), in("FileData")},
              [](Self& s, CallArgs& a) {
                return withRepository(s, Variant(false), [&](EncyFiles& f) {
                  return Variant(f.write(a.str(0), a.str(1)));
                });
              })
      .method("UpdateEncyFile", {in("FileName")}, [](Self&, CallArgs&) { return Variant(0); })
      .method("UpdateEncyFiles", {}, [](Self&, CallArgs&) { return Variant(0); })
      .method("CloseEncyFile", {in("FileName")}, [](Self&, CallArgs&) { return Variant(0); });
}

void addProfileMembers(Members<Self>& m) {
  m.method("ReadSetting", {in("FileName"), in("Section"), in("Item"), in("Default")},
           [](Self& s, CallArgs& a) {
             return Variant(s.ReadSetting(a.str(0), a.str(1), a.str(2), a.str(3)));
           })
      .method("ReadSettingInt", {in("FileName"), in("Section"), in("Item"), in("Default")},
              [](Self& s, CallArgs& a) {
                return Variant(s.ReadSettingInt(a.str(0), a.str(1), a.str(2), a.lng(3)));
              })
      .method(
          "ReadSettingSection", {in("FileName"), in("Section")},
          [](Self& s, CallArgs& a) { return Variant(s.ReadSettingSection(a.str(0), a.str(1))); })
      .method("WriteSetting", {in("FileName"), in("Section"), in("Item"), in("Value")},
              [](Self& s, CallArgs& a) {
                return Variant(s.WriteSetting(a.str(0), a.str(1), a.str(2), a.str(3)));
              })
      .method("WriteSettingSection", {in("FileName"), in("Section"), in("Value")},
              [](Self& s, CallArgs& a) {
                return Variant(s.WriteSettingSection(a.str(0), a.str(1), a.str(2)));
              })
      .method("ReadOrvixProfilePath", {},
              [](Self& s, CallArgs&) { return Variant(s.ReadOrvixProfilePath()); });
}

void addUtilityMembers(Members<Self>& m) {
  m.method("GetQXDUtilsSetting", {in("Setting")},
           [](Self& s, CallArgs& a) { return Variant(s.GetQXDUtilsSetting(a.str(0))); })
      .method(
          "SetQXDUtilsSettings", {in("Setting"), in("Value")},
          [](Self& s, CallArgs& a) { return Variant(s.SetQXDUtilsSettings(a.str(0), a.str(1))); })
      .method(
          "SetQXDUtilsSettingsFromCmdLine", {in("CommandLine")},
          [](Self& s, CallArgs& a) { return Variant(s.SetQXDUtilsSettingsFromCmdLine(a.str(0))); })
      .method("CommandLine", {}, [](Self& s, CallArgs&) { return Variant(s.CommandLine()); })
      .method(
          "CheckFolderExists", {in("FolderPath"), in("ConstructIfNotFound")},
          [](Self& s, CallArgs& a) { return Variant(s.CheckFolderExists(a.str(0), a.boolean(1))); })
      .method("ReadApplicationFileLocationList", {in("FileName"), in("PreviousLocations")},
              [](Self& s, CallArgs& a) {
                return Variant(s.ReadApplicationFileLocationList(a.str(0), a.boolean(1)));
              })
      .method(
          "ReadFileLocation",
          {in("FileName"), in("ShortPath"), ref("IsEncyFile"), opt("DefaultLocation", Variant(1))},
          [](Self& s, CallArgs& a) {
            int32_t isEncy = 0;
            std::string location = s.ReadFileLocation(a.str(0), a.boolean(1), isEncy, a.lng(3));
            a.set(2, Variant(isEncy));
            return Variant(location);
          })
      .method("WriteFileLocation", {in("FileName"), in("FileLocation")},
              [](Self& s, CallArgs& a) { return Variant(s.WriteFileLocation(a.str(0), a.str(1))); })
      .method("QXVersionCheck", {ref("Version1"), ref("Version2")},
              [](Self& s, CallArgs& a) { return Variant(s.QXVersionCheck(a.str(0), a.str(1))); })
      .method("GetInternationalSeparators", {ref("Decimal"), ref("List")},
              [](Self& s, CallArgs& a) {
                std::string decimal;
                std::string list;
                std::string result = s.GetInternationalSeparators(decimal, list);
                a.set(0, Variant(decimal));
                a.set(1, Variant(list));
                return Variant(result);
              })
      .method("TempDataFolderToDelete", {in("Path")},
              [](Self&, CallArgs& a) {
                deleteFolderAtUnload(a.str(0));
                return none();
              })
      .method("TempDataFileToDelete", {in("Path")},
              [](Self&, CallArgs& a) {
                deleteFileAtUnload(a.str(0));
                return none();
              })
      .method("IsReservedFile", {in("Name")},
              [](Self&, CallArgs& a) { return Variant(isReservedFile(a.str(0))); })
      .method("ReservedFilesAsXML", {},
              [](Self&, CallArgs&) { return Variant(reservedFilesAsXml()); });
}

}  // namespace

const DispatchTable& QXDUtilsComponent::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Utils");
    Members<Self> m(t);
    addProfileMembers(m);
    addUtilityMembers(m);
    addEncyMembers(m);
    return t;
  }();
  return table;
}

}  // namespace qxvb::qxdutils

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
  m.method<&Self::ReadSetting>("ReadSetting",
                               {in("FileName"), in("Section"), in("Item"), in("Default")})
      .method<&Self::ReadSettingInt>("ReadSettingInt",
                                     {in("FileName"), in("Section"), in("Item"), in("Default")})
      .method<&Self::ReadSettingSection>("ReadSettingSection", {in("FileName"), in("Section")})
      .method<&Self::WriteSetting>("WriteSetting",
                                   {in("FileName"), in("Section"), in("Item"), in("Value")})
      .method<&Self::WriteSettingSection>("WriteSettingSection",
                                          {in("FileName"), in("Section"), in("Value")})
      .method<&Self::ReadOrvixProfilePath>("ReadOrvixProfilePath", {});
}

void addUtilityMembers(Members<Self>& m) {
  m.method<&Self::GetQXDUtilsSetting>("GetQXDUtilsSetting", {in("Setting")})
      .method<&Self::SetQXDUtilsSettings>("SetQXDUtilsSettings", {in("Setting"), in("Value")})
      .method<&Self::SetQXDUtilsSettingsFromCmdLine>("SetQXDUtilsSettingsFromCmdLine",
                                                     {in("CommandLine")})
      .method<&Self::CommandLine>("CommandLine", {})
      .method<&Self::CheckFolderExists>("CheckFolderExists",
                                        {in("FolderPath"), in("ConstructIfNotFound")})
      .method<&Self::ReadApplicationFileLocationList>("ReadApplicationFileLocationList",
                                                      {in("FileName"), in("PreviousLocations")})
      .method(
          "ReadFileLocation",
          {in("FileName"), in("ShortPath"), ref("IsEncyFile"), opt("DefaultLocation", Variant(1))},
          [](Self& s, CallArgs& a) {
            int32_t isEncy = 0;
            std::string location = s.ReadFileLocation(a.str(0), a.boolean(1), isEncy, a.lng(3));
            a.set(2, Variant(isEncy));
            return Variant(location);
          })
      .method<&Self::WriteFileLocation>("WriteFileLocation", {in("FileName"), in("FileLocation")})
      .method<&Self::QXVersionCheck>("QXVersionCheck", {ref("Version1"), ref("Version2")})
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

// The library's public classes with their identifiers and instancing.
#include <memory>

#include "database/qx_ado_utilities.h"
#include "error_helper/error_helper.h"
#include "filemanager/file_manager.h"
#include "files/qx_file_utils.h"
#include "frame/catalogue.h"
#include "frame/pending_class.h"
#include "frame/qxenums.h"
#include "library/class_lists.h"
#include "network/dotnet/qx_dotnet.h"
#include "network/qx_network_params.h"
#include "settings/qxdutilsvb.h"
#include "settings/registry/qx_registry.h"
#include "settings/registry/qx_registry_key.h"
#include "settings/registry/qx_registry_value.h"
#include "settings/xml_helper.h"
#include "text/cls_sort_data.h"
#include "text/qxutilities.h"

namespace qxvb {

// Classes of the graphical module: the composition root links that module
// but does not see its headers.
namespace gui {
Object makeQXCommonDlg();
Object makeQXOpenFileName();
Object makeQXChooseColors();
Object makeQXChooseFonts();
Object makeQXPrintDlgs();
Object makeShOpenDirTV();
}  // namespace gui
Object makeQX_Progress();
Object makeQX_clsMinMaxFlickerFreeForm();

namespace {

struct Entry {
  const char* name;
  Instancing instancing;
  const char* clsid;
  const char* iid;
  Object (*factory)();
  const char* eventIid;
};

constexpr Instancing kGlobal = Instancing::GlobalMultiUse;
constexpr Instancing kMulti = Instancing::MultiUse;
constexpr Instancing kNotCreatable = Instancing::PublicNotCreatable;

const Entry kClasses[] = {
    {"QXUtilities", kGlobal, "{72FD17F3-5B74-4EDA-B97C-C777D234B264}",
     "{17128178-A59C-428A-8D30-9D1A2EC19FAA}", makeQXUtilities, ""},
    {"QXEnums", kGlobal, "{9AB31D49-3853-49D2-837A-20BB412A8C68}",
     "{13D70674-751B-4738-A8EF-BE89130C08FD}", makeQXEnums, ""},
    {"QX_ADO_Utilities", kGlobal, "{51BA400E-A066-466C-A926-E2DD389806BC}",
     "{70DA723A-EF8F-4B26-8472-AC13EF5C900F}", makeQX_ADO_Utilities, ""},
    {"QX_File_Utils", kGlobal, "{38F41C09-0D80-4037-B4FD-B8E9E53EC498}",
     "{2074EE1B-383A-49BC-A74E-71E3452CDC01}", makeQX_File_Utils, ""},
    {"QXCommonDlg", kMulti, "{891411F4-DE6A-48FE-BDD4-109B35BF4DDD}",
     "{FD62441A-EF8E-4467-849C-137017F8ECBA}", gui::makeQXCommonDlg, ""},
    {"QXOpenFileName", kNotCreatable, "{23B003F1-D29E-4260-B32A-C2AEE727976F}",
     "{620DAF4C-3AB7-4C55-8742-95D9830AA006}", gui::makeQXOpenFileName, ""},
    {"QXChooseColors", kNotCreatable, "{ACBC30D6-5CE1-45CF-9ED0-75D9C5B218B1}",
     "{D3B48A75-1419-41AA-BD0D-E68F8103F2E1}", gui::makeQXChooseColors, ""},
    {"QXChooseFonts", kNotCreatable, "{0086BF70-6E90-416C-AE77-6C097EEC30E5}",
     "{8CA3D855-6A71-4E44-B50C-3C856BB949BD}", gui::makeQXChooseFonts, ""},
    {"QXPrintDlgs", kNotCreatable, "{F45DB197-F157-48CC-B023-5EB43FDF4978}",
     "{D833CBB1-8371-433B-BCB4-D6F78F0D296B}", gui::makeQXPrintDlgs, ""},
    {"QX_Registry", kGlobal, "{C258CB22-86BE-4A6F-BBAC-A25E62FAA3F0}",
     "{1BD24AA0-342B-414A-A6BB-6E662D9DFC4B}", makeQX_Registry, ""},
    {"ShOpenDirTV", kMulti, "{69E0B82B-EE90-45BB-9140-1B15DD9E3FB1}",
     "{6655546F-8477-4420-8C3F-327C94E8CF78}", gui::makeShOpenDirTV,
     "{E32C8D2C-8DAD-4DAA-8C64-61DC1BCE8B94}"},
    {"QX_ErrorHelper", kMulti, "{2D5FDB4D-6F60-4DFD-AE81-B3A6E627A552}",
     "{D734E155-0F60-40BC-BC83-CE4B135BC87A}", makeQX_ErrorHelper, ""},
    {"QX_NetworkParams", kGlobal, "{A6B042AD-D4F1-44E6-8D18-5E62360EEB62}",
     "{1195211D-1C60-4AAB-825B-E96BD94440E4}", makeQX_NetworkParams, ""},
    {"QX_DotNet", kGlobal, "{F828B025-2E0F-46B6-9006-F4FBE733A0A5}",
     "{E04F77B2-960A-4FF5-A8CE-EE61D53C8C81}", makeQX_DotNet, ""},
    {"QX_RegistryKey", kNotCreatable, "{AC290CBE-8586-472A-8342-065820238BA4}",
     "{2981B7A1-0094-4057-919D-E6D23090AF75}", makeQX_RegistryKey, ""},
    {"QX_RegistryValue", kNotCreatable, "{682DE9BB-19CF-46B1-AB3B-F83C99D9BD82}",
     "{F2C25E82-5147-4838-A49B-64AE408F0937}", makeQX_RegistryValue, ""},
    {"QX_XMLHelper", kGlobal, "{F4B6A7CB-AB18-41B6-95AC-9990DC9FB289}",
     "{8E026AE6-EBF5-4A09-9EAE-F8813E77EBFB}", makeQX_XMLHelper, ""},
    {"QX_clsMinMaxFlickerFreeForm", kMulti, "{4AE6FFC0-DB9D-4BF7-9251-75F3D913B954}",
     "{3D664D06-A223-4D82-8A7D-9791F3C4B15F}", makeQX_clsMinMaxFlickerFreeForm, ""},
    {"QXDUtilsVB", kGlobal, "{7797D8C9-86A6-4CCC-96DE-507C404B462F}",
     "{E6D44956-52FE-4694-9B4B-C136A2673624}", makeQXDUtilsVB, ""},
    {"QX_Progress", kGlobal, "{B43974C0-9B5D-453A-AF7F-6812EAD7A3B8}",
     "{CA8F70F7-B6AE-4886-8813-44AEB298E730}", makeQX_Progress, ""},
    {"QXFileManager", kMulti, "{D8427705-5D3A-4BD4-8744-18FC7A5F20D1}",
     "{40DF2265-4A06-44D7-99DD-A5D3630764A0}", makeQXFileManager,
     "{F99DACB1-4EF3-4A8A-8E35-9BBA9D88B51D}"},
    {"clsSortData", kMulti, "{1E252467-F4C9-407D-ABC5-91436055E26E}",
     "{07789C41-B80B-4B4B-AAA7-211BE81017F1}", makeclsSortData, ""},
};

}  // namespace

void registerLibraryClasses(Catalogue& catalogue) {
  for (const Entry& e : kClasses) {
    ClassInfo info;
    info.name = e.name;
    info.progId = std::string("QXVBUtils.") + e.name;
    info.clsid = e.clsid;
    info.iid = e.iid;
    info.instancing = e.instancing;
    info.eventIid = e.eventIid;
    if (e.factory != nullptr) {
      info.factory = e.factory;
    } else {
      // Members of this class arrive with its subsystem; until then it
      // exists with an empty interface.
      const std::string name = e.name;
      info.factory = [name] { return std::make_shared<PendingClass>(name); };
    }
    catalogue.add(std::move(info));
  }
}

}  // namespace qxvb

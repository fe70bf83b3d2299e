#include <functional>
#include <memory>
#include <string>

#include "ado/command.h"
#include "ado/connection.h"
#include "ado/recordset.h"
#include "ado/stream.h"
#include "frame/catalogue.h"
#include "library/class_lists.h"

namespace qxvb {

void registerAdoClasses(Catalogue& catalogue) {
  const auto addAdo = [&](std::string name, std::string clsid, std::string iid,
                          std::function<Object()> factory) {
    ClassInfo info;
    info.progId = "ADODB." + name;
    info.name = std::move(name);
    info.clsid = std::move(clsid);
    info.iid = std::move(iid);
    info.instancing = Instancing::MultiUse;
    info.factory = std::move(factory);
    info.partOfLibrary = false;
    catalogue.add(std::move(info));
  };
  addAdo("Connection", "{00000514-0000-0010-8000-00AA006D2EA4}",
         "{00001550-0000-0010-8000-00AA006D2EA4}",
         [] { return std::make_shared<ado::Connection>(); });
  addAdo("Recordset", "{00000535-0000-0010-8000-00AA006D2EA4}",
         "{00001556-0000-0010-8000-00AA006D2EA4}",
         [] { return std::make_shared<ado::Recordset>(); });
  addAdo("Command", "{00000507-0000-0010-8000-00AA006D2EA4}",
         "{0000154E-0000-0010-8000-00AA006D2EA4}", [] { return std::make_shared<ado::Command>(); });
  addAdo("Stream", "{00000566-0000-0010-8000-00AA006D2EA4}",
         "{00000565-0000-0010-8000-00AA006D2EA4}", [] { return std::make_shared<ado::Stream>(); });
}

}  // namespace qxvb

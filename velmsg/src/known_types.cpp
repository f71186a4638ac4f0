#include "known_types.hpp"

#include <set>

#include "prefixes.hpp"

namespace velmsg
{

// The interface files that the ament index lists for each package
// ("msg/Control.msg", "srv/AddThreeInts.srv"), in every prefix velmsg
// searches; a package seen in an earlier prefix hides it in later ones.
KnownTypes known_types()
{
  KnownTypes types;
  std::set<std::string> seen;
  for (const Prefix & prefix : search_prefixes()) {
    for (const std::string & package : index_resource_names(prefix.path, "rosidl_interfaces")) {
      if (!seen.insert(package).second) {
        continue;
      }
      for (const std::string & file : index_resource(prefix.path, "rosidl_interfaces", package)) {
        size_t slash = file.find('/');
        size_t dot = file.rfind('.');
        if (slash == std::string::npos || dot == std::string::npos || dot < slash) {
          continue;
        }
        std::string folder = file.substr(0, slash);
        std::string type = file.substr(slash + 1, dot - slash - 1);
        std::string extension = file.substr(dot + 1);
        if (extension == "msg") {
          types.messages.push_back({package, folder, type});
        } else if (extension == "srv") {
          types.messages.push_back({package, folder, type + "_Request"});
          types.messages.push_back({package, folder, type + "_Response"});
          types.services.push_back({package, folder, type});
        }
      }
    }
  }
  return types;
}

}  // namespace velmsg

// Where velmsg looks for the packages of the types it handles: every prefix
// of AMENT_PREFIX_PATH, in order, as ROS 2 tools do, then the tool's own
// install prefix. A prefix holds a package when its ament index says so
// (share/ament_index/resource_index/packages/<package>); the own prefix also
// when the library is simply there, as in a build tree.
#pragma once

#include <string>
#include <vector>

namespace velmsg
{

struct Prefix
{
  std::string path;
  bool own = false;  // the tool's own prefix
};

// AMENT_PREFIX_PATH's entries, then the own prefix (once).
std::vector<Prefix> search_prefixes();

// The file of shared library <base> under <prefix>: lib/lib<base>.so, or bin\<base>.dll on Windows.
std::string library_file(const std::string & prefix, const std::string & base);

bool file_exists(const std::string & file);

// Whether a prefix's ament index lists <package> as installed there.
bool has_package(const std::string & prefix, const std::string & package);

// The lines of resource <type>/<name> of a prefix's ament index (none if absent).
std::vector<std::string> index_resource(
  const std::string & prefix, const std::string & type, const std::string & name);

// The names of every resource of <type> in a prefix's ament index.
std::vector<std::string> index_resource_names(const std::string & prefix, const std::string & type);

// "<prefix>, <prefix> and <prefix>", for messages that say where velmsg looked.
std::string describe(const std::vector<Prefix> & prefixes);

}  // namespace velmsg

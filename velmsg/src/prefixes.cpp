#include "prefixes.hpp"

#if defined(_WIN32)
#  define WIN32_LEAN_AND_MEAN
#  include <windows.h>
#else
#  include <limits.h>
#  include <unistd.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "errors.hpp"

namespace velmsg
{

namespace
{

#if defined(_WIN32)
constexpr char path_separator = ';';

std::string executable_path()
{
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    throw failure("cannot locate the tool's own executable");
  }
  return std::string(path, length);
}
#else
constexpr char path_separator = ':';

std::string executable_path()
{
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) {
    throw failure("cannot locate the tool's own executable");
  }
  return std::string(path, static_cast<size_t>(length));
}
#endif

std::string index_path(const std::string & prefix, const std::string & type)
{
  return prefix + "/share/ament_index/resource_index/" + type;
}

}  // namespace

std::vector<Prefix> search_prefixes()
{
  std::vector<Prefix> prefixes;
  std::vector<std::string> keys;  // each prefix's canonical form, to find a prefix named twice
  auto add = [&prefixes, &keys](std::string path, bool own) {
      while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) {
        path.pop_back();
      }
      if (path.empty()) {
        return;
      }
      std::error_code error;
      std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
      std::string key = error ? path : canonical.string();
      auto known = std::find(keys.begin(), keys.end(), key);
      if (known != keys.end()) {
        Prefix & prefix = prefixes[static_cast<size_t>(known - keys.begin())];
        prefix.own = prefix.own || own;
        return;
      }
      prefixes.push_back({path, own});
      keys.push_back(key);
    };
  if (const char * ament = std::getenv("AMENT_PREFIX_PATH")) {
    std::string list = ament;
    size_t start = 0;
    while (start <= list.size()) {
      size_t end = list.find(path_separator, start);
      if (end == std::string::npos) {
        end = list.size();
      }
      add(list.substr(start, end - start), false);
      start = end + 1;
    }
  }
  // <prefix>/bin/velmsg (and velmsg.exe)
  std::filesystem::path exe(executable_path());
  add(exe.parent_path().parent_path().string(), true);
  return prefixes;
}

std::string library_file(const std::string & prefix, const std::string & base)
{
#if defined(_WIN32)
  return prefix + "\\bin\\" + base + ".dll";
#else
  return prefix + "/lib/lib" + base + ".so";
#endif
}

bool file_exists(const std::string & file)
{
  std::error_code error;
  return std::filesystem::is_regular_file(file, error);
}

bool has_package(const std::string & prefix, const std::string & package)
{
  return file_exists(index_path(prefix, "packages") + "/" + package);
}

std::vector<std::string> index_resource(
  const std::string & prefix, const std::string & type, const std::string & name)
{
  std::vector<std::string> lines;
  std::ifstream in(index_path(prefix, type) + "/" + name);
  for (std::string line; std::getline(in, line); ) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (!line.empty()) {
      lines.push_back(line);
    }
  }
  return lines;
}

std::vector<std::string> index_resource_names(const std::string & prefix, const std::string & type)
{
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(index_path(prefix, type), error), end;
    !error && it != end; it.increment(error))
  {
    if (it->is_regular_file(error)) {
      names.push_back(it->path().filename().string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string describe(const std::vector<Prefix> & prefixes)
{
  std::string text;
  for (size_t i = 0; i < prefixes.size(); ++i) {
    text += i == 0 ? "" : i + 1 == prefixes.size() ? " and " : ", ";
    text += prefixes[i].path;
  }
  return text;
}

}  // namespace velmsg

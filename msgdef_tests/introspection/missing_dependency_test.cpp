// The C introspection library fails to load, naming what is missing, when one
// of the libraries it links is absent. The libraries are copied into a fresh
// folder with their search path changed from the build folder to their own
// folder ($ORIGIN, as once installed), leaving one of them out.
// This program links none of them, so none is loaded before the test does it.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "rosidl_runtime_c/message_type_support_struct.h"

namespace
{

const std::vector<std::string> libraries = {LIBRARY_FILES};

std::string file_name(const std::string & path) {return path.substr(path.rfind('/') + 1);}

// Copies the library, with its search path pointing at its own folder. The
// new path is shorter than the old one, so the string is overwritten in place.
void copy_with_origin_path(const std::string & from, const std::string & folder)
{
  std::ifstream in(from, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string old_path = BUILD_LIBRARY_FOLDER;
  std::string new_path = "$ORIGIN";
  new_path.resize(old_path.size(), '\0');
  for (auto at = bytes.find(old_path); at != std::string::npos; at = bytes.find(old_path, at)) {
    bytes.replace(at, old_path.size(), new_path);
  }
  std::ofstream(folder + "/" + file_name(from), std::ios::binary) << bytes;
}

// Loads the velmari_messages C introspection library from a folder holding
// every library it needs except `left_out`; returns the loader's error, or ""
// once the loaded library's Control handle has been checked.
std::string load_without(const std::string & left_out)
{
  char folder_template[] = "/tmp/introspection_load_XXXXXX";
  const std::string folder = mkdtemp(folder_template);
  for (const std::string & library : libraries) {
    if (file_name(library) != left_out) {
      copy_with_origin_path(library, folder);
    }
  }
  const std::string path = folder + "/libvelmari_messages__rosidl_typesupport_introspection_c.so";
  void * handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  std::string error;
  if (!handle) {
    error = dlerror();
  } else {
    using HandleFunction = const rosidl_message_type_support_t * (*)();
    auto function = reinterpret_cast<HandleFunction>(dlsym(handle,
      "rosidl_typesupport_introspection_c__get_message_type_support_handle__velmari_messages__msg__Control"));
    EXPECT_NE(function, nullptr);
    if (function) {
      EXPECT_STREQ(function()->typesupport_identifier, "rosidl_typesupport_introspection_c");
    }
    dlclose(handle);
  }
  for (const std::string & library : libraries) {
    unlink((folder + "/" + file_name(library)).c_str());
  }
  rmdir(folder.c_str());
  return error;
}

TEST(MissingDependency, LoadsWhenEveryLibraryIsPresent)
{
  EXPECT_EQ(load_without(""), "");
}

// rosidl_runtime_c, the fourth library it links, is a system library here.
TEST(MissingDependency, FailsToLoadNamingTheMissingLibrary)
{
  for (const char * missing : {"libvelmari_messages__rosidl_generator_c.so",
      "libstd_msgs__rosidl_typesupport_introspection_c.so",
      "librosidl_typesupport_introspection_c.so"})
  {
    const std::string error = load_without(missing);
    EXPECT_NE(error.find(missing), std::string::npos) << missing << ": " << error;
  }
}

}  // namespace

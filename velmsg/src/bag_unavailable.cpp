// Stand-in for the bag commands where SQLite is not installed (the Windows
// builds here): `velmsg bag` says so.
#include "cli.hpp"
#include "errors.hpp"

namespace velmsg
{

void add_bag_commands(CLI::App & app, Arguments &, Commands & commands)
{
  CLI::App * bag = command(app, "bag", "ROS 2 bags: not in this build (no SQLite)",
      "  velmsg bag info drive   (in a build with SQLite)");
  bag->allow_extras();
  commands[bag] = [](const Arguments &) -> int {
      throw failure("velmsg was built without SQLite (install libsqlite3-dev and rebuild): no bag commands");
    };
}

}  // namespace velmsg

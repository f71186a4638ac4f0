// Stand-in for the bag commands where SQLite is not installed (the Windows
// builds here): `velmsg bag` says so.
#include "bag_command.hpp"

#include "CLI/CLI.hpp"
#include "errors.hpp"

namespace velmsg
{

void add_bag_command(CLI::App & app)
{
  app.add_subcommand("bag", "ROS 2 bags: not in this build (no SQLite)")->allow_extras()->group("");
}

int run_bag()
{
  throw failure("velmsg was built without SQLite (install libsqlite3-dev and rebuild): no bag commands");
}

}  // namespace velmsg

// velmsg bag: record, play, inspect and export ROS 2 bags (sqlite3 storage, as
// ROS 2 Galactic writes them).
#pragma once

namespace CLI
{
class App;
}

namespace velmsg
{

// Adds `bag` and its commands to the command line.
void add_bag_command(CLI::App & app);

// Runs the bag command the parsed command line chose; returns the exit code.
int run_bag();

}  // namespace velmsg

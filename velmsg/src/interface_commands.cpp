// velmsg interface list, packages, package, show and proto, as ros2
// interface has them: the interface files installed where velmsg looks.
#include <algorithm>
#include <iostream>
#include <set>

#include "cli.hpp"
#include "errors.hpp"
#include "known_types.hpp"
#include "message_text.hpp"

namespace velmsg
{
namespace
{

// The interfaces as their files name them: a service's request and response are not files.
std::vector<std::string> interface_names(bool messages, bool services)
{
  const KnownTypes types = known_types();
  std::vector<std::string> names;
  if (messages) {
    for (const TypeName & name : types.messages) {
      if (name.folder != "srv") {
        names.push_back(name.text());
      }
    }
  }
  if (services) {
    for (const TypeName & name : types.services) {
      names.push_back(name.text());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

int run_list(const Arguments & args)
{
  const bool all = !args.only_messages && !args.only_services && !args.only_actions;
  auto section = [](const char * title, const std::vector<std::string> & names) {
      std::cout << title << ":\n";
      for (const std::string & name : names) {
        std::cout << "    " << name << "\n";
      }
    };
  if (all || args.only_messages) {
    section("Messages", interface_names(true, false));
  }
  if (all || args.only_services) {
    section("Services", interface_names(false, true));
  }
  if (all || args.only_actions) {
    section("Actions", {});  // velmsg reads no action types
  }
  return kExitOk;
}

int run_packages(const Arguments &)
{
  std::set<std::string> packages;
  for (const std::string & name : interface_names(true, true)) {
    packages.insert(name.substr(0, name.find('/')));
  }
  for (const std::string & package : packages) {
    std::cout << package << "\n";
  }
  return kExitOk;
}

int run_package(const Arguments & args)
{
  bool found = false;
  for (const std::string & name : interface_names(true, true)) {
    if (name.compare(0, args.package.size() + 1, args.package + "/") == 0) {
      std::cout << name << "\n";
      found = true;
    }
  }
  if (!found) {
    throw bad_input("unknown package '" + args.package + "' (velmsg interface packages lists them)");
  }
  return kExitOk;
}

int run_show(const Arguments & args)
{
  std::cout << interface_text(TypeName::parse(args.type));
  return kExitOk;
}

// A message with every field at its default, in quotes, as ros2 interface proto prints it.
int run_proto(const Arguments & args)
{
  MessageType type(TypeName::parse(args.type), Flavour::c);
  require_supported(type.description());
  Message message(type.description());
  std::cout << "\"";
  print_yaml(std::cout, message);
  std::cout << "\"\n";
  return kExitOk;
}

}  // namespace

void add_interface_commands(CLI::App & app, Arguments & args, Commands & commands)
{
  CLI::App * family = command(app, "interface", "interface files and types, as ros2 interface",
      "  velmsg interface show velmari_messages/msg/Control\n  velmsg interface package velmari_messages");

  CLI::App * list = family->add_subcommand("list", "every interface, by kind");
  list->add_flag("-m,--only-msgs", args.only_messages, "the messages only");
  list->add_flag("-s,--only-srvs", args.only_services, "the services only");
  list->add_flag("-a,--only-actions", args.only_actions, "the actions only (velmsg reads none)");
  commands[list] = run_list;

  commands[family->add_subcommand("packages", "every package with interfaces")] = run_packages;

  CLI::App * package = family->add_subcommand("package", "the interfaces of one package");
  package->add_option("package", args.package, "package name")->required();
  commands[package] = run_package;

  CLI::App * show = family->add_subcommand("show",
      "the text of a type's interface file (.msg, .srv), as installed");
  add_type(show, args);
  commands[show] = run_show;

  CLI::App * proto = family->add_subcommand("proto",
      "a message with every field at its default, as YAML in quotes: a start for pub's values");
  add_type(proto, args);
  commands[proto] = run_proto;
}

}  // namespace velmsg

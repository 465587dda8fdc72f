#include "cli/ToolCommands.h"

namespace qw77::cli {
namespace {

constexpr const char* kPortHelp =
    "COM1, COM2 or COM3: a serial line, a network printer or a\n"
    "two-way USB printer, as the port map binds it";

void Common(CLI::App* sub, ToolRequest& r, bool port_required = true) {
  CLI::Option* port = sub->add_option("--port", r.port, kPortHelp)->type_name("PORT");
  if (port_required) port->required();
  sub->add_option("--baud", r.baud, "baud rate (default 9600)")->type_name("N");
  sub->add_option("--parity", r.parity, "parity: E, O or N (default N)")->type_name("E|O|N");
  sub->add_flag("--json", r.json, "one JSON object on standard output");
  sub->footer("Exit status, environment and examples: qw77-cli --help.");
}

void NamesJob(CLI::App* sub, ToolRequest& r, const std::string& job) {
  sub->callback([&r, job] { r.job = job; });
}

void Yes(CLI::App* sub, ToolRequest& r) {
  sub->add_flag("--yes", r.yes, "write the printer's NV memory (which wears with every write)");
}

void AddLogoCommands(CLI::App& app, ToolRequest& r) {
  CLI::App* logo = app.add_subcommand("logo", "the logos stored in the printer's NV memory");
  logo->require_subcommand(1);
  CLI::App* list = logo->add_subcommand("list", "capacity, space left and the stored keys");
  CLI::App* store = logo->add_subcommand("store", "store a BMP or PNG picture under a key");
  store->add_option("FILE", r.file, "the picture (BMP or PNG, any size and colours)")->required();
  store->add_option("--width", r.width, "scale to this many dots wide (384: 58 mm, 576: 80 mm)")
      ->type_name("DOTS")
      ->check(CLI::Range(1, kMaxNvGraphicWidth));
  store->add_option("--preview", r.preview, "write the dithered picture to this PNG first")
      ->type_name("OUT.png");
  CLI::App* print = logo->add_subcommand("print", "print a stored logo");
  CLI::App* del = logo->add_subcommand("delete", "delete one stored logo");
  CLI::App* all = logo->add_subcommand("delete-all", "delete every stored logo");
  for (CLI::App* sub : {store, print, del}) {
    sub->add_option("--key", r.key, "the logo's key: two characters, such as A1")
        ->required()
        ->type_name("XY");
  }
  const std::pair<CLI::App*, const char*> named[] = {{list, "logo list"},
                                                     {store, "logo store"},
                                                     {print, "logo print"},
                                                     {del, "logo delete"},
                                                     {all, "logo delete-all"}};
  for (const auto& [sub, name] : named) {
    Common(sub, r, sub != store);
    NamesJob(sub, r, name);
  }
  for (CLI::App* sub : {store, del, all}) Yes(sub, r);
}

void AddSetupCommands(CLI::App& app, ToolRequest& r) {
  CLI::App* setup = app.add_subcommand("setup", "the setup the printer starts with");
  setup->require_subcommand(1);
  CLI::App* show = setup->add_subcommand("show", "read paper width, density, speed, switches");
  CLI::App* set = setup->add_subcommand("set", "change it, restart the printer, read it back");
  set->add_option("--paper", r.change.paper_mm, "paper width in mm: 58 or 80")->type_name("MM");
  set->add_option("--density", r.change.density, "print density -6 to 8")->type_name("N");
  set->add_option("--speed", r.change.speed, "print speed level 1 to 9")->type_name("N");
  set->add_option("--switch", r.switches, "memory switch N (1..8): 8 of 0, 1, 2 (unchanged)")
      ->type_name("N=BITS");
  Yes(set, r);
  for (CLI::App* sub : {show, set}) Common(sub, r);
  NamesJob(show, r, "setup show");
  NamesJob(set, r, "setup set");
}

}  // namespace

void AddToolCommands(CLI::App& app, ToolRequest& r) {
  CLI::App* info = app.add_subcommand(
      "info", "what printer it is: model, firmware, maker, serial number, fonts, status");
  Common(info, r);
  NamesJob(info, r, "info");
  AddLogoCommands(app, r);
  CLI::App* counters = app.add_subcommand("counters", "the maintenance counters");
  counters->add_flag("--reset", r.reset, "reset the resettable ones (needs --yes)");
  Yes(counters, r);
  Common(counters, r);
  NamesJob(counters, r, "counters");
  AddSetupCommands(app, r);
  CLI::App* test = app.add_subcommand("test-print", "the printer's own test prints");
  test->add_option("WHAT", r.test, "hexdump, status, pattern, or codepage N")->required();
  Common(test, r);
  NamesJob(test, r, "test-print");
}

}  // namespace qw77::cli

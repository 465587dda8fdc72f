#include "jobs/SampleTicketJob.h"

#include <filesystem>
#include <vector>

#include "form/FrmMenu.h"
#include "protocol/LogoBlock.h"
#include "transport/LogoFile.h"
#include "transport/SpoolFile.h"

namespace qw77 {
namespace {

constexpr std::string_view kCannotPrint = "The sample ticket cannot be printed. ";

std::string ProgramFolder(System* system) {
  return system != nullptr ? system->ProgramDirectory() : ".";
}

// Anything at all at `path`, also something we may not look at: its read then says what
// is wrong, rather than another file being taken in its place.
bool SomethingAt(const std::string& path) {
  std::error_code ec;
  return std::filesystem::status(path, ec).type() != std::filesystem::file_type::not_found;
}

}  // namespace

SampleTicketSettings ReadSampleTicketSettings(const WindowState& state) {
  SampleTicketSettings s;
  s.x_scale = state.Text(ControlId::kTxtXScale);
  s.y_scale = state.Text(ControlId::kTxtYScale);
  s.line_spacing = state.Text(ControlId::kTxtLinesp);
  s.char_spacing = state.Text(ControlId::kTxtCharsp);
  s.font = state.Selected(ControlId::kOptFontB) ? TicketFont::kB : TicketFont::kA;
  s.left_margin = state.Text(ControlId::kTxtLeftMgn);
  s.density = state.Text(ControlId::kTxtDensity);
  if (state.Selected(ControlId::kOpt50mm)) {
    s.speed = PrintSpeed::k50mm;
  } else if (state.Selected(ControlId::kOpt80mm)) {
    s.speed = PrintSpeed::k80mm;
  } else if (state.Selected(ControlId::kOpt100mm)) {
    s.speed = PrintSpeed::k100mm;
  } else {
    s.speed = PrintSpeed::k150mm;
  }
  s.lines = state.Text(ControlId::kTxtLines);
  s.sample_text = state.Text(ControlId::kTxtSample);
  s.logo_wanted = state.Value(ControlId::kCheckGraphic) == 1;
  s.logo_choice = SelectedLogoOption(state);
  s.barcode_wanted = state.Value(ControlId::kChkBarCode) == 1;
  s.barcode_type = state.ListIndex(ControlId::kCombo1);
  s.barcode_data = state.Text(ControlId::kTxtBarCode);
  return s;
}

int SelectedLogoOption(const WindowState& state) {
  for (int i = 0; i < 2; ++i) {
    if (state.Selected(ControlId::kOption1, i)) return i;
  }
  return 2;
}

std::string LogoPath(System* system, int option_index) {
  return ProgramFolder(system) + "/" + std::string(LogoFileName(option_index));
}

std::string LogoPath(FrmMenu& frm, int option_index) {
  return LogoPath(frm.Svc().system, option_index);
}

Result<std::string> FindLogo(FrmMenu& frm, int option_index) {
  return FindLogo(frm.Svc().system, option_index);
}

Result<std::string> FindLogo(System* system, int option_index) {
  std::string beside = LogoPath(system, option_index);
  if (SomethingAt(beside)) return beside;
  const std::string data_folder = system != nullptr ? system->DataDirectory() : "";
  if (data_folder.empty()) {
    return Status(ErrorCode::kNotFound, "The logo file " + beside + " was not found.");
  }
  const std::string name(LogoFileName(option_index));
  std::string installed = data_folder + "/" + name;
  if (SomethingAt(installed)) return installed;
  return Status(ErrorCode::kNotFound, "The logo file " + name +
                                          " is neither beside the program, in " +
                                          ProgramFolder(system) + ", nor in " + data_folder + ".");
}

Result<std::vector<std::uint8_t>> ComposeWindowTicket(FrmMenu& frm) {
  return ComposeTicket(ReadSampleTicketSettings(frm.State()), frm.Svc().system);
}

Result<std::vector<std::uint8_t>> ComposeTicket(const SampleTicketSettings& settings,
                                                System* system) {
  std::vector<std::uint8_t> logo;
  std::string logo_label = "The logo file";
  if (settings.logo_wanted) {
    const auto found = FindLogo(system, settings.logo_choice);
    if (!found) {
      return Status(found.status().code(), std::string(kCannotPrint) + found.status().message());
    }
    const std::string& path = *found;
    auto file = ReadLogoFile(path);
    if (!file) {
      return Status(file.status().code(), std::string(kCannotPrint) + file.status().message());
    }
    logo = std::move(file).value();
    logo_label += " " + path;
  }
  auto stream = ComposeSampleTicket(settings, logo, logo_label);
  if (!stream) {
    return Status(stream.status().code(), std::string(kCannotPrint) + stream.status().message());
  }
  return stream;
}

Status BuildSampleTicket(FrmMenu& frm) {
  return BuildSampleTicket(ReadSampleTicketSettings(frm.State()), frm.Svc().system, frm.spool_file);
}

Status BuildSampleTicket(const SampleTicketSettings& settings, System* system,
                         const std::string& spool_file) {
  auto stream = ComposeTicket(settings, system);
  if (!stream) return stream.status();
  if (Status written = WriteSpoolFile(spool_file, *stream); !written) {
    return {written.code(), std::string(kCannotPrint) + written.message()};
  }
  return Status::Ok();
}

}  // namespace qw77

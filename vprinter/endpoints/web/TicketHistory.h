// The tickets the page lists: those of this session as they end, and those already in the
// ticket folder when the printer starts (the newest kMaxTickets). Every file it hands out
// is one it found or wrote in that folder, under a name it made: nothing a request says
// becomes part of a path. Safe from any thread.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace qw77::vprinter::web {

struct TicketRecord {
  int number = 0;
  std::string stem;                   // "ticket-0007", "ticket-0008-selftest": its files' names
  std::int64_t time_ms = 0;           // when it ended, in ms since the epoch
  std::int64_t bytes = -1;            // -1: not known (printed before the web view kept its bytes)
  int width = 0;                      // the picture's width in dots
  std::int64_t dots = 0;              // its length in dot rows, all parts together
  std::string source;                 // the interface it came from ("tcp", ...), "" when not known
  std::vector<std::string> pictures;  // file names in the folder, part 1 first
  bool has_bin = false;
  bool has_log = false;
  bool bin_cut_short = false;  // its bytes passed the bound; the file holds the first ones

  nlohmann::json ToJson() const;
  static std::optional<TicketRecord> FromJson(const nlohmann::json& j);
};

// A file name the history may hand out: "ticket-" and a plain name, no folder part.
bool IsTicketFileName(const std::string& name);

class TicketHistory {
 public:
  static constexpr std::size_t kMaxTickets = 1000;

  explicit TicketHistory(std::string folder) : folder_(std::move(folder)) {}

  // Lists the tickets already in the folder: their metadata files where they exist, else
  // what the pictures tell (size, time).
  void LoadFolder();
  // Adds a ticket (replacing one of the same number); the oldest goes past kMaxTickets.
  void Add(TicketRecord record);
  std::vector<TicketRecord> List() const;  // newest first
  std::optional<TicketRecord> Find(int number) const;
  void Clear();
  std::size_t size() const;

  const std::string& folder() const { return folder_; }
  std::string PathOf(const std::string& file_name) const;

 private:
  std::string folder_;
  mutable std::mutex mutex_;
  std::vector<TicketRecord> tickets_;  // oldest first
};

// The width and height of a PNG file, read from its header.
std::optional<std::pair<int, int>> PngSize(const std::string& path);

}  // namespace qw77::vprinter::web

#include "vprinter/endpoints/web/TicketHistory.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string_view>

namespace qw77::vprinter::web {

namespace fs = std::filesystem;

namespace {

bool IsRegularFile(const fs::path& p) {
  std::error_code ec;
  return fs::symlink_status(p, ec).type() == fs::file_type::regular;
}

std::int64_t ModifiedMs(const fs::path& p) {
  std::error_code ec;
  const auto t = fs::last_write_time(p, ec);
  if (ec) return 0;
  const auto sys = std::chrono::file_clock::to_sys(t);
  return std::chrono::duration_cast<std::chrono::milliseconds>(sys.time_since_epoch()).count();
}

// What the files alone tell of a ticket printed before its metadata was kept.
TicketRecord FromFiles(const fs::path& folder, int number, const std::string& stem) {
  TicketRecord r;
  r.number = number;
  r.stem = stem;
  r.time_ms = ModifiedMs(folder / (stem + ".png"));
  for (int part = 1;; ++part) {
    const std::string name = stem + (part > 1 ? "-part" + std::to_string(part) : "") + ".png";
    if (!IsRegularFile(folder / name)) break;
    r.pictures.push_back(name);
    if (auto size = PngSize((folder / name).string())) {
      r.width = size->first;
      r.dots += size->second;
    }
  }
  r.has_bin = IsRegularFile(folder / (stem + ".bin"));
  r.has_log = IsRegularFile(folder / (stem + ".log"));
  if (r.has_bin) r.bytes = static_cast<std::int64_t>(fs::file_size(folder / (stem + ".bin")));
  return r;
}

std::optional<TicketRecord> FromMetadata(const fs::path& folder, const std::string& stem) {
  std::ifstream in(folder / (stem + ".json"));
  if (!in) return std::nullopt;
  const nlohmann::json j = nlohmann::json::parse(in, nullptr, false);
  std::optional<TicketRecord> r = TicketRecord::FromJson(j);
  if (!r || r->stem != stem) return std::nullopt;
  // Only what is there now, and only plain files.
  std::erase_if(r->pictures, [&](const std::string& n) { return !IsRegularFile(folder / n); });
  r->has_bin = r->has_bin && IsRegularFile(folder / (stem + ".bin"));
  r->has_log = r->has_log && IsRegularFile(folder / (stem + ".log"));
  return r;
}

// "ticket-N..." with N of 1 to 9 digits: N and what follows it.
struct TicketName {
  int number;
  std::string_view rest;
};
std::optional<TicketName> SplitTicketName(std::string_view name) {
  constexpr std::string_view kPrefix = "ticket-";
  if (!name.starts_with(kPrefix)) return std::nullopt;
  std::size_t end = kPrefix.size();
  int number = 0;
  while (end < name.size() && name[end] >= '0' && name[end] <= '9') {
    number = number * 10 + (name[end] - '0');
    if (++end - kPrefix.size() > 9) return std::nullopt;
  }
  if (end == kPrefix.size()) return std::nullopt;
  return TicketName{number, name.substr(end)};
}

// Zero or more "-part" suffixes, each part one or more of the characters `allowed` takes.
bool IsSuffixList(std::string_view s, bool (*allowed)(char)) {
  std::size_t at = 0;
  while (at < s.size()) {
    if (s[at] != '-') return false;
    const std::size_t start = ++at;
    while (at < s.size() && s[at] != '-' && allowed(s[at])) ++at;
    if (at == start || (at < s.size() && s[at] != '-')) return false;
  }
  return true;
}
bool IsLowerLetter(char c) {
  return c >= 'a' && c <= 'z';
}
bool IsLowerLetterOrDigit(char c) {
  return IsLowerLetter(c) || (c >= '0' && c <= '9');
}

}  // namespace

bool IsTicketFileName(const std::string& name) {
  const std::optional<TicketName> ticket = SplitTicketName(name);
  if (!ticket) return false;
  const std::size_t dot = ticket->rest.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view ext = ticket->rest.substr(dot + 1);
  if (ext != "png" && ext != "bin" && ext != "log" && ext != "json") return false;
  return IsSuffixList(ticket->rest.substr(0, dot), IsLowerLetterOrDigit);
}

nlohmann::json TicketRecord::ToJson() const {
  return {{"number", number},
          {"stem", stem},
          {"time_ms", time_ms},
          {"bytes", bytes},
          {"width", width},
          {"dots", dots},
          {"source", source},
          {"pictures", pictures},
          {"has_bin", has_bin},
          {"has_log", has_log},
          {"bin_cut_short", bin_cut_short}};
}

std::optional<TicketRecord> TicketRecord::FromJson(const nlohmann::json& j) {
  if (!j.is_object()) return std::nullopt;
  try {
    TicketRecord r;
    r.number = j.at("number").get<int>();
    r.stem = j.at("stem").get<std::string>();
    r.time_ms = j.at("time_ms").get<std::int64_t>();
    r.bytes = j.value("bytes", std::int64_t{-1});
    r.width = j.value("width", 0);
    r.dots = j.value("dots", std::int64_t{0});
    r.source = j.value("source", std::string());
    r.pictures = j.value("pictures", std::vector<std::string>());
    r.has_bin = j.value("has_bin", false);
    r.has_log = j.value("has_log", false);
    r.bin_cut_short = j.value("bin_cut_short", false);
    const bool names_ok = std::all_of(r.pictures.begin(), r.pictures.end(), IsTicketFileName);
    if (!names_ok || !IsTicketFileName(r.stem + ".png")) return std::nullopt;
    return r;
  } catch (const nlohmann::json::exception&) {
    return std::nullopt;
  }
}

void TicketHistory::LoadFolder() {
  struct Found {
    std::string stem;
    std::int64_t time_ms;
  };
  std::map<int, Found> newest;  // one per number: a later session's ticket wins
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(folder_, ec)) {
    const std::string name = e.path().filename().string();
    // A ticket's picture: ticket-N.png, or ticket-N-part.png with at most one part.
    const std::optional<TicketName> ticket = SplitTicketName(name);
    if (!ticket || !ticket->rest.ends_with(".png")) continue;
    const std::string_view suffix = ticket->rest.substr(0, ticket->rest.size() - 4);
    if (suffix.find('-', 1) != std::string_view::npos || !IsSuffixList(suffix, IsLowerLetter) ||
        !IsRegularFile(e.path())) {
      continue;
    }
    const std::string stem = name.substr(0, name.size() - 4);
    const std::int64_t t = ModifiedMs(e.path());
    auto [it, added] = newest.try_emplace(ticket->number, Found{stem, t});
    if (!added && it->second.time_ms < t) it->second = {stem, t};
  }
  std::vector<std::pair<int, Found>> found(newest.begin(), newest.end());
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    return a.second.time_ms != b.second.time_ms ? a.second.time_ms > b.second.time_ms
                                                : a.first > b.first;
  });
  if (found.size() > kMaxTickets) found.resize(kMaxTickets);
  std::vector<TicketRecord> loaded;
  for (auto it = found.rbegin(); it != found.rend(); ++it) {
    std::optional<TicketRecord> r = FromMetadata(folder_, it->second.stem);
    loaded.push_back(r ? *r : FromFiles(folder_, it->first, it->second.stem));
  }
  std::lock_guard lock(mutex_);
  tickets_ = std::move(loaded);
}

void TicketHistory::Add(TicketRecord record) {
  std::lock_guard lock(mutex_);
  std::erase_if(tickets_, [&](const TicketRecord& t) { return t.number == record.number; });
  tickets_.push_back(std::move(record));
  if (tickets_.size() > kMaxTickets) tickets_.erase(tickets_.begin());
}

std::vector<TicketRecord> TicketHistory::List() const {
  std::lock_guard lock(mutex_);
  return {tickets_.rbegin(), tickets_.rend()};
}

std::optional<TicketRecord> TicketHistory::Find(int number) const {
  std::lock_guard lock(mutex_);
  for (const TicketRecord& t : tickets_) {
    if (t.number == number) return t;
  }
  return std::nullopt;
}

void TicketHistory::Clear() {
  std::lock_guard lock(mutex_);
  tickets_.clear();
}

std::size_t TicketHistory::size() const {
  std::lock_guard lock(mutex_);
  return tickets_.size();
}

std::string TicketHistory::PathOf(const std::string& file_name) const {
  if (!IsTicketFileName(file_name)) return "";
  return (fs::path(folder_) / file_name).string();
}

std::optional<std::pair<int, int>> PngSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char h[24] = {};
  if (!in.read(reinterpret_cast<char*>(h), sizeof h)) return std::nullopt;
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (!std::equal(h, h + 8, kSignature) || std::string(h + 12, h + 16) != "IHDR") {
    return std::nullopt;
  }
  auto be32 = [&](int at) {
    return static_cast<int>((h[at] << 24) | (h[at + 1] << 16) | (h[at + 2] << 8) | h[at + 3]);
  };
  return std::make_pair(be32(16), be32(20));
}

}  // namespace qw77::vprinter::web

// What a technician's setting utility sends: user setup, maintenance counters, NV bit
// images and the NV graphics queries, with the memory they change kept in the state file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>

#include "vprinter/printer/LogText.h"
#include "vprinter/printer/Printer.h"

namespace qw77::vprinter {

using namespace log_text;

namespace {

// Replies of the setup and graphics commands: a header, an identifier, data, a NUL.
constexpr std::uint8_t kSetupHeader = 0x37;
constexpr std::uint8_t kCounterHeader = 0x5F;
constexpr std::uint8_t kSeparator = 0x1F;
// The host's answers to a block of a key code list.
constexpr std::uint8_t ACK = 0x06, NAK = 0x15, CAN = 0x18;
// Key codes a block of the key code list carries (two bytes each), and how often one block
// is sent again on the host's NAK before the list is given up.
constexpr std::size_t kKeysPerBlock = 40;
constexpr int kKeyBlockResends = 2;
// Room for NV bit images, counted as their data bytes.
constexpr std::size_t kNvBitImageBytes = std::size_t{256} << 10;

std::vector<std::uint8_t> Framed(std::uint8_t header, std::vector<std::uint8_t> body) {
  body.insert(body.begin(), header);
  body.push_back(0);
  return body;
}

void Append(std::vector<std::uint8_t>& v, const std::string& s) {
  v.insert(v.end(), s.begin(), s.end());
}

bool Is(std::span<const std::uint8_t> args, const char* word) {
  const std::string w(word);
  return args.size() == w.size() && std::equal(w.begin(), w.end(), args.begin());
}

std::string TodayUtc() {
  const std::chrono::year_month_day today{
      std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now())};
  char day[16];
  std::snprintf(day, sizeof day, "%04d-%02u-%02u", static_cast<int>(today.year()),
                static_cast<unsigned>(today.month()), static_cast<unsigned>(today.day()));
  return day;
}

// The print speed of a customised speed level; level 5 is the printer's usual speed.
int SpeedForLevel(int level) {
  static constexpr int kSpeeds[] = {50, 65, 80, 100, 150, 170, 200, 230, 250};
  return kSpeeds[std::clamp(level, 1, 9) - 1];
}

}  // namespace

void Printer::Answer(Command& c, const std::string& what, std::vector<std::uint8_t> reply,
                     bool log_bytes) {
  if (c.src != Source::kSerial && c.src != Source::kTcp) {
    c.entry.note = what + ": no reply channel on this interface";
    return;
  }
  if (!status_.MayAnswer()) {
    c.entry.note = what + " NOT answered (silent)";
    return;
  }
  ++replies_sent_;
  c.entry.note = what + " answered" + (log_bytes ? " " + HexBytes(reply, 24) : "");
  c.then = [this, src = c.src, reply = std::move(reply)]() mutable {
    Reply(src, std::move(reply));
  };
}

void Printer::OnUserSetup(Command& c) {
  c.entry.params = "pL=" + Dec(c.params[0]) + " pH=" + Dec(c.params[1]);
  const auto body = c.params.subspan(2);
  if (body.empty()) {
    c.Malformed("no function byte");
    return;
  }
  const int fn = body[0];
  const auto args = body.subspan(1);
  c.entry.params += " fn=" + Dec(fn);
  const int a = args.size() == 1 ? args[0] : -1;
  if (fn == 4 || fn == 6 || fn == 12) c.entry.params += " a=" + Dec(a);
  switch (fn) {
    case 1:
      if (!Is(args, "IN")) return c.Malformed("not followed by \"IN\"");
      setting_mode_ = true;
      return Answer(c, "user setting mode entered", Framed(kSetupHeader, {0x20}));
    case 2:
      if (!Is(args, "OUT")) return c.Malformed("not followed by \"OUT\"");
      if (!setting_mode_) return c.Malformed("not in user setting mode");
      return LeaveSetup(c);
    case 4: {
      if (a < 1 || a > 8) return c.Malformed("no memory switch " + Dec(a));
      std::vector<std::uint8_t> bits = {0x21};
      for (int bit = 7; bit >= 0; --bit)
        bits.push_back((nv_.switches[a - 1] >> bit) & 1 ? '1' : '0');
      return Answer(c, "memory switch " + Dec(a), Framed(kSetupHeader, bits));
    }
    case 6: {
      if (a != kCustomPaperWidth && a != kCustomDensity && a != kCustomSpeed) {
        return c.Malformed("no customised value " + Dec(a));
      }
      const auto it = nv_.customised.find(a);
      const int value = it != nv_.customised.end()             ? it->second
                        : a != kCustomPaperWidth               ? (a == kCustomSpeed ? 5 : 0)
                        : options_.paper.printable_dots == 576 ? 6
                                                               : 3;
      std::vector<std::uint8_t> reply = {0x27};
      Append(reply, Dec(a));
      reply.push_back(kSeparator);
      Append(reply, Dec(value));
      return Answer(c, "customised value " + Dec(a) + " = " + Dec(value),
                    Framed(kSetupHeader, reply));
    }
    case 12: {
      if (a < 1 || a > 4) return c.Malformed("no serial setting " + Dec(a));
      std::vector<std::uint8_t> reply = {0x33, static_cast<std::uint8_t>('0' + a), kSeparator};
      Append(reply, nv_.serial[a]);
      return Answer(c, "serial setting " + Dec(a) + " = " + nv_.serial[a],
                    Framed(kSetupHeader, reply));
    }
    case 3:
    case 5:
    case 11:
      if (!setting_mode_) return c.Malformed("only taken in user setting mode");
      return UserSetupStore(c, fn, args);
    default:
      return c.Malformed("function not supported by this printer");
  }
}

void Printer::UserSetupStore(Command& c, int fn, std::span<const std::uint8_t> args) {
  NvMemory next = nv_;
  std::string what;
  if (fn == 3) {
    if (args.empty() || args.size() % 9 != 0) return c.Malformed("settings are not 9 bytes each");
    for (std::size_t at = 0; at < args.size(); at += 9) {
      const int a = args[at];
      if (a < 1 || a > 8) return c.Malformed("no memory switch " + Dec(a));
      for (int i = 0; i < 8; ++i) {
        const int b = args[at + 1 + static_cast<std::size_t>(i)], bit = 7 - i;
        if (b < '0' || b > '2') return c.Malformed("bit value " + Dec(b) + " is not 48, 49 or 50");
        auto& sw = next.switches[static_cast<std::size_t>(a - 1)];
        if (b == '0') sw = static_cast<std::uint8_t>(sw & ~(1u << bit));
        if (b == '1') sw = static_cast<std::uint8_t>(sw | (1u << bit));
      }
      what += " " + Dec(a);
    }
    what = "memory switch" + what + " set";
  } else if (fn == 5) {
    if (args.empty() || args.size() % 3 != 0) return c.Malformed("values are not 3 bytes each");
    for (std::size_t at = 0; at < args.size(); at += 3) {
      const int a = args[at], v = args[at + 1] + 256 * args[at + 2];
      if (!ValidCustomValue(a, v))
        return c.Malformed("customised value " + Dec(a) + " cannot be " + Dec(v));
      next.customised[a] = v;
      what += (what.empty() ? "customised value " : ", ") + Dec(a) + " = " + Dec(v);
    }
  } else {
    const int a = args.empty() ? 0 : args[0];
    const std::string v = args.size() < 2 ? "" : ValidSerialValue(a, args.subspan(1));
    if (v.empty()) return c.Malformed("no such serial setting or value");
    next.serial[a] = v;
    what = "serial setting " + Dec(a) + " = " + v;
  }
  nv_ = std::move(next);
  c.entry.note = what + "; takes effect when the setting mode ends";
  NvWritten(c);
}

void Printer::LeaveSetup(Command& c) {
  setting_mode_ = false;
  c.entry.note = "user setting mode ended; the printer restarts with its setup";
  c.then = [this, src = c.src] {
    if (TicketInProgress()) EndTicket(src, "user setup ends");
    ApplySetup();
    // A printer that has restarted holds no interface's ticket: the others go on at once.
    owner_.reset();
  };
}

void Printer::ApplySetup() {
  const auto custom = [&](int a) {
    const auto it = nv_.customised.find(a);
    return it == nv_.customised.end() ? -1 : it->second;
  };
  // Values a technician never set leave the printer as its options made it.
  if (custom(kCustomPaperWidth) >= 0) {
    renderer_.SetPaper(PaperForWidth(custom(kCustomPaperWidth), renderer_.paper()));
  }
  if (custom(kCustomDensity) >= 0) stored_.density = DensityFromCustom(custom(kCustomDensity));
  if (custom(kCustomSpeed) >= 0) stored_.speed_mm_s = SpeedForLevel(custom(kCustomSpeed));
  // A restart: the settings in force are the stored ones, the print buffer is empty.
  renderer_.text() = stored_;
  renderer_.ResetModes(options_.code_page);
  renderer_.barcode() = BarcodeSettings{};
  symbols_ = SymbolSettings{};
  graphics_.buffer = Bitmap{};
}

void Printer::OnCounter(Command& c) {
  const int m = c.params[0], n = c.params[1] + 256 * c.params[2];
  c.entry.params = "m=" + Dec(m) + " n=" + Dec(n);
  if (m != 0) return c.Malformed("m is not 0");
  const bool reset = c.def.id == CommandId::kCounterReset;
  for (std::size_t i = 0; i < kCounterCount; ++i) {
    const bool cumulative = n == kCounterNumbers[i] + kCumulativeOffset;
    if (n != kCounterNumbers[i] && !cumulative) continue;
    if (reset && cumulative) return c.Malformed("a cumulative counter cannot be reset");
    if (reset) {
      nv_.counters.resettable[i] = 0;
      c.entry.note = "counter " + Dec(n) + " reset";
      c.then = [this, src = c.src] { SaveState(src); };
      return;
    }
    std::int64_t value = cumulative ? nv_.counters.cumulative[i] : nv_.counters.resettable[i];
    if (static_cast<Counter>(i) == Counter::kOperatingMs) value /= 3600000;  // in hours
    std::vector<std::uint8_t> reply;
    Append(reply, std::to_string(value));
    return Answer(c, "counter " + Dec(n) + " = " + std::to_string(value),
                  Framed(kCounterHeader, reply));
  }
  c.Malformed("no counter " + Dec(n));
}

void Printer::OnNvImageDefine(Command& c) {
  const int n = c.params[0];
  c.entry.params = "n=" + Dec(n);
  if (n == 0) return c.Malformed("no images");
  std::vector<Bitmap> images;
  std::size_t at = 1, bytes = 0;
  std::string sizes;
  for (int i = 0; i < n; ++i) {
    const auto p = c.params.subspan(at);
    const int x = p[0] + 256 * p[1], y = p[2] + 256 * p[3];
    const std::size_t length = std::size_t(x) * std::size_t(y) * 8;
    if (x < 1 || x > kMaxNvImageWidthBytes || y < 1 || y > kMaxNvImageHeightBytes) {
      return c.Malformed("image " + Dec(i + 1) + " is " + Dec(x) + "x" + Dec(y) +
                         " bytes, outside 1..1023 x 1..288");
    }
    bytes += length;
    if (bytes > kNvBitImageBytes) {
      return c.Malformed("more than the " + std::to_string(kNvBitImageBytes) +
                         " bytes of NV bit image memory");
    }
    images.push_back(ColumnsToBitmap(x * 8, y * 8, p.subspan(4, length)));
    sizes += (sizes.empty() ? "" : ", ") + Dec(x * 8) + "x" + Dec(y * 8);
    at += 4 + length;
  }
  nv_.bit_images = std::move(images);
  c.entry.note = Dec(n) + " NV bit image(s) defined, the earlier ones erased: " + sizes + " dots";
  NvWritten(c);
}

void Printer::PrintNvBitImage(Command& c) {
  const int n = c.params[0], m = c.params[1];
  c.entry.params = "n=" + Dec(n) + " m=" + Dec(m);
  const int mode = m >= '0' ? m - '0' : m;
  if (mode < 0 || mode > 3) return c.Malformed("no such mode");
  if (n < 1 || static_cast<std::size_t>(n) > nv_.bit_images.size()) {
    return c.Malformed("no NV bit image " + Dec(n) + " (" +
                       Dec(static_cast<int>(nv_.bit_images.size())) + " defined)");
  }
  const Bitmap& dots = nv_.bit_images[static_cast<std::size_t>(n - 1)];
  const int scale_x = mode & 1 ? 2 : 1, scale_y = mode & 2 ? 2 : 1;
  const int cut = renderer_.PrintBitmap(dots, scale_x, scale_y);
  c.entry.note = "NV bit image " + Dec(n) + ", " + Dec(dots.width) + "x" + Dec(dots.height) +
                 " dots printed" + (mode ? ", drawn " + Dec(scale_x) + "x" + Dec(scale_y) : "") +
                 (cut > 0 ? ", " + Dec(cut) + " dots beyond the paper cut off" : "");
}

void Printer::NvGraphicsQuery(Command& c, int fn, std::span<const std::uint8_t> args) {
  const NvGraphics& nv = graphics_.nv;
  if (fn == 64) {
    if (!Is(args, "KC")) return c.Malformed("not followed by \"KC\"");
    std::vector<std::uint8_t> keys;
    nv.ForEach([&](int key, const Bitmap&, std::size_t) {
      keys.push_back(static_cast<std::uint8_t>(key >> 8));
      keys.push_back(static_cast<std::uint8_t>(key & 0xFF));
    });
    // Blocks of up to 40 key codes; the status byte says whether another block follows,
    // which the host asks for with ACK.
    std::deque<std::vector<std::uint8_t>> blocks;
    const std::size_t per_block = kKeysPerBlock * 2;
    for (std::size_t at = 0; at < keys.size() || blocks.empty(); at += per_block) {
      const std::size_t end = std::min(keys.size(), at + per_block);
      std::vector<std::uint8_t> block = {
          0x72, static_cast<std::uint8_t>(end < keys.size() ? 0x41 : 0x40)};
      block.insert(block.end(), keys.begin() + static_cast<std::ptrdiff_t>(at),
                   keys.begin() + static_cast<std::ptrdiff_t>(end));
      blocks.push_back(Framed(kSetupHeader, std::move(block)));
    }
    std::vector<std::uint8_t> first = blocks.front();
    blocks.pop_front();
    Answer(c, "key code list, " + Dec(static_cast<int>(nv.count())) + " key(s)", first);
    if (c.then) {
      key_blocks_ = std::move(blocks);
      key_block_sent_ = std::move(first);
      key_blocks_to_ = c.src;
      key_block_resends_ = 0;
    }
    return;
  }
  if (!args.empty()) return c.Malformed("parameters after the function");
  const bool capacity = fn == 0 || fn == 48;
  const std::size_t value = capacity ? kNvGraphicsBytes : kNvGraphicsBytes - nv.used_bytes();
  std::vector<std::uint8_t> reply = {static_cast<std::uint8_t>(capacity ? 0x30 : 0x31)};
  Append(reply, std::to_string(value));
  Answer(c,
         std::string(capacity ? "NV graphics capacity " : "NV graphics remaining ") +
             std::to_string(value) + " bytes",
         Framed(kSetupHeader, reply));
}

bool Printer::KeyListAnswer(Source src, std::span<const std::uint8_t>& bytes) {
  if (src != key_blocks_to_ || bytes.empty()) return false;
  std::uint8_t b = bytes[0];
  if (b != ACK && b != NAK && b != CAN) {
    key_blocks_.clear();
    key_block_sent_.clear();
    return false;
  }
  bytes = bytes.subspan(1);
  std::string what = b == CAN ? "key code list: CAN, the rest is not sent"
                              : "key code list: NAK once too often, the rest is not sent";
  if (b == NAK && ++key_block_resends_ > kKeyBlockResends) b = CAN;
  if (b == CAN || (b == ACK && key_blocks_.empty())) {
    if (b == ACK) what = "key code list: ACK, all blocks sent";
    key_blocks_.clear();
    key_block_sent_.clear();
  } else {
    if (b == ACK) {
      key_block_sent_ = std::move(key_blocks_.front());
      key_blocks_.pop_front();
      key_block_resends_ = 0;
    }
    what =
        b == ACK ? "key code list: ACK, next block sent" : "key code list: NAK, block sent again";
    Reply(src, key_block_sent_);
  }
  Note(src, what);
  return true;
}

void Printer::NvWritten(Command& c) {
  const std::string today = options_.today ? options_.today() : TodayUtc();
  if (today != nv_.write_day) {
    nv_.write_day = today;
    nv_.writes_today = 0;
  }
  ++nv_.writes_today;
  ++nv_.writes_total;
  if (nv_.writes_today > kNvWritesPerDay) {
    c.entry.note += "; NV memory written " + Dec(nv_.writes_today) + " times today: more than " +
                    Dec(kNvWritesPerDay) + " a day wears it out";
  }
  c.then = [this, src = c.src, before = std::move(c.then)] {
    if (before) before();
    SaveState(src);
  };
}

void Printer::SaveState(Source src) {
  counters_dirty_ = false;
  if (options_.state_path.empty()) return;
  const Status s = SaveStateFile(options_.state_path, nv_, graphics_.nv);
  if (s) return;
  Note(src, "NV memory NOT saved: " + s.message());
  std::cerr << "qw77-vprinter: " << s.message() << "\n";
}

Status Printer::RestoreState() {
  if (options_.state_path.empty()) return Status::Ok();
  bool found = false;
  Status s = LoadStateFile(options_.state_path, nv_, graphics_.nv, found);
  if (found) ApplySetup();
  // A new file is written now, so that a folder that refuses it is told at the start.
  if (s && !found) s = SaveStateFile(options_.state_path, nv_, graphics_.nv);
  // A file that could not be taken is never written over: memory lasts for the run then.
  if (!s) options_.state_path.clear();
  return s;
}

void Printer::CountCommand(const CommandDef& def, std::span<const std::uint8_t> params) {
  switch (def.id) {
    case CommandId::kLineFeed:
      nv_.counters.Add(Counter::kLinesFed, 1);
      break;
    case CommandId::kFeedLines:
      nv_.counters.Add(Counter::kLinesFed, params[0]);
      break;
    case CommandId::kCut:
    case CommandId::kCutOld:
      nv_.counters.Add(Counter::kCuts, 1);
      break;
    default:
      return;
  }
  counters_dirty_ = true;
}

void Printer::CountTime(Millis now) {
  if (clock_ >= 0 && now > clock_) {
    nv_.counters.Add(Counter::kOperatingMs, now - clock_);
    counters_dirty_ = true;
  }
  if (now > clock_) clock_ = now;
}

}  // namespace qw77::vprinter

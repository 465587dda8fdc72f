// Cutting, the cash drawer and the status the printer sends back.
#include "vprinter/printer/LogText.h"
#include "vprinter/printer/Printer.h"

namespace qw77::vprinter {

using namespace log_text;

namespace {

// What the printer-ID command reports. Bits 4 and 7 of a one-byte ID are always 0, which
// is how a host tells an ID from the automatic status.
constexpr std::uint8_t kModelId = 0x47;
constexpr std::uint8_t kTypeId = 0x02;  // autocutter installed, one-byte characters only
constexpr std::uint8_t kVersionId = 0x01;
constexpr const char* kMakerName = "qw77";
constexpr const char* kFontOfLanguage = "ANK";
// Printer information (n 65 and up) goes out between this header and a NUL.
constexpr std::uint8_t kInfoHeader = 0x5F;

const char* Pin(int m) {
  return m == 0 || m == 48 ? "2" : m == 1 || m == 49 ? "5" : nullptr;
}

// The automatic status bits each enabled item of GS a covers: drawer, online/offline
// (with the cover), errors, paper sensors.
std::array<std::uint8_t, 4> AutoStatusMask(int items) {
  std::array<std::uint8_t, 4> mask{};
  if (items & 1) mask[0] |= 0x04;
  if (items & 2) mask[0] |= 0x68;
  if (items & 4) mask[1] = 0xFF;
  if (items & 8) mask[2] = 0xFF;
  return mask;
}

bool SameUnder(const std::array<std::uint8_t, 4>& a, const std::array<std::uint8_t, 4>& b,
               const std::array<std::uint8_t, 4>& mask) {
  for (std::size_t i = 0; i < a.size(); ++i) {
    if ((a[i] & mask[i]) != (b[i] & mask[i])) return false;
  }
  return true;
}

bool HasReplyChannel(Source src) {
  return src == Source::kSerial || src == Source::kTcp;
}

}  // namespace

void Printer::CheckAutoStatus() {
  if (auto_status_items_ == 0) return;
  const std::array<std::uint8_t, 4> now = status_.AutoStatus();
  if (SameUnder(now, auto_status_sent_, AutoStatusMask(auto_status_items_))) return;
  auto_status_sent_ = now;
  const std::string what =
      "automatic status " + HexBytes(now) + " (" + status_.conditions().Describe() + ")";
  // A printer playing silent sends nothing at all, this included.
  if (status_.faults().silent) {
    Note(auto_status_to_, what + " NOT sent (silent)");
    return;
  }
  Note(auto_status_to_, what + " sent");
  Reply(auto_status_to_, {now.begin(), now.end()});
}

void Printer::OnCut(Command& c) {
  const std::uint8_t n = c.n();
  bool partial = c.def.prefix[1] == 'm';
  int feed = 0;
  if (c.def.id == CommandId::kCut) {
    c.entry.params = "m=" + Dec(n);
    if (c.params.size() > 1) {
      feed = c.params[1];
      c.entry.params += " n=" + Dec(feed);
    }
    const bool full = n == 0 || n == 48 || n == 65 || n == 97 || n == 103;
    partial = n == 1 || n == 49 || n == 66 || n == 98 || n == 104;
    if (!full && !partial) {
      c.Malformed("no such cut");
      return;
    }
  }
  const std::string what = partial ? "partial cut" : "full cut";
  if (!TicketInProgress()) {
    // Blank paper fed since the last ticket is cut off with it, so that the next
    // ticket starts at the cut.
    c.entry.note = what + ": no ticket to cut";
    renderer_.TakeTicket();
    blank_rows_skipped_ = 0;
    owner_.reset();
    return;
  }
  c.entry.note = feed > 0 ? what + " after feeding " + Dec(feed) + " dots" : what;
  c.then = [this, src = c.src, feed, what] {
    if (feed > 0) renderer_.Feed(feed);
    renderer_.MarkCut();
    EndTicket(src, what);
  };
}

void Printer::OnDrawerKick(Command& c) {
  const std::uint8_t n = c.n();
  const int t1 = c.params[1], t2 = c.params[2];
  c.entry.params = "m=" + Dec(n) + " t1=" + Dec(t1) + " t2=" + Dec(t2);
  const char* pin = Pin(n);
  if (!pin) {
    c.Malformed("no such drawer pin");
    return;
  }
  c.entry.note = std::string("drawer kick pin ") + pin + ", " + Dec(2 * t1) + " ms on, " +
                 Dec(2 * t2) + " ms off";
}

void Printer::OnRealTimePulse(Command& c) {
  const std::uint8_t n = c.n();
  const int m = c.params[1], t = c.params[2];
  c.entry.params = "fn=" + Dec(n) + " m=" + Dec(m) + " t=" + Dec(t);
  if (n != 1) {
    c.entry.note = "real-time function " + Dec(n) + ": no effect on this printer";
    return;
  }
  const char* pin = m == 0 ? "2" : m == 1 ? "5" : nullptr;
  if (!pin || t < 1 || t > 8) {
    c.Malformed(!pin ? "no such drawer pin" : "pulse time outside 1..8");
    return;
  }
  c.entry.note = std::string("drawer kick pin ") + pin + ", " + Dec(100 * t) + " ms on, " +
                 Dec(100 * t) + " ms off (real time)";
}

void Printer::OnRealTimeRequest(Command& c) {
  const std::uint8_t n = c.n();
  c.entry.params = "n=" + Dec(n);
  c.entry.note = n == 1   ? "recover from an error and go on: no effect, no error to recover"
                 : n == 2 ? "recover from an error, buffers cleared: no effect, no error"
                          : "no effect on this printer";
}

void Printer::OnStatusOrId(Command& c) {
  const std::uint8_t n = c.n();
  c.entry.params = "n=" + Dec(n);
  std::vector<std::uint8_t> reply;
  std::string what;
  auto info = [&](const std::string& name, const std::string& text) {
    what = name + " \"" + text + "\"";
    reply.push_back(kInfoHeader);
    reply.insert(reply.end(), text.begin(), text.end());
    reply.push_back(0);
  };
  auto id = [&](const std::string& name, std::uint8_t byte) {
    what = name + " " + Hex(byte);
    reply.push_back(byte);
  };
  if (c.def.id == CommandId::kTransmitStatus) {
    if (n == 1 || n == 49) {
      id("paper sensor status", status_.PaperSensorStatus());
    } else if (n == 2 || n == 50) {
      id("drawer connector status", DrawerStatus(status_.State()));
    }
  } else if (n == 1 || n == 49) {
    id("model ID", kModelId);
  } else if (n == 2 || n == 50) {
    id("type ID", kTypeId);
  } else if (n == 3 || n == 51) {
    id("version ID", kVersionId);
  } else if (n == 65) {
    info("firmware version", options_.firmware);
  } else if (n == 66) {
    info("maker", kMakerName);
  } else if (n == 67) {
    info("model", options_.model_name);
  } else if (n == 68) {
    info("serial number", options_.serial_number);
  } else if (n == 69) {
    info("font of language", kFontOfLanguage);
  }
  if (reply.empty()) {
    c.Malformed(c.def.id == CommandId::kTransmitStatus ? "no such status" : "no such ID");
    return;
  }
  Answer(c, what, std::move(reply), /*log_bytes=*/false);
}

void Printer::OnAutoStatus(Command& c) {
  const std::uint8_t n = c.n();
  c.entry.params = "n=" + Dec(n);
  if (!HasReplyChannel(c.src)) {
    c.entry.note = "no reply channel on this interface; automatic status stays off";
    return;
  }
  auto_status_items_ = n & 0x0F;
  if (auto_status_items_ == 0) {
    c.entry.note = "automatic status off";
    return;
  }
  std::string items;
  const char* names[] = {"drawer", "online/offline", "errors", "paper sensors"};
  for (int bit = 0; bit < 4; ++bit) {
    if (!(auto_status_items_ & (1 << bit))) continue;
    items += (items.empty() ? "" : ", ") + std::string(names[bit]);
  }
  c.entry.note = "automatic status on: " + items;
  auto_status_to_ = c.src;
  // Sent at once, then whenever an enabled item changes.
  auto_status_sent_ = status_.AutoStatus();
  for (std::uint8_t& b : auto_status_sent_) b = static_cast<std::uint8_t>(~b);
  c.then = [this] { CheckAutoStatus(); };
}

}  // namespace qw77::vprinter

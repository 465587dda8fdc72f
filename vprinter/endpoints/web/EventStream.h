// The events the page follows (a ticket finished, bytes arriving, the panel changed, the
// history cleared), kept in a short ring so that a stream that falls behind learns it
// missed some instead of making the printer hold them for it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace qw77::vprinter::web {

struct Event {
  std::uint64_t id = 0;
  std::string type;  // "ticket", "progress", "printer", "cleared", "missed"
  std::string data;  // one line of JSON
  // The text of one server-sent event.
  std::string Format() const;
};

class EventStream {
 public:
  static constexpr std::size_t kKept = 256;

  // Adds an event and wakes every reader. Safe from any thread.
  void Publish(std::string type, std::string data);
  // The events after `after`, waiting at most `wait` for one; a reader more than kKept
  // behind gets a single "missed" event (reload the list) and the newest id.
  std::vector<Event> After(std::uint64_t after, std::chrono::milliseconds wait);
  std::uint64_t last_id() const;
  // Wakes every reader for good: After returns at once from now on.
  void Close();
  bool closed() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Event> events_;
  std::uint64_t last_id_ = 0;
  bool closed_ = false;
};

}  // namespace qw77::vprinter::web

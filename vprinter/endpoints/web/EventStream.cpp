#include "vprinter/endpoints/web/EventStream.h"

namespace qw77::vprinter::web {

std::string Event::Format() const {
  return "id: " + std::to_string(id) + "\nevent: " + type + "\ndata: " + data + "\n\n";
}

void EventStream::Publish(std::string type, std::string data) {
  {
    std::lock_guard lock(mutex_);
    events_.push_back({++last_id_, std::move(type), std::move(data)});
    if (events_.size() > kKept) events_.pop_front();
  }
  changed_.notify_all();
}

std::vector<Event> EventStream::After(std::uint64_t after, std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, wait, [&] { return closed_ || last_id_ > after; });
  std::vector<Event> out;
  if (last_id_ <= after) return out;
  if (events_.empty() || events_.front().id > after + 1) {
    out.push_back({last_id_, "missed", "{}"});
    return out;
  }
  for (const Event& e : events_) {
    if (e.id > after) out.push_back(e);
  }
  return out;
}

std::uint64_t EventStream::last_id() const {
  std::lock_guard lock(mutex_);
  return last_id_;
}

void EventStream::Close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
}

bool EventStream::closed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

}  // namespace qw77::vprinter::web

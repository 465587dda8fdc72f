// One tool job's conversation with the printer: the link opened (or refused) once, commands
// written with their progress, replies awaited within their limits, and the first failure
// kept in the report, after which nothing more is written.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "base/Wait.h"
#include "jobs/PrinterTools.h"

namespace qw77 {

class ToolSession {
 public:
  // Opens the port's link, or refuses it (a failure in `report`) when it cannot answer.
  ToolSession(const ToolPort& port, ToolReport& report);
  // Closes the link; a failure to let the last bytes go out is said.
  ~ToolSession();
  ToolSession(const ToolSession&) = delete;
  ToolSession& operator=(const ToolSession&) = delete;

  bool failed() const { return report_.end != JobEnd::kDone; }
  // Ends the job with `end`, telling the operator `message` (after the port's name).
  void Fail(JobEnd end, const std::string& message);
  void Say(const std::string& message) { report_.messages.push_back(message); }

  // Writes `bytes` (nothing after a failure); a write cut short fails the job.
  bool Send(std::span<const std::uint8_t> bytes, const std::string& what,
            const Progress& progress = {});
  // Sends `command` and waits for a framed reply with `header`; its body, or nothing (the
  // job failed) when the reply is missing, short or malformed. `extra` lengthens the wait
  // beyond the usual reply limit (an NV write under way).
  std::optional<Bytes> AskFrame(std::span<const std::uint8_t> command, std::uint8_t header,
                                const std::string& what, Clock::Duration extra = {});
  // Sends `command` and waits for a single reply byte.
  std::optional<std::uint8_t> AskByte(std::span<const std::uint8_t> command,
                                      const std::string& what);
  // Fails the job with a malformed reply's reason unless `result` holds a value.
  template <class T>
  std::optional<T> Take(Result<T> result, const std::string& what) {
    if (result) return std::move(*result);
    Fail(JobEnd::kNoAnswer, "the reply to " + what + " is malformed: " + result.status().message());
    return std::nullopt;
  }

  // Line time for `bytes` bytes at the port's settings.
  Clock::Duration LineTime(std::size_t bytes) const;
  Clock& clock() { return *port_.clock; }

 private:
  // Takes what arrived into pending_.
  void Collect();
  // Sends a question, forgetting what arrived before it.
  void Ask(std::span<const std::uint8_t> command, const std::string& what);
  // Polls `look` over what arrives until it is ready, aborts, or the reply limit (lengthened
  // by `extra` and the last write's line time) has passed, which fails the job.
  bool Await(const std::string& what, Clock::Duration extra, const std::function<Poll()>& look);
  bool Lost();

  const ToolPort& port_;
  ToolReport& report_;
  Bytes pending_;              // what arrived and was not taken yet
  std::size_t last_sent_ = 0;  // bytes of the latest write, for the next reply's limit
};

}  // namespace qw77

#pragma once
// How long to wait before retrying a call that a busy automation server rejected.
// Shared by the message filter's RetryRejectedCall and by Invoke. Portable: no windows.h.

namespace brivanta {

constexpr unsigned long kBusyRetryIntervalMs = 100;
constexpr unsigned long kBusyRetryLimitMs = 30000;

// `elapsedMs`: time since the call was first made; `retryLater`: the server asked to be
// called again later (SERVERCALL_RETRYLATER) rather than refusing the call outright.
// Returns the delay in milliseconds before the next try, or -1 to give the call up.
constexpr long BusyRetryDelay(unsigned long elapsedMs, bool retryLater) {
  if (!retryLater || elapsedMs >= kBusyRetryLimitMs) return -1;
  return static_cast<long>(kBusyRetryIntervalMs);
}

}  // namespace brivanta
